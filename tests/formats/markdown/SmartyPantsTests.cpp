#include "formats/markdown/SmartyPants.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(HTMLIsTagTest, recognisesOpeningAndClosingTagsByExactName)
{
    EXPECT_EQ(hoedown_html_is_tag("<pre>", "pre"), HTMLTagKind::Opening);
    EXPECT_EQ(hoedown_html_is_tag("<pre style=\"x\">", "pre"), HTMLTagKind::Opening);
    EXPECT_EQ(hoedown_html_is_tag("</code>", "code"), HTMLTagKind::Closing);
    EXPECT_EQ(hoedown_html_is_tag("</code\n>", "code"), HTMLTagKind::Closing);
    EXPECT_EQ(hoedown_html_is_tag("<PRE>", "pre"), HTMLTagKind::None);
    EXPECT_EQ(hoedown_html_is_tag("<press>", "pre"), HTMLTagKind::None);
    EXPECT_EQ(hoedown_html_is_tag("<pre", "pre"), HTMLTagKind::None);
    EXPECT_EQ(hoedown_html_is_tag("pre>", "pre"), HTMLTagKind::None);
    EXPECT_EQ(hoedown_html_is_tag("<a", "a"), HTMLTagKind::None);
    EXPECT_EQ(hoedown_html_is_tag("<a>", "a"), HTMLTagKind::Opening);
}

TEST(SmartyPantsTest, curlsQuotesByWhatSurroundsThem)
{
    EXPECT_EQ(SmartyPants::filter("\"a\" 'b' (\"c\") [\"d\"]"),
              "&ldquo;a&rdquo; &lsquo;b&rsquo; (&ldquo;c&rdquo;) [&ldquo;d&rdquo;]");
    EXPECT_EQ(SmartyPants::filter("&quot;a&quot; &#39;b&#39;"), "&ldquo;a&rdquo; &lsquo;b&rsquo;");
    EXPECT_EQ(SmartyPants::filter("\"'nested'\""), "&ldquo;&lsquo;nested&rsquo;&rdquo;");
    // A quote on its own between blanks closes.
    EXPECT_EQ(SmartyPants::filter("a \" b"), "a &rdquo; b");
}

TEST(SmartyPantsTest, makesApostrophes)
{
    EXPECT_EQ(SmartyPants::filter("don't James' '90s"), "don&rsquo;t James&rsquo; &rsquo;90s");
    EXPECT_EQ(SmartyPants::filter("caf\xC3\xA9's"), "caf\xC3\xA9&rsquo;s");
}

TEST(SmartyPantsTest, makesDashesAndEllipses)
{
    EXPECT_EQ(SmartyPants::filter("a - b -- c --- d ---- e"), "a - b &ndash; c &mdash; d &mdash;- e");
    EXPECT_EQ(SmartyPants::filter("wait... then. . . no.."), "wait&hellip; then&hellip; no..");
}

TEST(SmartyPantsTest, looksThroughTagsButNotIntoThem)
{
    EXPECT_EQ(SmartyPants::filter("<p title=\"a--b\">x <em>\"y\"</em></p>"),
              "<p title=\"a--b\">x <em>&ldquo;y&rdquo;</em></p>");
    EXPECT_EQ(SmartyPants::filter("<!-- \"c\" -- -->\"d\""), "<!-- \"c\" -- -->&ldquo;d&rdquo;");
    EXPECT_EQ(SmartyPants::filter("a < b -- c"), "a < b &ndash; c");
}

TEST(SmartyPantsTest, leavesCodeLikeElementsAlone)
{
    for (const char* element : {"pre", "code", "kbd", "script", "style", "math"}) {
        const std::string tag(element);
        const std::string inside = "<" + tag + " class=\"x\">\"q\" -- it's...</" + tag + ">";
        EXPECT_EQ(SmartyPants::filter(inside + " \"after\""), inside + " &ldquo;after&rdquo;") << tag;
    }
    EXPECT_EQ(SmartyPants::filter("<code>\"never closed"), "<code>\"never closed");
    // Only the named element counts: <codex> is some other element.
    EXPECT_EQ(SmartyPants::filter("<codex>\"q\"</codex>"), "<codex>&ldquo;q&rdquo;</codex>");
}

// A verbatim element opens only with its exact name followed by ">" or a
// blank; longer names, other cases and a tag cut off at the end are text.
TEST(SmartyPantsTest, opensVerbatimElementsOnlyByTheirExactName)
{
    EXPECT_EQ(SmartyPants::filter("<pre\n>\"q\"</pre>--"), "<pre\n>\"q\"</pre>&ndash;");
    EXPECT_EQ(SmartyPants::filter("<math\tx>'a'</math>"), "<math\tx>'a'</math>");
    EXPECT_EQ(SmartyPants::filter("<scripts>\"q\"</scripts>"), "<scripts>&ldquo;q&rdquo;</scripts>");
    EXPECT_EQ(SmartyPants::filter("<mathematics>--</mathematics>"), "<mathematics>&ndash;</mathematics>");
    EXPECT_EQ(SmartyPants::filter("<Code>\"q\"</Code>"), "<Code>&ldquo;q&rdquo;</Code>");
    EXPECT_EQ(SmartyPants::filter("<kbd-x>--</kbd-x>"), "<kbd-x>&ndash;</kbd-x>");
    EXPECT_EQ(SmartyPants::filter("a -- <code"), "a &ndash; <code");
    EXPECT_EQ(SmartyPants::filter("</code>\"q\""), "</code>&ldquo;q&rdquo;");
}

TEST(SmartyPantsTest, findsPunctuationWhereverItStandsInALongWord)
{
    // Text is searched many bytes at a time for what may change: each such
    // piece stands at every place in and around those blocks, after a
    // letter, so that what it becomes does not depend on where it stands.
    const std::string word = "Supercalifragilisticexpialidociouslyspeaking";
    const struct {
        std::string_view text;
        std::string_view filtered;
    } pieces[] = {{"'", "&rsquo;"}, {"\"", "&rdquo;"}, {"--", "&ndash;"}, {"---", "&mdash;"}, {"...", "&hellip;"},
                  {"-", "-"},      {".", "."},        {"<b>", "<b>"},   {"&amp;", "&amp;"}};
    for (std::size_t at = 1; at <= word.size(); ++at) {
        for (const auto& [text, filtered] : pieces) {
            EXPECT_EQ(SmartyPants::filter(word.substr(0, at) + std::string(text) + word.substr(at)),
                      word.substr(0, at) + std::string(filtered) + word.substr(at))
                << at << " " << text;
        }
    }
}

TEST(SmartyPantsTest, copiesOtherEntitiesWhole)
{
    EXPECT_EQ(SmartyPants::filter("&amp;\"x\" &copy;--&#8617;"), "&amp;&rdquo;x&rdquo; &copy;&ndash;&#8617;");
    EXPECT_EQ(SmartyPants::filter("a & b"), "a & b");
}

} // namespace
} // namespace folio
