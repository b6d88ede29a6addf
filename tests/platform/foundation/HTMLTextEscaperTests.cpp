#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(HTMLTextEscaperTest, escapesMarkupAndBothQuotes)
{
    EXPECT_EQ(HTMLTextEscaper::escape(std::string_view("<b>Tom & \"Jerry\" 'n'</b>")),
              "&lt;b&gt;Tom &amp; &quot;Jerry&quot; &#39;n&#39;&lt;/b&gt;");
    // An existing entity is text too, and is escaped again.
    EXPECT_EQ(HTMLTextEscaper::escape(std::string_view("&amp;")), "&amp;amp;");
    EXPECT_EQ(HTMLTextEscaper::escape(std::string_view("")), "");
}

TEST(HTMLTextEscaperTest, escapesEachCharacterWhereverItStandsInALongText)
{
    // UTF-8 text is searched many bytes at a time: each replaced character,
    // alone and two together, stands at every place in and around a block.
    const std::string text = "Some ordinary words, then more of them: \xC3\xA9t\xC3\xA9 again";
    const struct {
        std::string_view character;
        std::string_view replacement;
    } replaced[] = {{"&", "&amp;"}, {"<", "&lt;"}, {">", "&gt;"}, {"\"", "&quot;"}, {"'", "&#39;"}};
    for (std::size_t at = 0; at <= text.size(); ++at) {
        for (const auto& [character, replacement] : replaced) {
            const std::string one = text.substr(0, at) + std::string(character) + text.substr(at);
            EXPECT_EQ(HTMLTextEscaper::escape(std::string_view(one)),
                      text.substr(0, at) + std::string(replacement) + text.substr(at))
                << at;
            const std::string two = one + std::string(character);
            EXPECT_EQ(HTMLTextEscaper::escape(std::string_view(two)),
                      text.substr(0, at) + std::string(replacement) + text.substr(at) + std::string(replacement))
                << at;
        }
    }
}

TEST(HTMLTextEscaperTest, keepsOtherTextUnchangedInBothEncodings)
{
    std::string text = "caf\xC3\xA9 \xF0\x9F\x98\x80 line\nbreak";
    EXPECT_EQ(HTMLTextEscaper::escape(std::string_view(text)), text);
    EXPECT_EQ(HTMLTextEscaper::escape(std::u16string_view(u"\u00e9<\U0001F600>")), u"\u00e9&lt;\U0001F600&gt;");
}

TEST(HTMLTextEscaperTest, appendsAfterWhatIsWritten)
{
    std::u16string html = u"<a title=\"";
    HTMLTextEscaper::append(html, u"x<y & 'z'\u00e9");
    HTMLTextEscaper::append(html, u"");
    HTMLTextEscaper::append(html, u"\"");
    EXPECT_EQ(html, u"<a title=\"x&lt;y &amp; &#39;z&#39;\u00e9&quot;");

    // UTF-8 onto UTF-8: the same escapes, multi-byte characters whole.
    std::string utf8 = "<p>";
    HTMLTextEscaper::append(utf8, std::string_view("x<y & 'z'\xC3\xA9"));
    HTMLTextEscaper::append(utf8, std::string_view("\""));
    EXPECT_EQ(utf8, "<p>x&lt;y &amp; &#39;z&#39;\xC3\xA9&quot;");
}

TEST(HTMLTextEscaperTest, appendsDocumentTextToUtf8HTMLAsTheUtf16FormReads)
{
    // Escapes next to characters of every UTF-8 length, at both ends.
    const std::u16string text = u"<\u00e9&\u20AC\"\U0001F600'x>";
    std::string html = "<a title=\"";
    HTMLTextEscaper::append(html, text);
    HTMLTextEscaper::append(html, u"");
    EXPECT_EQ(html, "<a title=\"&lt;\xC3\xA9&amp;\xE2\x82\xAC&quot;\xF0\x9F\x98\x80&#39;x&gt;");
    EXPECT_EQ(html.substr(10), toUtf8(HTMLTextEscaper::escape(std::u16string_view(text))));
}

// Stretches of ASCII and of other characters alternate in every way; a
// surrogate left alone, next to ASCII, an escape or the end, reads as the
// UTF-8 encoder writes it, and a pair between ASCII stays one character.
TEST(HTMLTextEscaperTest, appendsMixedStretchesAndLoneSurrogatesAsTheUtf16FormReads)
{
    const char16_t high = 0xD83D;
    const char16_t low = 0xDE00;
    const std::u16string texts[] = {
        std::u16string(u"ab") + high + u"cd",         std::u16string(u"<") + high,
        std::u16string(1, low) + u"'x",               std::u16string(u"x") + high + low + u"y" + low + high,
        u"style=\"font-family:'A','B';\" \u00e9\u00e9 ok", std::u16string(1, high) + u"&" + low};
    for (const std::u16string& text : texts) {
        std::string html = "<p title=\"";
        HTMLTextEscaper::append(html, text);
        EXPECT_EQ(html, "<p title=\"" + toUtf8(HTMLTextEscaper::escape(std::u16string_view(text))));
    }
}

} // namespace
} // namespace folio
