#include "engine/display/DisplayTestText.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TELayoutLine.h"
#include "engine/model/TETextBlock.h"
#include "platform/graphics/GraphicsContext.h"

#include <cairo.h>

#include <cstdint>

namespace folio {
namespace {

// The test faces draw each glyph as a box from the baseline up to three
// quarters of an em: at 40 points, 20 wide and 30 high. The first baseline of
// a 40-point frame at the top is at 33, its line from 2.2 to 42.2.
class TELayoutFrameDrawingTests : public DisplayTest {
protected:
    struct Pixel {
        int red, green, blue, alpha;
    };

    std::unique_ptr<GraphicsContext> draw(const AttributedString& text, unsigned options = TELayoutFrameDrawingDefault,
                                          double scale = 1)
    {
        auto frame = layOut(text, makeRect(0, 0, 200, 100));
        auto context = GraphicsContext::imageContext(Size{200, 100}, scale);
        EXPECT_TRUE(context.ok());
        frame->drawInContext(**context, options);
        return std::move(*context);
    }

    static Pixel pixel(GraphicsContext& context, int x, int y)
    {
        cairo_surface_t* surface = cairo_get_target(context.cairoContext());
        cairo_surface_flush(surface);
        const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        std::uint32_t value = reinterpret_cast<const std::uint32_t*>(row)[x];
        return Pixel{int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF), int(value >> 24)};
    }

    static AttributeDictionaryPtr coloured(const Color& color, std::vector<AttributeDictionary::Entry> more = {})
    {
        more.push_back({std::string(kCTForegroundColorAttributeName), ColorValue::make(color)});
        return attributes(40, std::move(more));
    }

    static const Color& red()
    {
        static const Color color = Color::colorWithRed(1, 0, 0);
        return color;
    }
    static const Color& blue()
    {
        static const Color color = Color::colorWithRed(0, 0, 1);
        return color;
    }
    static const Color& green()
    {
        static const Color color = Color::colorWithRed(0, 1, 0);
        return color;
    }
};

TEST_F(TELayoutFrameDrawingTests, aRunBackgroundFillsItsLineHeightButNotTheTrailingSpaces)
{
    auto context = draw(AttributedString(
        u"ab  ", coloured(blue(), {{std::string(NSBackgroundColorAttributeName), ColorValue::make(red())}})));
    // Below the baseline, inside the line: background only.
    Pixel underA = pixel(*context, 10, 38);
    EXPECT_EQ(underA.red, 255);
    EXPECT_EQ(underA.blue, 0);
    // Above the glyph boxes, inside the line made integral (from 2 to 43).
    EXPECT_EQ(pixel(*context, 30, 1).alpha, 0);
    EXPECT_EQ(pixel(*context, 30, 2).red, 255);
    EXPECT_EQ(pixel(*context, 30, 42).red, 255);
    EXPECT_EQ(pixel(*context, 30, 43).alpha, 0);
    // The glyph covers its background.
    EXPECT_EQ(pixel(*context, 10, 20).blue, 255);
    // The trailing spaces get nothing.
    EXPECT_EQ(pixel(*context, 50, 38).alpha, 0);
    EXPECT_EQ(pixel(*context, 10, 60).alpha, 0);
}

TEST_F(TELayoutFrameDrawingTests, aStrikeThroughCrossesTheRunAtHalfTheXHeight)
{
    auto context = draw(AttributedString(
        u"a b", coloured(blue(), {{std::string(TEStrikeOutAttribute), BoolValue::make(true)}})));
    // Line top 2.2 + ascent 30.8 - x-height (0.523 x 40) / 2 = 22.54, rounded to 23, plus half a pixel.
    EXPECT_EQ(pixel(*context, 30, 23).blue, 255);
    EXPECT_EQ(pixel(*context, 30, 23).alpha, 255);
    EXPECT_EQ(pixel(*context, 30, 20).alpha, 0);
    EXPECT_EQ(pixel(*context, 30, 26).alpha, 0);
}

TEST_F(TELayoutFrameDrawingTests, everyShadowFallsBeneathTextDrawnOnce)
{
    auto shadows = ArrayValue::make({ShadowValue::make(Size{0, 12}, 0, blue()), ShadowValue::make(Size{25, 0}, 0, green())});
    auto context = draw(AttributedString(u"a", coloured(red(), {{std::string(TEShadowsAttribute), shadows}})));
    Pixel text = pixel(*context, 10, 20);
    EXPECT_EQ(text.red, 255);
    EXPECT_EQ(text.green, 0);
    EXPECT_EQ(text.blue, 0);
    Pixel below = pixel(*context, 10, 40);
    EXPECT_EQ(below.blue, 255);
    Pixel right = pixel(*context, 35, 20);
    EXPECT_EQ(right.green, 255);
    EXPECT_EQ(pixel(*context, 35, 40).alpha, 0);
}

TEST_F(TELayoutFrameDrawingTests, aBlurredShadowFadesOutFromTheGlyph)
{
    auto shadows = ArrayValue::make({ShadowValue::make(Size{0, 0}, 6, blue())});
    auto context = draw(AttributedString(u"a", coloured(red(), {{std::string(TEShadowsAttribute), shadows}})));
    Pixel near = pixel(*context, 22, 20);
    Pixel far = pixel(*context, 40, 20);
    EXPECT_GT(near.alpha, 0);
    EXPECT_LT(near.alpha, 255);
    EXPECT_EQ(far.alpha, 0);
}

TEST_F(TELayoutFrameDrawingTests, aOnePointShadowOffsetIsDrawnAsOneAndAHalfOnAOneTimesContext)
{
    auto shadows = ArrayValue::make({ShadowValue::make(Size{1, 0}, 0, blue())});
    AttributedString text(u"a", coloured(red(), {{std::string(TEShadowsAttribute), shadows}}));
    // The glyph ends at 20; its shadow at 21.5 covers half of pixel 21.
    Pixel edge = pixel(*draw(text), 21, 20);
    EXPECT_GT(edge.alpha, 0);
    EXPECT_LT(edge.alpha, 255);
    // At twice the scale the offset stays 1: device pixel 42 stays clear.
    EXPECT_EQ(pixel(*draw(text, TELayoutFrameDrawingDefault, 2), 42, 40).alpha, 0);
}

TEST_F(TELayoutFrameDrawingTests, linksAreLeftOutWhenAskedAndHighlightedWhenAsked)
{
    MutableAttributedString text(u"ab", coloured(blue()));
    text.addAttribute(TELinkAttribute, URLValue::make("https://example.com/"), Range{1, 1});
    text.addAttribute(TELinkHighlightColorAttribute, ColorValue::make(green()), Range{1, 1});
    auto omitted = draw(text, TELayoutFrameDrawingDefault | TELayoutFrameDrawingOmitLinks);
    EXPECT_EQ(pixel(*omitted, 10, 20).blue, 255);
    EXPECT_EQ(pixel(*omitted, 30, 20).alpha, 0);
    auto plain = draw(text);
    EXPECT_EQ(pixel(*plain, 30, 20).blue, 255);
    auto highlighted = draw(text, TELayoutFrameDrawingDefault | TELayoutFrameDrawingDrawLinksHighlighted);
    EXPECT_EQ(pixel(*highlighted, 30, 20).green, 255);
    EXPECT_EQ(pixel(*highlighted, 10, 20).blue, 255);
}

TEST_F(TELayoutFrameDrawingTests, nestedTextBlocksDrawOuterThenInnerInsetByTheOuterPaddings)
{
    auto outer = TETextBlock::make(TEEdgeInsets{0, 10, 0, 10}, blue());
    auto inner = TETextBlock::make(TEEdgeInsets{4, 0, 0, 0}, green());
    MutableAttributedString text(u"ab\n", coloured(red(), {{std::string(TETextBlocksAttribute), ArrayValue::make({outer})}}));
    text.appendString(u"cd", coloured(red(), {{std::string(TETextBlocksAttribute), ArrayValue::make({outer, inner})}}));
    auto frame = layOut(text, makeRect(0, 0, 200, 100));
    ASSERT_EQ(frame->lines().size(), 2u);
    double innerTop = frame->lines()[1]->frame().minY() - 4;
    int y = static_cast<int>(frame->lines()[1]->frame().maxY()) - 1;
    auto context = GraphicsContext::imageContext(Size{200, 100});
    frame->drawInContext(**context, TELayoutFrameDrawingDefault);
    EXPECT_EQ(pixel(**context, 5, y).blue, 255);
    EXPECT_EQ(pixel(**context, 195, y).blue, 255);
    EXPECT_EQ(pixel(**context, 15, y).green, 255);
    EXPECT_EQ(pixel(**context, 185, y).green, 255);
    // Above the inner block's padding only the outer block shows.
    EXPECT_EQ(pixel(**context, 100, static_cast<int>(innerTop) - 2).blue, 255);

    // A handler may take over a block's background.
    int handled = 0;
    frame->setTextBlockHandler([&](const TETextBlock& block, Rect, GraphicsContext&, bool& drawBackground) {
        ++handled;
        drawBackground = &block != inner.get();
    });
    auto handledContext = GraphicsContext::imageContext(Size{200, 100});
    frame->drawInContext(**handledContext, TELayoutFrameDrawingDefault);
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(pixel(**handledContext, 15, y).blue, 255);
}

TEST_F(TELayoutFrameDrawingTests, underlinesAreDrawnWithTheGlyphs)
{
    auto context = draw(AttributedString(
        u"a b", coloured(blue(), {{std::string(kCTUnderlineStyleAttributeName), IntegerValue::make(1)}})));
    // Underline position -0.1 em: 4 points under the baseline at 33.
    EXPECT_EQ(pixel(*context, 30, 37).blue, 255);
    EXPECT_EQ(pixel(*context, 30, 34).alpha, 0);
}

} // namespace
} // namespace folio
