#include "platform/web/PDFShownGlyphs.h"

#include "platform/web/PDFObjectFile.h"
#include "PDFTestFile.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::PDFTestFile;
using Glyphs = std::set<std::uint16_t>;

// One page whose resources name two fonts, /A and /B, and a form /X; what the
// page and the form draw is up to each test.
class PDFShownGlyphsTest : public ::testing::Test {
protected:
    Result<PDFShownGlyphs> collect(const std::string& pageContent, const std::string& formContent = "q Q",
                                   const std::string& extraResources = {})
    {
        PDFTestFile pdf;
        pdf.add("<</Type /Catalog /Pages 2 0 R>>");
        pdf.add("<</Type /Pages /Kids [3 0 R] /Count 1 /Resources <</Font <</A 5 0 R /B 6 0 R>>>>>>");
        pdf.add("<</Type /Page /Parent 2 0 R /Contents 4 0 R /Resources <</Font 7 0 R /XObject <</X 8 0 R>> "
                + extraResources + ">>>>");
        pdf.add(PDFTestFile::stream(pageContent));
        m_fontA = pdf.add("<</Type /Font /Subtype /Type0 /Encoding /Identity-H>>");
        m_fontB = pdf.add("<</Type /Font /Subtype /Type0 /Encoding /Identity-H>>");
        m_fontDictionary = pdf.add("<</A 5 0 R /B 6 0 R /S 11 0 R>>");
        m_form = pdf.add(PDFTestFile::stream(formContent, " /Subtype /Form /Resources <</Font <</C 6 0 R>> /XObject <</X 8 0 R>>>>"));
        pdf.add("<</Type /ExtGState /Font [5 0 R 12]>>");
        pdf.add("<</Type /ExtGState /CA 0.5>>");
        m_simpleFont = pdf.add("<</Type /Font /Subtype /Type3 /FirstChar 97 /LastChar 99>>");
        m_file = PDFObjectFile::read(Data::fromString(pdf.bytes("/Root 1 0 R")));
        if (!m_file)
            return m_file.error();
        return PDFShownGlyphs::collect(*m_file);
    }

    Glyphs glyphsOf(const PDFShownGlyphs& shown, int font)
    {
        auto found = shown.glyphsOfFont().find(font);
        return found == shown.glyphsOfFont().end() ? Glyphs{} : found->second;
    }

    Result<PDFObjectFile> m_file = Error{};
    int m_fontA = 0, m_fontB = 0, m_fontDictionary = 0, m_form = 0, m_simpleFont = 0;
};

TEST_F(PDFShownGlyphsTest, CountsTheGlyphsOfEachShowingOperatorUnderTheCurrentFont)
{
    auto shown = collect("BT /A 12 Tf <0001> Tj [<0002> -20 (\\000\\003)] TJ <0004> ' 1 2 <0005> \" ET "
                         "q BT /B 9 Tf <0102> Tj ET Q "
                         // The font survives ET and comes back with Q.
                         "BT <0006> Tj ET");
    ASSERT_TRUE(shown) << shown.error().message;
    EXPECT_EQ(glyphsOf(*shown, m_fontA), (Glyphs{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(glyphsOf(*shown, m_fontB), (Glyphs{0x0102}));
    // A simple font's one-byte codes are no glyph ids.
    auto simple = collect("BT /S 12 Tf (abc) Tj /A 12 Tf <0009> Tj ET");
    ASSERT_TRUE(simple) << simple.error().message;
    EXPECT_EQ(glyphsOf(*simple, m_simpleFont), Glyphs{});
    EXPECT_EQ(glyphsOf(*simple, m_fontA), Glyphs{9});
    // The page's font dictionary stands in an object of its own.
    EXPECT_TRUE(shown->fontDictionaryHolders().contains(m_fontDictionary));
}

TEST_F(PDFShownGlyphsTest, FollowsFormsWithTheirOwnResourcesAndTheCallersFont)
{
    auto shown = collect("BT /A 12 Tf ET /X Do", "BT <0007> Tj /C 10 Tf <0008> Tj ET");
    ASSERT_TRUE(shown) << shown.error().message;
    EXPECT_EQ(glyphsOf(*shown, m_fontA), (Glyphs{7}));
    EXPECT_EQ(glyphsOf(*shown, m_fontB), (Glyphs{8}));
    EXPECT_TRUE(shown->fontDictionaryHolders().contains(m_form));
}

TEST_F(PDFShownGlyphsTest, RefusesContentItCannotFollowForCertain)
{
    EXPECT_FALSE(collect("BT /Missing 12 Tf <0001> Tj ET"));
    EXPECT_FALSE(collect("BT <0001> Tj ET"));
    EXPECT_FALSE(collect("BT /A 12 Tf <000102> Tj ET"));
    EXPECT_FALSE(collect("BI /W 1 /H 1 /BPC 8 /CS /G ID \x01 EI"));
    EXPECT_FALSE(collect("/S gs", "q Q", "/ExtGState <</S 9 0 R>>"));
    EXPECT_TRUE(collect("/S gs", "q Q", "/ExtGState <</S 10 0 R>>"));
    EXPECT_TRUE(collect("/D gs", "q Q", "/ExtGState <</D <</CA 1>>>>"));
    EXPECT_FALSE(collect("BT /A 12 Tf (unterminated Tj ET"));
    // A form that calls itself is read once per font, not forever.
    EXPECT_TRUE(collect("/X Do", "/X Do"));
}

} // namespace
} // namespace folio
