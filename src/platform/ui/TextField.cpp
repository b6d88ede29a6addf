#include "platform/ui/TextField.h"

#include "platform/foundation/Unicode.h"

#include <algorithm>

namespace folio {

void TextField::setText(std::u16string text)
{
    m_text = std::move(text);
    m_selection = Range{m_text.size(), 0};
}

void TextField::setSelectedRange(Range range)
{
    std::size_t location = std::min(range.location, m_text.size());
    std::size_t length = std::min(range.length, m_text.size() - location);
    m_selection = Range{location, length};
    if (auto delegate = m_delegate.lock())
        delegate->textFieldDidChangeSelection(*this);
}

bool TextField::replaceCharactersInRange(Range range, const std::u16string& text)
{
    if (!m_editing || range.location > m_text.size() || range.length > m_text.size() - range.location)
        return false;
    // Never split a surrogate pair: a half pair would corrupt the text.
    if (range.location > 0 && range.location < m_text.size() && isLowSurrogate(m_text[range.location]))
        return false;
    if (range.end() < m_text.size() && range.end() > 0 && isLowSurrogate(m_text[range.end()]))
        return false;
    if (auto delegate = m_delegate.lock(); delegate && !delegate->textFieldShouldChangeCharactersInRange(*this, range, text))
        return false;
    m_text.replace(range.location, range.length, text);
    m_selection = Range{range.location + text.size(), 0};
    sendActionsForControlEvent(ControlEvent::EditingChanged);
    return true;
}

bool TextField::insertText(const std::u16string& text) { return replaceCharactersInRange(m_selection, text); }

bool TextField::deleteBackward()
{
    if (m_selection.length > 0)
        return replaceCharactersInRange(m_selection, u"");
    if (m_selection.location == 0)
        return false;
    std::size_t start = m_selection.location - 1;
    if (start > 0 && isLowSurrogate(m_text[start]) && isHighSurrogate(m_text[start - 1]))
        --start;
    return replaceCharactersInRange(Range{start, m_selection.location - start}, u"");
}

bool TextField::pressReturn()
{
    if (!m_editing)
        return false;
    if (auto delegate = m_delegate.lock(); delegate && !delegate->textFieldShouldReturn(*this))
        return false;
    sendActionsForControlEvent(ControlEvent::PrimaryActionTriggered);
    return true;
}

bool TextField::clear()
{
    if (auto delegate = m_delegate.lock(); delegate && !delegate->textFieldShouldClear(*this))
        return false;
    if (m_editing)
        return replaceCharactersInRange(Range{0, m_text.size()}, u"");
    setText(u"");
    return true;
}

bool TextField::willBecomeFirstResponder()
{
    auto delegate = m_delegate.lock();
    return !delegate || delegate->textFieldShouldBeginEditing(*this);
}

bool TextField::willResignFirstResponder()
{
    auto delegate = m_delegate.lock();
    return !delegate || delegate->textFieldShouldEndEditing(*this);
}

void TextField::didBecomeFirstResponder()
{
    m_editing = true;
    m_selection = Range{m_text.size(), 0};
    if (auto delegate = m_delegate.lock())
        delegate->textFieldDidBeginEditing(*this);
    sendActionsForControlEvent(ControlEvent::EditingDidBegin);
}

void TextField::didResignFirstResponder()
{
    m_editing = false;
    if (auto delegate = m_delegate.lock())
        delegate->textFieldDidEndEditing(*this);
    sendActionsForControlEvent(ControlEvent::EditingDidEnd);
}

} // namespace folio
