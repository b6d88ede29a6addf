#include "engine/html/HTMLTabStops.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionary.h"
#include "support/AttributesAtWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

std::vector<TextTab> stopsOfParagraph(const std::string& html, std::u16string_view word)
{
    std::optional<AttributedString> text = attributedStringWithHTMLData(html);
    EXPECT_TRUE(text.has_value());
    if (!text)
        return {};
    EXPECT_NE(text->string().find(word), std::u16string::npos) << toUtf8(text->string());
    return testing_support::tabStopsAtWords(*text, word);
}

TEST(HTMLTabStopsTest, everyKindAndLeaderComesBackFromTheAttribute)
{
    const std::vector<TextTab> stops{{36, TextAlignment::Left, false, 0},
                                     {144.05, TextAlignment::Center, false, u'-'},
                                     {300.5, TextAlignment::Right, true, u'_'},
                                     {432, TextAlignment::Right, false, u'.'}};
    const std::u16string text = HTMLTabStops::attributeText(stops);
    EXPECT_EQ(toUtf8(text), "L36 C144.05- D300.5_ R432.");
    EXPECT_TRUE(HTMLTabStops::stopsFromAttribute(text) == stops);
    // Stops no page can place are not written at all.
    EXPECT_TRUE(HTMLTabStops::attributeText({{0, TextAlignment::Left, false, 0}, {-5, TextAlignment::Right, false, 0}}).empty());
}

TEST(HTMLTabStopsTest, aDamagedAttributeGivesNoStopsRatherThanSomeOfThem)
{
    for (std::u16string_view damaged : {u"L36 X72", u"R", u"L36 R-4", u"C1e999", u"L36x", u"R99999", u"L36.,"})
        EXPECT_FALSE(HTMLTabStops::stopsFromAttribute(damaged).has_value()) << toUtf8(damaged);
    EXPECT_TRUE(HTMLTabStops::stopsFromAttribute(u"").value_or(std::vector<TextTab>{{1}}).empty());
}

// The editing page hands a paragraph's stops back on its element; the words
// inside it take them, the paragraph after it does not, and a damaged value
// leaves the paragraph without stops but with all its text.
TEST(HTMLTabStopsTest, aParagraphsStopsComeBackFromThePage)
{
    const std::string html = "<html><body><div data-tabs=\"L72 R432.\">Name\t<b>bold</b>\t1</div>"
                             "<div>Plain</div><div data-tabs=\"L72 Q9\">Kept words</div></body></html>";
    const std::vector<TextTab> stops{{72, TextAlignment::Left, false, 0}, {432, TextAlignment::Right, false, u'.'}};
    EXPECT_TRUE(stopsOfParagraph(html, u"Name") == stops);
    EXPECT_TRUE(stopsOfParagraph(html, u"bold") == stops);
    EXPECT_TRUE(stopsOfParagraph(html, u"Plain").empty());
    EXPECT_TRUE(stopsOfParagraph(html, u"Kept words").empty());
}

} // namespace
} // namespace folio
