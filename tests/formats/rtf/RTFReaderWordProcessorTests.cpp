#include "formats/rtf/DKRTFReader.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include "RTFReaderTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

namespace folio {
namespace {

using namespace std::string_literals;

// The constructs that other word processors write and our own files do not:
// each minimal input must keep its text and its structure.
class RTFReaderWordProcessorTests : public RTFReaderTest {
protected:
    AttributedString readBytes(std::string_view rtf)
    {
        Result<AttributedString> result = DKRTFReader::parseRTFData(rtf);
        EXPECT_TRUE(result.ok());
        return result.ok() ? result.value() : AttributedString();
    }

    std::u16string text(std::u16string_view rtf) { return read(rtf).string(); }
    std::u16string html(std::u16string_view rtf) { return htmlString(read(rtf)); }

    static std::int64_t integerAt(const AttributedString& string, std::string_view key, std::size_t index)
    {
        AttributeValuePtr value = string.attributeAtIndex(key, index);
        const auto* integer = value ? value->as<IntegerValue>() : nullptr;
        return integer ? integer->value() : -1;
    }

    static const Font* fontAt(const AttributedString& string, std::size_t index)
    {
        AttributeDictionaryPtr attributes = string.attributesAtIndex(index);
        const auto* value = attributes ? attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName) : nullptr;
        return value ? &value->font() : nullptr;
    }

    // The list-style type of the innermost list that starts at `index`.
    static int listTypeAt(const AttributedString& string, std::size_t index)
    {
        AttributeValuePtr value = string.attributeAtIndex(TETextListsAttribute, index);
        const auto* lists = value ? value->as<ArrayValue>() : nullptr;
        if (!lists || lists->isEmpty())
            return -1;
        const auto* style = lists->elements().back()->as<TECSSListStyle>();
        return style ? static_cast<int>(style->type()) : -1;
    }
};

// --- Tables -------------------------------------------------------------------

TEST_F(RTFReaderWordProcessorTests, tableCellsEndWithATabAndRowsWithAParagraph)
{
    AttributedString string =
        read(uR"({\rtf1\ansi\trowd\cellx2000\cellx4500\pard\intbl Apple\cell Pear\cell\row\pard After\par})");
    ASSERT_EQ(string.string(), u"Apple\tPear\nAfter\n");
    EXPECT_EQ(integerAt(string, TEIsTableKey, 0), 1);
    EXPECT_EQ(integerAt(string, TEIsEndTableCellKey, 5), 1);
    EXPECT_EQ(integerAt(string, TETableCellWidthKey, 5), 2000);
    EXPECT_EQ(integerAt(string, TETableCellWidthKey, 10), 2500);
    EXPECT_EQ(integerAt(string, TETableCellRightBoundaryKey, 10), 4500);
    EXPECT_EQ(integerAt(string, TEIsEndTableRowKey, 10), 1);
    EXPECT_EQ(integerAt(string, TEIsTableKey, 11), 0);
    EXPECT_EQ(integerAt(string, TEIsEndTableCellKey, 11), -1);

    // Word repeats the row definition just before "\row"; a paragraph inside
    // a cell stays in its row; the fallback for old readers is skipped.
    EXPECT_EQ(text(uR"({\rtf1\pard\intbl A\par B\cell C\cell{\trowd\cellx100\cellx200\row}{\nonesttables x}\pard D})"),
              u"A\u2028B\tC\nD");
}

// Cells given before a row's "\trowd", with none after it, are the row's,
// as LibreOffice reads them: each cell mark ends at its own boundary, and
// a row's own "\cellx" words after the last "\row" start its definition
// afresh rather than adding to the row before's.
TEST_F(RTFReaderWordProcessorTests, cellsGivenBeforeTheRowsDefinitionAreTheRows)
{
    auto boundaries = [this](const AttributedString& string) {
        std::vector<std::vector<long long>> rows(1);
        const std::u16string& text = string.string();
        for (std::size_t at = 0; at < text.size(); ++at) {
            if (integerAt(string, TEIsEndTableCellKey, at) < 1 && integerAt(string, TEIsEndTableRowKey, at) < 1)
                continue;
            rows.back().push_back(integerAt(string, TETableCellRightBoundaryKey, at));
            if (integerAt(string, TEIsEndTableRowKey, at) == 1)
                rows.emplace_back();
        }
        rows.pop_back();
        return rows;
    };
    using Rows = std::vector<std::vector<long long>>;
    struct Case {
        std::u16string_view rtf;
        Rows expected;
    };
    const Case cases[] = {
        {uR"({\rtf1\cellx1000\cellx2500\intbl A\cell B\cell\trowd\row\pard After\par})", {{1000, 2500}}},
        {uR"({\rtf1\cellx1000\cellx2500\intbl A\cell B\cell\trowd\row\cellx3000\intbl C\cell\trowd\row})", {{1000, 2500}, {3000}}},
        {uR"({\rtf1\trowd\cellx1000\cellx2500\intbl A\cell B\cell\row\intbl C\cell D\cell\row})", {{1000, 2500}, {1000, 2500}}},
        {uR"({\rtf1\trowd\cellx1000\intbl A\cell\trowd\cellx4000\row})", {{4000}}},
        {uR"({\rtf1\trowd\cellx1000\cellx2000\intbl A\cell B\cell \par\row})", {{1000, 2000}}},
    };
    for (const Case& item : cases)
        EXPECT_EQ(boundaries(read(item.rtf)), item.expected) << toUtf8(item.rtf);

    const std::filesystem::path corpus = "/work/shared/corpus-open/rtf/libreoffice/fdo74823.rtf";
    if (!std::filesystem::exists(corpus))
        GTEST_SKIP() << "no " << corpus;
    const std::vector<long long> seven{2500, 5000, 5500, 6000, 6500, 7000, 10200};
    Result<Data> bytes = Data::dataWithContentsOfFile(corpus.string());
    ASSERT_TRUE(bytes.ok());
    const AttributedString table = readBytes(bytes->toString());
    EXPECT_EQ(boundaries(table), (Rows{seven, seven}));
    EXPECT_NE(table.string().find(u"A1\tB1\tC1"), std::u16string::npos);
}

// A note whose mark ends a cell keeps its mark there, before the cell's
// end, not before the text after the table.
TEST_F(RTFReaderWordProcessorTests, aNoteMarkEndingACellStaysInTheCell)
{
    auto marked = [this](const AttributedString& string) {
        std::u16string shown = string.string();
        for (std::size_t at = 0; at < shown.size(); ++at)
            if (string.attributeAtIndex(NSAttachmentAttributeName, at))
                shown[at] = u'*';
        return toUtf8(shown);
    };
    EXPECT_EQ(marked(read(uR"({\rtf1\trowd\cellx4000\cellx8000 A1\cell B1{\chftn{\footnote Note}}\cell\row\pard After\par})")),
              "A1\tB1*\nAfter\n");
    EXPECT_EQ(marked(read(uR"({\rtf1\trowd\cellx4000\cellx8000\intbl{\chftn{\footnote Note}}\cell B1\cell\row\pard After\par})")),
              "*\tB1\nAfter\n");
    const std::filesystem::path corpus = "/work/shared/corpus-open/rtf/libreoffice/fdo82076.rtf";
    if (!std::filesystem::exists(corpus))
        GTEST_SKIP() << "no " << corpus;
    Result<Data> bytes = Data::dataWithContentsOfFile(corpus.string());
    ASSERT_TRUE(bytes.ok());
    const std::string shown = marked(readBytes(bytes->toString()));
    EXPECT_NE(shown.find("B1*\n"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("*After"), std::string::npos) << shown;
}

TEST_F(RTFReaderWordProcessorTests, exportedTablesKeepEachCellsLookAndRowsOfOneLayoutShareATable)
{
    // A shaded, bordered, centred cell beside a plain one whose alignment is
    // set in a group closed before its mark (as pandoc writes), a row of the
    // same layout, then a row of another layout.
    AttributedString string = read(
        uR"({\rtf1\ansi{\colortbl;\red255\green0\blue0;\red191\green191\blue191;})"
        uR"(\trowd\trgaph108\trleft-108\clvertalc\clcbpat2\clbrdrb\brdrs\brdrw20\brdrcf1\cellx2000)"
        uR"(\clshdng2500\cellx4000\pard\intbl\qc Grey\cell{\pard\intbl\qr Right\par}\cell\row)"
        uR"(\trowd\trgaph108\trleft-108\cellx2000\cellx4000\pard\intbl A\cell B\cell\row)"
        uR"(\trowd\trqc\cellx3000\pard\intbl Wide\cell\row\pard After\par})");
    TEHTMLWriterSettings exported;
    exported.writesTables = true;
    const std::string page = toUtf8(htmlString(string, exported));
    auto count = [&page](const std::string& part) {
        std::size_t found = 0;
        for (std::size_t at = page.find(part); at != std::string::npos; at = page.find(part, at + 1))
            ++found;
        return found;
    };
    EXPECT_EQ(count("<table"), 2u) << page;
    EXPECT_EQ(count("</table>"), 2u) << page;
    EXPECT_EQ(count("<tr>"), 3u) << page;
    EXPECT_EQ(count("<td"), 5u) << page;

    auto cellStyle = [&page](const std::string& word) {
        std::size_t at = page.find(">" + word);
        if (at == std::string::npos)
            at = page.find(word + "<");
        std::size_t cell = page.rfind("<td", at);
        return cell == std::string::npos ? std::string() : page.substr(cell, page.find('>', cell) - cell);
    };
    const std::string grey = cellStyle("Grey");
    EXPECT_NE(grey.find("background-color:#BFBFBF;"), std::string::npos) << grey;
    EXPECT_NE(grey.find("border-bottom:1pt solid #FF0000;"), std::string::npos) << grey;
    EXPECT_NE(grey.find("text-align:center;"), std::string::npos) << grey;
    EXPECT_NE(grey.find("vertical-align:middle;"), std::string::npos) << grey;
    // The row set back into the margin starts at the text's edge, its first
    // cell the narrower for it.
    EXPECT_NE(grey.find("width:100pt;"), std::string::npos) << grey;
    EXPECT_NE(page.find("margin-left:0pt;"), std::string::npos) << page;
    const std::string right = cellStyle("Right");
    // A quarter of black over white; after the line end of its paragraph
    // the cell has an empty line, as word processors show it.
    EXPECT_NE(right.find("background-color:#BFBFBF;"), std::string::npos) << right;
    EXPECT_NE(right.find("text-align:right;"), std::string::npos) << right;
    EXPECT_NE(right.find("width:100pt;"), std::string::npos) << right;
    EXPECT_TRUE(std::regex_search(page, std::regex("Right(</span>)?<br/>(</span>)?<br/></td>"))) << page;
    EXPECT_EQ(cellStyle("B").find("background-color"), std::string::npos) << page;
    std::size_t wide = page.rfind("<table", page.find("Wide"));
    EXPECT_NE(page.find("margin-left:auto;", wide), std::string::npos) << page;
    EXPECT_GT(page.find("After"), page.rfind("</table>")) << page;

    // The viewer and the reading back of an export keep a row as one line.
    EXPECT_EQ(toUtf8(htmlString(string, TEHTMLWriterSettings())).find("<table"), std::string::npos);
}

// --- Lists ----------------------------------------------------------------------

constexpr std::u16string_view kWordListTable =
    uR"({\*\listtable{\list\listtemplateid77{\listlevel\levelnfc0\levelstartat1{\leveltext\'02\'00.;}{\levelnumbers\'01;}\fi-360\li720}"
    uR"({\listlevel\levelnfc4\levelstartat1{\leveltext\'02\'01.;}{\levelnumbers\'01;}\fi-360\li1440}{\listname ;}\listid900}"
    uR"({\list\listtemplateid78{\listlevel\levelnfc23{\leveltext\'01\u-3913 ?;}\fi-360\li720}{\listname ;}\listid901}})"
    uR"({\*\listoverridetable{\listoverride\listid901\listoverridecount0\ls1}{\listoverride\listid900\listoverridecount0\ls2}})";

TEST_F(RTFReaderWordProcessorTests, wordListsTakeTheirKindFromTheNumberFormatThroughTheOverrides)
{
    std::u16string rtf = u"{\\rtf1" + std::u16string(kWordListTable) +
                         uR"({\listtext 1.\tab}\pard\ls2\ilvl0 Alpha\par)"
                         uR"({\listtext a.\tab}\pard\ls2\ilvl1 Sub\par)"
                         uR"(\pard\ls1 Dot\par)"
                         uR"(\pard After\par})";
    AttributedString string = read(rtf);
    ASSERT_EQ(string.string(), u"\uFEFFAlpha\n\uFEFFSub\n\uFEFFDot\nAfter\n");
    EXPECT_EQ(listTypeAt(string, 0), static_cast<int>(TECSSListStyleType::Decimal));
    EXPECT_EQ(listTypeAt(string, 7), static_cast<int>(TECSSListStyleType::LowerAlpha));
    EXPECT_EQ(listTypeAt(string, 12), static_cast<int>(TECSSListStyleType::Disc));
    EXPECT_EQ(string.attributeAtIndex(TETextIsListAttribute, 17), nullptr);

    TEHTMLWriterSettings exported;
    exported.keepsPlaceholders = false;
    std::u16string page = htmlString(string, exported);
    EXPECT_NE(page.find(u"<ol"), std::u16string::npos) << toUtf8(page);
    EXPECT_NE(page.find(u"list-style:lower-alpha"), std::u16string::npos) << toUtf8(page);
    EXPECT_NE(page.find(u"<ul"), std::u16string::npos) << toUtf8(page);
    EXPECT_EQ(page.find(u"\uFEFF"), std::u16string::npos);
}

TEST_F(RTFReaderWordProcessorTests, anItemThatStartsAListIsAnItemOfThatVeryList)
{
    // Lists are followed by their style objects: the item that opens a list
    // must hold, as its item, the very object that opens the list, and a
    // nested list must hold one of its own.
    std::u16string rtf = u"{\\rtf1" + std::u16string(kWordListTable) +
                         uR"({\listtext 1.\tab}\pard\ls2\ilvl0 Alpha\par)"
                         uR"({\listtext a.\tab}\pard\ls2\ilvl1 Sub\par})";
    AttributedString string = read(rtf);
    ASSERT_EQ(string.string(), u"\uFEFFAlpha\n\uFEFFSub\n");
    auto innermost = [&string](std::string_view key, std::size_t index) -> const AttributeValue* {
        AttributeValuePtr value = string.attributeAtIndex(key, index);
        const auto* array = value ? value->as<ArrayValue>() : nullptr;
        return array && !array->isEmpty() ? array->elements().back().get() : nullptr;
    };
    const AttributeValue* outer = innermost(TETextListsAttribute, 0);
    const AttributeValue* inner = innermost(TETextListsAttribute, 7);
    ASSERT_NE(outer, nullptr);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(innermost(TETextIsListAttribute, 0), outer);
    EXPECT_EQ(innermost(TETextIsListAttribute, 7), inner);
    EXPECT_NE(outer, inner);
}

TEST_F(RTFReaderWordProcessorTests, bulletLevelsTakeTheirKindFromTheCharacterOfTheirLevelText)
{
    // Word's Symbol and Wingdings bullets, the plain "o" and "-", and their
    // Unicode forms; the square before the circle before the hyphen when a
    // level holds several; only what follows "\leveltext" counts.
    DKRTFReaderListTable table;
    table.readListTypes(uR"({\list\listtemplateid5)"
                        uR"({\listlevel\levelnfc23{\leveltext\'01\u-3929 ?;}\fi-360})"
                        uR"({\listlevel\levelnfc23{\leveltext\'01\'a7;}\fi-360})"
                        uR"({\listlevel\levelnfc23{\leveltext\'01o;}\fi-360})"
                        uR"({\listlevel\levelnfc23{\leveltext\'01\u9702 ?;}\fi-360})"
                        uR"({\listlevel\levelnfc23{\leveltext\'01-;}\fi-360})"
                        uR"({\listlevel\levelnfc23{\leveltext\'01\u8259 ?;}\fi-360})"
                        uR"({\listlevel\levelnfc23{\leveltext\'01\u8226 ?;}\fi-360})"
                        uR"({\listlevel\levelnfc23{\leveltext\'01o;}{\levelnumbers;}\f3\'a7})"
                        uR"({\listlevel\levelnfc23\u-3929 {\leveltext\'01\u8226 ?;}})"
                        uR"({\listlevel\levelnfc2{\leveltext\'02\'00.;}})"
                        uR"({\listlevel\levelnfc23{\leveltext\'01-;}{\levelnumbers o;}})"
                        uR"({\listlevel\levelnfc23{\leveltext\'01;o}})"
                        uR"(\listid7})");
    using Type = TECSSListStyleType;
    const Type expected[] = {Type::Square, Type::Square, Type::Circle, Type::Circle, Type::Hyphen, Type::Hyphen,
                             Type::Disc,   Type::Square, Type::Disc,   Type::LowerRoman, Type::Circle, Type::Disc};
    for (std::size_t level = 0; level < std::size(expected); ++level)
        EXPECT_EQ(table.typeOfLevel(1, static_cast<int>(level)), static_cast<unsigned>(expected[level])) << level;
    EXPECT_EQ(table.typeOfLevel(1, static_cast<int>(std::size(expected))), std::nullopt);
}

TEST_F(RTFReaderWordProcessorTests, listLevelsAreReadByTheFirstOfEachWordAndTheLastStartingNumber)
{
    // A level's number format is its first "\levelnfc" (a longer word that
    // begins alike still counts, and gives no number); its words are those
    // of its first "{\leveltext" group, not of a longer word's; it starts at
    // the last "\levelstartat" that has a number; "levelmarker" anywhere
    // makes the list one of ours.
    DKRTFReaderListTable table;
    table.readListTypes(uR"({\list\listtemplateid1)"
                        uR"({\listlevel\levelnfc2\levelnfc4\levelstartat3\levelstartat7\levelstartat)"
                        uR"({\leveltextx CH \'00;}{\leveltext\'04No \'00;}})"
                        uR"({\listlevel\levelnfcn0\levelnfc4\levelstartat-2{\leveltext\'01\u8259 ?;}})"
                        uR"({\listlevel\levelnfc0\levelstartat5{\leveltext\'04No \'02;}{\leveltext\'02\'02.;}})"
                        uR"(\listid3})"
                        uR"({\list\listtemplateid2{\listlevel\levelnfc0{\leveltext\'02\'00.;}{\*\levelmarker \{square\}}})"
                        uR"(\listid4})");
    using Type = TECSSListStyleType;
    ASSERT_EQ(table.count(), 2u);
    EXPECT_EQ(table.typeOfLevel(1, 0), static_cast<unsigned>(Type::LowerRoman));
    EXPECT_EQ(table.startOfLevel(1, 0), 7);
    std::optional<TECSSListStyle::MarkerText> first = table.markerTextOfLevel(1, 0);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->before, u"No ");
    EXPECT_EQ(first->after, u"");
    EXPECT_EQ(table.typeOfLevel(1, 1), static_cast<unsigned>(Type::Hyphen));
    EXPECT_EQ(table.startOfLevel(1, 1), 1) << "a negative start is no start";
    EXPECT_EQ(table.typeOfLevel(1, 2), static_cast<unsigned>(Type::Decimal));
    EXPECT_EQ(table.startOfLevel(1, 2), 5);
    std::optional<TECSSListStyle::MarkerText> third = table.markerTextOfLevel(1, 2);
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(third->before, u"No ");
    EXPECT_EQ(third->after, u"");
    EXPECT_EQ(table.typeOfLevel(2, 0), static_cast<unsigned>(Type::Square));
    EXPECT_TRUE(table.keepsFormattingAtParagraphReset(2));
    EXPECT_FALSE(table.keepsFormattingAtParagraphReset(1));
    EXPECT_EQ(table.markerTextOfLevel(2, 0), std::nullopt);
}

TEST_F(RTFReaderWordProcessorTests, listsOfTheSameLevelsEachKeepTheirOwnNumberAndOverride)
{
    // Word processors write the same levels for many lists; each list is
    // still its own, found by its own "\listid", with its own levels read.
    DKRTFReaderListTable table;
    const std::u16string levels = uR"({\listlevel\levelnfc4\levelstartat3{\leveltext\'02\'00);}})"
                                  uR"({\listlevel\levelnfc23{\leveltext\'01o;}{\levelnumbers;}\f3\fs18})";
    table.readListTypes(u"{\\list\\listtemplateid1" + levels + u"\\listid11}"
                            + u"{\\list\\listtemplateid2{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid12}"
                            + u"{\\list\\listtemplateid3" + levels + u"\\listid13}"
                            + u"{\\list\\listtemplateid4" + levels + u"{\\listlevel\\levelnfc2}\\listid14}",
                        StringEncoding::windowsLatin1(), [](int) { return std::u16string(u"Courier New"); });
    table.readOverrides(uR"({\listoverride\listid13\ls1}{\listoverride\listid11\ls2})"
                        uR"({\listoverride\listid14\ls3}{\listoverride\listid12\ls4})");
    using Type = TECSSListStyleType;
    ASSERT_EQ(table.count(), 4u);
    const struct {
        int override;
        unsigned list;
        std::optional<unsigned> thirdLevel;
    } lists[] = {{1, 3, std::nullopt}, {2, 1, std::nullopt}, {3, 4, static_cast<unsigned>(Type::LowerRoman)}};
    for (const auto& expected : lists) {
        SCOPED_TRACE(expected.override);
        EXPECT_EQ(table.listForOverride(expected.override), expected.list);
        EXPECT_EQ(table.typeOfLevel(expected.list, 0), static_cast<unsigned>(Type::LowerAlpha));
        EXPECT_EQ(table.startOfLevel(expected.list, 0), 3);
        std::optional<TECSSListStyle::MarkerText> number = table.markerTextOfLevel(expected.list, 0);
        ASSERT_TRUE(number.has_value());
        EXPECT_EQ(number->after, u")");
        std::optional<TECSSListStyle::MarkerText> bullet = table.markerTextOfLevel(expected.list, 1);
        ASSERT_TRUE(bullet.has_value());
        EXPECT_EQ(bullet->before, u"o");
        EXPECT_EQ(bullet->font, u"Courier New");
        EXPECT_EQ(table.markerSizeOfLevel(expected.list, 1), 18);
        EXPECT_EQ(table.typeOfLevel(expected.list, 2), expected.thirdLevel);
    }
    EXPECT_EQ(table.listForOverride(4), 2u);
    EXPECT_EQ(table.typeOfLevel(2, 0), static_cast<unsigned>(Type::Decimal));
    EXPECT_EQ(table.typeOfLevel(2, 1), std::nullopt);
}

TEST_F(RTFReaderWordProcessorTests, listLevelWordsThatOnlyBeginLikeTheReadOnesAreNotRead)
{
    // Many "\level" words share their next letter with a word that is read
    // ("\levelnumbers" and "\levelnfc", "\leveltemplateid" and "\leveltext",
    // "\levelspace" and "\levelstartat"), and a level may end on a bare one.
    DKRTFReaderListTable table;
    table.readListTypes(uR"({\list{\listlevel\levelnumbers;\leveltemplateid5\levelspace7\levelnfc3)"
                        uR"(\levelstartatx\levelstartat4\levelstartsat9{\leveltext\'02X\'00;}})"
                        uR"({\listlevel\levelnumbers2\levelspace6\leveltemplateid\'a7{\leveltext\'01\u9702 ?;}\level}})");
    using Type = TECSSListStyleType;
    ASSERT_EQ(table.count(), 1u);
    EXPECT_EQ(table.typeOfLevel(1, 0), static_cast<unsigned>(Type::UpperAlpha));
    EXPECT_EQ(table.startOfLevel(1, 0), 4);
    std::optional<TECSSListStyle::MarkerText> first = table.markerTextOfLevel(1, 0);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->before, u"X");
    // No number format: the bullet is read from "\leveltext" on, so the
    // square in a word before it, which only begins like it, is not seen.
    EXPECT_EQ(table.typeOfLevel(1, 1), static_cast<unsigned>(Type::Circle));
    EXPECT_EQ(table.startOfLevel(1, 1), 1);
}

TEST_F(RTFReaderWordProcessorTests, escapedBracesAndBackslashesInListLevelsKeepTheLevelsApart)
{
    // An escaped brace is text, and so is an escaped backslash, which leaves
    // the brace after it a real one. "levelmarker" may close its level.
    DKRTFReaderListTable table;
    table.readListTypes(uR"({\list\listtemplateid9)"
                        uR"({\listlevel\levelnfc4{\leveltext\'02\}\'00;}\fi-360})"
                        uR"({\listlevel\levelnfc2 text\\})"
                        uR"({\listlevel\levelnfc3\{})"
                        uR"(\listid5})"
                        uR"({\list{\listlevel\levelmarker}})"
                        uR"({\list{\listlevel\levelnfc1 \\\}\\\\}{\listlevel\levelnfc0}})");
    using Type = TECSSListStyleType;
    ASSERT_EQ(table.count(), 3u);
    EXPECT_EQ(table.typeOfLevel(1, 0), static_cast<unsigned>(Type::LowerAlpha));
    EXPECT_EQ(table.typeOfLevel(1, 1), static_cast<unsigned>(Type::LowerRoman));
    EXPECT_EQ(table.typeOfLevel(1, 2), static_cast<unsigned>(Type::UpperAlpha));
    EXPECT_EQ(table.typeOfLevel(1, 3), std::nullopt);
    EXPECT_FALSE(table.keepsFormattingAtParagraphReset(1));
    EXPECT_EQ(table.typeOfLevel(2, 0), static_cast<unsigned>(Type::Disc));
    EXPECT_TRUE(table.keepsFormattingAtParagraphReset(2));
    EXPECT_EQ(table.typeOfLevel(3, 0), static_cast<unsigned>(Type::UpperRoman));
    EXPECT_EQ(table.typeOfLevel(3, 1), static_cast<unsigned>(Type::Decimal));
}

TEST_F(RTFReaderWordProcessorTests, oldStyleParagraphNumberingMakesListItems)
{
    AttributedString string = read(uR"({\rtf1\pard{\pntext 1.\tab}{\*\pn\pnlvlbody\pndec{\pntxta .}}Alpha\par)"
                                   uR"(\pard{\pntext\'b7\tab}{\*\pn\pnlvlblt{\pntxtb\'b7}}Dot\par\pard Plain\par})");
    ASSERT_EQ(string.string(), u"\uFEFFAlpha\n\uFEFFDot\nPlain\n");
    EXPECT_EQ(listTypeAt(string, 0), static_cast<int>(TECSSListStyleType::Decimal));
    EXPECT_EQ(listTypeAt(string, 7), static_cast<int>(TECSSListStyleType::Disc));
    // A label without a list stays text.
    EXPECT_EQ(text(uR"({\rtf1{\pntext 1.\tab}Item})"), u"1.\tItem");
}

// --- Pictures and links ------------------------------------------------------------

TEST_F(RTFReaderWordProcessorTests, picturesFromOtherWritersKeepTheirDataAndSize)
{
    auto pictureAt = [](const AttributedString& string, std::size_t index) -> const TEImageTextAttachment* {
        AttributeValuePtr value = string.attributeAtIndex(NSAttachmentAttributeName, index);
        return value ? value->as<TEImageTextAttachment>() : nullptr;
    };
    auto hexStart = [](const TEImageTextAttachment& picture) {
        const Data* data = picture.contentsData();
        return data && data->length() >= 4 ? data->vector()[0] * 0x1000000u + data->vector()[1] * 0x10000u +
                                                 data->vector()[2] * 0x100u + data->vector()[3]
                                           : 0u;
    };
    // Data on the line of "\pichgoal"; twips and scale, shown in CSS pixels.
    AttributedString sameLine =
        read(uR"({\rtf1 {\pict\pngblip\picw1\pich1\picwgoal300\pichgoal300\picscalex50 89504e470d0a1a0a}x})");
    ASSERT_EQ(sameLine.string(), u"\uFEFFx");
    ASSERT_NE(pictureAt(sameLine, 0), nullptr);
    EXPECT_EQ(hexStart(*pictureAt(sameLine, 0)), 0x89504e47u);
    EXPECT_DOUBLE_EQ(pictureAt(sameLine, 0)->displaySize().width, 10);
    EXPECT_DOUBLE_EQ(pictureAt(sameLine, 0)->displaySize().height, 20);

    // Word's picture with its metafile fallback: the PNG stays.
    AttributedString word = read(uR"({\rtf1 {\*\shppict{\pict\pngblip\picwgoal20\pichgoal20 89504e47}})"
                                 uR"({\nonshppict{\pict\wmetafile8\picwgoal20\pichgoal20 01000900}}x})");
    ASSERT_EQ(word.string(), u"\uFEFFx");
    EXPECT_EQ(hexStart(*pictureAt(word, 0)), 0x89504e47u);

    // GIF is stored as PNG.
    AttributedString gif = read(uR"({\rtf1 {\pict\pngblip\picw1\pich1 )"
                                uR"(47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b}x})");
    ASSERT_EQ(gif.string(), u"\uFEFFx");
    ASSERT_NE(pictureAt(gif, 0), nullptr);
    EXPECT_EQ(hexStart(*pictureAt(gif, 0)), 0x89504e47u);

    // A metafile alone keeps its place as a frame, never an image without
    // source.
    AttributedString metafile = read(uR"({\rtf1 a{\pict\wmetafile8\picw10\pich10 0100090000}b})");
    EXPECT_EQ(metafile.string(), u"a\uFEFFb");
    std::u16string page = htmlString(metafile);
    EXPECT_NE(page.find(u"<img"), std::u16string::npos);
    EXPECT_NE(page.find(u" src=\""), std::u16string::npos) << toUtf8(page);
}

TEST_F(RTFReaderWordProcessorTests, hyperlinkFieldsAsWordWritesThem)
{
    auto linkOf = [this](std::u16string_view instruction) {
        AttributedString string = read(u"{\\rtf1{\\field{\\*\\fldinst " + std::u16string(instruction) +
                                       u"}{\\fldrslt {\\insrsid1 here}}} after}");
        EXPECT_EQ(string.string(), u"here after");
        EXPECT_EQ(string.attributeAtIndex(TELinkAttribute, 6), nullptr);
        AttributeValuePtr link = string.attributeAtIndex(TELinkAttribute, 0);
        return link ? link->as<URLValue>()->urlString() : std::string("(none)");
    };
    EXPECT_EQ(linkOf(uR"({\insrsid1 HYPERLINK "http://example.com/" })"), "http://example.com/");
    EXPECT_EQ(linkOf(uR"({\insrsid1 HYPER}{\insrsid2 LINK  "http://a.org/"})"), "http://a.org/");
    EXPECT_EQ(linkOf(uR"(HYPERLINK \\l "sec1")"), "#sec1");
    EXPECT_EQ(linkOf(uR"(HYPERLINK "http://b.org/x" \\o "Tip")"), "http://b.org/x");
    EXPECT_EQ(linkOf(uR"(HYPERLINK "http://c.org/a\{b\}  ")"), "http://c.org/a{b}");
    EXPECT_EQ(linkOf(uR"(PAGE)"), "(none)");
    // Curly quotes, any case of the word, a tab or a quote ending a bare
    // word, and a quote never closed.
    EXPECT_EQ(linkOf(uR"(hyperlink \u8220?http://d.org/ x\u8221? )"), "http://d.org/ x");
    EXPECT_EQ(linkOf(u"HyperLink\tplain.html\t\\o \"t\""), "plain.html");
    EXPECT_EQ(linkOf(uR"(HYPERLINK bare.html"quoted.html")"), "bare.html");
    EXPECT_EQ(linkOf(uR"(HYPERLINK "http://e.org/open)"), "http://e.org/open");

    // A field in a header is not the body's, and a later field is not a link.
    AttributedString string = read(uR"({\rtf1{\header {\field{\*\fldinst HYPERLINK "http://h/"}{\fldrslt H}}})"
                                   uR"({\field{\*\fldinst PAGE}{\fldrslt 3}}})");
    EXPECT_EQ(string.string(), u"3");
    EXPECT_EQ(string.attributeAtIndex(TELinkAttribute, 0), nullptr);
}

// --- Text and characters ----------------------------------------------------------

TEST_F(RTFReaderWordProcessorTests, pageBreakKeepsTheTextAfterIt)
{
    std::u16string page = html(uR"({\rtf1\ansi Before\par\page After page\par End\par})");
    EXPECT_NE(page.find(u"After page"), std::u16string::npos) << toUtf8(page);
    EXPECT_NE(page.find(u"page-break-before"), std::u16string::npos);
}

TEST_F(RTFReaderWordProcessorTests, codePagesOfTheDocumentDecodeFontsWithoutCharacterSet)
{
    EXPECT_EQ(text(uR"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fswiss Arial;}}\f0 \'cf\'f0\'e8})"), u"\u041F\u0440\u0438");
    EXPECT_EQ(text(uR"({\rtf1\pc \'82})"), u"\u00E9");
    EXPECT_EQ(text(uR"({\rtf1\pca \'82})"), u"\u00E9");
    EXPECT_EQ(text(uR"({\rtf1\mac \'8e})"), u"\u00E9");
    // A font with a character set of its own keeps it.
    EXPECT_EQ(text(uR"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset161 B;}}\f1 \'e1})"), u"\u03B1");
    // Raw 8-bit characters of a file that is not UTF-8 are in the code page.
    EXPECT_EQ(readBytes("{\\rtf1\\ansi\\ansicpg1251 \xCF\xF0\xE8}").string(), u"\u041F\u0440\u0438");
    EXPECT_EQ(readBytes("{\\rtf1\\ansi caf\xE9}").string(), u"caf\u00E9");
    EXPECT_EQ(readBytes("{\\rtf1\\ansi caf\xC3\xA9}").string(), u"caf\u00E9");
}

TEST_F(RTFReaderWordProcessorTests, plainHiddenCapitalsAndStyles)
{
    AttributedString plain = read(uR"({\rtf1\deff1{\fonttbl{\f0 Times;}{\f1 Courier;}}\f0\b\fs40 Bold\par\pard\plain Next})");
    ASSERT_EQ(plain.string(), u"Bold\nNext");
    EXPECT_TRUE(fontAt(plain, 0)->face().isBold());
    EXPECT_FALSE(fontAt(plain, 6)->face().isBold());
    EXPECT_DOUBLE_EQ(fontAt(plain, 6)->pointSize(), 12);
    EXPECT_EQ(fontAt(plain, 6)->familyName(), "Courier");

    // Hidden text is kept, marked hidden, so that a save gives it back; the
    // page carries it unseen and what is printed or exported leaves it out.
    AttributedString hidden = read(uR"({\rtf1 shown{\v hidden}\v  also\v0  too})");
    ASSERT_EQ(hidden.string(), u"shownhidden also too");
    for (std::size_t at = 0; at < hidden.length(); ++at)
        EXPECT_EQ(hidden.attributeAtIndex(TEHiddenAttribute, at) != nullptr, at >= 5 && at < 16) << at;
    const std::u16string page = html(uR"({\rtf1 a{\v secret}b})");
    EXPECT_NE(page.find(u"data-hidden=\"1\">secret</span>"), std::u16string::npos) << toUtf8(page);
    TEHTMLWriterSettings exported;
    exported.leavesOutHidden = true;
    EXPECT_EQ(htmlString(read(uR"({\rtf1 a{\v secret}b})"), exported).find(u"secret"), std::u16string::npos);
    // Capitals and small capitals are looks of the run.
    EXPECT_EQ(text(uR"({\rtf1 {\caps caps} {\scaps small}})"), u"caps small");

    AttributedString styled = read(uR"({\rtf1{\stylesheet{\s0 Normal;}{\s1\b\fs36\sbasedon0 Heading 1;}{\*\cs2\i Emphasis;}})"
                                   uR"(\pard\plain\s1 Title\par\pard\plain\s0 Body {\cs2 stress}\par})");
    ASSERT_EQ(styled.string(), u"Title\nBody stress\n");
    // The runs name their face and size after "\plain" and the style's
    // number, and LibreOffice prints them so: neither the heading's bold and
    // size nor the character style's italic show.
    EXPECT_FALSE(fontAt(styled, 0)->face().isBold());
    EXPECT_DOUBLE_EQ(fontAt(styled, 0)->pointSize(), 12);
    EXPECT_FALSE(fontAt(styled, 6)->face().isBold());
    EXPECT_FALSE(fontAt(styled, 11)->face().isItalic());
}

TEST_F(RTFReaderWordProcessorTests, textBoxesKeepTheirWordsWhereTheyAreAnchored)
{
    EXPECT_EQ(text(uR"({\rtf1 Before {\shp{\*\shpinst\shpleft0{\sp{\sn fillColor}{\sv 255}}{\shptxt Boxed\par words}})"
                   uR"({\shprslt{\*\do\dobxcolumn{\dptxbxtext Boxed again}}}} after})"),
              u"Before \nBoxed\nwords\n after");
    EXPECT_EQ(text(uR"({\rtf1 a{\*\do\dobxcolumn\dptxbx{\dptxbxtext Drawn}}b})"), u"a\nDrawn\nb");
}

TEST_F(RTFReaderWordProcessorTests, unsafeUnicodeValuesAndBinaryDataNeverReachTheText)
{
    EXPECT_EQ(text(uR"({\rtf1 a\u0?b\u7?c\u-70000?d\u2000000?e\u65279?f\u128512?})"), u"abc\uFFFDd\uFFFDef\U0001F600");
    EXPECT_EQ(text(uR"({\rtf1\uc0 Caf\u233 lochs})"), u"Caf\u00E9lochs");
    EXPECT_EQ(html(uR"({\rtf1 a\u0?b})").find(u'\0'), std::u16string::npos);
    // "\bin" counts bytes: binary data full of braces, then more text.
    EXPECT_EQ(readBytes("{\\rtf1 a{\\*\\blip\\bin6 \xFF}{\xC2\x00}b}c}"s).string(), u"ac");
    EXPECT_EQ(text(u"{\\rtf1 a{\\*\\blip\\bin5 \u00E9}{}b}c}"), u"ac");
}

TEST_F(RTFReaderWordProcessorTests, destinationsThatAreSkippedNeverActOnTheBody)
{
    AttributedString string = read(uR"({\rtf1{\header {\pict\pngblip\picwgoal20\pichgoal20 89504e47}}{\*\unknown\b\pict x}Body})");
    EXPECT_EQ(string.string(), u"Body");
    EXPECT_EQ(string.attributeAtIndex(NSAttachmentAttributeName, 0), nullptr);
    EXPECT_FALSE(fontAt(string, 0)->face().isBold());
}

} // namespace
} // namespace folio
