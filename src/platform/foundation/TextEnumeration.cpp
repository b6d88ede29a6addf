#include "platform/foundation/TextEnumeration.h"

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/LocaleIdentifier.h"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <memory>

namespace folio {

namespace {

std::vector<Range> breakRanges(std::u16string_view text, bool words)
{
    std::vector<Range> ranges;
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale(currentLocaleIdentifier().c_str());
    std::unique_ptr<icu::BreakIterator> iterator(words ? icu::BreakIterator::createWordInstance(locale, status)
                                                       : icu::BreakIterator::createSentenceInstance(locale, status));
    if (U_FAILURE(status) || !iterator)
        return ranges;
    icu::UnicodeString input(false, text.data(), static_cast<int32_t>(text.size()));
    iterator->setText(input);
    int32_t start = iterator->first();
    for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE; start = end, end = iterator->next()) {
        if (words && iterator->getRuleStatus() == UBRK_WORD_NONE)
            continue;
        // A blank line between paragraphs is no sentence.
        std::u16string_view piece = text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
        if (!words && CharacterSet::whitespaceAndNewlineCharacterSet().spanMembers(piece) == piece.size())
            continue;
        ranges.push_back(Range{static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)});
    }
    return ranges;
}

bool endsParagraph(char16_t unit) { return unit == u'\n' || unit == u'\r' || unit == u'\u2029'; }

bool endsLine(char16_t unit) { return endsParagraph(unit) || unit == u'\u2028' || unit == u'\u0085'; }

std::vector<Range> separatedRanges(std::u16string_view text, bool (*isTerminator)(char16_t))
{
    std::vector<Range> ranges;
    std::size_t start = 0;
    std::size_t index = 0;
    while (index < text.size()) {
        if (!isTerminator(text[index])) {
            ++index;
            continue;
        }
        ranges.push_back(Range{start, index - start});
        // CR LF ends one line, not two.
        index += (text[index] == u'\r' && index + 1 < text.size() && text[index + 1] == u'\n') ? 2 : 1;
        start = index;
    }
    if (start < text.size())
        ranges.push_back(Range{start, text.size() - start});
    return ranges;
}

} // namespace

std::vector<Range> substringRanges(std::u16string_view text, TextEnumerationUnit unit)
{
    if (text.empty())
        return {};
    switch (unit) {
    case TextEnumerationUnit::Words: return breakRanges(text, true);
    case TextEnumerationUnit::Sentences: return breakRanges(text, false);
    case TextEnumerationUnit::Lines: return separatedRanges(text, endsLine);
    case TextEnumerationUnit::Paragraphs: return separatedRanges(text, endsParagraph);
    }
    return {};
}

} // namespace folio
