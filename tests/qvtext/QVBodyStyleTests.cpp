#include "documents/EditorContent.h"
#include "qvtext/QVBodyStyle.h"
#include "qvtext/QVTextPageSetup.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(QVBodyStyleTest, restoredStyleDropsOnlyTheHidingDeclarations)
{
    EXPECT_EQ(QVBodyStyle::restoredStyle("visibility: hidden;display: none;margin-top: 2cm; background-color: white;"),
              "margin-top: 2cm; background-color: white;");
    EXPECT_EQ(QVBodyStyle::restoredStyle("visibility: hidden;display: none;"), "");
    EXPECT_EQ(QVBodyStyle::restoredStyle("color: red;display: none;display: none;"), "color: red;");
    EXPECT_EQ(QVBodyStyle::restoredStyle("display:none;"), "display:none;") << "only the text the page writes";

    // The page answers "" without an element, "=" and the style with one.
    EXPECT_EQ(QVTextPageSetup::storedStyleFromAnswer(""), std::nullopt);
    EXPECT_EQ(QVTextPageSetup::storedStyleFromAnswer("="), std::optional<std::string>(""));
    EXPECT_EQ(QVTextPageSetup::storedStyleFromAnswer("=visibility: hidden;display: none;font-family: \"A B\";"),
              std::optional<std::string>("font-family: \"A B\";"));
}

TEST(QVBodyStyleTest, everyStyleElementLeavesTheContentAndNothingElse)
{
    // A blank document's placeholder span, a saved div, one in single quotes
    // with content, and a nested one: all go.
    std::string html = "<p>One</p><span id=\"bodyStyle\" style=\"visibility: hidden;display: none;\"></span>"
                       "<p title=\"a > b\" id=\"bodyStyle2\">Two <b>id=\"bodyStyle\"</b></p>"
                       "<div id='bodyStyle' style='x'>hidden <div>inner</div> text</div>"
                       "<p>Three<div class=\"k\" ID=bodyStyle></div></p>"
                       "<div id=\"bodyStyle\" style=\"visibility: hidden;display: none;color: red;\"></div>";
    EXPECT_EQ(QVBodyStyle::withoutStyleElements(html),
              "<p>One</p><p title=\"a > b\" id=\"bodyStyle2\">Two <b>id=\"bodyStyle\"</b></p><p>Three</p>");
    EXPECT_EQ(QVBodyStyle::withoutStyleElements("<p>a < b</p><br/>"), "<p>a < b</p><br/>");
    EXPECT_EQ(QVBodyStyle::withoutStyleElements("<img id=\"bodyStyle\" src=\"x.png\"/>after"), "after");
    // An element never closed goes alone; what follows it stays.
    EXPECT_EQ(QVBodyStyle::withoutStyleElements("<span id=\"bodyStyle\">tail"), "tail");
}

TEST(QVBodyStyleTest, theStoredPageCarriesTheStyleEscapedOrEmpty)
{
    EditorContent content;
    content.bodyHTML = "<p>Text</p>";
    content.bodyStyle = "font-family: \"Times New Roman\"; margin-top: 2cm;";
    EXPECT_EQ(content.storedQVPage(), "<p>Text</p><div id=\"bodyStyle\" style=\"visibility: hidden;display: none;"
                                      "font-family: &quot;Times New Roman&quot;; margin-top: 2cm;\"></div>");
    content.bodyStyle.reset();
    EXPECT_EQ(content.storedQVPage(),
              "<p>Text</p><div id=\"bodyStyle\" style=\"visibility: hidden;display: none;\"></div>");
}

} // namespace
} // namespace folio
