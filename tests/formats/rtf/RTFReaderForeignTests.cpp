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
    // The inner row ends with a line end of the outer cell, "B2" being the
    // words after the inner table; its cell and row ends are marked apart
    // from the outer ones, with the inner row's widths.
    AttributedString string = read(fixture("nested-tables.rtf"));
    EXPECT_EQ(string.string(), u"Before table\nA1\tB1\nA2\tInner\t\u2028B2\nAfter table\n");
    const std::size_t innerCell = string.string().find(u"Inner\t") + 5;
    EXPECT_TRUE(string.attributesAtIndex(innerCell)->containsKey(TEIsEndNestedTableCellKey));
    EXPECT_FALSE(string.attributesAtIndex(innerCell)->containsKey(TEIsEndTableCellKey));
    EXPECT_TRUE(string.attributesAtIndex(innerCell + 1)->containsKey(TEIsEndNestedTableRowKey));
    const auto* style = string.attributeAtIndex(TETableCellStyleKey, innerCell)->as<StringMapValue>();
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->map().at("width"), u"50pt");
}

TEST_F(RTFReaderForeignTests, unicodeInEscapesCodePagesAndSurrogatePairs)
{
    AttributedString string = read(fixture("unicode.rtf"));
    EXPECT_EQ(string.string(), u"Gr\u00FC\u00DFe: Gr\u00FC\u00DFe \u2014 end\n\u4E2D\u6587\n\u4E2D\u6587\n"
                               u"\u0391\u03B8\u03B7\n\U0001F600 smile\n\u05D0\u05D1rtl");
}

// Attribute values at the first occurrence of `word`.
const AttributeValue* valueAtWord(const AttributedString& string, std::u16string_view word, std::string_view key)
{
    std::size_t at = string.string().find(word);
    return at == std::u16string::npos ? nullptr : string.attributeAtIndex(key, at).get();
}

std::size_t countOf(const std::u16string& text, std::u16string_view part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(RTFReaderForeignTests, wordDocumentKeepsListsTablesLinksPicturesNotesAndTextBoxes)
{
    AttributedString string = read(fixture("word-lists-tables.rtf"));
    const std::u16string& text = string.string();
    EXPECT_NE(text.find(u"Field notes\n"), std::u16string::npos) << toUtf8(text);
    EXPECT_NE(text.find(u"Site\tBirds\nNorth meadow\t14\n"), std::u16string::npos) << toUtf8(text);
    EXPECT_EQ(text.find(u"head link"), std::u16string::npos);
    // Word's hidden text stays, marked hidden, for the save.
    ASSERT_NE(text.find(u"returnhidden remark, see"), std::u16string::npos) << toUtf8(text);
    EXPECT_NE(valueAtWord(string, u"hidden remark", TEHiddenAttribute), nullptr);
    EXPECT_EQ(valueAtWord(string, u", see", TEHiddenAttribute), nullptr);
    // Shown in capitals, kept as typed.
    ASSERT_NE(text.find(u"in june"), std::u16string::npos);
    EXPECT_NE(valueAtWord(string, u"june", TECapitalsAttribute), nullptr);
    EXPECT_EQ(countOf(text, u"Pack the nets"), 1u);
    EXPECT_EQ(countOf(text, u"\uFEFFNorth meadow") + countOf(text, u"\uFEFFOrchids") + countOf(text, u"\uFEFFStone") +
                  countOf(text, u"\uFEFFBring"),
              4u);
    const auto* link = valueAtWord(string, u"the site list", TELinkAttribute);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->as<URLValue>()->urlString(), "https://example.org/sites");
    std::size_t attachments = 0;
    string.enumerateAttribute(NSAttachmentAttributeName, Range{0, string.length()}, AttributeEnumerationOptions::None,
                              [&](const AttributeValuePtr& value, Range, bool&) { attachments += value ? 1 : 0; });
    // The footnote and the picture; the metafile fallback is left out.
    EXPECT_EQ(attachments, 2u);
}

TEST_F(RTFReaderForeignTests, libreOfficeWordPadAndTextEditDocumentsReadWhole)
{
    AttributedString survey = read(fixture("libreoffice-survey.rtf"));
    EXPECT_NE(survey.string().find(u"Hour\tDepth\nDawn\t2.4 m\n"), std::u16string::npos) << toUtf8(survey.string());
    // In small capitals, kept as typed.
    // Hidden words between stay, marked hidden, for the save.
    ASSERT_NE(survey.string().find(u"second officer(draft) at noon."), std::u16string::npos) << toUtf8(survey.string());
    EXPECT_NE(valueAtWord(survey, u"second officer", TESmallCapitalsAttribute), nullptr);
    EXPECT_EQ(valueAtWord(survey, u"second officer", TEHiddenAttribute), nullptr);
    EXPECT_NE(valueAtWord(survey, u"(draft)", TEHiddenAttribute), nullptr);
    EXPECT_EQ(valueAtWord(survey, u" at noon", TEHiddenAttribute), nullptr);
    // Five list items and the footnote.
    EXPECT_EQ(countOf(survey.string(), u"\uFEFF"), 6u);
    ASSERT_NE(valueAtWord(survey, u"the harbour", TELinkAttribute), nullptr);

    Result<Data> wordpad = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf/wordpad-cyrillic.rtf");
    ASSERT_TRUE(wordpad.ok());
    Result<AttributedString> cyrillic = DKRTFReader::parseRTFData(wordpad->stringView(), std::nullopt);
    ASSERT_TRUE(cyrillic.ok());
    EXPECT_EQ(cyrillic->string(), u"\u041F\u043B\u0430\u043D \u043D\u0430 \u043D\u0435\u0434\u0435\u043B\u044E\n"
                                  u"\uFEFF\u0427\u0438\u0442\u0430\u0442\u044C \u043A\u043D\u0438\u0433\u0438\n"
                                  u"\uFEFF\u041F\u0438\u0441\u0430\u0442\u044C \u043F\u0438\u0441\u044C\u043C\u0430\n"
                                  u"\uFEFFCaf\u00E9\n\u0418\u0442\u043E\u0433\u043E: \u0442\u0440\u0438 \u0434\u043D\u044F\n");

    Result<Data> raw = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf/wordpad-raw-bytes.rtf");
    ASSERT_TRUE(raw.ok());
    Result<AttributedString> bytes = DKRTFReader::parseRTFData(raw->stringView(), std::nullopt);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(bytes->string(), u"\u041F\u043B\u0430\u043D \u043D\u0430 \u043D\u0435\u0434\u0435\u043B\u044E\nafter binary\n");

    AttributedString letter = read(fixture("textedit-letter.rtf"));
    EXPECT_TRUE(letter.string().starts_with(u"Letter from the coast\nDear\u00A0Ada")) << toUtf8(letter.string());
    EXPECT_NE(letter.string().find(u"\fP.S. the second page."), std::u16string::npos);
    const auto* cochin = valueAtWord(letter, u"Letter", kCTFontAttributeName);
    ASSERT_NE(cochin, nullptr);
    EXPECT_EQ(cochin->as<FontAttributeValue>()->font().postScriptName(), "Cochin");
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
