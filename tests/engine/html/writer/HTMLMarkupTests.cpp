#include "engine/html/writer/HTMLMarkup.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace folio {
namespace {

constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
constexpr std::string_view kInlineTab = "<span style=\"white-space:pre;\">\t</span>";

std::string finished(std::string body, bool convertSpaces = true, bool* sawTab = nullptr)
{
    bool tab = HTMLMarkup::finishBody(body, HTMLTabForm::InlineStyle, convertSpaces);
    if (sawTab)
        *sawTab = tab;
    return body;
}

// Runs of blanks keep their width: every pair becomes a blank and a
// no-break space, counted from the left, an odd blank left as it is.
TEST(HTMLMarkupFinishBody, pairsOfBlanksInTextKeepTheirWidth)
{
    const std::string nbsp(kNoBreakSpace);
    EXPECT_EQ(finished("a b"), "a b");
    EXPECT_EQ(finished("a  b"), "a " + nbsp + "b");
    EXPECT_EQ(finished("a   b"), "a " + nbsp + " b");
    EXPECT_EQ(finished("a    b"), "a " + nbsp + " " + nbsp + "b");
    EXPECT_EQ(finished("  "), " " + nbsp);
    // Blanks on either side of a tag are no pair.
    EXPECT_EQ(finished("a <i> b</i>"), "a <i> b</i>");
    EXPECT_EQ(finished("<i>a  </i>  b"), "<i>a " + nbsp + "</i> " + nbsp + "b");
    EXPECT_EQ(finished("a  b", false), "a  b");
}

// Tabs become spans that keep them, and line separators line breaks, in
// text only; the answer says whether a tab was found.
TEST(HTMLMarkupFinishBody, tabsAndLineSeparatorsOfTextOnly)
{
    bool sawTab = false;
    EXPECT_EQ(finished("a\tb\tc", true, &sawTab), "a" + std::string(kInlineTab) + "b" + std::string(kInlineTab) + "c");
    EXPECT_TRUE(sawTab);
    EXPECT_EQ(finished("one\xE2\x80\xA8two", true, &sawTab), "one<br/>two");
    EXPECT_FALSE(sawTab);
    // Other characters that start with the same byte stay.
    EXPECT_EQ(finished("\xE2\x80\x9Cquoted\xE2\x80\x9D"), "\xE2\x80\x9Cquoted\xE2\x80\x9D");
    EXPECT_EQ(finished("\t"), kInlineTab);
    std::string classForm = "a\tb";
    EXPECT_TRUE(HTMLMarkup::finishBody(classForm, HTMLTabForm::TabSpanClass, true));
    EXPECT_EQ(classForm, "a<span class=\"Apple-tab-span\">\t</span>b");
}

// Attribute values keep their exact text, whatever they hold; only a quote
// right after "=" opens a value, as HTML reads it.
TEST(HTMLMarkupFinishBody, attributeValuesKeepTheirExactText)
{
    bool sawTab = true;
    std::string tagOnly = "<span title=\"a  b\tc > d\xE2\x80\xA8\" lang='x  >  y'>z</span>";
    EXPECT_EQ(finished(tagOnly, true, &sawTab), tagOnly);
    EXPECT_FALSE(sawTab);
    EXPECT_EQ(finished("<span title = \"x\">a  b</span>"), "<span title = \"x\">a " + std::string(kNoBreakSpace) + "b</span>");
    // A quote that follows no "=" opens nothing: the ">" after it ends the tag.
    EXPECT_EQ(finished("<x 'y>  z"), "<x 'y> " + std::string(kNoBreakSpace) + "z");
    // A value never closed holds the rest of the body.
    EXPECT_EQ(finished("<x y=\"a>  b\tc"), "<x y=\"a>  b\tc");
    EXPECT_EQ(finished("<x y='\"'>\t"), "<x y='\"'>" + std::string(kInlineTab));
}

// The body is searched several bytes at a time: what is replaced is found
// at every place, a pair split between two such steps included, and what
// a tag holds is left at every place too.
TEST(HTMLMarkupFinishBody, findsWhatItReplacesAtEveryPlace)
{
    const std::string nbsp(kNoBreakSpace);
    const std::string tab(kInlineTab);
    const std::pair<std::string, std::string> cases[] = {
        {"  ", " " + nbsp},
        {"   ", " " + nbsp + " "},
        {"\t", tab},
        {"\xE2\x80\xA8", "<br/>"},
        {"\xE2\x80\x9C", "\xE2\x80\x9C"},
        {" ", " "},
        {"<b title=\"a  >\t\">", "<b title=\"a  >\t\">"},
        {"<b t='  '\t x = \"\t\">", "<b t='  '\t x = \"\t\">"},
    };
    for (const auto& [piece, replaced] : cases) {
        for (std::size_t before = 0; before < 18; ++before) {
            for (std::size_t after : {std::size_t(0), std::size_t(1), std::size_t(9)}) {
                const std::string head(before, 'x');
                const std::string tail(after, 'y');
                EXPECT_EQ(finished(head + piece + tail), head + replaced + tail)
                    << "\"" << piece << "\" after " << before << " bytes, before " << after;
            }
        }
    }
}

// A NUL byte in the body, in text or in a tag, is left as it stands and
// ends no search: what follows it is still finished.
TEST(HTMLMarkupFinishBody, nulBytesAreLeftAndSearchedPast)
{
    using namespace std::string_literals;
    const std::string nbsp(kNoBreakSpace);
    EXPECT_EQ(finished("a\0  b\0"s), "a\0 "s + nbsp + "b\0"s);
    EXPECT_EQ(finished("<x\0 y=\"\0>\"\0>\t"s), "<x\0 y=\"\0>\"\0>"s + std::string(kInlineTab));
    EXPECT_EQ(finished("\0"s), "\0"s);
}

// Text keeps every character but markup, which is escaped, and the control
// characters HTML may not hold, which go; an unpaired surrogate becomes the
// replacement character.
TEST(HTMLMarkupAppendText, keepsTextEscapingMarkupAndDroppingControls)
{
    std::string html = "<p>";
    HTMLMarkup::appendText(html, u"a<b&c>d\u0001e\tf\n\r\U0001F600 \u00E9\u201C\uFEFF");
    EXPECT_EQ(html, "<p>a&#60;b&amp;c>de\tf\n\r\xF0\x9F\x98\x80 \xC3\xA9\xE2\x80\x9C\xEF\xBB\xBF");
    std::u16string lone = u"x";
    lone += static_cast<char16_t>(0xD800);
    lone += u"<";
    html.clear();
    HTMLMarkup::appendText(html, lone);
    EXPECT_EQ(html, "x\xEF\xBF\xBD&#60;");
    html.clear();
    HTMLMarkup::appendText(html, u"");
    EXPECT_EQ(html, "");
}

// Plain text is copied several characters at a time: a character that
// needs escaping, dropping or encoding is found wherever it stands among
// them, and characters that only look alike in one byte are not taken for it.
TEST(HTMLMarkupAppendText, findsEveryCharacterNeedingWorkAtEveryPlace)
{
    auto expected = [](char16_t c) -> std::string {
        if (c == u'<')
            return "&#60;";
        if (c == u'&')
            return "&amp;";
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return "";
        return toUtf8(std::u16string(1, c));
    };
    const char16_t characters[] = {0x00,  0x08,  0x09,  0x0A,   0x0D,   0x1F,   0x20,   0x21,   0x25,
                                   0x26,  0x27,  0x3B,  0x3C,   0x3D,   0x7E,   0x7F,   0x80,   0xA0,
                                   0x126, 0x13C, 0x2026, 0x263C, 0x3C00, 0x2028, 0xFEFF, 0xFF3C};
    for (char16_t c : characters) {
        for (std::size_t at = 0; at < 11; ++at) {
            std::u16string text(11, u'a');
            text[at] = c;
            text += u"bcdefgh";
            std::string html = "<p>";
            HTMLMarkup::appendText(html, text);
            EXPECT_EQ(html, "<p>" + std::string(at, 'a') + expected(c) + std::string(10 - at, 'a') + "bcdefgh")
                << "U+" << std::hex << static_cast<unsigned>(c) << " at " << at;
        }
    }
}

// Text of any length is copied in blocks with a shorter rest: a character
// that needs work is found wherever it stands, in a block or in the rest,
// and so is the second blank of a pair, also when the pair spans two blocks
// or its first blank was written before the text.
TEST(HTMLMarkupAppendBody, findsEveryCharacterNeedingWorkInTextsOfEveryLength)
{
    const std::string nbsp(kNoBreakSpace);
    auto expected = [&](char16_t c) -> std::string {
        if (c == u'<')
            return "&#60;";
        if (c == u'&')
            return "&amp;";
        if (c == u'\t')
            return std::string(kInlineTab);
        if (c < 0x20 && c != u'\n' && c != u'\r')
            return "";
        return toUtf8(std::u16string(1, c));
    };
    const char16_t characters[] = {0x00, 0x0A, 0x1F, 0x09, 0x3C, 0x26, 0x7F, 0x80, 0xBC, 0x13C, 0x3C00, 0x8026, 0xFF20};
    for (std::size_t length = 1; length <= 40; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            for (char16_t c : characters) {
                std::u16string text(length, u'a');
                text[at] = c;
                std::string html = "<p>";
                HTMLBodyFinish finish;
                HTMLMarkup::appendBodyText(html, text, false, finish);
                EXPECT_EQ(html, "<p>" + std::string(at, 'a') + expected(c) + std::string(length - at - 1, 'a'))
                    << "U+" << std::hex << static_cast<unsigned>(c) << " at " << std::dec << at << " of " << length;
            }
            // A pair of blanks ending at `at`, its first blank written
            // before the text when `at` is 0.
            std::u16string text(length, u'b');
            text[at] = u' ';
            std::string html = "<p>";
            if (at == 0)
                html += ' ';
            else
                text[at - 1] = u' ';
            HTMLBodyFinish finish;
            HTMLMarkup::appendBodyText(html, text, false, finish);
            const std::string before = at == 0 ? "<p> " : "<p>" + std::string(at - 1, 'b') + " ";
            EXPECT_EQ(html, before + nbsp + std::string(length - at - 1, 'b')) << "pair at " << at << " of " << length;
        }
    }
}

// Leaving the placeholders out writes what the pieces between them write,
// wherever they stand: among ASCII, among other characters, at either end,
// side by side, and between the halves of a surrogate pair.
TEST(HTMLMarkupAppendText, withoutPlaceholdersWritesThePiecesBetweenThem)
{
    std::u16string split = u"a\U0001F600b";
    split.insert(2, 1, u'\uFEFF');
    const std::u16string texts[] = {u"\uFEFFitem <one>", u"caf\u00E9\uFEFF\u00E9 & x", u"\uFEFF\uFEFF", u"", u"plain",
                                    u"\u2028\uFEFF\u2028\uFEFF", split};
    for (const std::u16string& text : texts) {
        std::string pieces;
        std::size_t start = 0;
        for (std::size_t found; (found = text.find(u'\uFEFF', start)) != std::u16string::npos; start = found + 1)
            HTMLMarkup::appendText(pieces, std::u16string_view(text).substr(start, found - start));
        HTMLMarkup::appendText(pieces, std::u16string_view(text).substr(start));
        std::string html = "<p>";
        HTMLMarkup::appendTextWithoutPlaceholders(html, text);
        EXPECT_EQ(html, "<p>" + pieces) << toUtf8(text);
        EXPECT_EQ(html.find("\xEF\xBB\xBF"), std::string::npos);
    }
}

// Writing a body finished as it goes leaves what writing it plainly and
// finishing it afterwards leaves, wherever blanks, tabs, line separators,
// dropped characters and pieces of markup stand: text and markup are mixed
// at random from characters that each take another path.
TEST(HTMLMarkupAppendBody, writesWhatFinishingThePlainBodyLeaves)
{
    const char16_t alphabet[] = {u' ', u' ', u' ', u'a', u'b', u'\t', u'\u2028', u'\uFEFF', 0x0001, u'<',
                                 u'&', u'\u00E9', u'\n', 0xD83D, 0xDE00, u'\u2029'};
    const std::string markups[] = {"<i>", "</i>", "<sup>1</sup> ", " ", "  ", "<b t='a  b\t'>x\ty</b>",
                                   "a\xE2\x80\xA8 ", "\t"};
    std::mt19937 random(22);
    for (int round = 0; round < 3000; ++round) {
        const bool convertSpaces = round % 3 != 0;
        const bool drops = round % 2 == 0;
        const HTMLTabForm form = round % 5 == 0 ? HTMLTabForm::TabSpanClass : HTMLTabForm::InlineStyle;
        HTMLBodyFinish finish{form, convertSpaces};
        std::string plain = "<p>";
        std::string streamed = "<p>";
        std::string described;
        const int pieces = 1 + static_cast<int>(random() % 5);
        for (int piece = 0; piece < pieces; ++piece) {
            if (random() % 3 == 0) {
                const std::string& markup = markups[random() % std::size(markups)];
                plain += markup;
                HTMLMarkup::appendBodyMarkup(streamed, markup, finish);
                described += "[" + markup + "]";
                continue;
            }
            // Mostly letters and blanks, so that long plain stretches and
            // pairs of blanks stand at every place in them too.
            std::u16string text(random() % 41, u'a');
            for (char16_t& c : text)
                c = random() % 5 == 0 ? alphabet[random() % std::size(alphabet)] : u" ab"[random() % 3];
            if (drops)
                HTMLMarkup::appendTextWithoutPlaceholders(plain, text);
            else
                HTMLMarkup::appendText(plain, text);
            HTMLMarkup::appendBodyText(streamed, text, drops, finish);
            for (char16_t c : text)
                described += c < 0x80 ? std::string(1, static_cast<char>(c)) : "U+" + std::to_string(c) + " ";
            described += "|";
        }
        const bool sawTab = HTMLMarkup::finishBody(plain, form, convertSpaces);
        ASSERT_EQ(streamed, plain) << described << " blanks paired: " << convertSpaces;
        EXPECT_EQ(finish.sawTab, sawTab) << described;
    }
}

} // namespace
} // namespace folio
