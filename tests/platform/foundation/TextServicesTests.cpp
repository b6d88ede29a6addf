#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/TextEnumeration.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace folio {
namespace {

TEST(RegularExpressionCountingTest, countsAndReplacesWithThePlatformOptions)
{
    auto vowels = RegularExpression::make(u"[aeiouy]+");
    ASSERT_TRUE(vowels);
    EXPECT_EQ(vowels->numberOfMatches(u"beautiful"), 3u);
    EXPECT_EQ(vowels->stringByReplacingMatches(u"beautiful", u"_"), u"b_t_f_l");
    // Case-insensitive and dot-matches-line-separators, as 9 asks.
    auto tags = RegularExpression::make(u"<.+?>", 9);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->stringByReplacingMatches(u"a<B\nr>b<I>c", u""), u"abc");
    auto doubled = RegularExpression::make(u"([^aeiouy])\\1l$");
    EXPECT_EQ(doubled->numberOfMatches(u"littl"), 1u);
}

TEST(StringFormatTest, fillsTheConversionsInOrderAndKeepsWhatItCannotFill)
{
    EXPECT_EQ(formatString(u"Words: %ld", {std::int64_t{42}}), u"Words: 42");
    EXPECT_EQ(formatString(u"Avg: %.2f and %f%%", {2.345, 0.5}), u"Avg: 2.35 and 0.500000%");
    EXPECT_EQ(formatString(u"%@ \u2014 %@", {std::u16string(u"a"), std::u16string(u"b")}), u"a \u2014 b");
    // A conversion without an argument of its kind is left as written.
    EXPECT_EQ(formatString(u"%@ %ld %ld", {std::int64_t{3}}), u"%@ 3 %ld");
    EXPECT_EQ(formatString(u"trailing %", {}), u"trailing %");
}

TEST(TextEnumerationTest, wordsSentencesLinesAndParagraphs)
{
    std::u16string text = u"Hello, world! It's 2 o'clock.\r\nNext line\u2028same paragraph\n\nLast";
    auto words = substringRanges(text, TextEnumerationUnit::Words);
    ASSERT_EQ(words.size(), 10u);
    EXPECT_EQ(text.substr(words[2].location, words[2].length), u"It's");
    // Line and paragraph ends close a sentence too.
    EXPECT_EQ(substringRanges(text, TextEnumerationUnit::Sentences).size(), 5u);
    auto lines = substringRanges(text, TextEnumerationUnit::Lines);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(text.substr(lines[1].location, lines[1].length), u"Next line");
    EXPECT_EQ(lines[3].length, 0u);
    EXPECT_EQ(substringRanges(text, TextEnumerationUnit::Paragraphs).size(), 4u);
    EXPECT_TRUE(substringRanges(u"", TextEnumerationUnit::Words).empty());
    EXPECT_TRUE(substringRanges(u"", TextEnumerationUnit::Lines).empty());
}

TEST(StringUtilitiesCaseTest, capitalizedStringTakesWordsBetweenSpaces)
{
    EXPECT_EQ(capitalizedString(u"mcDONALD o'neil\tvan  dyke"), u"Mcdonald O'neil\tVan  Dyke");
    EXPECT_EQ(capitalizedString(u"\u00E9mile-zola"), u"\u00C9mile-zola");
    EXPECT_EQ(capitalizedString(u""), u"");
}

TEST(LocaleIdentifierTest, readsTheEnvironmentAndSortsWithoutCase)
{
    const char* saved = std::getenv("LC_ALL");
    std::string previous = saved ? saved : "";
    setenv("LC_ALL", "de_DE.UTF-8@euro", 1);
    EXPECT_EQ(currentLocaleIdentifier(), "de_DE");
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(currentLocaleIdentifier(), "en_US_POSIX");
    EXPECT_LT(localizedCaseInsensitiveCompare(u"avenir", u"Baskerville"), 0);
    EXPECT_EQ(localizedCaseInsensitiveCompare(u"Cochin", u"cochin"), 0);
    EXPECT_GT(localizedCaseInsensitiveCompare(u"\u00C9lan", u"Eagle"), 0);
    if (saved)
        setenv("LC_ALL", previous.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

} // namespace
} // namespace folio
