#include "engine/css/CSSString.h"
#include "engine/dom/TEHTMLElement.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/graphics/FakeFontCatalog.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// How an element's resolved styles change its text style: the properties
// apply in the order they depend on one another whatever order the page
// wrote them in, a stand-in property counts only when its property is absent,
// and properties read together (borders, box edges, the face name) come last.
class TEHTMLElementStylingTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousCatalog = FontCatalog::shared();
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
    }
    void TearDown() override { FontCatalog::setShared(m_previousCatalog); }

    static TEHTMLElementPtr styled(std::u16string_view css, const TEHTMLElement* parent = nullptr,
                                  std::string name = "div")
    {
        auto element = std::make_shared<TEHTMLElement>(std::move(name), TEHTMLAttributes());
        if (parent) {
            element->inheritAttributesFromElement(*parent);
        } else {
            element->fontDescriptor().setPointSize(12);
            element->setTextColor(Color());
        }
        element->applyStyleDictionary(dictionaryOfCSSStyles(css));
        return element;
    }

    static AttributeValuePtr attribute(const TEHTMLElement& element, std::string_view key)
    {
        return element.attributesForAttributedStringRepresentation()->valueForKey(key);
    }

private:
    std::shared_ptr<FontCatalog> m_previousCatalog;
};

TEST_F(TEHTMLElementStylingTests, sizesApplyBeforeTheMeasuresRelativeToThemInEitherOrder)
{
    const TEHTMLElementPtr sizeFirst = styled(u"font-size: 30px; margin-bottom: 2em; letter-spacing: 1em");
    const TEHTMLElementPtr sizeLast = styled(u"margin-bottom: 2em; letter-spacing: 1em; font-size: 30px");
    const TEHTMLElementPtr unsized = styled(u"margin-bottom: 2em; letter-spacing: 1em");

    const double pointSize = sizeLast->fontDescriptor().pointSize();
    EXPECT_EQ(sizeFirst->fontDescriptor().pointSize(), pointSize);
    EXPECT_NE(pointSize, unsized->fontDescriptor().pointSize());
    EXPECT_DOUBLE_EQ(sizeLast->paragraphStyle().paragraphSpacing(), 2 * pointSize);
    EXPECT_DOUBLE_EQ(sizeFirst->paragraphStyle().paragraphSpacing(), 2 * pointSize);
    EXPECT_DOUBLE_EQ(sizeLast->letterSpacing(), pointSize);
    EXPECT_DOUBLE_EQ(unsized->paragraphStyle().paragraphSpacing(), 2 * unsized->fontDescriptor().pointSize());
}

TEST_F(TEHTMLElementStylingTests, shadowsTakeTheTextColourSetBesideThem)
{
    const TEHTMLElementPtr element = styled(u"text-shadow: 1px 1px 2px; color: #ff0000");
    const AttributeValuePtr shadows = attribute(*element, TEShadowsAttribute);
    ASSERT_TRUE(shadows);
    const auto* list = shadows->as<ArrayValue>();
    ASSERT_TRUE(list);
    ASSERT_EQ(list->elements().size(), 1u);
    const auto* shadow = list->elements().front()->as<ShadowValue>();
    ASSERT_TRUE(shadow);
    EXPECT_DOUBLE_EQ(shadow->color().red(), 1.0);
    EXPECT_DOUBLE_EQ(shadow->color().green(), 0.0);
}

TEST_F(TEHTMLElementStylingTests, standInMarginCountsOnlyWithoutTheMarginItStandsFor)
{
    EXPECT_DOUBLE_EQ(styled(u"-webkit-margin-after: 7px")->paragraphStyle().paragraphSpacing(), 7);
    EXPECT_DOUBLE_EQ(styled(u"-webkit-margin-after: 7px; margin-bottom: 3px")->paragraphStyle().paragraphSpacing(), 3);
    EXPECT_DOUBLE_EQ(styled(u"margin-bottom: 3px; -webkit-margin-after: 7px")->paragraphStyle().paragraphSpacing(), 3);
}

TEST_F(TEHTMLElementStylingTests, keywordsMatchWithoutRegardToCaseAndUnknownPropertiesAreIgnored)
{
    const TEHTMLElementPtr element =
        styled(u"-folio-unknown: 4px; font-weight: BOLD; display: BLOCK; text-align: Center; letter-spacing: 2px");
    EXPECT_TRUE(element->fontDescriptor().boldTrait());
    EXPECT_EQ(element->displayStyle(), TEHTMLElementDisplayStyle::Block);
    EXPECT_EQ(element->paragraphStyle().alignment(), TextAlignment::Center);
    EXPECT_DOUBLE_EQ(element->letterSpacing(), 2);
    EXPECT_EQ(element->styles().count(), 5u);
}

TEST_F(TEHTMLElementStylingTests, faceNameOutlastsTheWeightThatClearsTheName)
{
    const TEHTMLElementPtr element = styled(u"-coretext-fontname: Arimo-Bold; font-weight: normal");
    EXPECT_EQ(element->fontDescriptor().fontName(), std::optional<std::string>("Arimo-Bold"));
    EXPECT_FALSE(element->fontDescriptor().boldTrait());
}

TEST_F(TEHTMLElementStylingTests, styledChildDrawsNoBorderOfItsParentsButAnUnstyledOneKeepsIt)
{
    const TEHTMLElementPtr parent = styled(u"border-width: 3px; border-radius: 2px");
    ASSERT_TRUE(attribute(*parent, TEBackgroundStrokeWidthAttribute));
    EXPECT_DOUBLE_EQ(attribute(*parent, TEBackgroundStrokeWidthAttribute)->as<DoubleValue>()->value(), 3);

    const TEHTMLElementPtr styledChild = styled(u"color: blue", parent.get(), "span");
    EXPECT_FALSE(attribute(*styledChild, TEBackgroundStrokeWidthAttribute));
    EXPECT_FALSE(attribute(*styledChild, TEBackgroundCornerRadiusAttribute));

    const TEHTMLElementPtr unstyledChild = styled(u"", parent.get(), "span");
    EXPECT_TRUE(attribute(*unstyledChild, TEBackgroundStrokeWidthAttribute));
}

TEST_F(TEHTMLElementStylingTests, boxEdgesAndListPaddingComeFromTheirLonghandsAndShorthands)
{
    const TEHTMLElementPtr block = styled(u"padding: 4px; margin: 1px 2px 5px 6px; display: block");
    EXPECT_DOUBLE_EQ(block->padding().left, 4);
    EXPECT_DOUBLE_EQ(block->margins().bottom, 5);
    EXPECT_DOUBLE_EQ(block->margins().left, 6);
    // Padding on a block calls for a text block to draw it.
    EXPECT_EQ(block->paragraphStyle().textBlocks().size(), 1u);

    const TEHTMLElementPtr list = styled(u"-webkit-padding-start: 40px", nullptr, "ul");
    EXPECT_DOUBLE_EQ(list->listIndent(), 40);
    EXPECT_DOUBLE_EQ(list->padding().left, 0);
}

TEST_F(TEHTMLElementStylingTests, oneSharedDictionaryGivesEachElementTheEdgesOfItsOwnSizeAndDirection)
{
    // A page styles many elements with one dictionary: its relative margins
    // come out at each element's own text size and writing direction, and
    // as they do for a dictionary read for that element alone.
    const auto margins = std::make_shared<const CSSStyleDictionary>(
        dictionaryOfCSSStyles(u"margin: 1em 2em; margin-left: 3em; -webkit-padding-start: 4em; padding-top: 5px"));
    auto styledWithShared = [&margins](double pointSize, WritingDirection direction) {
        auto element = std::make_shared<TEHTMLElement>("div", TEHTMLAttributes());
        element->fontDescriptor().setPointSize(pointSize);
        element->setTextColor(Color());
        element->paragraphStyle().setBaseWritingDirection(direction);
        element->applyStyles(margins);
        return element;
    };
    auto styledAlone = [&margins](double pointSize, WritingDirection direction) {
        auto element = std::make_shared<TEHTMLElement>("div", TEHTMLAttributes());
        element->fontDescriptor().setPointSize(pointSize);
        element->setTextColor(Color());
        element->paragraphStyle().setBaseWritingDirection(direction);
        element->applyStyleDictionary(CSSStyleDictionary(*margins));
        return element;
    };
    const struct {
        double pointSize;
        WritingDirection direction;
    } cases[] = {{10, WritingDirection::LeftToRight},
                 {20, WritingDirection::LeftToRight},
                 {10, WritingDirection::RightToLeft},
                 {10, WritingDirection::LeftToRight}};
    std::vector<TEHTMLElementPtr> shared;
    for (const auto& [pointSize, direction] : cases) {
        SCOPED_TRACE(pointSize);
        shared.push_back(styledWithShared(pointSize, direction));
        const TEHTMLElementPtr alone = styledAlone(pointSize, direction);
        EXPECT_EQ(shared.back()->margins(), alone->margins());
        EXPECT_EQ(shared.back()->padding(), alone->padding());
        EXPECT_DOUBLE_EQ(shared.back()->padding().top, 5);
    }
    // The longhand outlasts the shorthand before it, at every size.
    EXPECT_DOUBLE_EQ(shared[0]->margins().left, 3 * shared[0]->margins().top);
    EXPECT_DOUBLE_EQ(shared[1]->margins().left, 3 * shared[1]->margins().top);
    EXPECT_DOUBLE_EQ(shared[1]->margins().top, 2 * shared[0]->margins().top);
    // The starting edge is the left one left to right, the right one right to left.
    EXPECT_GT(shared[0]->padding().left, 0);
    EXPECT_DOUBLE_EQ(shared[0]->padding().right, 0);
    EXPECT_DOUBLE_EQ(shared[2]->padding().left, 0);
    EXPECT_DOUBLE_EQ(shared[2]->padding().right, shared[0]->padding().left);
}

} // namespace
} // namespace folio
