#include "documents/QVOutlineMarkup.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// Handles go whichever way their markup is written: in single or double
// quotes, among other classes, holding markup of their own, or with a '>'
// in another attribute; the rest stays to the byte.
TEST(QVOutlineMarkupTest, everyHandleGoesAndNothingElse)
{
    EXPECT_EQ(QVOutlineMarkup::withoutDragHandles(
                  "<div class='left-sidebar'><div class='branch-drag-handler ui-sortable-handle' contenteditable=false>"
                  "\u25CF</div><div class='branch-title' id='1'>One</div></div>"),
              "<div class='left-sidebar'><div class='branch-title' id='1'>One</div></div>");
    EXPECT_EQ(QVOutlineMarkup::withoutDragHandles(
                  "<DIV title=\"a > b\" CLASS=\"ui-sortable-handle  branch-drag-handler\"><div><span class=\"icon\">"
                  "\u25CF</span></div></DIV><div class=\"branch-title\">Two</div>"),
              "<div class=\"branch-title\">Two</div>");
    EXPECT_EQ(QVOutlineMarkup::withoutDragHandles("<p>A</p><div class=branch-drag-handler>\u25CF</div><p>B</p>"
                                                  "<div class=branch-drag-handler>\u25CF</div><p>C</p>"),
              "<p>A</p><p>B</p><p>C</p>");
}

// What only looks like a handle is the writer's: the class's name typed as
// words, a class that merely begins with it, a bullet typed into a title.
TEST(QVOutlineMarkupTest, theWritersOwnWordsAndBulletsStay)
{
    for (const char* html : {"<div class='branch-title'>branch-drag-handler \u25CF</div>",
                             "<div class='branch-drag-handler-note'>Note</div>",
                             "<div data-class='branch-drag-handler'>Kept</div>",
                             "<!-- <div class='branch-drag-handler'> --><p>Kept</p>"})
        EXPECT_EQ(QVOutlineMarkup::withoutDragHandles(html), html);
}

// A handle whose element never ends takes nothing after it: it stays.
TEST(QVOutlineMarkupTest, anUnendedHandleLosesNoText)
{
    const std::string html = "<div class='branch-drag-handler'>\u25CF</div><div class='branch-drag-handler'>\u25CF"
                             "<div class='branch-title'>Last words</div>";
    EXPECT_EQ(QVOutlineMarkup::withoutDragHandles(html),
              "<div class='branch-drag-handler'>\u25CF<div class='branch-title'>Last words</div>");
}

} // namespace
} // namespace folio
