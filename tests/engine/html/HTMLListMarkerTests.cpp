#include "engine/html/HTMLListMarker.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionary.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

std::optional<TECSSListStyle::MarkerText> markerWordsOf(const HTMLAttributeMap& attributes, TECSSListStyleType* type)
{
    TECSSListStyle style;
    HTMLListMarker::applyAttributes(style, [&](std::string_view name) {
        auto found = attributes.find(std::string(name));
        return found == attributes.end() ? nullptr : &found->second;
    });
    *type = style.type();
    return style.markerText();
}

TEST(HTMLListMarkerTest, theListsWordsAndNumberingComeBackFromItsAttributes)
{
    TECSSListStyle style;
    style.setType(TECSSListStyleType::UpperRoman);
    style.setMarkerText(TECSSListStyle::MarkerText{u"CH \"", u"\u3001", TEListNumbering::Circled});
    HTMLAttributeMap attributes;
    HTMLListMarker::addAttributes(style, attributes);
    TECSSListStyleType type = TECSSListStyleType::Inherit;
    EXPECT_TRUE(markerWordsOf(attributes, &type) == style.markerText());
    EXPECT_EQ(type, TECSSListStyleType::UpperRoman);

    // A list without words of its own carries nothing; damaged values leave
    // the list as its CSS made it.
    HTMLAttributeMap none;
    HTMLListMarker::addAttributes(TECSSListStyle(), none);
    EXPECT_TRUE(none.empty());
    for (std::u16string damaged : {u"12", u"12 99", u"99 1", u"12 1 3", u"x 1", u"12  1", u"-1 1"}) {
        attributes["data-marker"] = damaged;
        type = TECSSListStyleType::Inherit;
        EXPECT_FALSE(markerWordsOf(attributes, &type).has_value()) << toUtf8(damaged);
        EXPECT_EQ(type, TECSSListStyleType::Inherit) << toUtf8(damaged);
    }
}

// The page shows a marker with words as the item's first words: they are
// the marker again when the page is read, and words the user typed over
// them stay the item's.
TEST(HTMLListMarkerTest, theMarkerWordsThePageShowsAreNoTextOfTheItem)
{
    const std::string html = "<html><body><ol data-marker=\"12 0\" data-marker-before=\"CH \" style=\"list-style:none\">"
                             "<li>CH I The garden</li><li>CH II&nbsp;The orchard</li><li>Chapter three</li>"
                             "</ol></body></html>";
    std::optional<AttributedString> text = attributedStringWithHTMLData(html);
    ASSERT_TRUE(text.has_value());
    const std::string shown = toUtf8(text->string());
    EXPECT_NE(shown.find("\tCH I\tThe garden\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\tCH II\tThe orchard\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\tCH III\tChapter three"), std::string::npos) << shown;
    const std::size_t garden = text->string().find(u"The garden");
    const auto* lists = text->attributesAtIndex(garden)->valueForKeyAs<ArrayValue>(TETextListsAttribute);
    ASSERT_TRUE(lists && !lists->isEmpty());
    const auto* list = lists->elements().back()->as<TECSSListStyle>();
    ASSERT_TRUE(list && list->markerText());
    EXPECT_EQ(list->type(), TECSSListStyleType::UpperRoman);
    EXPECT_EQ(toUtf8(list->markerText()->before), "CH ");
}

// Legal numbering's words show the outer item's number ("Sect 2.01"): the
// attributes carry where it stands, and the page's words are the marker.
TEST(HTMLListMarkerTest, anOuterLevelsNumberInTheWordsComesBackAsTheMarker)
{
    TECSSListStyle style;
    style.setType(TECSSListStyleType::DecimalLeadingZero);
    style.setMarkerText(TECSSListStyle::MarkerText{u"Sect ", u"", TEListNumbering::OfType, 22,
                                                   TEListMarkerAlignment::Left, {{0, u"."}}});
    HTMLAttributeMap attributes;
    HTMLListMarker::addAttributes(style, attributes);
    TECSSListStyleType type = TECSSListStyleType::Inherit;
    EXPECT_TRUE(markerWordsOf(attributes, &type) == style.markerText());

    const std::string html = "<html><body><ol><li>Opening<ul data-marker=\"4 0\" data-marker-before=\"Sect \" "
                             "data-marker-format=\"22\" data-marker-outer=\"01:.\" style=\"list-style:none\">"
                             "<li>Sect 1.01 Scene</li></ul></li><li>Middle<ul data-marker=\"4 0\" "
                             "data-marker-before=\"Sect \" data-marker-format=\"22\" data-marker-outer=\"01:.\" "
                             "style=\"list-style:none\"><li>Sect 2.01 Last</li><li>Sect 2.02 More</li></ul></li></ol>"
                             "</body></html>";
    std::optional<AttributedString> text = attributedStringWithHTMLData(html);
    ASSERT_TRUE(text.has_value());
    const std::string shown = toUtf8(text->string());
    for (const char* item : {"\tSect 1.01\tScene", "\tSect 2.01\tLast", "\tSect 2.02\tMore"})
        EXPECT_NE(shown.find(item), std::string::npos) << item << " in " << shown;
    EXPECT_EQ(shown.find("Sect 2.01 Last"), std::string::npos) << shown;
}

} // namespace
} // namespace folio
