#include "formats/rtf/DKRTFPageSettings.h"
#include "formats/rtf/DKRTFReader.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include "RTFReaderTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace folio {
namespace {

// RTF written by other word processors, made by hand in their style: the
// reader must get their text across intact, whatever it makes of the rest.
class RTFReaderForeignTests : public RTFReaderTest {
protected:
    static std::u16string fixture(const std::string& name)
    {
        Result<Data> data = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf/" + name);
        EXPECT_TRUE(data.ok()) << name;
        // Documents are read as UTF-8, as the document does.
        return data.ok() ? toUtf16(data->stringView()) : std::u16string();
    }
};

TEST_F(RTFReaderForeignTests, wordDocumentWithStylesheetInfoAndThemeReadsItsTextOnly)
{
    AttributedString string = read(fixture("word-style.rtf"));
    EXPECT_EQ(string.string(),
              u"The first paragraph has bold text and a caf\u00E9 \u2013 done.\nSecond line\n\uFEFFBullet item\n");
    EXPECT_TRUE(m_warnings.empty());

    std::size_t bold = string.string().find(u"bold");
    const auto* font = string.attributesAtIndex(bold)->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(font->font().face().isBold());
    EXPECT_DOUBLE_EQ(font->font().pointSize(), 11);

    std::size_t second = string.string().find(u"Second");
    AttributeValuePtr colour = string.attributeAtIndex(kCTForegroundColorAttributeName, second);
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->as<ColorValue>()->color(), Color::colorWithRed(0, 0, 1));

    EXPECT_NEAR(*m_pageSettings.number(DKRTFPageSettings::kPageMarginLeftKey), 2.54, 0.001);
}

TEST_F(RTFReaderForeignTests, nestedTablesKeepTheirCellsApartInTheOuterCell)
{
    AttributedString string = read(fixture("nested-tables.rtf"));
    EXPECT_EQ(string.string(), u"Before table\nA1\tB1\nA2\tInner\tB2\nAfter table\n");
}

TEST_F(RTFReaderForeignTests, unicodeInEscapesCodePagesAndSurrogatePairs)
{
    AttributedString string = read(fixture("unicode.rtf"));
    EXPECT_EQ(string.string(), u"Gr\u00FC\u00DFe: Gr\u00FC\u00DFe \u2014 end\n\u4E2D\u6587\n\u4E2D\u6587\n"
                               u"\u0391\u03B8\u03B7\n\U0001F600 smile\n\u05D0\u05D1rtl");
}

TEST_F(RTFReaderForeignTests, everyPrefixOfAForeignDocumentReadsWithoutLosingEarlierText)
{
    // Truncated files keep what was read: each prefix's text is a prefix of
    // the whole text, give or take the run being read when the file ended.
    const std::u16string rtf = fixture("word-style.rtf");
    const std::u16string whole = read(rtf).string();
    std::size_t longest = 0;
    for (std::size_t length = 5; length <= rtf.size(); length += 29) {
        std::u16string text = read(rtf.substr(0, length)).string();
        ASSERT_LE(text.size(), whole.size() + 1) << length;
        EXPECT_GE(text.size() + 64, longest) << length;
        longest = std::max(longest, text.size());
    }
    EXPECT_EQ(longest, whole.size());
}

} // namespace
} // namespace folio
