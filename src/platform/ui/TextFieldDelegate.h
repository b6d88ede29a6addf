#pragma once

#include "platform/foundation/Range.h"

#include <string>

namespace folio {

class TextField;

// What a text field asks and tells its delegate while it is edited. Every
// question answers yes by default.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
    virtual void textFieldDidBeginEditing(TextField&) {}
    virtual bool textFieldShouldChangeCharactersInRange(TextField&, Range, const std::u16string&) { return true; }
    virtual void textFieldDidChangeSelection(TextField&) {}
    virtual bool textFieldShouldReturn(TextField&) { return true; }
    virtual bool textFieldShouldClear(TextField&) { return true; }
    virtual bool textFieldShouldEndEditing(TextField&) { return true; }
    virtual void textFieldDidEndEditing(TextField&) {}
};

} // namespace folio
