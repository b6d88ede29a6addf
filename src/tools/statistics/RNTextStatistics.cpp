#include "tools/statistics/RNTextStatistics.h"

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/StringUtilities.h"
#include "tools/statistics/SyllableCounter.h"

#include <cmath>

namespace folio {

namespace {

constexpr unsigned kSimpleOptions =
    RegularExpressionCaseInsensitive | RegularExpressionDotMatchesLineSeparators;

std::u16string replaceAll(const std::u16string& text, const char16_t* pattern, const char16_t* replacement)
{
    return RegularExpression::make(pattern, kSimpleOptions).value().stringByReplacingMatches(text, replacement);
}

std::vector<std::u16string> wordsOf(const std::u16string& cleaned)
{
    return componentsSeparatedByCharactersInSet(cleaned, CharacterSet::whitespaceAndNewlineCharacterSet());
}

} // namespace

const RNTextStatistics::Counts& RNTextStatistics::counts() const
{
    if (m_counts)
        return *m_counts;
    Counts counts;
    std::u16string text = replaceAll(m_text, u"<[^>]+>", u"");
    text = replaceAll(text, u"[,:;\\(\\)\\-]", u"");
    text = replaceAll(text, u"[\\.\\!\\?]", u".");
    text = stringByTrimmingCharactersInSet(text, CharacterSet::whitespaceAndNewlineCharacterSet()) + u".";
    text = replaceAll(text, u"[ ]*(\\n|\\r\\n|\\r)[ ]*", u" ");
    text = replaceAll(text, u"\\.[\\.]+", u".");
    text = replaceAll(text, u"[ ]*([\\.])\\s", u". ");
    text = replaceAll(text, u"\\s[0-9]+\\s", u" ");
    text = replaceAll(text, u"\\s+$", u" ");
    text = replaceAll(text, u"\\s+", u" ");
    counts.cleaned = text;
    if (!m_text.empty()) {
        counts.letters = replaceAll(text, u"[^a-zA-Z]+", u"").size();
        counts.words = replaceAll(text, u"[^\\s]", u"").size() + 1;
        counts.sentences = replaceAll(text, u"[^\\.\\!\\?]+", u"").size();
        if (counts.sentences == 0)
            counts.sentences = 1;
    }
    m_counts = std::move(counts);
    return *m_counts;
}

const std::u16string& RNTextStatistics::cleanText() const { return counts().cleaned; }
std::size_t RNTextStatistics::letterCount() const { return counts().letters; }
std::size_t RNTextStatistics::wordCount() const { return counts().words; }
std::size_t RNTextStatistics::sentenceCount() const { return counts().sentences; }

float RNTextStatistics::averageWordsPerSentence() const
{
    return sentenceCount() ? static_cast<float>(wordCount()) / static_cast<float>(sentenceCount()) : 0;
}

float RNTextStatistics::averageSyllablesPerWord() const
{
    return wordCount() ? static_cast<float>(syllableTotal()) / static_cast<float>(wordCount()) : 0;
}

std::size_t RNTextStatistics::syllableTotal() const
{
    if (!m_syllables) {
        std::size_t total = 0;
        if (!m_text.empty()) {
            for (const auto& word : wordsOf(cleanText()))
                total += SyllableCounter::syllableCount(word);
        }
        m_syllables = total;
    }
    return *m_syllables;
}

std::size_t RNTextStatistics::wordsWithThreeSyllablesWithProperNouns(bool countProperNouns) const
{
    if (m_text.empty())
        return 0;
    std::size_t count = 0;
    for (const auto& word : wordsOf(cleanText())) {
        if (SyllableCounter::syllableCount(word) < 3)
            continue;
        // A word whose first character is its own capital is taken for a name.
        if (!countProperNouns && uppercaseString(std::u16string_view(word).substr(0, 1)) == word.substr(0, 1))
            continue;
        ++count;
    }
    return count;
}

float RNTextStatistics::percentageWordsWithThreeSyllablesWithProperNouns(bool countProperNouns) const
{
    return wordCount() ? static_cast<float>(wordsWithThreeSyllablesWithProperNouns(countProperNouns)) /
                             static_cast<float>(wordCount())
                       : 0;
}

bool RNTextStatistics::hasScore() const { return !m_text.empty() && letterCount() > 0 && wordCount() > 0 && sentenceCount() > 0; }

std::optional<float> RNTextStatistics::score(float value) const
{
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<float> RNTextStatistics::fleschKincaidReadingEase() const
{
    if (!hasScore())
        return std::nullopt;
    return score(206.835f - 1.015f * averageWordsPerSentence() - 84.6f * averageSyllablesPerWord());
}

std::optional<float> RNTextStatistics::fleschKincaidGradeLevel() const
{
    if (!hasScore())
        return std::nullopt;
    return score(0.39f * averageWordsPerSentence() + 11.8f * averageSyllablesPerWord() - 15.59f);
}

std::optional<float> RNTextStatistics::gunningFogIndex() const
{
    if (!hasScore())
        return std::nullopt;
    auto words = static_cast<float>(wordCount());
    auto longWords = static_cast<float>(wordsWithThreeSyllablesWithProperNouns(true));
    return score(0.4f * (averageWordsPerSentence() + 100.0f * longWords / words));
}

std::optional<float> RNTextStatistics::colemanLiauIndex() const
{
    if (!hasScore())
        return std::nullopt;
    auto words = static_cast<float>(wordCount());
    return score(5.89f * static_cast<float>(letterCount()) / words - 0.3f * static_cast<float>(sentenceCount()) / words - 15.8f);
}

std::optional<float> RNTextStatistics::smogIndex() const
{
    if (!hasScore())
        return std::nullopt;
    auto longWords = static_cast<float>(wordsWithThreeSyllablesWithProperNouns(true));
    return score(1.043f * std::sqrt(longWords * (30.0f / static_cast<float>(sentenceCount())) + 3.1291f));
}

std::optional<float> RNTextStatistics::automatedReadabilityIndex() const
{
    if (!hasScore())
        return std::nullopt;
    auto words = static_cast<float>(wordCount());
    return score(4.71f * static_cast<float>(letterCount()) / words + 0.5f * words / static_cast<float>(sentenceCount()) - 21.43f);
}

} // namespace folio
