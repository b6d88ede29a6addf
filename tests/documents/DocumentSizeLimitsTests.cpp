#include "documents/DocumentSizeLimits.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

std::string nestedLists(std::size_t depth, std::string_view open = "<ul><li>", std::string_view close = "</li></ul>")
{
    std::string page = "<p>start</p>";
    for (std::size_t level = 0; level < depth; ++level)
        page.append(open).append("item");
    for (std::size_t level = 0; level < depth; ++level)
        page.append(close);
    return page;
}

TEST(DocumentSizeLimitsTest, listNestingCountsListAndQuotationElementsOnly)
{
    struct Case {
        std::string page;
        std::size_t depth;
    };
    const Case cases[] = {
        {"<p>no lists</p>", 0},
        {"<ul><li>a</li></ul><ol><li>b</li></ol>", 1},
        {"<UL><li>a<Ol start=\"3\"><li>b<blockquote>c</blockquote></OL></UL>", 3},
        // Names that merely start alike, and text that is no element.
        {"<ulx><olive><dlg><blockquotes>a &lt;ul&gt; b", 0},
        // Ends with no start do not hide the nesting that follows.
        {"</ul></ul><dl><dd><ul>a</ul></dl>", 2},
        {"<ul\n class=a><ul/><ul>", 3},
        {nestedLists(40), 40},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DocumentSizeLimits::deepestListNesting(c.page), c.depth) << c.page.substr(0, 80);
}

TEST(DocumentSizeLimitsTest, eachLimitTakesItsLastUnitAndRefusesTheNextWithTheReason)
{
    constexpr std::size_t kLines = DocumentSizeLimits::kMostTextLines;
    const std::u16string atLineLimit(kLines - 1, u'\n');
    EXPECT_TRUE(DocumentSizeLimits::checkEditorText(atLineLimit, "a.md").ok());
    Status lines = DocumentSizeLimits::checkEditorText(atLineLimit + u"\n", "a.md");
    ASSERT_FALSE(lines.ok());
    EXPECT_EQ(lines.error().code, DocumentSizeLimits::TooManyLines);
    EXPECT_NE(lines.error().message.find("a.md holds " + std::to_string(kLines + 1) + " lines"), std::string::npos)
        << lines.error().message;

    const std::u16string atCharacterLimit(DocumentSizeLimits::kMostTextCharacters, u'x');
    EXPECT_TRUE(DocumentSizeLimits::checkEditorText(atCharacterLimit, "a.md").ok());
    Status characters = DocumentSizeLimits::checkEditorText(atCharacterLimit + u"x", "a.md");
    ASSERT_FALSE(characters.ok());
    EXPECT_EQ(characters.error().code, DocumentSizeLimits::TooManyCharacters);

    EXPECT_TRUE(DocumentSizeLimits::checkRichTextPage(DocumentSizeLimits::kMostRichTextPageBytes, "a.rtf").ok());
    Status page = DocumentSizeLimits::checkRichTextPage(DocumentSizeLimits::kMostRichTextPageBytes + 1, "a.rtf");
    ASSERT_FALSE(page.ok());
    EXPECT_EQ(page.error().code, DocumentSizeLimits::PageTooLarge);
    EXPECT_NE(page.error().message.find("a.rtf"), std::string::npos);

    // A QV page is measured in UTF-8, as its editor takes it, without the
    // pictures it carries as data; an outline's limit is its own.
    const std::u16string accented(DocumentSizeLimits::kMostQVTextPageBytes / 4, u'\u00E9');
    std::u16string emoji;
    for (std::size_t count = 0; count < DocumentSizeLimits::kMostQVTextPageBytes / 8; ++count)
        emoji += u"\U0001F600";
    const std::u16string photo = u"<img src=\"data:image/jpeg;base64," + std::u16string(6 << 20, u'A') + u"\">";
    EXPECT_TRUE(DocumentSizeLimits::checkQVPage(accented + emoji, DocumentKind::QVText, "a.qvtext").ok());
    const std::u16string text(DocumentSizeLimits::kMostQVTextPageBytes - 64, u'x');
    EXPECT_TRUE(DocumentSizeLimits::checkQVPage(text + photo, DocumentKind::QVText, "a.qvtext").ok());
    Status qvPage = DocumentSizeLimits::checkQVPage(accented + emoji + u"x", DocumentKind::QVText, "a.qvtext");
    ASSERT_FALSE(qvPage.ok());
    EXPECT_EQ(qvPage.error().code, DocumentSizeLimits::PageTooLarge);
    EXPECT_NE(qvPage.error().message.find("a.qvtext holds a page of"), std::string::npos) << qvPage.error().message;
    const std::u16string outline(DocumentSizeLimits::kMostQVOutlinePageBytes - 64, u'x');
    EXPECT_TRUE(DocumentSizeLimits::checkQVPage(outline + photo, DocumentKind::QVOutline, "a.qvoutline").ok());
    EXPECT_FALSE(DocumentSizeLimits::checkQVPage(outline + std::u16string(65, u'x'), DocumentKind::QVOutline, "a.qvoutline").ok());

    // A printed page is measured by its markup: pictures carried as data
    // do not count.
    constexpr std::size_t kPrint = DocumentSizeLimits::kMostPrintPageBytes;
    const std::string picture = "<img src=\"data:image/png;base64," + std::string(kPrint, 'A') + "\">";
    EXPECT_TRUE(DocumentSizeLimits::checkPrintPage(picture + std::string(kPrint - 32, 'x'), "a.rtf").ok());
    Status print = DocumentSizeLimits::checkPrintPage(picture + std::string(kPrint, 'x'), "a.rtf");
    ASSERT_FALSE(print.ok());
    EXPECT_EQ(print.error().code, DocumentSizeLimits::PrintTooLarge);

    constexpr std::size_t kDepth = DocumentSizeLimits::kMostPageNesting;
    EXPECT_TRUE(DocumentSizeLimits::checkPageNesting(nestedLists(kDepth), "a.qvtext").ok());
    Status nesting = DocumentSizeLimits::checkPageNesting(nestedLists(kDepth + 1, "<blockquote>", "</blockquote>"), "a.qvtext");
    ASSERT_FALSE(nesting.ok());
    EXPECT_EQ(nesting.error().code, DocumentSizeLimits::NestedTooDeep);
    EXPECT_NE(nesting.error().message.find(std::to_string(kDepth + 1) + " deep"), std::string::npos)
        << nesting.error().message;
}

} // namespace
} // namespace folio
