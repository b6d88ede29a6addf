#pragma once

#include "platform/foundation/Range.h"
#include "platform/ui/Control.h"
#include "platform/ui/TextFieldDelegate.h"

#include <memory>
#include <string>

namespace folio {

// A one-line editable text. Setting the text from code tells nobody; typing
// (insertText, deleteBackward) asks the delegate first and then reports
// "editing changed", as the toolkit does.
class TextField : public Control {
public:
    using Control::Control;

    const std::u16string& text() const { return m_text; }
    void setText(std::u16string text);
    const std::u16string& placeholder() const { return m_placeholder; }
    void setPlaceholder(std::u16string placeholder) { m_placeholder = std::move(placeholder); }
    bool isSecureTextEntry() const { return m_secure; }
    void setSecureTextEntry(bool secure) { m_secure = secure; }
    Range selectedRange() const { return m_selection; }
    // Out-of-range selections are clamped to the text.
    void setSelectedRange(Range range);

    void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { m_delegate = std::move(delegate); }
    std::shared_ptr<TextFieldDelegate> delegate() const { return m_delegate.lock(); }

    bool isEditing() const { return m_editing; }
    bool canBecomeFirstResponder() const override { return isEnabled() && !isHidden(); }

    // User input at the selection. Answers false when the field is not being
    // edited or the delegate refused the change.
    bool insertText(const std::u16string& text);
    bool deleteBackward();
    bool replaceCharactersInRange(Range range, const std::u16string& text);
    // The return key: asks the delegate, then sends "primary action".
    bool pressReturn();
    bool clear();

protected:
    bool willBecomeFirstResponder() override;
    bool willResignFirstResponder() override;
    void didBecomeFirstResponder() override;
    void didResignFirstResponder() override;

private:
    std::u16string m_text;
    std::u16string m_placeholder;
    bool m_secure = false;
    bool m_editing = false;
    Range m_selection;
    std::weak_ptr<TextFieldDelegate> m_delegate;
};

} // namespace folio
