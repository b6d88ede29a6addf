#pragma once

#include "platform/ui/TextViewDelegate.h"

#include <memory>

namespace folio {

// Stands between the Markdown text view and its delegate (the editor
// controller): it passes every call on to the target and applies two typing
// rules of its own before a change is made.
//
// - A blank or tab typed right after a blank becomes one space.
// - Return at the end of a line that begins with "* " continues the list.
//
// Either rule makes its change itself through the view, so the change is
// reported to the target as an edit and can be undone like any other.
class MEMarkdownTextViewDelegateProxy : public TextViewDelegate {
public:
    void setDelegateTarget(std::weak_ptr<TextViewDelegate> target) { m_target = std::move(target); }
    std::shared_ptr<TextViewDelegate> delegateTarget() const { return m_target.lock(); }

    bool textViewShouldBeginEditing(TextView& textView) override;
    void textViewDidBeginEditing(TextView& textView) override;
    bool textViewShouldEndEditing(TextView& textView) override;
    void textViewDidEndEditing(TextView& textView) override;
    bool textViewShouldChangeTextInRange(TextView& textView, Range range, const std::u16string& text) override;
    void textViewDidChange(TextView& textView) override;
    void textViewDidChangeSelection(TextView& textView) override;

private:
    bool askTarget(TextView& textView, Range range, const std::u16string& text);

    std::weak_ptr<TextViewDelegate> m_target;
};

} // namespace folio
