#include "formats/markdown/BKDMarkdown.h"
#include "formats/markdown/MarkdownPrepass.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::string htmlWith(std::string_view markdown, std::uint64_t extensions)
{
    BKDMarkdown converter(toUtf16(markdown));
    converter.setExtensions(extensions);
    return toUtf8(converter.html());
}

// The underline marks may only turn <em> into <u>; the parse must stay the same.
TEST(MarkdownPrepassTest, underlineMarksNeverChangeTheParse)
{
    const char* const texts[] = {
        "_a_ b_c_d _e _f_ g_ __h__ ___i___ _j__ k_",
        "a_b `c_d` _e_ <span class=\"x_y\">z_</span> [l_m](http://q_r/s_t) _u_",
        "http://x.com/a_b_c and www.y_z.com/_q_ and a@b_c.com and <a_b@c_d.org>",
        "* _a_\n* _b\n  c_\n\n> _quoted\n> text_",
        "_\xC3\xA9t\xC3\xA9_ _1_ (_x_) \"_y_\" _*z*_ *_w_*",
        "| a_b | _c_ |\n|---|---|\n| _d_ | e_f |",
        "_a [b](c) d_ and _[e](f)_ and [_g_](h_i)",
        "[x_y]: http://a_b\n\n[link][x_y] and _z_",
        "\\_a_ _b\\_ c_",
        "``a_b`` ` _c_ ` _d`_`e_",
        "`a_b\nc_d` _e_ `` `f_g` `` _h_",
        "`a_b\n\nc_d` _e_",
        "``a_b` _c_ `d_e``",
        "` _a_ `` _b_ ``` _c_",
        "_a\n\nb_",
        "f(_x_, _y_) 2_3_4",
        "word_one_ two abc_ _def x9_y_z_ (http://a_b.com/_c_) snake_case_name_ a_\\_b_",
        "```\n_fenced_\n```\n\n    _indented_\n\n_after_",
    };
    const std::uint64_t withoutUnderline = kMarkdownDefaultExtensions & ~kMarkdownExtensionUnderline;
    for (const char* text : texts) {
        const std::string underlined = htmlWith(text, kMarkdownDefaultExtensions);
        EXPECT_EQ(replaceAll(replaceAll(underlined, "<u>", "<em>"), "</u>", "</em>"), htmlWith(text, withoutUnderline))
            << text;
    }
}

TEST(MarkdownPrepassTest, extensionBitsSwitchTheMarksOff)
{
    EXPECT_EQ(htmlWith("_u_", kMarkdownDefaultExtensions & ~kMarkdownExtensionUnderline), "\n<p><em>u</em></p>\n");
    EXPECT_EQ(htmlWith("#Tag", kMarkdownDefaultExtensions & ~kMarkdownExtensionSpaceHeaders),
              "\n<h1 id=\"toc_0\">Tag</h1>\n");
    EXPECT_EQ(htmlWith("#Tag _u_", kMarkdownDefaultExtensions), "\n<p>#Tag <u>u</u></p>\n");
}

TEST(MarkdownPrepassTest, keepsNoncharactersTheTextAlreadyHolds)
{
    // U+FDD0 and U+FDD1 in the text: the marks must be others, and the text's own stay.
    const std::string text = "a\xEF\xB7\x90" "b\xEF\xB7\x91 _u_\n#x";
    EXPECT_EQ(htmlWith(text, kMarkdownDefaultExtensions),
              "\n<p>a\xEF\xB7\x90" "b\xEF\xB7\x91 <u>u</u>\n#x</p>\n");

    MarkdownPrepass prepass(true, true);
    const std::string marked = prepass.apply(text);
    ASSERT_TRUE(prepass.marksActive());
    EXPECT_NE(marked, text);
    EXPECT_EQ(prepass.removeMarks(marked), text);
}

// The text's own noncharacters come from the same block as the marks: a
// mark standing after one of them in the same run of text is still taken out.
TEST(MarkdownPrepassTest, removesMarksThatFollowTheTextsOwnNoncharacters)
{
    const std::string own = "\xEF\xB7\x90";
    EXPECT_EQ(htmlWith("a" + own + " \n#x " + own + "\n#y", kMarkdownDefaultExtensions),
              "\n<p>a" + own + " \n#x " + own + "\n#y</p>\n");

    MarkdownPrepass prepass(true, true);
    const std::string marked = prepass.apply(own + "\n#z");
    EXPECT_TRUE(prepass.containsMarks(marked));
    EXPECT_FALSE(prepass.containsMarks(own + own));
    EXPECT_EQ(prepass.removeMarks(marked), own + "\n#z");
}

TEST(MarkdownPrepassTest, leavesTextUnmarkedWhenEveryCandidateIsTaken)
{
    std::string text = "_u_ #x ";
    for (unsigned code = 0xFDD0; code <= 0xFDEF; ++code)
        text += toUtf8(std::u16string(1, static_cast<char16_t>(code)));
    MarkdownPrepass prepass(true, true);
    EXPECT_EQ(prepass.apply(text), text);
    EXPECT_FALSE(prepass.marksActive());
    EXPECT_EQ(prepass.removeMarks(text), text);
}

// Where an underscore is text the parser reads as it stands (an address, code,
// a tag, a link destination, an escape) it gets no mark; elsewhere a lone one
// before a non-blank does, wherever the text around it sends the scan.
TEST(MarkdownPrepassTest, marksUnderscoresOnlyWhereEmphasisMayStart)
{
    const std::string mark = "\xEF\xB7\x90";
    const auto marked = [&](std::string text) { return MarkdownPrepass(true, false).apply(text); };
    const auto expected = [&](std::string withCarets) { return replaceAll(std::move(withCarets), "^", mark); };

    EXPECT_EQ(marked("(http://a_b.com/_c_) _u_"), expected("(http://a_b.com/_c_) _^u_"));
    EXPECT_EQ(marked("x\tHTTPS://a_b _v_"), expected("x\tHTTPS://a_b _^v_"));
    EXPECT_EQ(marked("mail_me@x_y.org and _w_"), expected("mail_me@x_y.org and _^w_"));
    EXPECT_EQ(marked("mail_me x_y"), expected("mail_^me x_^y"));
    EXPECT_EQ(marked("`a_b` www.x_y.com _z_"), expected("`a_b` www.x_y.com _^z_"));
    EXPECT_EQ(marked("<span title=\"a_b\">_t_</span>"), expected("<span title=\"a_b\">_^t_^</span>"));
    EXPECT_EQ(marked("[l](x_(y)_z) _k_ ]_m_"), expected("[l](x_(y)_z) _^k_ ]_^m_"));
    EXPECT_EQ(marked("\\_a_ b __c__ _ d"), "\\_a_ b __c__ _ d");
    EXPECT_EQ(marked("a < _b_ who_ever"), expected("a < _^b_ who_^ever"));
}

// Only brackets that nothing closes count; an escaped bracket is text and
// neither opens nor closes.
TEST(MarkdownPrepassTest, countsOnlyBracketsThatStayOpen)
{
    EXPECT_EQ(MarkdownPrepass::unmatchedBracketCount(""), 0u);
    EXPECT_EQ(MarkdownPrepass::unmatchedBracketCount("[[]"), 1u);
    EXPECT_EQ(MarkdownPrepass::unmatchedBracketCount("]][ [x](y)"), 1u);
    EXPECT_EQ(MarkdownPrepass::unmatchedBracketCount("\\[[ [\\]"), 2u);
    EXPECT_EQ(MarkdownPrepass::unmatchedBracketCount("\\\\[ a\\"), 1u);

    std::string escaped;
    for (std::size_t i = 0; i < MarkdownPrepass::kLongBracketRun; ++i)
        escaped += "\\[";
    EXPECT_EQ(MarkdownPrepass::escapingUnmatchedBracketRuns(escaped), escaped);
    const std::string open(MarkdownPrepass::kLongBracketRun, '[');
    EXPECT_EQ(MarkdownPrepass::escapingUnmatchedBracketRuns(open + "]"), open + "]");
    EXPECT_EQ(MarkdownPrepass::escapingUnmatchedBracketRuns("]" + open), "]" + replaceAll(open, "[", "\\["));
}

} // namespace
} // namespace folio
