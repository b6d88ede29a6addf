#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace folio {

// Readability of a text: its own cleaning, letter, word, sentence and
// syllable counts, and six formulas on them. Counts are computed once per
// object and shared by the formulas.
//
// A score is answered only for a text that has words to score: an empty
// text, or one whose cleaned form holds no letter, answers no score, never
// a number made from a division by zero.
class RNTextStatistics {
public:
    explicit RNTextStatistics(std::u16string text) : m_text(std::move(text)) {}

    const std::u16string& text() const { return m_text; }

    const std::u16string& cleanText() const;
    // Letters A to Z and a to z of the cleaned text.
    std::size_t letterCount() const;
    // Whitespace characters of the cleaned text, plus one.
    std::size_t wordCount() const;
    // Full stops, exclamation and question marks left after cleaning; at least 1.
    std::size_t sentenceCount() const;
    float averageWordsPerSentence() const;
    float averageSyllablesPerWord() const;
    std::size_t syllableTotal() const;
    std::size_t wordsWithThreeSyllablesWithProperNouns(bool countProperNouns) const;
    // A fraction of the word count, not a percentage.
    float percentageWordsWithThreeSyllablesWithProperNouns(bool countProperNouns) const;

    std::optional<float> fleschKincaidReadingEase() const;
    std::optional<float> fleschKincaidGradeLevel() const;
    std::optional<float> gunningFogIndex() const;
    std::optional<float> colemanLiauIndex() const;
    std::optional<float> smogIndex() const;
    std::optional<float> automatedReadabilityIndex() const;

private:
    struct Counts {
        std::u16string cleaned;
        std::size_t letters = 0;
        std::size_t words = 0;
        std::size_t sentences = 0;
    };
    const Counts& counts() const;
    bool hasScore() const;
    std::optional<float> score(float value) const;

    std::u16string m_text;
    mutable std::optional<Counts> m_counts;
    mutable std::optional<std::size_t> m_syllables;
};

} // namespace folio
