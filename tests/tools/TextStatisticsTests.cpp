#include "platform/foundation/Unicode.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Label.h"
#include "support/VirtualClock.h"
#include "tools/statistics/RNTextStatistics.h"
#include "tools/statistics/StatisticsController.h"
#include "tools/statistics/SyllableCounter.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

std::size_t syllables(const char* word) { return SyllableCounter::syllableCount(toUtf16(word)); }

TEST(SyllableCounterTest, countsByTheTableTheAffixesAndTheVowelPatterns)
{
    EXPECT_EQ(syllables(""), 0u);
    // The table is consulted for the word as written; a capital sends it to the rules.
    EXPECT_EQ(syllables("penelope"), 4u);
    EXPECT_EQ(syllables("Penelope"), 3u);
    EXPECT_EQ(syllables("people"), 2u);
    // "un" and "ly" count one each and are removed before the vowel groups.
    EXPECT_EQ(syllables("unhappily"), 4u);
    // A silent final e after a consonant, and "ion" heard as one with its vowel.
    EXPECT_EQ(syllables("creature"), 2u);
    EXPECT_EQ(syllables("constructions"), 3u);
    EXPECT_EQ(syllables("comprehension"), 4u);
    // "ia" is two syllables; a doubled consonant before a final l adds one.
    EXPECT_EQ(syllables("Australian"), 4u);
    EXPECT_EQ(syllables("little"), 2u);
    // Punctuation and digits are no letters; every word has at least one syllable.
    EXPECT_EQ(syllables("mat."), 1u);
    EXPECT_EQ(syllables("42"), 1u);
    // A cached answer is the same answer.
    EXPECT_EQ(syllables("unhappily"), 4u);
}

struct Expected {
    const char* text;
    std::size_t letters, words, sentences, syllables, longWords;
    float readingEase, gradeLevel, fog, colemanLiau, smog, automated;
};

// Figures worked out by hand from the counts. The first is the published
// reading-ease example (116); the second the published grade-level example,
// which its authors count as 24 syllables (grade 11.3), where these rules
// hear 25 ("Australian" and "reptilian" four each, "seemingly" two).
const Expected kTexts[] = {
    {"The cat sat on the mat.", 17, 6, 1, 6, 0, 116.145f, -1.45f, 2.4f, 0.8383f, 1.8450f, -5.085f},
    {"The Australian platypus is seemingly a hybrid of a mammal and reptilian creature.", 68, 13, 1, 25, 3, 30.9477f,
     12.1723f, 14.4308f, 14.9862f, 10.0653f, 9.7069f},
    {"Readability matters. Short words help readers; long, complicated constructions hinder comprehension!", 86, 11, 2,
     26, 4, 1.2889f, 14.4459f, 16.7455f, 30.1945f, 8.2870f, 18.1436f},
};

TEST(RNTextStatisticsTest, formulasMatchFiguresWorkedOutByHand)
{
    for (const auto& expected : kTexts) {
        SCOPED_TRACE(expected.text);
        RNTextStatistics statistics(toUtf16(expected.text));
        EXPECT_EQ(statistics.letterCount(), expected.letters);
        EXPECT_EQ(statistics.wordCount(), expected.words);
        EXPECT_EQ(statistics.sentenceCount(), expected.sentences);
        EXPECT_EQ(statistics.syllableTotal(), expected.syllables);
        EXPECT_EQ(statistics.wordsWithThreeSyllablesWithProperNouns(true), expected.longWords);
        EXPECT_NEAR(*statistics.fleschKincaidReadingEase(), expected.readingEase, 1e-3);
        EXPECT_NEAR(*statistics.fleschKincaidGradeLevel(), expected.gradeLevel, 1e-3);
        EXPECT_NEAR(*statistics.gunningFogIndex(), expected.fog, 1e-3);
        EXPECT_NEAR(*statistics.colemanLiauIndex(), expected.colemanLiau, 1e-3);
        EXPECT_NEAR(*statistics.smogIndex(), expected.smog, 1e-3);
        EXPECT_NEAR(*statistics.automatedReadabilityIndex(), expected.automated, 1e-3);
    }
}

TEST(RNTextStatisticsTest, cleaningDropsMarkupNumbersAndRepeatedStops)
{
    RNTextStatistics statistics(u"  <b>Hello</b>, world!!! We met 42 times...\n\nBye  ");
    EXPECT_EQ(statistics.cleanText(), u"Hello world. We met times. Bye.");
    EXPECT_EQ(statistics.sentenceCount(), 3u);
    EXPECT_EQ(statistics.wordCount(), 6u);
    // Proper nouns are left out on request: "Australian" is capitalised.
    RNTextStatistics names(u"The Australian platypus is seemingly a hybrid.");
    EXPECT_EQ(names.wordsWithThreeSyllablesWithProperNouns(true), 2u);
    EXPECT_EQ(names.wordsWithThreeSyllablesWithProperNouns(false), 1u);
    EXPECT_FLOAT_EQ(names.percentageWordsWithThreeSyllablesWithProperNouns(false), 1.0f / 7.0f);
}

TEST(RNTextStatisticsTest, textWithoutWordsHasNoScoreRatherThanNaN)
{
    for (const char16_t* text : {u"", u"   \n ", u"...!?", u"12 345 6789"}) {
        SCOPED_TRACE(toUtf8(text));
        RNTextStatistics statistics(text);
        EXPECT_FALSE(statistics.fleschKincaidReadingEase());
        EXPECT_FALSE(statistics.fleschKincaidGradeLevel());
        EXPECT_FALSE(statistics.gunningFogIndex());
        EXPECT_FALSE(statistics.colemanLiauIndex());
        EXPECT_FALSE(statistics.smogIndex());
        EXPECT_FALSE(statistics.automatedReadabilityIndex());
    }
    RNTextStatistics empty(u"");
    EXPECT_EQ(empty.letterCount(), 0u);
    EXPECT_EQ(empty.wordCount(), 0u);
    EXPECT_EQ(empty.sentenceCount(), 0u);
    EXPECT_EQ(empty.averageWordsPerSentence(), 0.0f);
    EXPECT_EQ(empty.averageSyllablesPerWord(), 0.0f);
}

class StatisticsControllerTest : public test::VirtualClockTest {
protected:
    std::shared_ptr<StatisticsController> measure(std::u16string text)
    {
        auto sheet = std::make_shared<StatisticsController>();
        sheet->setDocumentText(std::move(text));
        sheet->loadViewIfNeeded();
        // The figures come on the next turn of the run loop, after the sheet shows.
        EXPECT_TRUE(sheet->statsCalculatingIndicator()->isAnimating());
        loop.runOnce();
        EXPECT_FALSE(sheet->statsCalculatingIndicator()->isAnimating());
        return sheet;
    }
};

TEST_F(StatisticsControllerTest, emptyTextShowsZerosNoScoreAndLessThanAMinute)
{
    auto sheet = measure(u"\uFEFF\n\n\n");
    EXPECT_EQ(sheet->words()->text(), u"Words: 0");
    EXPECT_EQ(sheet->sentences()->text(), u"Sentences: 0");
    EXPECT_EQ(sheet->lines()->text(), u"Lines: 0");
    EXPECT_EQ(sheet->characters()->text(), u"Chars: 0");
    EXPECT_EQ(sheet->avgwordlength()->text(), u"Avg. Word Length: 0.00");
    EXPECT_EQ(sheet->avgwordssentence()->text(), u"Avg. Words Per Sentence: 0.00");
    EXPECT_EQ(sheet->readingtime()->text(), u"Reading Time: Not even a minute!");
    EXPECT_EQ(sheet->readingEase()->text(), u"K. Reading Ease: -");
    EXPECT_EQ(sheet->smogIndex()->text(), u"Smog Index: -");
    EXPECT_EQ(sheet->automatedReadability()->text(), u"Readibility Index: -");
}

TEST_F(StatisticsControllerTest, countsAveragesAndScoresOfAText)
{
    // 25 words in 2 sentences; the trailing newlines are not measured.
    std::u16string text = u"One two three four five six seven eight nine ten eleven twelve thirteen.\n"
                          u"Fourteen fifteen sixteen seventeen eighteen nineteen twenty a b c d e.\n\n\n";
    auto sheet = measure(text);
    EXPECT_EQ(sheet->words()->text(), u"Words: 25");
    EXPECT_EQ(sheet->sentences()->text(), u"Sentences: 2");
    EXPECT_EQ(sheet->lines()->text(), u"Lines: 2");
    EXPECT_EQ(sheet->avgwordssentence()->text(), u"Avg. Words Per Sentence: 12.50");
    EXPECT_EQ(sheet->totalCharsWithSpaces(), text.size() - 3);
    EXPECT_EQ(sheet->charactersnospaces()->text(), u"Chars (no spaces): 117");
    EXPECT_EQ(sheet->avgwordlength()->text(), u"Avg. Word Length: 4.68");

    // A text so hard that its reading ease is below zero shows 0.
    auto hard = measure(u"Incomprehensibility characterizes institutionalization.");
    EXPECT_EQ(hard->readingEase()->text(), u"K. Reading Ease: 0");
    auto easy = measure(u"The cat sat on the mat.");
    EXPECT_EQ(easy->readingEase()->text(), u"K. Reading Ease: 116");
    EXPECT_EQ(easy->syllables()->text(), u"Approx. Syllables: 6");
}

TEST(StatisticsReadingTimeTest, steps)
{
    EXPECT_EQ(StatisticsController::readingTimeForWordCount(179), u"Not even a minute!");
    EXPECT_EQ(StatisticsController::readingTimeForWordCount(180), u"About a minute!");
    EXPECT_EQ(StatisticsController::readingTimeForWordCount(359), u"About a minute!");
    EXPECT_EQ(StatisticsController::readingTimeForWordCount(360), u"About 2 minutes!");
    EXPECT_EQ(StatisticsController::readingTimeForWordCount(10799), u"About 59 minutes!");
    EXPECT_EQ(StatisticsController::readingTimeForWordCount(10800), u"About an hour!");
    EXPECT_EQ(StatisticsController::readingTimeForWordCount(21600), u"About 2 hours!");
}

} // namespace
} // namespace folio
