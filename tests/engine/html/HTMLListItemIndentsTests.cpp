#include "engine/html/HTMLListItemIndents.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionary.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace folio {
namespace {

// "head first" of the paragraph holding the word, and of its marker.
std::string indentsOf(const std::string& html, std::u16string_view word)
{
    std::optional<AttributedString> text = attributedStringWithHTMLData(html);
    EXPECT_TRUE(text.has_value());
    const std::size_t at = text ? text->string().find(word) : std::u16string::npos;
    EXPECT_NE(at, std::u16string::npos);
    if (at == std::u16string::npos || at == 0)
        return "none";
    std::ostringstream indents;
    for (std::size_t index : {at, at - 1}) {
        AttributeDictionaryPtr attributes = text->attributesAtIndex(index);
        const auto* style = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName) : nullptr;
        indents << (index == at ? "" : " marker ");
        if (style)
            indents << style->style().headIndent() << " " << style->style().firstLineHeadIndent();
    }
    return indents.str();
}

TEST(HTMLListItemIndentsTest, theAttributeGivesBackWhatWasWrittenAndNothingWhenDamaged)
{
    const HTMLListItemIndents indents{2, 105.10948944091797, -0.6349654197692871};
    const std::optional<HTMLListItemIndents> back = HTMLListItemIndents::fromAttribute(indents.attributeText());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->depth, 2u);
    EXPECT_EQ(back->headIndent, indents.headIndent);
    EXPECT_EQ(back->firstLineHeadIndent, indents.firstLineHeadIndent);
    for (std::u16string_view damaged : {u"", u"1 52", u"0 52 -1", u"1.5 52 -1", u"1 52 -1 4", u"1 1e999 0", u"1 52x -1",
                                        u"99 52 -1", u"1  52 -1"})
        EXPECT_FALSE(HTMLListItemIndents::fromAttribute(damaged).has_value()) << toUtf8(damaged);
}

// An item keeps its file's hanging first line, its marker too, while it
// stays at its depth; one the page has moved to another level, or indented
// itself, or whose value is damaged, is laid out by its lists.
TEST(HTMLListItemIndentsTest, anItemTakesItsOwnIndentsOnlyWhereThePageLeftIt)
{
    const std::string list = "<html><body><ul style=\"padding-left:40px\">"
                             "<li data-indent=\"1 52.5 -0.63\">Kept</li>"
                             "<li data-indent=\"2 52.5 -0.63\">Moved</li>"
                             "<li data-indent=\"1 52.5 -0.63\" style=\"margin-left:30px\">Indented</li>"
                             "<li data-indent=\"1 52.5 zz\">Damaged</li>"
                             "<li>Plain</li></ul></body></html>";
    EXPECT_EQ(indentsOf(list, u"Kept"), "52.5 -0.63 marker 52.5 -0.63");
    EXPECT_EQ(indentsOf(list, u"Moved"), indentsOf(list, u"Plain"));
    EXPECT_EQ(indentsOf(list, u"Damaged"), indentsOf(list, u"Plain"));
    EXPECT_NE(indentsOf(list, u"Indented"), "52.5 -0.63 marker 52.5 -0.63");
    EXPECT_EQ(indentsOf(list, u"Plain"), "40 40 marker 40 40");
}

} // namespace
} // namespace folio
