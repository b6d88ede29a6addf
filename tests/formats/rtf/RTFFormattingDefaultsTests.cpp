#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace folio {
namespace {

// The formatting a paragraph has without naming it: the document's defaults
// ("\defchp", "\defpap") and what its style gives or leaves out, as Word
// shows it; and a save that states it, so that it reads back the same.
class RTFFormattingDefaultsTests : public testing::Test {
protected:
    void SetUp() override { FontCatalog::setShared(std::make_shared<FakeFontCatalog>()); }

    static DKRTFReadResult read(const std::string& rtf)
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
        EXPECT_TRUE(read.ok());
        return read.ok() ? std::move(*read) : DKRTFReadResult{};
    }

    // The document saved and read again.
    static DKRTFReadResult savedAndRead(const DKRTFReadResult& original)
    {
        DKRTFDocumentSettings settings;
        settings.styleSheet = original.pageSettings.text(DKRTFPageSettings::kStyleSheetKey);
        Result<std::string> rtf = DKRTFWriter::writeDocument(original.text, settings);
        EXPECT_TRUE(rtf.ok());
        return read(rtf.ok() ? *rtf : std::string());
    }

    // Size in points, spacing before and after in points, line spacing in
    // twips as a file gives it, of the words' paragraph and run.
    static std::string looksOf(const AttributedString& text, std::u16string_view words)
    {
        const std::size_t at = text.string().find(words);
        if (at == std::u16string::npos)
            return "<missing " + toUtf8(words) + ">";
        const AttributeDictionary& attributes = *text.attributesAtIndex(at);
        const auto* font = attributes.valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
        const auto* style = attributes.valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
        if (!font || !style)
            return "<unformatted>";
        const PlatformParagraphStyle& paragraph = style->style();
        const double lines = paragraph.minimumLineSpacing() > 0 ? paragraph.minimumLineSpacing() : 1;
        return "size " + std::to_string(std::lround(font->font().pointSize())) + " before " +
            std::to_string(std::lround(paragraph.paragraphSpacingBefore())) + " after " +
            std::to_string(std::lround(paragraph.paragraphSpacing())) + " lines " + std::to_string(std::lround(lines * 240));
    }

    // Each paragraph's looks in the file as read, and after a save.
    static void expectLooks(const std::string& rtf, const std::vector<std::pair<std::u16string, std::string>>& expected,
                            const std::string& what)
    {
        const DKRTFReadResult original = read(rtf);
        const DKRTFReadResult again = savedAndRead(original);
        for (const auto& [words, looks] : expected) {
            EXPECT_EQ(looksOf(original.text, words), looks) << what << ": " << toUtf8(words);
            EXPECT_EQ(looksOf(again.text, words), looks) << what << ", saved: " << toUtf8(words);
        }
    }

    static constexpr const char* kDefaults = "{\\*\\defchp \\fs22\\lang1033 }{\\*\\defpap \\ql \\sa160\\sl259\\slmult1 }";
};

TEST_F(RTFFormattingDefaultsTests, textThatDoesNotRestateADefaultHasItAndASaveKeepsIt)
{
    const std::string rtf = std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}") + kDefaults +
        "\nOpening words\\par\n"
        "\\pard\\plain Bare paragraph\\par\n"
        "\\pard\\plain \\sa0\\sl240\\slmult1\\fs30 Restated\\par\n"
        "\\plain Plain again\\par\n"
        "\\pard Reset paragraph\\par}";
    expectLooks(rtf,
                {{u"Opening", "size 11 before 0 after 8 lines 259"},
                 {u"Bare", "size 11 before 0 after 8 lines 259"},
                 {u"Restated", "size 15 before 0 after 0 lines 240"},
                 {u"Plain again", "size 11 before 0 after 0 lines 240"},
                 {u"Reset", "size 11 before 0 after 8 lines 259"}},
                "defaults");
    // Without them, the same file has RTF's own defaults.
    std::string without = rtf;
    without.erase(without.find(kDefaults), std::string(kDefaults).size());
    expectLooks(without, {{u"Bare", "size 12 before 0 after 0 lines 240"}}, "no defaults");

    // A default font in another code page decodes the bytes of the text
    // that falls back to it.
    const DKRTFReadResult cyrillic =
        read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss\\fcharset204 Arial Cyr;}}"
             "{\\*\\defchp \\f1}\\pard\\plain \\'c4\\'e0\\par}");
    EXPECT_EQ(toUtf8(cyrillic.text.string()).substr(0, 4), "\xD0\x94\xD0\xB0");
}

// A style entry of Word holds the style whole, defaults included, so what it
// leaves out the style does not have; LibreOffice's entries, and those of
// writers Folio does not know, take what they leave out from their base and
// in the end from the defaults.
TEST_F(RTFFormattingDefaultsTests, wordsStylesLeaveTheDefaultsOutWhereOthersInheritThem)
{
    auto document = [](const std::string& sheetWords) {
        return std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}") + kDefaults +
            "{\\stylesheet{\\ql \\sa160\\sl259\\slmult1 \\fs22 \\snext0 " + sheetWords + "Normal;}"
            "{\\s1\\ql \\sb240\\keepn \\b\\fs32 \\sbasedon0 \\snext0 " + sheetWords + "heading 1;}"
            "{\\s2 \\i \\sbasedon0 \\snext0 " + sheetWords + "Quote;}}\n"
            "\\pard\\plain \\s1 Harbour\\par\n"
            "\\pard\\plain Quay walls\\par\n"
            "\\pard\\plain \\s2 Aside\\par}";
    };
    // Word names the heading's letters after "\plain" and names no size:
    // its own default, not its style's, as LibreOffice reads the file.
    expectLooks(document("\\sqformat "),
                {{u"Harbour", "size 12 before 12 after 0 lines 240"},
                 {u"Quay", "size 11 before 0 after 8 lines 259"},
                 {u"Aside", "size 12 before 0 after 0 lines 240"}},
                "Word");
    // The heading's size and spacing before are its paragraph's, as for
    // Word's letters: LibreOffice prints a style's own size and spacing only
    // where the text restates them.
    expectLooks(document(""),
                {{u"Harbour", "size 11 before 0 after 8 lines 259"},
                 {u"Quay", "size 11 before 0 after 8 lines 259"},
                 {u"Aside", "size 11 before 0 after 8 lines 259"}},
                "inheriting");
}

TEST_F(RTFFormattingDefaultsTests, aSecondStyleSheetForgetsTheFirstOnesWordMarksAndBases)
{
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}"
        "{\\stylesheet{\\ql \\sa160 \\snext0 \\sqformat Normal;}{\\s1 \\sb240 \\sqformat heading 1;}"
        "{\\s2 \\sa300 Wide;}{\\s3 \\sb100 \\sbasedon2 Narrow;}}"
        "{\\stylesheet{\\s0 \\sa160 Normal;}{\\s1 \\sb240 \\sbasedon0 heading 1;}{\\s2 \\sa300 Wide;}{\\s3 \\sb100 Narrow;}}\n"
        "\\pard\\plain \\s1 Harbour\\par\n"
        "\\pard\\plain \\s3 Jetty\\par}";
    expectLooks(rtf,
                {{u"Harbour", "size 12 before 0 after 8 lines 240"}, {u"Jetty", "size 12 before 0 after 0 lines 240"}},
                "second sheet");
}

// Word 97 names no generator and none of the style words of later Words, but
// its entries are as whole as theirs: a heading that leaves out the line
// spacing of its Normal is single spaced.
TEST_F(RTFFormattingDefaultsTests, word97StylesStandAloneUnlessAnotherProgramWroteTheFile)
{
    Result<Data> data = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf/word97-styles.rtf");
    ASSERT_TRUE(data.ok());
    const std::string word97 = data->toString();
    expectLooks(word97,
                {{u"Harbour works", "size 16 before 12 after 3 lines 240"},
                 {u"The quay", "size 12 before 0 after 0 lines 360"},
                 {u"Costs", "size 14 before 12 after 3 lines 240"}},
                "Word 97");
    std::string other = word97;
    const std::size_t sheet = other.find("{\\stylesheet");
    ASSERT_NE(sheet, std::string::npos);
    other.insert(sheet, "{\\*\\generator WordMill 2.1;}");
    expectLooks(other, {{u"Harbour works", "size 16 before 12 after 3 lines 360"}}, "another program");
}

} // namespace
} // namespace folio
