#pragma once

#include "platform/foundation/Range.h"

#include <string>

namespace folio {

class TextView;

// What a text view asks and tells while it is edited. Every question answers
// yes by default.
class TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;
    virtual bool textViewShouldBeginEditing(TextView&) { return true; }
    virtual void textViewDidBeginEditing(TextView&) {}
    virtual bool textViewShouldEndEditing(TextView&) { return true; }
    virtual void textViewDidEndEditing(TextView&) {}
    virtual bool textViewShouldChangeTextInRange(TextView&, Range, const std::u16string&) { return true; }
    virtual void textViewDidChange(TextView&) {}
    virtual void textViewDidChangeSelection(TextView&) {}
};

} // namespace folio
