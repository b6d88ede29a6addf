#include "markdown/MEMarkdownTextViewDelegateProxy.h"

#include "platform/foundation/CharacterSet.h"
#include "platform/ui/TextView.h"

namespace folio {

namespace {

constexpr std::u16string_view kBullet = u"* ";

bool isBlank(char16_t unit) { return CharacterSet::whitespaceCharacterSet().characterIsMember(unit); }

// The start of the line that holds `position`.
std::size_t lineStart(const std::u16string& text, std::size_t position)
{
    while (position > 0 && text[position - 1] != u'\n' && text[position - 1] != u'\r')
        --position;
    return position;
}

} // namespace

bool MEMarkdownTextViewDelegateProxy::askTarget(TextView& textView, Range range, const std::u16string& text)
{
    auto target = m_target.lock();
    return target ? target->textViewShouldChangeTextInRange(textView, range, text) : true;
}

bool MEMarkdownTextViewDelegateProxy::textViewShouldChangeTextInRange(TextView& textView, Range range,
                                                                      const std::u16string& text)
{
    const std::u16string& current = textView.text();
    const std::size_t location = range.location;

    // A second blank stays a plain space. Only a single typed character
    // counts: a pasted text that happens to begin with a blank keeps all of
    // itself.
    if (location > 0 && location <= current.size() && text.size() == 1 && isBlank(text[0]) &&
        isBlank(current[location - 1])) {
        textView.replaceRange(range, u" ");
        return false;
    }

    if (text == u"\n" && location > 0 && location <= current.size()) {
        if (current[location - 1] == u'\n')
            return askTarget(textView, range, text);
        std::size_t start = lineStart(current, location - 1);
        if (std::u16string_view(current).substr(start).starts_with(kBullet)) {
            textView.insertText(u"\n" + std::u16string(kBullet));
            return false;
        }
    }
    return askTarget(textView, range, text);
}

bool MEMarkdownTextViewDelegateProxy::textViewShouldBeginEditing(TextView& textView)
{
    auto target = m_target.lock();
    return target ? target->textViewShouldBeginEditing(textView) : true;
}

void MEMarkdownTextViewDelegateProxy::textViewDidBeginEditing(TextView& textView)
{
    if (auto target = m_target.lock())
        target->textViewDidBeginEditing(textView);
}

bool MEMarkdownTextViewDelegateProxy::textViewShouldEndEditing(TextView& textView)
{
    auto target = m_target.lock();
    return target ? target->textViewShouldEndEditing(textView) : true;
}

void MEMarkdownTextViewDelegateProxy::textViewDidEndEditing(TextView& textView)
{
    if (auto target = m_target.lock())
        target->textViewDidEndEditing(textView);
}

void MEMarkdownTextViewDelegateProxy::textViewDidChange(TextView& textView)
{
    if (auto target = m_target.lock())
        target->textViewDidChange(textView);
}

void MEMarkdownTextViewDelegateProxy::textViewDidChangeSelection(TextView& textView)
{
    if (auto target = m_target.lock())
        target->textViewDidChangeSelection(textView);
}

} // namespace folio
