#include "formats/markdown/RenderedMarkdownSanitizer.h"

#include "engine/html/HTMLSanitizer.h"
#include "formats/markdown/BKDMarkdown.h"
#include "platform/foundation/Unicode.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <random>

namespace folio {
namespace {

constexpr auto kExport = HTMLSanitizer::Use::Export;
constexpr auto kReferences = HTMLSanitizer::Characters::References;

std::string rendered(std::string_view markdown)
{
    return BKDMarkdown(toUtf16(markdown)).utf8HTML();
}

std::string fullySanitized(std::string_view html)
{
    return HTMLSanitizer::sanitizedHTML(html, kExport, kReferences);
}

// Every construct the renderer writes, with the characters and references
// the sanitiser rewrites and links it refuses.
const char* const kRendererOnlyDocuments[] = {
    "# Head \"one\" -- two\n\n## Sub 'x'... y\n\nText *em* **strong** ***both*** ~~gone~~ ==lit== ^up^ _under_.\n",
    "- a\n- b\n    1. c\n    2. d\n\n> quote *x*\n> > inner\n\n***\n\nLine  \nbreak\n",
    "```c\nint a = \"q\" < 3 && b;\n```\n\n    indented 'code' -- x\n\nInline `a < \"b\"` code.\n",
    "| L | C | R |\n|:--|:-:|--:|\n| a_b | \"c\" | d--e |\n| 1 | 2 | 3 |\n",
    "See [t](http://e.org/a_(b)?x=1&y='2' \"T 'q' & <x>\") ![alt \"a\"](pic%20one.png \"p\") <http://a.org/x> "
    "<me@example.com> www.e.org/x_y.\n",
    "Bad [js](javascript:alert(1)), ![far](http://evil.example/x.png), ![abs](/etc/passwd), [up](../x.html), "
    "[file](file:///etc/passwd).\n",
    "Caf\xC3\xA9 \xE2\x80\x9Csmart\xE2\x80\x9D \xE2\x80\x94 \xE6\xBC\xA2 \xF0\x9F\x98\x80 \xC3\xBC\xC4\x89 x.\n",
    "Note[^1] and more[^2].\n\n[^1]: First \"note\".\n[^2]: Second with `code`.\n",
    "",
};

TEST(RenderedMarkdownSanitizerTest, writesWhatTheFullSanitiserWritesForRenderedMarkup)
{
    for (const char* document : kRendererOnlyDocuments) {
        SCOPED_TRACE(document);
        const std::string html = rendered(document);
        const std::optional<std::string> fast = RenderedMarkdownSanitizer::sanitizedHTML(html, kExport, kReferences);
        ASSERT_TRUE(fast.has_value());
        EXPECT_EQ(*fast, fullySanitized(html));
    }
}

TEST(RenderedMarkdownSanitizerTest, agreesWithTheFullSanitiserOnEverySeedItAccepts)
{
    const std::filesystem::path folder = std::filesystem::path(FOLIO_TEST_DATA_DIR) / "fuzz-corpus" / "markdown";
    int accepted = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::string html = rendered(testing_support::readFile(entry.path().string()));
        if (std::optional<std::string> fast = RenderedMarkdownSanitizer::sanitizedHTML(html, kExport, kReferences)) {
            EXPECT_EQ(*fast, fullySanitized(html));
            ++accepted;
        }
    }
    EXPECT_GE(accepted, 3);
}

// Documents pieced together at random from every construct, typed-in markup
// among them: whatever the one-pass writer accepts, it writes as the full
// sanitiser does. The generator is seeded, so a failure repeats.
TEST(RenderedMarkdownSanitizerTest, agreesWithTheFullSanitiserOnGeneratedDocuments)
{
    const char* const pieces[] = {"`x` ", "``y`` ", "a_b ", "_c_ ", "*d* ", "**e** ", "***f*** ", "~~g~~ ", "==h== ", "^i^ ",
        "[j](http://k.l/m_n?o=1&p='q' \"t 'u'\") ", "![v](w.png \"x\") ", "<http://y.z/> ", "<a@b.c> ", "www.d.e/f ",
        "\"q\" ", "'s' ", "-- ", "--- ", "... ", "caf\xC3\xA9 ", "\xE2\x80\x9C", "\xE4\xB8\xAD ", "\xF0\x9F\x98\x80 ",
        "&amp; ", "& ", "< ", "> ", "\n", "\n\n", "# H\n", "## H2 \"x\"\n", "- li\n", "1. ol\n", "    - nested\n",
        "> bq\n", "```c\ncode \"x\" <y>\n```\n", "    indented\n", "| a | b |\n|---|:-:|\n| c | d |\n", "***\n",
        "line  \nbreak ", "x[^1] ", "\n[^1]: note \"n\"\n", "[ref][r] ", "\n[r]: http://r.s \"T\"\n", "\\* ", "\\_ ",
        "[javascript](javascript:alert(1)) ", "![far](http://x.y/z.png) ", "[up](../a) ", "$x_1$ ", "x^2^ ", "#tag ",
        "* [ ] task\n", "+ plus\n", "\t tab ", "http://bare.org/a_b ", "mail@x.org ", "(\"paren\") ", "[\"b\"] ", "<b>x</b> ", "<div>d</div>\n", "<span style=\"color:red\">s</span> ", "<script>a()</script>", "<p>p</p>", "<br>", "<a href=\"x\">y</a> ", "&copy; ", "&#169; ", "<!-- c -->", "<em>", "</em>", "<img src=\"a.png\">", "<sup>1</sup>", "<code>c</code>", "<table><tr><td>x</td></tr></table>\n", "<pre>\nx</pre>\n", "<li>x</li>\n", "<a href=\"javascript:x\">j</a> "};
    std::mt19937 random(22);
    int accepted = 0;
    for (int document = 0; document < 3000; ++document) {
        std::string markdown;
        const int count = 1 + static_cast<int>(random() % 40);
        for (int piece = 0; piece < count; ++piece)
            markdown += pieces[random() % std::size(pieces)];
        SCOPED_TRACE(markdown);
        const std::string html = rendered(markdown);
        if (std::optional<std::string> fast = RenderedMarkdownSanitizer::sanitizedHTML(html, kExport, kReferences)) {
            ASSERT_EQ(*fast, fullySanitized(html));
            ++accepted;
        }
    }
    // Typed-in markup declines most documents; the rest must still be many.
    EXPECT_GE(accepted, 200);
}

TEST(RenderedMarkdownSanitizerTest, refusedLinksLoseTheirTargetsAndKeepTheirText)
{
    const std::optional<std::string> fast = RenderedMarkdownSanitizer::sanitizedHTML(
        rendered("[run](javascript:alert(1)) ![x](http://evil.example/x.png)"), kExport, kReferences);
    ASSERT_TRUE(fast.has_value());
    EXPECT_EQ(fast->find("javascript"), std::string::npos);
    EXPECT_EQ(fast->find("evil.example"), std::string::npos);
    EXPECT_NE(fast->find(">run</a>"), std::string::npos);
}

// Each style is checked once and its written form reused: a repeated style
// must come out as the full sanitiser writes it every time, each element
// keeping its own, and a style it refuses must stay refused on every element.
TEST(RenderedMarkdownSanitizerTest, writesEveryRepeatedStyleAsTheFullSanitiserDoes)
{
    const std::string far = "background-image: url(http://evil.example/x.png);color: red";
    std::string html = "<table style=\"margin: 15px\">\n<tbody>\n";
    for (const char* align : {"left", "right", "left", "center", "right"}) {
        html += "<tr style=\"background-color: #f2f2f2\">\n<td style=\"text-align: ";
        html += align;
        html += ";\">x</td>\n<td style=\"" + far + "\">y</td>\n</tr>\n";
    }
    html += "</tbody>\n</table>\n<p>z <code style=\"" + far + "\">c</code></p>\n";
    html += "<pre style=\"" + far + "\"><code>d</code></pre>\n";

    const std::optional<std::string> fast = RenderedMarkdownSanitizer::sanitizedHTML(html, kExport, kReferences);
    ASSERT_TRUE(fast.has_value());
    EXPECT_EQ(*fast, fullySanitized(html));
    EXPECT_EQ(fast->find("evil.example"), std::string::npos);
    const auto count = [&](std::string_view needle) {
        std::size_t found = 0;
        for (std::size_t at = fast->find(needle); at != std::string::npos; at = fast->find(needle, at + 1))
            ++found;
        return found;
    };
    EXPECT_EQ(count("text-align: right"), 2u);
    EXPECT_EQ(count("text-align: center"), 1u);
    EXPECT_EQ(count("color: red"), 7u);

    // A style that is no plain text declines the page wherever it stands.
    EXPECT_FALSE(RenderedMarkdownSanitizer::sanitizedHTML(html + "<p style=\"color: red\x01\">w</p>", kExport,
                                                          kReferences)
                     .has_value());
}

// A text is written as it stands only when none of its bytes would be
// rewritten, wherever the first such byte stands in it.
TEST(RenderedMarkdownSanitizerTest, rewritesATextWhereverItsFirstSpecialCharacterStands)
{
    const char* const pages[] = {
        "<p>a > b</p>\n", "<p>> first</p>\n", "<p>last ></p>\n", "<p>caf\xC3\xA9 au lait</p>\n",
        "<p>\xC3\xA9t\xC3\xA9 &amp; x > y</p>\n", "plain > text at the end", "<p>x</p>\n\xE2\x80\x94",
    };
    for (const char* html : pages) {
        SCOPED_TRACE(html);
        const std::optional<std::string> fast = RenderedMarkdownSanitizer::sanitizedHTML(html, kExport, kReferences);
        ASSERT_TRUE(fast.has_value());
        EXPECT_EQ(*fast, fullySanitized(html));
        EXPECT_NE(*fast, html);
    }
}

TEST(RenderedMarkdownSanitizerTest, findsEachSpecialByteAtEveryPlaceOfALongText)
{
    // Text is searched many bytes at a time: a byte that is rewritten, ends
    // the text or makes it refused stands at every place in and around
    // those blocks, and the tab and line feed kept as they are beside it.
    const std::string ascii = "The quick brown fox jumps over the lazy dog again";
    const std::string_view rewritten[] = {">", "\"", "\xC3\xA9", "\xE2\x80\x94", "&amp;", "<em>x</em>", "\t", "\n"};
    const std::string_view refused[] = {"\r", "\x7F", "\x01", "\xC2\x85"};
    for (std::size_t at = 0; at <= ascii.size(); ++at) {
        for (std::string_view special : rewritten) {
            const std::string html = "<p>" + ascii.substr(0, at) + std::string(special) + ascii.substr(at) + "\t</p>\n";
            const std::optional<std::string> fast = RenderedMarkdownSanitizer::sanitizedHTML(html, kExport, kReferences);
            ASSERT_TRUE(fast.has_value()) << html;
            EXPECT_EQ(*fast, fullySanitized(html)) << html;
        }
        for (std::string_view special : refused) {
            const std::string html = "<p>" + ascii.substr(0, at) + std::string(special) + ascii.substr(at) + "</p>\n";
            EXPECT_EQ(RenderedMarkdownSanitizer::sanitizedHTML(html, kExport, kReferences), std::nullopt) << html;
        }
    }
}

TEST(RenderedMarkdownSanitizerTest, declinesMarkupThatNeedsABrowsersParse)
{
    const char* const declined[] = {
        "<p>typed <span>markup</span></p>",          // an element the renderer never writes
        "<p>a &copy; b</p>",                          // a reference of the document's own
        "<p>a\r\nb</p>",                              // a carriage return
        "<p>x <a href=\"a\">y <a href=\"b\">z</a></a></p>", // a link in a link
        "<p>x <blockquote>y</blockquote></p>",        // a block in a paragraph
        "<li>item</li>",                              // an item outside a list
        "<ul>text<li>x</li></ul>",                    // text between items
        "<table><tr><td>x</td></tr></table>",         // a row outside a section
        "<p>unclosed",                                // an element never closed
        "<p>x</em></p>",                              // an end tag of no open element
        "<pre>\nx</pre>",                             // a line feed a browser drops
        "<p title=\"a\nb\">x</p>",                    // a line feed in a value
        "<p id=\"a\" id=\"b\">x</p>",                 // an attribute given twice
        "<br/>",                                      // a self-closing tag
        "<p>bad \xC3 byte</p>",                       // broken UTF-8
        "<p><a href=\"a\x01\xC3\">x</a></p>",           // a control character and broken UTF-8 in a value
    };
    for (const char* html : declined) {
        SCOPED_TRACE(html);
        EXPECT_FALSE(RenderedMarkdownSanitizer::sanitizedHTML(html, kExport, kReferences).has_value());
    }
    // Markup typed into a document declines the whole document.
    EXPECT_FALSE(RenderedMarkdownSanitizer::sanitizedHTML(rendered("a <b>bold</b> c\n\n<div>x</div>\n"), kExport,
                                                          kReferences)
                     .has_value());
}

} // namespace
} // namespace folio
