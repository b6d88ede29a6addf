#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/html/writer/HTMLPageLanguages.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEScriptAttributes.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/MutableAttributedString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

// A run's languages: its words', its East Asian and its complex-script
// letters'; "" for none.
struct RunLanguages {
    std::u16string words;
    std::u16string eastAsian;
    std::u16string complexScript;
};

MutableAttributedString textOfRuns(const std::vector<std::pair<std::u16string, RunLanguages>>& runs)
{
    MutableAttributedString text;
    for (const auto& [words, languages] : runs) {
        std::vector<AttributeDictionary::Entry> entries;
        if (!languages.words.empty())
            entries.emplace_back(AttributeKey(kCTLanguageAttributeName), StringValue::make(languages.words));
        if (!languages.eastAsian.empty())
            entries.emplace_back(AttributeKey(TEEastAsianLanguageAttribute), StringValue::make(languages.eastAsian));
        if (!languages.complexScript.empty())
            entries.emplace_back(AttributeKey(TEComplexScriptLanguageAttribute), StringValue::make(languages.complexScript));
        text.appendString(words, AttributeDictionary::make(std::move(entries)));
    }
    return text;
}

std::string languagesAt(const AttributedString& text, std::size_t index)
{
    AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
    auto value = [&](std::string_view key) {
        const auto* language = attributes ? attributes->valueForKeyAs<StringValue>(key) : nullptr;
        return language ? toUtf8(language->value()) : std::string();
    };
    return value(kCTLanguageAttributeName) + " / " + value(TEEastAsianLanguageAttribute) + " / " +
        value(TEComplexScriptLanguageAttribute);
}

std::size_t occurrences(const std::string& html, const std::string& word)
{
    std::size_t count = 0;
    for (std::size_t at = html.find(word); at != std::string::npos; at = html.find(word, at + 1))
        ++count;
    return count;
}

// The editing page's HTML, inside the element that says the most used
// languages, read back as a save reads it: every character has the
// languages it had, and the page names a language only where a run's
// differs from those.
TEST(HTMLPageLanguagesTest, theSaveReadsEveryRunsLanguagesFromThePageThatSaysTheMostUsedOnce)
{
    const RunLanguages english{u"en-US", u"zh-CN", u"hi-IN"};
    struct Case {
        const char* name;
        std::vector<std::pair<std::u16string, RunLanguages>> runs;
        // Runs the page names languages on.
        std::size_t runsNamingLanguages;
    };
    const std::vector<Case> cases{
        {"one language", {{u"one ", english}, {u"two\n", english}, {u"three", english}}, 0},
        {"a word in another",
         {{u"one ", english}, {u"deux", {u"fr-FR", u"zh-CN", u"hi-IN"}}, {u" three\nfour", english}}, 1},
        {"a run of none", {{u"one ", english}, {u"none", {}}, {u" three\nfour", english}}, 1},
        {"another East Asian language alone",
         {{u"one ", english}, {u"two", {u"en-US", u"ja-JP", u"hi-IN"}}, {u" three\nfour", english}}, 1},
        {"a private-use number among words",
         {{u"one ", english}, {u"two", {u"x-lcid-1279", u"zh-CN", u"hi-IN"}}, {u" three\nfour", english}}, 1},
        {"mostly a private-use number",
         {{u"one two three ", {u"x-lcid-1279", u"", u""}}, {u"four", english}, {u" five\nsix", {}}}, 3},
        {"no languages at all", {{u"one\ntwo", {}}}, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const MutableAttributedString text = textOfRuns(test.runs);
        TEHTMLWriterSettings settings;
        settings.keepsBlanksEndingLines = true;
        settings.inheritedLanguages = HTMLPageLanguages::mostUsed(text);
        const std::string fragment = htmlData(text, settings);
        const std::size_t named = occurrences(fragment, "<span data-") + occurrences(fragment, "<span lang=");
        EXPECT_EQ(named, test.runsNamingLanguages) << fragment;

        const std::string page =
            "<div id=\"paragraph\"" + settings.inheritedLanguages.elementAttributesMarkup() + ">" + fragment + "</div>";
        std::optional<AttributedString> saved = attributedStringWithHTMLData(page);
        ASSERT_TRUE(saved.has_value());
        ASSERT_EQ(toUtf8(saved->string().substr(0, text.length())), toUtf8(text.string()));
        for (std::size_t index = 0; index < text.length(); ++index) {
            if (text.string()[index] == u'\n')
                continue;
            EXPECT_EQ(languagesAt(*saved, index), languagesAt(text, index)) << "at " << index << " in " << page;
        }
    }
}

TEST(HTMLPageLanguagesTest, theMostUsedAreCountedByCharacters)
{
    const MutableAttributedString text = textOfRuns({{u"a", {u"de-DE", u"", u"ar-SA"}},
                                                     {u"longer words", {u"fr-FR", u"ja-JP", u""}},
                                                     {u"bc", {u"de-DE", u"", u"ar-SA"}}});
    const HTMLPageLanguages languages = HTMLPageLanguages::mostUsed(text);
    EXPECT_EQ(toUtf8(languages.language), "fr-FR");
    EXPECT_EQ(toUtf8(languages.eastAsianLanguage), "ja-JP");
    EXPECT_EQ(toUtf8(languages.complexScriptLanguage), "");
    EXPECT_EQ(languages.elementAttributesMarkup(), " data-east-asian-lang=\"ja-JP\" lang=\"fr-FR\"");
    EXPECT_TRUE(HTMLPageLanguages::mostUsed(textOfRuns({{u"plain", {}}})).isEmpty());
}

} // namespace
} // namespace folio
