#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/FontCatalog.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/text/Typesetter.h"

#include <gtest/gtest.h>
#include <cairo.h>
#include <hb.h>

#include <cmath>
#include <functional>

namespace folio {
namespace {

AttributeDictionaryPtr fontAttributes(const Font& font)
{
    return AttributeDictionary::make({{std::string(TextAttributeName::Font), FontAttributeValue::make(font)}});
}

AttributeDictionaryPtr styled(const Font& font, PlatformParagraphStyle::Settings settings)
{
    return AttributeDictionary::make(
        {{std::string(TextAttributeName::Font), FontAttributeValue::make(font)},
         {std::string(TextAttributeName::ParagraphStyle), ParagraphStyleValue::make(PlatformParagraphStyle(settings))}});
}

// The fixed test faces: every character is half an em wide, so 10-point text
// is 5 points a character.
class TypesetterFixedMetricsTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = FontCatalog::shared();
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
        m_font = *Font::fontWithName("Helvetica", 10);
    }
    void TearDown() override { FontCatalog::setShared(m_previous); }

    AttributedString text(std::u16string string) const { return AttributedString(std::move(string), fontAttributes(m_font)); }
    static std::u16string glyphText(const TypesetLine& line)
    {
        std::u16string result;
        for (const TypesetRun& run : line.runs())
            for (std::uint32_t glyph : run.glyphs())
                result += glyph == TypesetRun::kBlankGlyph ? u'_' : static_cast<char16_t>(glyph);
        return result;
    }

    std::shared_ptr<FontCatalog> m_previous;
    Font m_font = *Font::fontWithName("Helvetica", 10);
};

TEST_F(TypesetterFixedMetricsTests, suggestsBreaksAfterWordsLettingSpacesHangAndEndingAtLineFeeds)
{
    Typesetter typesetter(text(u"aaaa bbbb cccc\ndd"));
    // "aaaa " is 25 points; "aaaa bbbb" would be 45.
    EXPECT_EQ(typesetter.suggestLineBreak(0, 30), 5u);
    // The space after "bbbb" hangs past a width of exactly 45.
    EXPECT_EQ(typesetter.suggestLineBreak(0, 45), 10u);
    // The line feed ends the line, whatever the width.
    EXPECT_EQ(typesetter.suggestLineBreak(10, 1000), 5u);
    EXPECT_EQ(typesetter.suggestLineBreak(15, 1000), 2u);
    EXPECT_EQ(typesetter.suggestLineBreak(17, 1000), 0u);
}

TEST_F(TypesetterFixedMetricsTests, breaksAWordLongerThanTheLineBetweenCharactersAndAlwaysPlacesOne)
{
    Typesetter typesetter(text(u"abcdefghij"));
    EXPECT_EQ(typesetter.suggestLineBreak(0, 22), 4u);
    EXPECT_EQ(typesetter.suggestLineBreak(0, 1), 1u);
    EXPECT_EQ(typesetter.suggestLineBreak(0, 0), 1u);
    EXPECT_EQ(typesetter.suggestLineBreak(0, -10), 1u);
}

TEST_F(TypesetterFixedMetricsTests, measuresLinesAndMapsOffsetsToIndicesAndBack)
{
    Typesetter typesetter(text(u"abc def  "));
    TypesetLine line = typesetter.createLine(Range{0, 9});
    EXPECT_DOUBLE_EQ(line.width(), 45);
    EXPECT_DOUBLE_EQ(line.trailingWhitespaceWidth(), 10);
    EXPECT_DOUBLE_EQ(line.ascent(), 7.7);
    EXPECT_DOUBLE_EQ(line.descent(), 2.3);
    EXPECT_DOUBLE_EQ(line.offsetForStringIndex(4), 20);
    EXPECT_DOUBLE_EQ(line.offsetForStringIndex(9), 45);
    EXPECT_EQ(line.stringIndexForPosition(21), 4u);
    EXPECT_EQ(line.stringIndexForPosition(23), 5u);
    EXPECT_EQ(line.stringIndexForPosition(-5), 0u);
    EXPECT_EQ(line.stringIndexForPosition(500), 9u);
    // Flush right in 100 points: the trailing spaces hang outside.
    EXPECT_DOUBLE_EQ(line.penOffsetForFlush(1.0, 100), 65);
    EXPECT_DOUBLE_EQ(line.penOffsetForFlush(0.5, 100), 32.5);
    EXPECT_DOUBLE_EQ(line.penOffsetForFlush(1.0, 10), 0);
}

TEST_F(TypesetterFixedMetricsTests, setsTabsOnTheStyleStopsThenOnTheDefaultInterval)
{
    PlatformParagraphStyle::Settings settings;
    settings.tabStops = std::vector<TextTab>{{12, TextAlignment::Left}, {50, TextAlignment::Left}};
    settings.defaultTabInterval = 40;
    Typesetter typesetter(AttributedString(u"a\tb\tc\td", styled(m_font, settings)));
    TypesetLine line = typesetter.createLine(Range{0, 7});
    const TypesetRun& run = line.runs().front();
    EXPECT_DOUBLE_EQ(run.positions()[2].x, 12);
    EXPECT_DOUBLE_EQ(run.positions()[4].x, 50);
    EXPECT_DOUBLE_EQ(run.positions()[6].x, 80);
    EXPECT_EQ(run.glyphs()[1], TypesetRun::kBlankGlyph);

    Typesetter plain(text(u"ab\tc"));
    EXPECT_DOUBLE_EQ(plain.createLine(Range{0, 4}).runs().front().positions()[3].x, 28);
}

TEST_F(TypesetterFixedMetricsTests, truncatesAtTheEndTheStartAndTheMiddleWithTheToken)
{
    Typesetter typesetter(text(u"abcdefghij"));
    TypesetLine line = typesetter.createLine(Range{0, 10});
    TypesetLine token = Typesetter::lineWithAttributedString(text(u"~"));
    TypesetLine end = typesetter.createTruncatedLine(line, 30, TruncationType::End, token);
    EXPECT_EQ(glyphText(end), u"abcde~");
    EXPECT_DOUBLE_EQ(end.width(), 30);
    EXPECT_EQ(glyphText(typesetter.createTruncatedLine(line, 30, TruncationType::Start, token)), u"~fghij");
    EXPECT_EQ(glyphText(typesetter.createTruncatedLine(line, 30, TruncationType::Middle, token)), u"ab~hij");
    EXPECT_EQ(typesetter.truncationIndex(line, 30, token), 5u);
    // A line that fits stays as it is; nothing but the token fits in 3 points.
    EXPECT_EQ(glyphText(typesetter.createTruncatedLine(line, 60, TruncationType::End, token)), u"abcdefghij");
    EXPECT_EQ(glyphText(typesetter.createTruncatedLine(line, 3, TruncationType::End, token)), u"~");
}

TEST_F(TypesetterFixedMetricsTests, justifiesByWideningInnerSpacesOnly)
{
    Typesetter typesetter(text(u"aa bb cc "));
    TypesetLine line = typesetter.createLine(Range{0, 9});
    std::optional<TypesetLine> justified = line.justifiedLine(1.0, 60);
    ASSERT_TRUE(justified);
    const TypesetRun& run = justified->runs().front();
    // 40 points of ink, two inner spaces share the missing 20.
    EXPECT_DOUBLE_EQ(run.positions()[3].x, 25);
    EXPECT_DOUBLE_EQ(run.positions()[7].x, 55);
    EXPECT_DOUBLE_EQ(justified->width() - justified->trailingWhitespaceWidth(), 60);
    EXPECT_FALSE(typesetter.createLine(Range{0, 2}).justifiedLine(1.0, 60));
}

TEST_F(TypesetterFixedMetricsTests, answersEmptyLinesAndNoBreaksPastTheText)
{
    Typesetter typesetter(text(u"ab"));
    EXPECT_EQ(typesetter.createLine(Range{5, 3}).glyphCount(), 0u);
    EXPECT_EQ(typesetter.createLine(Range{0, 0}).stringIndexForPosition(3), NotFound);
    Typesetter empty(AttributedString{});
    EXPECT_EQ(empty.suggestLineBreak(0, 100), 0u);
}

// Real fonts: the advances must be HarfBuzz's own for the installed file.
class TypesetterInstalledFontTests : public ::testing::Test {
protected:
    static double harfBuzzWidth(const Font& font, const std::u16string& text)
    {
        hb_blob_t* blob = hb_blob_create_from_file(font.face().filePath.c_str());
        hb_face_t* face = hb_face_create(blob, static_cast<unsigned>(font.face().faceIndex));
        hb_font_t* hbFont = hb_font_create(face);
        hb_buffer_t* buffer = hb_buffer_create();
        hb_buffer_add_utf16(buffer, reinterpret_cast<const std::uint16_t*>(text.data()), static_cast<int>(text.size()),
                            0, -1);
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(hbFont, buffer, nullptr, 0);
        unsigned count = 0;
        hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
        double width = 0;
        for (unsigned i = 0; i < count; ++i)
            width += positions[i].x_advance;
        int xScale = 0, yScale = 0;
        hb_font_get_scale(hbFont, &xScale, &yScale);
        width *= font.pointSize() / xScale;
        hb_buffer_destroy(buffer);
        hb_font_destroy(hbFont);
        hb_face_destroy(face);
        hb_blob_destroy(blob);
        return width;
    }
};

TEST_F(TypesetterInstalledFontTests, lineAndRunWidthsAreHarfBuzzAdvances)
{
    std::optional<Font> font = Font::fontWithName("DejaVu Sans", 24);
    ASSERT_TRUE(font);
    ASSERT_FALSE(font->face().filePath.empty());
    const std::u16string string = u"Typeset AVATAR office";
    Typesetter typesetter(AttributedString(string, fontAttributes(*font)));
    TypesetLine line = typesetter.createLine(Range{0, string.size()});
    EXPECT_NEAR(line.width(), harfBuzzWidth(*font, string), 1e-6);
    ASSERT_EQ(line.runs().size(), 1u);
    EXPECT_NEAR(line.runs().front().width(), line.width(), 1e-9);
    EXPECT_GT(line.ascent(), 0);
    Rect ink = line.imageBounds();
    EXPECT_LT(ink.minY(), 0);
    EXPECT_LE(ink.maxX(), line.width() + 1);
}

TEST_F(TypesetterInstalledFontTests, setsRightToLeftAndMixedRunsInVisualOrder)
{
    std::optional<Font> font = Font::fontWithName("DejaVu Sans", 20);
    ASSERT_TRUE(font);
    // Hebrew alef, bet, gimel between two English words.
    const std::u16string string = u"abc \u05D0\u05D1\u05D2 def";
    Typesetter typesetter(AttributedString(string, fontAttributes(*font)));
    TypesetLine line = typesetter.createLine(Range{0, string.size()});
    EXPECT_FALSE(line.isRightToLeft());
    ASSERT_EQ(line.runs().size(), 3u);
    const TypesetRun& hebrew = line.runs()[1];
    EXPECT_TRUE(hebrew.isRightToLeft());
    EXPECT_FALSE(line.runs()[0].isRightToLeft());
    EXPECT_EQ(hebrew.stringIndices(), (std::vector<std::size_t>{6, 5, 4}));
    // The caret before alef stands at the right edge of its glyph.
    EXPECT_NEAR(line.offsetForStringIndex(4), hebrew.positions()[2].x + hebrew.advances()[2], 1e-9);
    // A point on the left half of alef (the rightmost Hebrew glyph) is after it.
    EXPECT_EQ(line.stringIndexForPosition(hebrew.positions()[2].x + 1), 5u);
    EXPECT_NEAR(line.width(), harfBuzzWidth(*font, string), 1e-6);

    const std::u16string hebrewOnly = u"\u05E9\u05DC\u05D5\u05DD abc";
    Typesetter rtl(AttributedString(hebrewOnly, fontAttributes(*font)));
    TypesetLine rtlLine = rtl.createLine(Range{0, hebrewOnly.size()});
    EXPECT_TRUE(rtlLine.isRightToLeft());
    // Visually the English word comes first, at the left.
    EXPECT_FALSE(rtlLine.runs().front().isRightToLeft());
    EXPECT_EQ(rtlLine.runs().front().stringIndices().front(), 5u);
}

TEST_F(TypesetterInstalledFontTests, drawsTheShapedGlyphsWhereTheirInkIs)
{
    std::optional<Font> font = Font::fontWithName("DejaVu Sans", 40);
    ASSERT_TRUE(font);
    Typesetter typesetter(AttributedString(u"I", fontAttributes(*font)));
    TypesetLine line = typesetter.createLine(Range{0, 1});
    auto context = GraphicsContext::imageContext(Size{60, 60});
    ASSERT_TRUE(context.ok());
    const Point origin{10, 45};
    line.draw(**context, origin, [](const TypesetRun&) { return Color::colorWithRed(0, 0, 1); });
    Rect ink = line.imageBounds();
    cairo_surface_t* surface = cairo_get_target((*context)->cairoContext());
    cairo_surface_flush(surface);
    auto alphaAt = [&](double x, double y) {
        const unsigned char* row =
            cairo_image_surface_get_data(surface) + static_cast<int>(y) * cairo_image_surface_get_stride(surface);
        return reinterpret_cast<const std::uint32_t*>(row)[static_cast<int>(x)] >> 24;
    };
    EXPECT_EQ(alphaAt(origin.x + ink.midX(), origin.y + ink.midY()), 255u);
    EXPECT_EQ(alphaAt(origin.x + ink.maxX() + 3, origin.y + ink.midY()), 0u);
    EXPECT_EQ(alphaAt(origin.x + ink.midX(), origin.y + ink.minY() - 3), 0u);

    // The outlines cover the same ink.
    GraphicsPath outline = line.runs().front().glyphOutlines();
    Rect box = outline.boundingBox();
    EXPECT_NEAR(box.minX(), ink.minX(), 0.5);
    EXPECT_NEAR(box.minY(), ink.minY(), 0.5);
    EXPECT_NEAR(box.maxX(), ink.maxX(), 0.5);
    EXPECT_NEAR(box.maxY(), ink.maxY(), 0.5);
}

TEST_F(TypesetterInstalledFontTests, charactersTheFaceLacksAreSetAndDrawnWithAFaceThatHasThem)
{
    // Liberation Sans has no check mark; DejaVu Sans, also installed, has.
    std::optional<Font> font = Font::fontWithName("Liberation Sans", 40);
    ASSERT_TRUE(font);
    ASSERT_EQ(font->face().familyName, "Liberation Sans");
    const std::u16string string = u"A\u2713B";
    Typesetter typesetter(AttributedString(string, fontAttributes(*font)));
    TypesetLine line = typesetter.createLine(Range{0, string.size()});
    ASSERT_EQ(line.runs().size(), 3u);
    const TypesetRun& check = line.runs()[1];
    EXPECT_NE(check.font().face().familyName, "Liberation Sans");
    EXPECT_EQ(check.font().pointSize(), 40);
    EXPECT_EQ(check.stringRange(), (Range{1, 1}));
    ASSERT_EQ(check.glyphCount(), 1u);
    EXPECT_NE(check.glyphs().front(), 0u);
    EXPECT_EQ(line.runs()[0].font().face().familyName, "Liberation Sans");
    EXPECT_EQ(line.runs()[2].font().face().familyName, "Liberation Sans");
    EXPECT_NEAR(line.runs()[2].positions().front().x, check.positions().front().x + check.width(), 1e-9);
    // Line breaking measures the check mark as it is set.
    EXPECT_EQ(typesetter.suggestLineBreak(0, line.width() + 0.01), 3u);
    EXPECT_LT(typesetter.suggestLineBreak(0, line.width() - 1), 3u);

    // What is drawn in the check mark's place is the stand-in's glyph, not the box.
    const Point origin{10, 50};
    auto inkOf = [&](const std::function<void(GraphicsContext&)>& draw) {
        auto context = GraphicsContext::imageContext(Size{160, 70});
        EXPECT_TRUE(context.ok());
        draw(**context);
        cairo_surface_t* surface = cairo_get_target((*context)->cairoContext());
        cairo_surface_flush(surface);
        std::vector<std::uint32_t> alpha;
        for (int y = 0; y < 70; ++y)
            // Two pixels in from each side, where the neighbours' edges do not reach.
            for (int x = static_cast<int>(origin.x + check.positions().front().x) + 2;
                 x < static_cast<int>(origin.x + check.positions().front().x + check.width()) - 2; ++x)
                alpha.push_back(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface)
                                                                        + y * cairo_image_surface_get_stride(surface))[x]
                                >> 24);
        return alpha;
    };
    const Color black = Color::colorWithWhite(0);
    std::vector<std::uint32_t> drawn = inkOf([&](GraphicsContext& context) {
        line.draw(context, origin, [&](const TypesetRun&) { return black; });
    });
    std::vector<std::uint32_t> glyph = inkOf([&](GraphicsContext& context) {
        context.drawGlyphs(check.font(), check.glyphs(), check.positions(), origin, black);
    });
    std::vector<std::uint32_t> box = inkOf([&](GraphicsContext& context) {
        context.drawGlyphs(*font, {0u}, check.positions(), origin, black);
    });
    EXPECT_EQ(drawn, glyph);
    EXPECT_NE(drawn, box);
}

} // namespace
} // namespace folio
