#pragma once

#include <string>

namespace folio {

// The web-view editors' side of their insert menu.
class SpecialCharsPickerDelegate {
public:
    virtual ~SpecialCharsPickerDelegate() = default;
    virtual void specialCharsOptionSelected(const std::u16string& option, bool isEmoji) = 0;
    virtual void dismissPopoverAnimated(bool animated) = 0;
    // The rich-text editor answers yes and gets its insert commands (page
    // break, comment, footnotes, line, link) and the date and location rows.
    virtual bool offersInsertCommands() const { return false; }
};

// The Markdown text view's side of its insert menu.
class MDSpecialCharsPickerDelegate {
public:
    virtual ~MDSpecialCharsPickerDelegate() = default;
    virtual void specialCharsOptionSelected(const std::u16string& option, bool isEmoji) = 0;
    virtual void dismissPopoverAnimated(bool animated) = 0;
};

} // namespace folio
