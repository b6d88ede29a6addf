#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/LocalizedCollator.h"
#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/TextEnumeration.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>

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

TEST(LocaleIdentifierTest, windowsLanguageNumbersGoBothWaysAndUnknownOnesGiveNothing)
{
    // Word's numbers for the languages it marks most.
    for (auto [number, tag] : {std::pair{1033u, "en-US"}, {2057u, "en-GB"}, {1031u, "de-DE"},
                               {1036u, "fr-FR"}, {2052u, "zh-CN"}, {1041u, "ja-JP"}}) {
        EXPECT_EQ(languageTagForWindowsLanguage(number), tag);
        EXPECT_EQ(windowsLanguageForLanguageTag(tag), number);
    }
    // A number no language has keeps itself, whatever ICU knows.
    for (unsigned number : {1279u, 0xFFFFu})
        EXPECT_EQ(windowsLanguageForLanguageTag(languageTagForWindowsLanguage(number)), number) << number;
    EXPECT_EQ(languageTagForWindowsLanguage(1279), "x-lcid-1279");
    EXPECT_EQ(languageTagForWindowsLanguage(0), "");
    EXPECT_EQ(windowsLanguageForLanguageTag("x-lcid-"), 0u);
    EXPECT_EQ(windowsLanguageForLanguageTag("x-lcid-70000"), 0u);
    EXPECT_EQ(windowsLanguageForLanguageTag(""), 0u);
    EXPECT_EQ(windowsLanguageForLanguageTag("not a tag at all"), 0u);
}

TEST(LocaleIdentifierTest, oneCollatorSortsUtf8AndUtf16Alike)
{
    const char* saved = std::getenv("LC_ALL");
    std::string previous = saved ? saved : "";
    setenv("LC_ALL", "C", 1);
    {
        const LocalizedCollator collator;
        // Case is ignored, as the byte order would not.
        EXPECT_LT(collator.compare(std::string_view("avenir"), std::string_view("Baskerville")), 0);
        EXPECT_LT(collator.compare(std::u16string_view(u"avenir"), std::u16string_view(u"Baskerville")), 0);
        EXPECT_EQ(collator.compare(std::string_view("Cochin"), std::string_view("cochin")), 0);
        // Accents are told apart, and sort after the plain letter, not after "z".
        EXPECT_GT(collator.compare(std::string_view("\xC3\x89lan"), std::string_view("Eagle")), 0);
        EXPECT_LT(collator.compare(std::string_view("\xC3\x89lan"), std::string_view("zebra")), 0);
        EXPECT_LT(collator.compare(std::u16string_view(u"\u00C9lan"), std::u16string_view(u"zebra")), 0);
        EXPECT_GT(collator.compare(std::string_view("zebra"), std::string_view("\xC3\x89lan")), 0);
    }
    if (saved)
        setenv("LC_ALL", previous.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

TEST(DateFormattingTest, templateFieldsFollowTheLocalesOrder)
{
    // Noon UTC, so the day is the same in every time zone the tests run in.
    const std::chrono::system_clock::time_point date =
        std::chrono::sys_days(std::chrono::year(2024) / 3 / 5) + std::chrono::hours(12);
    const std::string american = stringFromDateWithTemplate(date, u"MMMdyyyy", u"MMM d, yyyy", "en_US");
    const std::string german = stringFromDateWithTemplate(date, u"MMMdyyyy", u"MMM d, yyyy", "de_DE");
    EXPECT_LT(american.find("Mar"), american.find("5"));
    EXPECT_NE(american.find("2024"), std::string::npos);
    // German puts the day first and names the month in German.
    EXPECT_LT(german.find("5"), german.find("M\xC3\xA4r"));
    EXPECT_NE(german.find("2024"), std::string::npos);
    // Only the fields asked for: no time of day.
    EXPECT_EQ(american.find("12"), std::string::npos);
}

} // namespace
} // namespace folio
