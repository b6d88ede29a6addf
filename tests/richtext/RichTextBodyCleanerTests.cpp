#include "richtext/RichTextBodyCleaner.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(RichTextBodyCleanerTest, cleansWhatOnlyTheEditorShows)
{
    std::string inner = "a[\xF0\x9F\x92\xAC]b\xEF\xBB\xBF" "c\xEF\xBF\xBC" "d &nbsp;e"
                        "<span id=\"replaced\" style=\"border: 0px solid rgb(0, 0, 0); border-top-left-radius: 4px; "
                        "border-top-right-radius: 4px; border-bottom-right-radius: 4px; border-bottom-left-radius: 4px; "
                        "-webkit-box-shadow: none; position: inherit; margin: -1px; z-index: 101; background-color: "
                        "transparent; background-position: initial initial; background-repeat: initial initial;\">f</span>";
    EXPECT_EQ(RichTextBodyCleaner::cleaned(inner), "abcd  e<span \">f</span>");
}

TEST(RichTextBodyCleanerTest, aSpaceTypedAtTheEndOfARunIsAnOrdinarySpaceOnceTextFollows)
{
    // Typed in bold, then bold off: the space ends the bold run.
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<b>bold&nbsp;</b>x"), "<b>bold </b>x");
    // Typed after the run ends: the space starts the next one.
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<i>it</i>&nbsp;x"), "<i>it</i> x");
    // Across several inline tags with attributes, which may hold ">".
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<span style=\"a\"><b>w&nbsp;</b></span><font title=\"x>y\">z</font>"),
              "<span style=\"a\"><b>w </b></span><font title=\"x>y\">z</font>");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<p>one<b>&nbsp;two</b></p>"), "<p>one<b> two</b></p>");
}

TEST(RichTextBodyCleanerTest, theBlankAfterANoteIsAnOrdinarySpace)
{
    // A new comment, its blank, and a space and a word typed after it.
    EXPECT_EQ(RichTextBodyCleaner::cleaned("a<span><object class=\"annotation\">[\xF0\x9F\x92\xAC]</object></span>"
                                           "<span style=\"x\">&nbsp; b</span>"),
              "a<span><object class=\"annotation\"></object></span><span style=\"x\">  b</span>");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("a<object class=\"footnote\">[1]</object>&nbsp;"),
              "a<object class=\"footnote\">[1]</object> ");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<object>x</object><div>&nbsp;</div>"), "<object>x</object><div>&nbsp;</div>")
        << "only the blank right after the note";
}

TEST(RichTextBodyCleanerTest, aSpaceTypedAtTheStartOfALineAfterALineBreakIsAnOrdinarySpace)
{
    // Typed after a paragraph's closing line break, in the break's run or in
    // a run of its own.
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<div><span>See you there.<br>&nbsp;Zebra</span></div>"),
              "<div><span>See you there.<br> Zebra</span></div>");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<div><span>There.<br></span><span style=\"x\">&nbsp;Zebra</span></div>"),
              "<div><span>There.<br></span><span style=\"x\"> Zebra</span></div>");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("a<BR/>&nbsp;b"), "a<BR/> b");
    // Only while text follows it on the line, and only after a line break.
    for (const char* kept : {"a<br>&nbsp;</div>", "a<br>&nbsp;<br>", "a<bro>&nbsp;b", "<div><span data-nbsp=\"\">&nbsp;</span>b</div>"})
        EXPECT_EQ(RichTextBodyCleaner::cleaned(kept), kept);
}

TEST(RichTextBodyCleanerTest, twoBlanksAfterALinkOrAtAParagraphsStartAreTwoBlanks)
{
    // The page shows the pair after a link as a no-break space and a blank
    // once a word is typed after them.
    EXPECT_EQ(RichTextBodyCleaner::cleaned("See <a href=\"https://example.org/\">the page</a>&nbsp; X</div>"),
              "See <a href=\"https://example.org/\">the page</a>  X</div>");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<div>&nbsp; indented</div>"), "<div>  indented</div>");
    // Within a run the pair is the file's own.
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<p>10&nbsp; km</p>"), "<p>10&nbsp; km</p>");
}

TEST(RichTextBodyCleanerTest, noBreakSpacesOfTheUserOrTheFileStay)
{
    // Inside a run: typing never makes it, so the user or the file did.
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<p>10&nbsp;km</p>"), "<p>10&nbsp;km</p>");
    // Where an ordinary space would vanish it still keeps the blank visible:
    // at the end of a line, before a block or a break, and in a run of blanks.
    for (const char* kept : {"<b>end&nbsp;</b></p>", "<b>a&nbsp;</b><br>", "<b>a&nbsp;</b><div>b</div>",
                             "<b>a&nbsp;</b>&nbsp;b", "<b>a&nbsp;</b> b", "<b>&nbsp;</b>x", "a<b>&nbsp;</b>",
                             "<img src=\"p.png\"><span data-nbsp=\"\">&nbsp;</span>x", "x&nbsp;<img src=\"p.png\">",
                             "<span data-nbsp=\"\">&nbsp;</span><b>x</b>"})
        EXPECT_EQ(RichTextBodyCleaner::cleaned(kept), kept);
    EXPECT_EQ(RichTextBodyCleaner::cleaned(""), "");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("&nbsp;"), "&nbsp;");
}

// The page writes a blank typed at a paragraph's start or after a picture
// as a no-break space; the document's own no-break spaces it marks, and
// they stay wherever they are.
TEST(RichTextBodyCleanerTest, aSpaceTypedAtAParagraphsStartOrAfterAPictureIsABlank)
{
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<div style=\"x\">&nbsp;quokka</div>"), "<div style=\"x\"> quokka</div>");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<div><span style=\"a\">&nbsp;quokka</span></div>"),
              "<div><span style=\"a\"> quokka</span></div>");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<li class=\"c\">&nbsp;x</li>"), "<li class=\"c\"> x</li>");
    // Typed before the page's first paragraph, in a text of none.
    EXPECT_EQ(RichTextBodyCleaner::cleaned("&nbsp;quokka<div id=\"paragraph\"></div>"), " quokka<div id=\"paragraph\"></div>");
    EXPECT_EQ(RichTextBodyCleaner::cleaned("<div><img src=\"p.png\">&nbsp;quokka</div>"),
              "<div><img src=\"p.png\"> quokka</div>");
    for (const char* kept : {"<div><span data-nbsp=\"\">&nbsp;</span>quokka</div>",
                             "<div><span data-nbsp=\"\">&nbsp;quokka</span></div>",
                             "<b>10<span data-nbsp=\"\">&nbsp;</span></b>km", "<b>10</b><span data-nbsp=\"\">&nbsp;</span>km",
                             "<div>&nbsp;</div>", "<div>&nbsp;<br></div>"})
        EXPECT_EQ(RichTextBodyCleaner::cleaned(kept), kept);
}

} // namespace
} // namespace folio
