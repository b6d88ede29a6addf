#include "platform/graphics/FontconfigFontCatalog.h"
#include "platform/graphics/GraphicsContext.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// Bounding box of the pixels that are not transparent.
Rect inkBounds(const Image& image)
{
    int minX = image.pixelWidth(), minY = image.pixelHeight(), maxX = -1, maxY = -1;
    for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            if (image.pixelAt(x, y).a > 64) {
                minX = std::min(minX, x), minY = std::min(minY, y);
                maxX = std::max(maxX, x), maxY = std::max(maxY, y);
            }
        }
    }
    if (maxX < 0)
        return {};
    return makeRect(minX, minY, maxX - minX + 1, maxY - minY + 1);
}

class GraphicsContextTests : public ::testing::Test {
protected:
    std::shared_ptr<FontconfigFontCatalog> catalog = std::make_shared<FontconfigFontCatalog>();
};

TEST_F(GraphicsContextTests, fillsRectsInTransformedSpaceAtTheContextScale)
{
    auto context = GraphicsContext::imageContext({20, 10}, 2);
    ASSERT_TRUE(context);
    (*context)->setFillColor(Color::colorWithRed(0, 0, 1));
    (*context)->saveGState();
    (*context)->translateCTM(5, 0);
    (*context)->fillRect(makeRect(0, 0, 5, 5));
    (*context)->restoreGState();
    EXPECT_EQ((*context)->currentTransform(), AffineTransform::scale(2, 2));

    auto image = (*context)->makeImage();
    ASSERT_TRUE(image);
    EXPECT_EQ((*image)->pixelSize(), (Size{40, 20}));
    EXPECT_EQ((*image)->size(), (Size{20, 10}));
    EXPECT_EQ(inkBounds(**image), makeRect(10, 0, 10, 10));
    EXPECT_EQ((*image)->pixelAt(12, 4), (Rgba8{0, 0, 255, 255}));
    EXPECT_FALSE(GraphicsContext::imageContext({0, 10}));
}

TEST_F(GraphicsContextTests, drawsImagesIntoRects)
{
    std::vector<std::uint8_t> green(4 * 4 * 4);
    for (std::size_t i = 0; i < green.size(); i += 4)
        green[i + 1] = 200, green[i + 3] = 255;
    auto image = Image::imageWithPixels(4, 4, green);
    ASSERT_TRUE(image);
    auto context = GraphicsContext::imageContext({30, 30});
    ASSERT_TRUE(context);
    (*context)->drawImage(**image, makeRect(10, 5, 8, 16));
    auto drawn = (*context)->makeImage();
    ASSERT_TRUE(drawn);
    EXPECT_EQ(inkBounds(**drawn), makeRect(10, 5, 8, 16));
    EXPECT_EQ((*drawn)->pixelAt(14, 12), (Rgba8{0, 200, 0, 255}));
}

TEST_F(GraphicsContextTests, drawsTextWithinTheSizeItReports)
{
    auto font = Font::fontWithName("LiberationSans", 20, catalog);
    ASSERT_TRUE(font);
    auto context = GraphicsContext::imageContext({300, 60});
    ASSERT_TRUE(context);
    Size size = (*context)->drawText(u"Folio écrit", {10, 5}, *font, Color::colorWithRed(0, 0, 0));
    EXPECT_GT(size.width, 60);
    EXPECT_GT(size.height, 15);
    EXPECT_LT(size.height, 40);

    auto image = (*context)->makeImage();
    ASSERT_TRUE(image);
    Rect ink = inkBounds(**image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.minX(), 10);
    EXPECT_GE(ink.minY(), 5);
    EXPECT_LE(ink.maxX(), 10 + size.width + 1);
    EXPECT_LE(ink.maxY(), 5 + size.height + 1);
    // Capitals rise about the cap height above the baseline.
    EXPECT_NEAR(ink.height(), font->capHeight() + font->descender(), 6);
}

TEST_F(GraphicsContextTests, measuresTextBySizeAndWrapWidth)
{
    auto font = Font::fontWithName("Tinos", 12, catalog);
    ASSERT_TRUE(font);
    auto context = GraphicsContext::imageContext({10, 10});
    ASSERT_TRUE(context);
    std::u16string text = u"The quick brown fox jumps over the lazy dog";
    Size small = (*context)->sizeOfText(text, *font);
    Size large = (*context)->sizeOfText(text, font->copyWithSize(24));
    EXPECT_NEAR(large.width, small.width * 2, small.width * 0.1);
    Size wrapped = (*context)->sizeOfText(text, *font, small.width / 2);
    EXPECT_LE(wrapped.width, small.width / 2);
    EXPECT_GE(wrapped.height, small.height * 2);
}

TEST_F(GraphicsContextTests, slantsTextByTheFontMatrix)
{
    auto font = Font::fontWithName("Arimo", 40, catalog);
    ASSERT_TRUE(font);
    auto upright = GraphicsContext::imageContext({80, 60});
    auto slanted = GraphicsContext::imageContext({80, 60});
    ASSERT_TRUE(upright && slanted);
    (*upright)->drawText(u"l", {20, 0}, *font, Color::colorWithRed(0, 0, 0));
    (*slanted)->drawText(u"l", {20, 0}, font->copyWithMatrix({1, 0, 0.25, 1, 0, 0}), Color::colorWithRed(0, 0, 0));
    Rect straight = inkBounds(**(*upright)->makeImage());
    Rect leaning = inkBounds(**(*slanted)->makeImage());
    // The stem of an "l" leans right: wider ink, and its top moves right.
    EXPECT_GT(leaning.width(), straight.width() + 5);
    EXPECT_GT(leaning.maxX(), straight.maxX() + 3);
}

} // namespace
} // namespace folio
