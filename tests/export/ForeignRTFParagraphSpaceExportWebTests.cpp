#include "export/ForeignRTFExportFixture.h"
#include "platform/graphics/Font.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace folio {
namespace {

using namespace testing_support;

// Where a word processor's paragraphs and list items stand on paper: the
// room between paragraphs and the column their items' text starts in, as
// the file's twips put them and as LibreOffice prints them.
class ForeignRTFParagraphSpaceExport : public ForeignRTFExport {};

// The space after a paragraph and the space before the next add up, as word
// processors print them, where the larger alone would stand for both: a
// heading's space before keeps the text above it that much further away.
TEST_F(ForeignRTFParagraphSpaceExport, theSpaceAfterAParagraphAndBeforeTheNextAddUp)
{
    struct Case {
        int after;
        int before;
    };
    const Case cases[] = {{180, 360}, {240, 240}, {0, 300}, {200, 0}};
    std::string body;
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        const std::string number = std::to_string(index);
        body += "\\pard\\sa" + std::to_string(cases[index].after) + "\\f0\\fs24 Upper" + number + " words.\\par\n"
            + "\\pard\\sb" + std::to_string(cases[index].before) + "\\f0\\fs24 Lower" + number + " words.\\par\n";
    }
    const std::string path = document(
        "spacing", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}}\\paperw12240\\paperh15840"
                   "\\margl1440\\margr1440\\margt1440\\margb1440\n" + body + "}");
    std::optional<Font> font = Font::fontWithName("Liberation Serif", 12);
    ASSERT_TRUE(font.has_value());
    auto gap = [](const std::string& pdf, std::size_t index) {
        const std::string number = std::to_string(index);
        return wordOn(pdf, "Lower" + number).yMin - wordOn(pdf, "Upper" + number).yMin;
    };
    const std::string pdf = exported(path, "pdf");
    for (std::size_t index = 0; index < std::size(cases); ++index)
        EXPECT_NEAR(gap(pdf, index), font->lineHeight() + (cases[index].after + cases[index].before) / 20.0, 1)
            << "after " << cases[index].after << ", before " << cases[index].before;
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    for (std::size_t index = 0; index < std::size(cases); ++index)
        EXPECT_NEAR(gap(pdf, index), gap(lo, index), 1) << "after " << cases[index].after << ", before "
                                                         << cases[index].before << ", beside LibreOffice's";
}

// The room a paragraph spaced at a multiple of single lines adds goes
// below each of its lines, as word processors print it: its first line
// stands a single line below the paragraph above, the paragraph after it
// the whole multiple below its last line.
TEST_F(ForeignRTFParagraphSpaceExport, aMultipleOfSingleLinesAddsItsRoomBelowEachLine)
{
    const int multiples[] = {276, 360, 480};
    std::string body;
    for (const int multiple : multiples) {
        const std::string name = std::to_string(multiple);
        body += "\\pard\\f0\\fs24 Above" + name + " words.\\par\n\\pard\\sl" + name + "\\slmult1\\f0\\fs24 First" + name
            + " words.\\par\n\\pard\\f0\\fs24 Below" + name + " words.\\par\n";
    }
    const std::string path = document(
        "multiples", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}}\\paperw12240\\paperh15840"
                     "\\margl1440\\margr1440\\margt1440\\margb1440\n" + body + "}");
    std::optional<Font> font = Font::fontWithName("Liberation Serif", 12);
    ASSERT_TRUE(font.has_value());
    // From the line above to the spaced line, and from it to the line below.
    auto gaps = [](const std::string& pdf, int multiple) {
        const std::string name = std::to_string(multiple);
        const double first = wordOn(pdf, "First" + name).yMin;
        return std::pair<double, double>{first - wordOn(pdf, "Above" + name).yMin, wordOn(pdf, "Below" + name).yMin - first};
    };
    const std::string pdf = exported(path, "pdf");
    for (const int multiple : multiples) {
        EXPECT_NEAR(gaps(pdf, multiple).first, font->lineHeight(), 0.75) << "above lines at " << multiple;
        EXPECT_NEAR(gaps(pdf, multiple).second, font->lineHeight() * multiple / 240.0, 0.75) << "below lines at " << multiple;
    }
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    for (const int multiple : multiples) {
        EXPECT_NEAR(gaps(pdf, multiple).first, gaps(lo, multiple).first, 0.75) << multiple << ", beside LibreOffice's";
        EXPECT_NEAR(gaps(pdf, multiple).second, gaps(lo, multiple).second, 0.75) << multiple << ", beside LibreOffice's";
    }
}

// A list whose items the file sets at the margin with a hanging first line
// ("\li0\fi-283", as LibreOffice writes its bullets) prints each item's text
// in the text column and its bullet at the first-line indent, in the margin,
// a level nested at the same indent too; an item further in starts its text
// at its own indent and its bullet that much before it. Points from the
// margin.
TEST_F(ForeignRTFParagraphSpaceExport, itemsAtTheMarginHangTheirBulletsIntoIt)
{
    struct Case {
        const char* word;
        int level;
        int leftIndent;
    };
    const Case cases[] = {{"Outer", 0, 0}, {"Nested", 1, 0}, {"Further", 2, 720}};
    std::string levels;
    for (const int indent : {0, 0, 720})
        levels += "{\\listlevel\\levelnfc23\\leveljc0\\levelstartat1\\levelfollow0{\\leveltext \\'01\\u8226 ?;}"
                  "{\\levelnumbers;}\\f1\\fi-283\\li" + std::to_string(indent) + "}";
    std::string items;
    for (const Case& item : cases)
        items += "{\\listtext\\pard\\plain\\f1 \\u8226\\'95\\tab}\\ilvl" + std::to_string(item.level) + "\\ls1 \\li"
            + std::to_string(item.leftIndent) + "\\fi-283\\tx" + std::to_string(item.leftIndent) + "\\sa60\\f0\\fs24 "
            + item.word + " item words\\par\n";
    const std::string path = document(
        "margin-bullets", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}{\\f1\\fnil\\fcharset2 "
                          "OpenSymbol;}}\\paperw11906\\paperh16838\\margl1134\\margr1134\n{\\*\\listtable{\\list"
                          "\\listtemplateid1" + levels + "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1"
                          "\\listoverridecount0\\ls1}}\n\\pard\\plain\\f0\\fs24 Opening words.\\par\n\\pard\\plain "
                          + items + "\\pard\\plain\\f0\\fs24 Closing words.\\par\n}");
    // Where the item's text and the bullet before it on its line start,
    // from the margin; the bullet at 1000 where there is none.
    auto places = [](const std::string& pdf, const Case& item) {
        const double margin = wordOn(pdf, "Opening").xMin;
        const PDFWord text = wordOn(pdf, item.word);
        double bullet = 1000;
        for (const PDFWord& word : pdfWords(pdf, 1))
            if (word.text == "\u2022" && std::abs(word.yMax - text.yMax) < 3)
                bullet = word.xMin - margin;
        return std::pair<double, double>{text.xMin - margin, bullet};
    };
    const std::string pdf = exported(path, "pdf");
    for (const Case& item : cases) {
        EXPECT_NEAR(places(pdf, item).first, item.leftIndent / 20.0, 1.5) << item.word;
        EXPECT_NEAR(places(pdf, item).second, (item.leftIndent - 283) / 20.0, 1.5) << "the bullet before " << item.word;
    }
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    for (const Case& item : cases) {
        EXPECT_NEAR(places(pdf, item).first, places(lo, item).first, 1.5) << item.word << ", beside LibreOffice's";
        EXPECT_NEAR(places(pdf, item).second, places(lo, item).second, 1.5) << item.word << "'s bullet, beside LibreOffice's";
    }
}

} // namespace
} // namespace folio
