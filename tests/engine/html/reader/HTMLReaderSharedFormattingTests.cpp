// The reader finds formatting it has seen before (dictionaries, font-family
// lists, merged styles, list item places) instead of working it out again:
// these tests check that what is found is what working it out would give.

#include "engine/css/ColorHTML.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class HTMLReaderSharedFormattingTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousCatalog = FontCatalog::shared();
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
    }
    void TearDown() override { FontCatalog::setShared(m_previousCatalog); }

    static AttributedString convert(const std::string& html)
    {
        std::optional<AttributedString> text = attributedStringWithHTMLData(html);
        EXPECT_TRUE(text.has_value());
        return text.value_or(AttributedString());
    }

    static std::size_t indexOf(const AttributedString& text, std::u16string_view needle, std::size_t from = 0)
    {
        const std::size_t index = text.string().find(needle, from);
        EXPECT_NE(index, std::u16string::npos) << toUtf8(needle);
        return index == std::u16string::npos ? 0 : index;
    }

    static const AttributeDictionary* dictionaryAt(const AttributedString& text, std::size_t index)
    {
        return text.attributesAtIndex(index, nullptr).get();
    }

    // The text's fonts are held by its dictionaries, which outlive the call.
    static std::optional<Font> fontAt(const AttributedString& text, std::size_t index)
    {
        const AttributeValuePtr value = text.attributeAtIndex(kCTFontAttributeName, index);
        const auto* font = value ? value->as<FontAttributeValue>() : nullptr;
        EXPECT_NE(font, nullptr);
        return font ? std::optional<Font>(font->font()) : std::nullopt;
    }

    static std::string colorAt(const AttributedString& text, std::size_t index)
    {
        const AttributeValuePtr value = text.attributeAtIndex(kCTForegroundColorAttributeName, index);
        const auto* color = value ? value->as<ColorValue>() : nullptr;
        return color ? htmlHexString(color->color()) : "(none)";
    }

private:
    std::shared_ptr<FontCatalog> m_previousCatalog;
};

// The text pieces of one element, between its inline children, share its
// dictionary; the pieces of the next element, and those inside the
// children, take their own element's formatting, not the last one found.
TEST_F(HTMLReaderSharedFormattingTests, textPiecesOfOneElementShareItsFormattingAndNoOther)
{
    const AttributedString text =
        convert("<div style=\"color: #ff0000\">alpha <b>beta</b> gamma <i>delta</i> epsilon</div>"
                "<div style=\"color: #0000ff\">zeta <span style=\"color: #00ff00\">middle</span> theta</div>"
                "<div style=\"text-shadow: 1px 1px 2px #000000\">iota <b>kappa</b> lambda</div>");
    const std::size_t alpha = indexOf(text, u"alpha");
    EXPECT_EQ(dictionaryAt(text, alpha), dictionaryAt(text, indexOf(text, u"gamma")));
    EXPECT_EQ(dictionaryAt(text, alpha), dictionaryAt(text, indexOf(text, u"epsilon")));
    EXPECT_NE(dictionaryAt(text, alpha), dictionaryAt(text, indexOf(text, u"beta")));
    EXPECT_EQ(colorAt(text, indexOf(text, u"beta")), "ff0000");
    EXPECT_EQ(colorAt(text, indexOf(text, u"epsilon")), "ff0000");
    EXPECT_EQ(colorAt(text, indexOf(text, u"zeta")), "0000ff");
    EXPECT_EQ(colorAt(text, indexOf(text, u"middle")), "00ff00");
    EXPECT_EQ(colorAt(text, indexOf(text, u"theta")), "0000ff");
    EXPECT_EQ(dictionaryAt(text, indexOf(text, u"zeta")), dictionaryAt(text, indexOf(text, u"theta")));
    // Paragraph ends keep the colour of the paragraph they end.
    EXPECT_EQ(colorAt(text, indexOf(text, u"epsilon") + 7), "ff0000");
    EXPECT_EQ(colorAt(text, indexOf(text, u"theta") + 5), "0000ff");
    for (std::u16string_view piece : {u"iota", u"kappa", u"lambda"})
        EXPECT_NE(text.attributeAtIndex(TEShadowsAttribute, indexOf(text, piece)), nullptr) << toUtf8(piece);
}

// One style rule read once still styles each element from where it stands:
// a size relative to the parent's follows that parent, a keyword in capitals
// reads as in lower case, and a later element of the same class is styled as
// the first.
TEST_F(HTMLReaderSharedFormattingTests, sharedStylesApplyRelativeToEachElement)
{
    const AttributedString text =
        convert("<style>.x { font-size: larger; font-weight: BOLD }</style>"
                "<div style=\"font-size: 10px\"><span class=\"x\">small</span></div>"
                "<div style=\"font-size: 20px\"><span class=\"x\">large</span></div>"
                "<div style=\"font-size: 10px\"><span class=\"x\">small again</span></div>");
    const std::optional<Font> small = fontAt(text, indexOf(text, u"small"));
    const std::optional<Font> large = fontAt(text, indexOf(text, u"large"));
    const std::optional<Font> again = fontAt(text, indexOf(text, u"small again"));
    ASSERT_TRUE(small && large && again);
    EXPECT_GT(large->pointSize(), small->pointSize() + 5);
    EXPECT_DOUBLE_EQ(again->pointSize(), small->pointSize());
    EXPECT_NE(small->symbolicTraits() & kFontBoldTrait, 0u);
    EXPECT_NE(large->symbolicTraits() & kFontBoldTrait, 0u);
}

// Two links to the same address are two links: each keeps its identifier,
// while the runs inside one link share it.
TEST_F(HTMLReaderSharedFormattingTests, linksToOneAddressKeepTheirOwnIdentifiers)
{
    const AttributedString text =
        convert("<div><a href=\"https://example.org/\">one <b>bold</b></a> <a href=\"https://example.org/\">two</a></div>");
    auto guidAt = [&text](std::size_t index) {
        const AttributeValuePtr value = text.attributeAtIndex(TEGUIDAttribute, index);
        return value && value->as<StringValue>() ? value->as<StringValue>()->value() : u"(none)";
    };
    const std::size_t one = indexOf(text, u"one");
    const std::size_t bold = indexOf(text, u"bold");
    const std::size_t two = indexOf(text, u"two");
    EXPECT_NE(guidAt(one), u"(none)");
    EXPECT_EQ(guidAt(one), guidAt(bold));
    EXPECT_NE(guidAt(one), guidAt(two));
    EXPECT_NE(dictionaryAt(text, one), dictionaryAt(text, two));
}

// Text of the same formatting in two places shares one dictionary; text
// of other formatting beside it keeps its own.
TEST_F(HTMLReaderSharedFormattingTests, equalFormattingIsSharedAndOtherFormattingIsNot)
{
    const AttributedString text = convert("<div><i>it</i> and <i>it again</i></div><p><i>once more</i></p>"
                                          "<p><i style=\"color: #ff0000\">red</i></p>");
    const std::size_t it = indexOf(text, u"it");
    EXPECT_EQ(dictionaryAt(text, it), dictionaryAt(text, indexOf(text, u"it again")));
    EXPECT_NE(dictionaryAt(text, it), dictionaryAt(text, indexOf(text, u" and ")));
    EXPECT_NE(dictionaryAt(text, it), dictionaryAt(text, indexOf(text, u"red")));
    EXPECT_EQ(colorAt(text, indexOf(text, u"red")), "ff0000");
    EXPECT_EQ(colorAt(text, indexOf(text, u"once more")), "000000");
}

// A family list resolves for the font asked for: the same list at another
// size or weight gives that size or weight.
TEST_F(HTMLReaderSharedFormattingTests, fontFamilyListsResolveForTheFontAskedFor)
{
    const AttributedString text =
        convert("<div style=\"font-family: serif; font-size: 20px\">big</div>"
                "<div style=\"font-family: serif; font-size: 30px\">bigger</div>"
                "<div style=\"font-family: serif; font-size: 20px; font-weight: bold\">heavy</div>"
                "<div style=\"font-family: monospace; font-size: 20px\">mono</div>"
                "<div style=\"font-family: serif; font-size: 20px\">big again</div>");
    const std::optional<Font> big = fontAt(text, indexOf(text, u"big"));
    const std::optional<Font> bigger = fontAt(text, indexOf(text, u"bigger"));
    const std::optional<Font> heavy = fontAt(text, indexOf(text, u"heavy"));
    const std::optional<Font> mono = fontAt(text, indexOf(text, u"mono"));
    const std::optional<Font> again = fontAt(text, indexOf(text, u"big again"));
    ASSERT_TRUE(big && bigger && heavy && mono && again);
    EXPECT_EQ(big->familyName(), "Times New Roman");
    EXPECT_EQ(bigger->familyName(), "Times New Roman");
    EXPECT_LT(big->pointSize(), bigger->pointSize());
    EXPECT_EQ(big->symbolicTraits() & kFontBoldTrait, 0u);
    EXPECT_EQ(heavy->familyName(), "Times New Roman");
    EXPECT_NE(heavy->symbolicTraits() & kFontBoldTrait, 0u);
    EXPECT_EQ(mono->familyName(), "Courier");
    EXPECT_DOUBLE_EQ(mono->pointSize(), big->pointSize());
    EXPECT_EQ(again->postScriptName(), big->postScriptName());
    EXPECT_DOUBLE_EQ(again->pointSize(), big->pointSize());
}

// Elements that look alike to the sheet may still be styled apart: by a
// descendant selector, or by a style element read between them.
TEST_F(HTMLReaderSharedFormattingTests, lookalikeElementsFollowDescendantSelectorsAndLaterStyleElements)
{
    const AttributedString text =
        convert("<style>blockquote p { color: #ff0000 }</style><p class=\"x\">plain</p>"
                "<blockquote><p class=\"x\">quoted</p></blockquote><p class=\"x\">again</p>"
                "<style>.x { color: #0000ff }</style><p class=\"x\">blue</p>");
    EXPECT_EQ(colorAt(text, indexOf(text, u"plain")), "000000");
    EXPECT_EQ(colorAt(text, indexOf(text, u"quoted")), "ff0000");
    EXPECT_EQ(colorAt(text, indexOf(text, u"again")), "000000");
    EXPECT_EQ(colorAt(text, indexOf(text, u"blue")), "0000ff");
}

// A colour named again reads as the first time, a colour the page cannot
// name leaves the text as it was each time, and one element's colour never
// becomes another's.
TEST_F(HTMLReaderSharedFormattingTests, coloursNamedAgainReadAsTheFirstTime)
{
    const AttributedString text = convert(
        "<div style=\"color: #00ff00\"><span style=\"color: rgb(255, 0, 0)\">red</span> "
        "<span style=\"color: nonsense\">odd</span> <span style=\"color: rgb(255, 0, 0)\">again</span> "
        "<span style=\"color: nonsense\">odd again</span> <span style=\"color: RED\">named</span></div>");
    EXPECT_EQ(colorAt(text, indexOf(text, u"red")), "ff0000");
    EXPECT_EQ(colorAt(text, indexOf(text, u"again")), "ff0000");
    EXPECT_EQ(colorAt(text, indexOf(text, u"odd")), colorAt(text, indexOf(text, u"odd again")));
    EXPECT_EQ(colorAt(text, indexOf(text, u"named")), "ff0000");
    EXPECT_EQ(colorAt(text, indexOf(text, u" ")), "00ff00");
}

// Every item of a long list gets its own number, counted among the items
// only, whatever else the list holds and whatever lists its items hold.
TEST_F(HTMLReaderSharedFormattingTests, longListsNumberEveryItemInOrder)
{
    constexpr int kItems = 300;
    std::string html = "<div><ol start=\"3\">\n";
    for (int item = 1; item <= kItems; ++item) {
        html += "  <li>item" + std::to_string(item);
        if (item == 150)
            html += "<ol><li>inner1</li>\n<li>inner2</li></ol>";
        html += "</li>\n";
        if (item == 200)
            html += "<!-- a comment -->\n";
    }
    html += "</ol></div>";
    const AttributedString text = convert(html);
    TECSSListStyle decimal;
    decimal.setType(TECSSListStyleType::Decimal);
    auto numbered = [&](std::int64_t number, const std::string& label) {
        return *decimal.prefixWithCounter(number) + toUtf16(label);
    };
    for (int item : {1, 2, 149, 150, 151, 200, 201, kItems}) {
        const std::string label = "item" + std::to_string(item) + (item == 150 ? "" : "\n");
        EXPECT_NE(text.string().find(numbered(item + 2, label)), std::u16string::npos) << item;
    }
    EXPECT_NE(text.string().find(numbered(1, "inner1")), std::u16string::npos);
    EXPECT_NE(text.string().find(numbered(2, "inner2")), std::u16string::npos);
}

// Items of one list share their markers' dictionary, unless their own style
// says otherwise; the markers of another list are its own.
TEST_F(HTMLReaderSharedFormattingTests, markersOfAListShareTheirDictionaryButFollowItemStyles)
{
    const AttributedString text =
        convert("<div><ol><li>a</li><li style=\"list-style-type: upper-roman\">b</li><li>c</li><li>d</li></ol>"
                "<ol><li>e</li></ol></div>");
    const std::size_t a = indexOf(text, u"a\n");
    const std::size_t c = indexOf(text, u"c\n");
    const std::size_t d = indexOf(text, u"d\n");
    const std::size_t e = indexOf(text, u"e\n");
    // The marker ends just before its item's text; the last item's marker
    // carries the list's end as well.
    const std::size_t b = indexOf(text, u"b\n");
    EXPECT_EQ(dictionaryAt(text, a - 1), dictionaryAt(text, b - 1));
    EXPECT_EQ(dictionaryAt(text, a - 1), dictionaryAt(text, c - 1));
    EXPECT_NE(dictionaryAt(text, c - 1), dictionaryAt(text, d - 1));
    EXPECT_NE(dictionaryAt(text, a - 1), dictionaryAt(text, e - 1));

    TECSSListStyle roman;
    roman.setType(TECSSListStyleType::UpperRoman);
    TECSSListStyle decimal;
    decimal.setType(TECSSListStyleType::Decimal);
    EXPECT_NE(text.string().find(*roman.prefixWithCounter(2) + u"b\n"), std::u16string::npos);
    EXPECT_NE(text.string().find(*decimal.prefixWithCounter(3) + u"c\n"), std::u16string::npos);
    EXPECT_NE(text.string().find(*decimal.prefixWithCounter(1) + u"e\n"), std::u16string::npos);
}

} // namespace
} // namespace folio
