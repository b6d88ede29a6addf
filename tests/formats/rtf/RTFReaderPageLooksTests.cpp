#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFReaderListTable.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/text/FontAttributeValue.h"

#include "RTFReaderTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>
#include "support/RequiredTool.h"

namespace folio {
namespace {

// What other word processors' RTF must look like once read: the page it is
// laid out on, the faces of its words, its lists, pictures and colours.
class RTFReaderPageLooksTests : public RTFReaderTest {
protected:
    std::string exportedHTML(std::u16string_view rtf)
    {
        TEHTMLWriterSettings settings;
        settings.forPrint = true;
        settings.keepsPlaceholders = false;
        return toUtf8(htmlString(read(rtf), settings));
    }

    // The start tag of the paragraph element holding `words`.
    static std::string paragraphTag(const std::string& html, const std::string& words)
    {
        const std::size_t at = html.find(words);
        const std::size_t start = at == std::string::npos ? std::string::npos : html.rfind("<div", at);
        return start == std::string::npos ? std::string() : html.substr(start, html.find('>', start) - start);
    }

    static std::size_t count(const std::string& text, const std::string& pattern)
    {
        std::regex expression(pattern);
        return static_cast<std::size_t>(
            std::distance(std::sregex_iterator(text.begin(), text.end(), expression), std::sregex_iterator()));
    }

    static const TEImageTextAttachment* pictureIn(const AttributedString& string)
    {
        for (std::size_t index = 0; index < string.length(); ++index) {
            AttributeValuePtr value = string.attributeAtIndex(NSAttachmentAttributeName, index);
            if (const auto* picture = value ? value->as<TEImageTextAttachment>() : nullptr)
                return picture;
        }
        return nullptr;
    }
};

// --- Page settings ---------------------------------------------------------------

TEST_F(RTFReaderPageLooksTests, missingMarginsTakeTheSectionsOrRTFsDefaults)
{
    read(u"{\\rtf1\\ansi Words\\par}");
    EXPECT_NEAR(*m_pageSettings.number(DKRTFPageSettings::kPageMarginLeftKey), 3.175, 0.001);
    EXPECT_NEAR(*m_pageSettings.number(DKRTFPageSettings::kPageMarginRightKey), 3.175, 0.001);
    EXPECT_NEAR(*m_pageSettings.number(DKRTFPageSettings::kPageMarginTopKey), 2.54, 0.001);
    EXPECT_NEAR(*m_pageSettings.number(DKRTFPageSettings::kPageMarginBottomKey), 2.54, 0.001);
    EXPECT_EQ(m_pageSettings.paperSize(), std::nullopt);

    // The first section's margins are those of the first pages, over the
    // document's, which are kept aside where they differ; where the section
    // gives none the document's stand, and a 0 stays 0.
    read(u"{\\rtf1\\ansi\\margl0\\margb0\\margr1134\\sectd\\marglsxn2268\\margtsxn567\\margrsxn1134 Words\\par}");
    EXPECT_NEAR(*m_pageSettings.number(DKRTFPageSettings::kPageMarginLeftKey), 4.0, 0.001);
    EXPECT_NEAR(*m_pageSettings.number(DKRTFPageSettings::kPageMarginRightKey), 2.0, 0.001);
    EXPECT_NEAR(*m_pageSettings.number(DKRTFPageSettings::kPageMarginTopKey), 1.0, 0.001);
    EXPECT_FLOAT_EQ(*m_pageSettings.number(DKRTFPageSettings::kPageMarginBottomKey), 0);
    EXPECT_EQ(m_pageSettings.text(DKRTFPageSettings::kDocumentWidePageKey), "next-page left=0");
}

// What the file leaves unsaid about its page is noted, so that a save can
// leave it unsaid; a section's own paper or margin says it as well.
TEST_F(RTFReaderPageLooksTests, thePaperAndMarginsAFileNeverGaveAreNoted)
{
    auto unstated = [this](std::u16string_view rtf) {
        read(rtf);
        return m_pageSettings.text(DKRTFPageSettings::kUnstatedPageKey).value_or("<none>");
    };
    EXPECT_EQ(unstated(u"{\\rtf1\\ansi Words\\par}"), "paper left right top bottom");
    EXPECT_EQ(unstated(u"{\\rtf1\\ansi\\margl1134\\margb0 Words\\par}"), "paper right top");
    EXPECT_EQ(unstated(u"{\\rtf1\\ansi\\paperw12240\\paperh15840\\sectd\\margrsxn900\\margtsxn900 Words\\par}"),
              "left bottom");
    EXPECT_EQ(unstated(u"{\\rtf1\\ansi\\sectd\\pgwsxn12240\\pghsxn15840 Words\\par}"), "left right top bottom");
    EXPECT_EQ(unstated(u"{\\rtf1\\ansi\\paperw11906\\paperh16838\\margl1\\margr1\\margt1\\margb1 Words\\par}"),
              "<none>");
    // A file this program wrote says everything.
    Result<std::string> own = DKRTFWriter::rtfDataForAttributedString(read(u"{\\rtf1 Words}"), false, "");
    ASSERT_TRUE(own.ok());
    EXPECT_EQ(unstated(toUtf16(*own)), "<none>");
}

TEST_F(RTFReaderPageLooksTests, paperSizeIsTheFilesUnlessFolioWroteIt)
{
    read(u"{\\rtf1\\ansi\\paperw16838\\paperh11906\\landscape Words}");
    ASSERT_TRUE(m_pageSettings.paperSize().has_value());
    EXPECT_NEAR(m_pageSettings.paperSize()->width, 841.9, 0.01);
    EXPECT_NEAR(m_pageSettings.paperSize()->height, 595.3, 0.01);

    read(u"{\\rtf1\\ansi\\sectd\\pgwsxn12240\\pghsxn15840 Words}");
    EXPECT_EQ(m_pageSettings.paperSize(), (Size{612, 792}));
    // The first section's paper is the first pages', unless it is damaged.
    read(u"{\\rtf1\\ansi\\paperw11906\\paperh16838\\sectd\\pgwsxn12240\\pghsxn15840 Words}");
    EXPECT_EQ(m_pageSettings.paperSize(), (Size{612, 792}));
    read(u"{\\rtf1\\ansi\\paperw12240\\paperh15840\\sectd\\pgwsxn-5\\pghsxn16838 Words}");
    EXPECT_EQ(m_pageSettings.paperSize(), (Size{612, 792}));

    // Nonsense sizes are no page.
    read(u"{\\rtf1\\ansi\\paperw0\\paperh15840 Words}");
    EXPECT_EQ(m_pageSettings.paperSize(), std::nullopt);

    // Folio's own header line carries a fixed paper size, not the page's.
    Result<std::string> own = DKRTFWriter::rtfDataForAttributedString(read(u"{\\rtf1 Words}"), false, "");
    ASSERT_TRUE(own.ok());
    read(toUtf16(*own));
    EXPECT_EQ(m_pageSettings.paperSize(), std::nullopt);
    EXPECT_NEAR(*m_pageSettings.number(DKRTFPageSettings::kPageMarginLeftKey), 2.54, 0.001);
}

// --- Faces -------------------------------------------------------------------------

TEST_F(RTFReaderPageLooksTests, boldAndItalicOfAStandInFamilyAskForTheFamily)
{
    auto catalog = std::make_shared<FakeFontCatalog>();
    catalog->addSubstitution("Garamond Premier", "Georgia");
    FontCatalog::setShared(catalog);
    std::u16string rtf = u"{\\rtf1{\\fonttbl{\\f0\\froman Garamond Premier;}}\\f0 plain {\\b bold} {\\i italic}}";
    std::string html = exportedHTML(rtf);
    EXPECT_EQ(html.find("GaramondPremier-"), std::string::npos) << html;
    // Every run, the blank between the words included.
    EXPECT_EQ(count(html, "font-family:&#39;Garamond Premier&#39;"), 4u) << html;
    EXPECT_NE(html.find("font-weight:bold"), std::string::npos) << html;
    EXPECT_NE(html.find("font-style:italic"), std::string::npos) << html;

    // Written back, the font table names the family once; bold and italic
    // are control words, and the text reads back in the same faces.
    Result<std::string> written = DKRTFWriter::rtfDataForAttributedString(read(rtf), false, "");
    ASSERT_TRUE(written.ok());
    EXPECT_NE(written->find("\\f0\\fnil\\fcharset0 Garamond Premier;}"), std::string::npos) << *written;
    EXPECT_EQ(written->find("GaramondPremier-"), std::string::npos) << *written;
    AttributedString again = read(toUtf16(*written));
    std::size_t bold = again.string().find(u"bold");
    const auto* font = again.attributesAtIndex(bold)->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->font().familyName(), "Garamond Premier");
    EXPECT_TRUE(font->font().symbolicTraits() & kFontBoldTrait);
}

// A font this system lacks is drawn in the generic family of the kind its
// font table entry gives it, or that its alternative names, as LibreOffice
// draws it; an alternative naming another font is not drawn. The text
// still asks for the font itself, and a save names the same fonts.
TEST_F(RTFReaderPageLooksTests, aMissingFontFallsBackToTheKindItsFontTableEntryGives)
{
    struct Case {
        const char* entry;
        const char* name;
        const char* fallbacks;
    };
    const Case cases[] = {
        {"\\froman Absent Roman", "Absent Roman", ",serif"},
        {"\\fswiss Absent Swiss", "Absent Swiss", ",sans-serif"},
        {"\\fmodern Absent Modern", "Absent Modern", ",monospace"},
        {"\\fscript Absent Script", "Absent Script", ",cursive"},
        {"\\fdecor Absent Decor", "Absent Decor", ",fantasy"},
        {"\\fnil Absent Nil", "Absent Nil", ""},
        {"\\fnil Absent Plain{\\*\\falt Serif }", "Absent Plain", ",serif"},
        {"\\fnil Absent Mono{\\*\\falt Absent Console}", "Absent Mono", ""},
        {"\\fmodern\\fcharset0 Absent Both{\\*\\falt Absent Type}", "Absent Both", ",monospace"},
    };
    std::string table, text;
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        const std::string number = std::to_string(index);
        table += "{\\f" + number + cases[index].entry + ";}";
        text += "\\f" + number + " W" + number + "\\par ";
    }
    const std::u16string rtf = toUtf16("{\\rtf1{\\fonttbl" + table + "}{\\*\\falt Lost}" + text + "}");
    const std::string html = exportedHTML(rtf);
    const AttributedString read = this->read(rtf);
    EXPECT_EQ(read.string().find(u"Lost"), std::u16string::npos) << "an alternative is no text";
    Result<std::string> written = DKRTFWriter::rtfDataForAttributedString(read, false, "");
    ASSERT_TRUE(written.ok());
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        const Case& test = cases[index];
        const std::string named = std::string("&#39;") + test.name + "&#39;";
        EXPECT_NE(html.find("font-family:" + named + "," + named + test.fallbacks + ";"), std::string::npos)
            << test.entry << "\n" << html;
        const std::size_t word = read.string().find(toUtf16("W" + std::to_string(index)));
        ASSERT_NE(word, std::u16string::npos);
        const auto* font = read.attributesAtIndex(word)->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->font().familyName(), test.name);
        EXPECT_NE(written->find(std::string("\\fnil\\fcharset0 ") + test.name + ";"), std::string::npos) << *written;
    }
}

// Capitals and small capitals are looks of the run over the letters as
// typed, in the run's own size.
TEST_F(RTFReaderPageLooksTests, capitalsAndSmallCapitalsKeepTheLettersTyped)
{
    AttributedString string = read(u"{\\rtf1{\\fonttbl{\\f0 Georgia;}}\\f0\\fs24 {\\scaps June Visit} {\\caps june}}");
    EXPECT_EQ(string.string(), u"June Visit june");
    const auto* font = string.attributesAtIndex(1)->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
    ASSERT_NE(font, nullptr);
    EXPECT_DOUBLE_EQ(font->font().pointSize(), 12);
    EXPECT_TRUE(string.attributesAtIndex(1)->containsKey(TESmallCapitalsAttribute));
    EXPECT_FALSE(string.attributesAtIndex(1)->containsKey(TECapitalsAttribute));
    EXPECT_TRUE(string.attributesAtIndex(11)->containsKey(TECapitalsAttribute));
    EXPECT_FALSE(string.attributesAtIndex(11)->containsKey(TESmallCapitalsAttribute));
    EXPECT_FALSE(string.attributesAtIndex(10)->containsKey(TESmallCapitalsAttribute));
}

// --- Lists ---------------------------------------------------------------------------

constexpr std::u16string_view kWordList =
    u"{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
    u"\\fi-360\\li720}{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'01.;}\\fi-360\\li1440}"
    u"{\\listname ;}\\listid42}{\\list\\listtemplateid2{\\listlevel\\levelnfc0\\levelstartat7{\\leveltext\\'02\\'00.;}"
    u"\\fi-360\\li720}{\\listname ;}\\listid43}}"
    u"{\\*\\listoverridetable{\\listoverride\\listid42\\listoverridecount0\\ls1}"
    u"{\\listoverride\\listid43\\listoverridecount0\\ls2}}";

TEST_F(RTFReaderPageLooksTests, itemsInGroupsAreOneList)
{
    // Word puts each item's paragraph mark in a group; pandoc each item.
    for (std::u16string body : {std::u16string(u"\\pard\\fi-360\\li720\\ls1 {One\\par}{Two\\par}{Three\\par}"),
                                std::u16string(u"{\\pard\\ls1 One\\par}{\\pard\\ls1 Two\\par}{\\pard\\ls1 Three\\par}"),
                                std::u16string(u"\\pard\\ls1 One{\\par {\\listtext\\pard 2.\\tab}}Two"
                                               u"{\\par {\\listtext\\pard 3.\\tab}}Three\\par")}) {
        std::string html = exportedHTML(u"{\\rtf1" + std::u16string(kWordList) + body + u"\\pard After\\par}");
        EXPECT_EQ(count(html, "<ol"), 1u) << html;
        EXPECT_EQ(count(html, "<li"), 3u) << html;
        EXPECT_EQ(count(html, "</ol>"), 1u) << html;
        EXPECT_GT(html.find("After"), html.find("</ol>")) << html;
        EXPECT_LT(html.find("Three"), html.find("</ol>")) << html;
    }
}

TEST_F(RTFReaderPageLooksTests, nestedItemsInGroupsStayNestedOnce)
{
    std::string html = exportedHTML(u"{\\rtf1" + std::u16string(kWordList) +
                                    u"\\pard\\ls1 {One\\par}{\\ilvl1 Sub one\\par}{\\ilvl1 Sub two\\par}{Two\\par}"
                                    u"\\pard After\\par}");
    EXPECT_EQ(count(html, "<ol"), 2u) << html;
    EXPECT_EQ(count(html, "<li"), 4u) << html;
    EXPECT_GT(html.find("After"), html.rfind("</ol>")) << html;
}

TEST_F(RTFReaderPageLooksTests, aListStartsAtItsFirstNumber)
{
    std::string html = exportedHTML(u"{\\rtf1" + std::u16string(kWordList) +
                                    u"{\\listtext 7.\\tab}\\pard\\ls2 Seventh\\par{\\listtext 8.\\tab}Eighth\\par"
                                    u"\\pard After\\par}");
    EXPECT_NE(html.find("start=\"7\""), std::string::npos) << html;
    // Lists numbered from 1, ours among them, say nothing of it.
    EXPECT_EQ(exportedHTML(u"{\\rtf1" + std::u16string(kWordList) + u"\\pard\\ls1 One\\par\\pard After\\par}")
                  .find("start="),
              std::string::npos);
}

// Legal numbering ("Sect 1.01") and Word's "1.1" headings show the numbers
// of the items above in decimal digits before their own; a save keeps them.
TEST_F(RTFReaderPageLooksTests, outerLevelsNumbersStandBeforeAnItemsOwn)
{
    auto document = [](const std::string& outerFormat, const std::string& legal) {
        return toUtf16(
            "{\\rtf1{\\*\\listtable{\\list\\listtemplateid5{\\listlevel\\levelnfc" + outerFormat + "\\levelstartat1"
            "{\\leveltext\\'09Article \\'00.;}{\\levelnumbers\\'09;}\\fi-360\\li360}"
            "{\\listlevel\\levelnfc22\\levelstartat1" + legal + "{\\leveltext\\'08Sect \\'00.\\'01;}{\\levelnumbers\\'06\\'08;}"
            "\\fi-1080\\li1080}{\\listname ;}\\listid7}}"
            "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}"
            "\\pard\\ls1 {Opening\\par}{\\ilvl1 Scene\\par}{\\ilvl1 Another\\par}{Middle\\par}{\\ilvl1 Last\\par}"
            "\\pard After\\par}");
    };
    const struct {
        const char* name;
        std::u16string rtf;
        std::vector<std::string> labels;
    } cases[] = {
        {"legal", document("1", "\\levellegal"), {"Article I. Opening", "Sect 1.01 Scene", "Sect 1.02 Another",
                                                  "Article II. Middle", "Sect 2.01 Last"}},
        {"decimal", document("0", ""), {"Article 1. Opening", "Sect 1.01 Scene", "Sect 2.01 Last"}},
        // A roman level's number is no digit: the item shows its own alone.
        {"roman", document("1", "\\levellegal0"), {"Article I. Opening", "Article II. Middle"}},
    };
    for (const auto& file : cases) {
        // The words as the page shows them, without the tags between.
        const auto shown = [this](std::u16string_view rtf) {
            return std::regex_replace(exportedHTML(rtf), std::regex("<[^>]*>"), "");
        };
        const std::string html = shown(file.rtf);
        Result<std::string> saved = DKRTFWriter::rtfDataForAttributedString(read(file.rtf), false, "");
        ASSERT_TRUE(saved.ok()) << file.name;
        const std::string again = shown(toUtf16(*saved));
        for (const std::string& label : file.labels) {
            EXPECT_NE(html.find(label), std::string::npos) << file.name << ": " << label << "\n" << html;
            EXPECT_NE(again.find(label), std::string::npos) << file.name << ", saved: " << label << "\n" << *saved;
        }
        EXPECT_EQ(html.find("Sect 1.01 Scene") != std::string::npos, file.labels.size() > 2) << file.name << html;
    }
}

// Word's "o" bullet is the letter in Courier New, not a circle: it prints
// so and a save keeps it; a symbol font's letter is another sign, which the
// list's type draws.
TEST_F(RTFReaderPageLooksTests, aBulletLetterInAFontOfItsOwnPrintsAsThatLetterInThatFont)
{
    const std::u16string rtf =
        u"{\\rtf1{\\fonttbl{\\f0\\froman Times New Roman;}{\\f2\\fmodern Courier New;}{\\f10\\fnil\\fcharset2 Wingdings;}}"
        u"{\\*\\listtable{\\list\\listtemplateid5{\\listlevel\\levelnfc23\\levelstartat1"
        u"{\\leveltext\\leveltemplateid1\\'01o;}{\\levelnumbers;}\\f2\\fbias0\\fi-360\\li720}"
        u"{\\listlevel\\levelnfc23\\levelstartat1{\\leveltext\\'01v;}{\\levelnumbers;}\\f10\\fi-360\\li1440}"
        u"{\\listname ;}\\listid7}}{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}"
        u"\\pard\\ls1\\f0 {Opening\\par}{\\ilvl1 Diamond\\par}\\pard After\\par}";
    Result<std::string> saved = DKRTFWriter::rtfDataForAttributedString(read(rtf), false, "");
    ASSERT_TRUE(saved.ok());
    for (const std::string& html : {exportedHTML(rtf), exportedHTML(toUtf16(*saved))}) {
        EXPECT_NE(html.find("<span style=\"font-family:'Courier New'\">o</span> "), std::string::npos) << html;
        const std::string shown = std::regex_replace(html, std::regex("<[^>]*>"), "");
        EXPECT_NE(shown.find("o Opening"), std::string::npos) << html;
        EXPECT_EQ(shown.find("v Diamond"), std::string::npos) << html;
    }
    EXPECT_NE(saved->find("{\\leveltext\\leveltemplateid1\\'01o;}{\\levelnumbers;}\\f"), std::string::npos) << *saved;
}

TEST_F(RTFReaderPageLooksTests, wordsAroundAnItemsNumberAreKeptInItsMarker)
{
    constexpr std::u16string_view kChapters =
        u"{\\*\\listtable{\\list\\listtemplateid5{\\listlevel\\levelnfc1\\levelstartat1"
        u"{\\leveltext\\leveltemplateid9\\'05CH \\'00;}{\\levelnumbers\\'04;}\\fi-360\\li720}"
        u"{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'01);}\\fi-360\\li1440}{\\listname ;}\\listid7}}"
        u"{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}";
    std::string html = exportedHTML(u"{\\rtf1" + std::u16string(kChapters) +
                                    u"\\pard\\ls1 {Opening\\par}{\\ilvl1 Scene\\par}{\\ilvl1 Another\\par}"
                                    u"{Middle\\par}\\pard After\\par}");
    EXPECT_NE(html.find(">CH I Opening"), std::string::npos) << html;
    EXPECT_NE(html.find(">CH II Middle"), std::string::npos) << html;
    EXPECT_NE(html.find(">1) Scene"), std::string::npos) << html;
    EXPECT_NE(html.find(">2) Another"), std::string::npos) << html;
    EXPECT_EQ(count(html, "list-style:none"), 2u) << html;
    // The usual "1." is left to the page, and bullets have no number.
    EXPECT_FALSE(DKRTFReaderListTable::readMarkerText(u"{\\leveltext\\'02\\'00.;}", 0).has_value());
    EXPECT_FALSE(DKRTFReaderListTable::readMarkerText(u"{\\leveltext\\'01\\u-3913 ?;}", 0).has_value());
    // An outer level's number ("1.01") stands among the words; one after
    // the level's own, or a deeper level's, is no marker read here.
    std::optional<TECSSListStyle::MarkerText> legal =
        DKRTFReaderListTable::readMarkerText(u"{\\leveltext\\'08Sect \\'00.\\'01;}", 1);
    ASSERT_TRUE(legal.has_value());
    EXPECT_EQ(legal->before, u"Sect ");
    EXPECT_EQ(legal->outer, (std::vector<TECSSListStyle::MarkerText::OuterNumber>{{0, u"."}}));
    EXPECT_EQ(legal->after, u"");
    EXPECT_FALSE(DKRTFReaderListTable::readMarkerText(u"{\\leveltext\\'04\\'01.\\'00;}", 1).has_value());
    EXPECT_FALSE(DKRTFReaderListTable::readMarkerText(u"{\\leveltext\\'04\\'00.\\'01;}", 0).has_value());
    std::optional<TECSSListStyle::MarkerText> section =
        DKRTFReaderListTable::readMarkerText(u"{\\leveltext\\leveltemplateid3\\'07Sect \\'00:;}", 0);
    ASSERT_TRUE(section.has_value());
    EXPECT_EQ(section->before, u"Sect ");
    EXPECT_EQ(section->after, u":");
    // In a double-byte code page a character is an escaped lead byte and a
    // plain trail byte ("\'abe" is one character in Big5).
    std::optional<TECSSListStyle::MarkerText> big5 = DKRTFReaderListTable::readMarkerText(
        u"{\\leveltext\\'05\\'abea\\'b8mb\\'00\\'a1\\'41;}", 0, StringEncoding::windowsCodePage(950));
    ASSERT_TRUE(big5.has_value());
    EXPECT_EQ(big5->before, u"\u524Da\u7F6Eb");
    EXPECT_EQ(big5->after, u"\uFF0C");
    std::string chinese = exportedHTML(
        u"{\\rtf1\\ansi\\ansicpg950{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1"
        u"{\\leveltext\\'05\\'abea\\'b8mb\\'00;}{\\levelnumbers\\'05;}\\fi-360\\li720}\\listid7}}"
        u"{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}"
        u"\\pard\\ls1 Item\\par\\pard After\\par}");
    EXPECT_NE(chinese.find(">\xE5\x89\x8D" "a\xE7\xBD\xAE" "b1 Item"), std::string::npos) << chinese;
}

TEST_F(RTFReaderPageLooksTests, itemsSteppingBackOutOfADeepListStayItems)
{
    std::u16string levels;
    std::u16string items;
    for (int level = 0; level < 9; ++level) {
        const std::u16string indent = toUtf16(std::to_string(720 * (level + 1)));
        const std::u16string digit = toUtf16(std::to_string(level));
        levels += u"{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'0" + digit + u".;}{\\levelnumbers\\'01;}"
                  u"\\fi-360\\li" + indent + u"}";
        items += u"{\\listtext\\pard\\plain x.\\tab}\\pard\\fi-360\\li" + indent + u"\\ls1\\ilvl" + digit + u" In" +
                 digit + u"\\par\n";
    }
    std::u16string back;
    for (int level = 7; level >= 0; --level) {
        const std::u16string digit = toUtf16(std::to_string(level));
        back += u"{\\listtext\\pard\\plain x.\\tab}\\pard\\fi-360\\li" + toUtf16(std::to_string(720 * (level + 1))) +
                u"\\ls1\\ilvl" + digit + u" Out" + digit + u"\\par\n";
    }
    std::string html = exportedHTML(u"{\\rtf1\\ansi{\\*\\listtable{\\list\\listtemplateid1" + levels +
                                    u"\\listid5}}{\\*\\listoverridetable{\\listoverride\\listid5\\listoverridecount0\\ls1}}" +
                                    items + back + u"\\pard Closing\\par}");
    for (int level = 7; level >= 0; --level) {
        const std::string out = "Out" + std::to_string(level);
        const std::size_t at = html.find(out);
        ASSERT_NE(at, std::string::npos) << html;
        const std::size_t item = html.rfind("<li", at);
        const std::size_t division = html.rfind("<div", at);
        EXPECT_TRUE(item != std::string::npos && (division == std::string::npos || item > division)) << out << "\n" << html;
    }
    EXPECT_EQ(count(html, "<li"), 17u) << html;
    EXPECT_EQ(paragraphTag(html, "Closing").find("margin-left"), std::string::npos) << html;
}

TEST_F(RTFReaderPageLooksTests, aMacEditorsParagraphAfterAListLeavesTheListsIndent)
{
    const std::u16string list =
        uR"({\*\listtable{\list\listtemplateid1\listhybrid{\listlevel\levelnfc23\levelstartat1{\*\levelmarker \{disc\}})"
        uR"({\leveltext\leveltemplateid1\'01\uc0\u8226 ;}{\levelnumbers;}\fi-360\li720\lin720 }{\listname ;}\listid1}})"
        uR"({\*\listoverridetable{\listoverride\listid1\listoverridecount0\ls1}})"
        uR"(\pard\tx220\tx720\li720\fi-720\ls1\ilvl0 {\listtext	\uc0\u8226 	}First item\)" u"\n"
        uR"(\pard\tx566\pardirnatural After the list.})";
    std::string mac = exportedHTML(u"{\\rtf1\\ansi\\cocoartf2639" + list);
    EXPECT_EQ(paragraphTag(mac, "After the list").find("margin-left"), std::string::npos) << mac;
    // Our own files keep the list's settings past the "\pard" after it.
    std::string own = exportedHTML(u"{\\rtf1\\ansi" + list);
    EXPECT_NE(paragraphTag(own, "After the list").find("margin-left"), std::string::npos) << own;
}

TEST_F(RTFReaderPageLooksTests, aHangingFirstLinePrintsLeftOfItsParagraphButNotOfThePage)
{
    std::string html = exportedHTML(uR"({\rtf1\ansi\pard\li720\fi-360 Hanging\par\pard\li0\fi-360 Edge\par})");
    std::smatch hanging;
    const std::string tag = paragraphTag(html, "Hanging");
    ASSERT_TRUE(std::regex_search(tag, hanging, std::regex("text-indent:(-[0-9.]+)cm"))) << html;
    EXPECT_NEAR(std::stod(hanging[1]), -0.635, 0.01) << html;
    EXPECT_EQ(paragraphTag(html, "Edge").find("text-indent:-"), std::string::npos) << html;
}

// --- Pictures ------------------------------------------------------------------------

TEST_F(RTFReaderPageLooksTests, wordPictureWithPropertiesTakesItsGoalSizeInPixels)
{
    AttributedString string = read(
        u"{\\rtf1 {\\*\\shppict{\\pict{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}}"
        u"\\picscalex100\\picscaley100\\picw3598\\pich4233\\picwgoal2040\\pichgoal2400\\pngblip{\\*\\blipuid 2f1c}"
        u"89504e470d0a1a0a}} after}");
    const TEImageTextAttachment* picture = pictureIn(string);
    ASSERT_NE(picture, nullptr);
    // 102 x 120 pt are 136 x 160 CSS pixels.
    EXPECT_NEAR(picture->displaySize().width, 136, 0.01);
    EXPECT_NEAR(picture->displaySize().height, 160, 0.01);
    // Scaled pictures are scaled.
    AttributedString scaled = read(u"{\\rtf1 {\\pict\\picscalex50\\picscaley25\\picwgoal2040\\pichgoal2400\\pngblip "
                                   u"89504e47} x}");
    picture = pictureIn(scaled);
    ASSERT_NE(picture, nullptr);
    EXPECT_NEAR(picture->displaySize().width, 68, 0.01);
    EXPECT_NEAR(picture->displaySize().height, 40, 0.01);
}

TEST_F(RTFReaderPageLooksTests, anObjectsPictureAndASquareWrappedShapeStandWhereTheFileShowsThem)
{
    const std::u16string pict = u"{\\pict\\picwgoal1200\\pichgoal900\\pngblip 89504e470d0a1a0a}";
    auto shape = [&](const std::u16string& words) {
        return u"{\\shp{\\*\\shpinst" + words + u"{\\sp{\\sn pib}{\\sv " + pict + u"}}}}";
    };
    TEHTMLWriterSettings settings;
    settings.forPrint = true;
    settings.keepsPlaceholders = false;
    settings.writesTables = true;
    const std::string html = toUtf8(htmlString(
        read(u"{\\rtf1\\ansi\\trowd\\cellx4000\\cellx8000\\pard\\intbl Name\\cell "
             u"{\\object\\objemb\\objw1200\\objh900{\\*\\objclass Barcode}{\\*\\objdata 0105000002000000}"
             u"{\\result " + pict + u"}}\\cell\\row\\pard "
             u"Square" + shape(u"\\shpleft0\\shpright1200\\shpwr2") + u" beside.\\par "
             u"Right" + shape(u"\\shpleft7000\\shpright8200\\shpwr2") + u" beside.\\par "
             u"Above" + shape(u"\\shpleft0\\shpright1200\\shpwr1") + u" below.\\par}"),
        settings));
    // The object's picture is in its cell, with no padding of the page's.
    const std::size_t cell = html.find("<td", html.find("Name"));
    ASSERT_NE(cell, std::string::npos) << html;
    const std::size_t picture = html.find("<img", cell);
    ASSERT_NE(picture, std::string::npos) << html;
    EXPECT_LT(picture, html.find("</td>", cell)) << html;
    EXPECT_NE(html.substr(picture, html.find('>', picture) - picture).find("padding:0;"), std::string::npos) << html;
    auto pictureAfter = [&html](const std::string& words) {
        const std::size_t at = html.find("<img", html.find(words));
        return at == std::string::npos ? std::string() : html.substr(at, html.find('>', at) - at);
    };
    EXPECT_NE(pictureAfter("Square").find("float:left;"), std::string::npos) << html;
    EXPECT_NE(pictureAfter("Right").find("float:right;"), std::string::npos) << html;
    EXPECT_EQ(pictureAfter("Above").find("float:"), std::string::npos) << html;
}

TEST_F(RTFReaderPageLooksTests, metafilesThatCannotBeDrawnKeepTheirPlaceAsAFrameOfTheirSize)
{
    AttributedString string =
        read(u"{\\rtf1 a{\\pict\\wmetafile8\\picw2540\\pich1270 010009000003}b}");
    EXPECT_EQ(string.string(), u"a\uFEFFb");
    const TEImageTextAttachment* picture = pictureIn(string);
    ASSERT_NE(picture, nullptr);
    // Hundredths of a millimetre: 1 x 0.5 inch.
    EXPECT_NEAR(picture->displaySize().width, 96, 0.01);
    EXPECT_NEAR(picture->displaySize().height, 48, 0.01);
    ASSERT_NE(picture->contentsData(), nullptr);
    Result<DecodedBitmap> frame = ImageCodec::decodePng(picture->contentsData()->vector());
    ASSERT_TRUE(frame.ok());
    EXPECT_EQ(frame->width, 96);
    EXPECT_EQ(frame->height, 48);
}

TEST_F(RTFReaderPageLooksTests, windowsMetafilesAreDrawnWhereLibwmfIsInstalled)
{
    if (std::system("command -v wmf2gd >/dev/null 2>&1") != 0)
        return folio::test::missingToolForTest("libwmf's converter is not installed (libwmf-bin): metafiles show as frames here");
    // A metafile as Word embeds it (no placeable header): a window of 200 x
    // 100 units filled with a red rectangle.
    AttributedString string = read(
        u"{\\rtf1 a{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 "
        u"010009000003280000000100070000000000050000000b0200000000050000000c026400c800070000"
        u"00fc020000ff0000000000040000002d010000070000001b046400c80000000000030000000000}b}");
    const TEImageTextAttachment* picture = pictureIn(string);
    ASSERT_NE(picture, nullptr);
    EXPECT_NEAR(picture->displaySize().width, 96, 0.01);
    EXPECT_NEAR(picture->displaySize().height, 48, 0.01);
    ASSERT_NE(picture->contentsData(), nullptr);
    Result<DecodedBitmap> drawn = ImageCodec::decodePng(picture->contentsData()->vector());
    ASSERT_TRUE(drawn.ok());
    EXPECT_NEAR(drawn->width, 96, 2);
    EXPECT_NEAR(drawn->height, 48, 2);
    // The middle is the rectangle's red, not a frame's grey.
    const std::size_t middle = (static_cast<std::size_t>(drawn->height / 2) * drawn->width + drawn->width / 2) * 4;
    EXPECT_EQ(drawn->pixels[middle], 0xFF);
    EXPECT_EQ(drawn->pixels[middle + 1], 0);
    EXPECT_EQ(drawn->pixels[middle + 2], 0);
}

// --- Colours, rows and raised text -------------------------------------------------

TEST_F(RTFReaderPageLooksTests, highlightIsTheTextsBackground)
{
    std::string html = exportedHTML(u"{\\rtf1{\\colortbl;\\red255\\green255\\blue255;\\red0\\green0\\blue255;}"
                                    u"Plain {\\cf1\\highlight2 white on blue}}");
    EXPECT_TRUE(std::regex_search(html, std::regex("background-color:#0000ff;[^>]*>white on blue"))) << html;
}

TEST_F(RTFReaderPageLooksTests, aRowOfDifferentlyAlignedCellsIsNotAlignedAsItsFirstCell)
{
    AttributedString string = read(u"{\\rtf1\\trowd\\cellx2000\\cellx4000\\pard\\intbl\\qr 12\\cell\\ql Apples\\cell\\row"
                                   u"\\trowd\\cellx2000\\cellx4000\\pard\\intbl\\qc A\\cell\\qc B\\cell\\row}");
    auto alignmentAt = [&](std::size_t index) {
        AttributeValuePtr value = string.attributeAtIndex(kCTParagraphStyleAttributeName, index);
        return value ? value->as<ParagraphStyleValue>()->style().alignment() : TextAlignment::Natural;
    };
    EXPECT_EQ(alignmentAt(0), TextAlignment::Left);
    // Cells that agree keep their alignment.
    std::size_t second = string.string().find(u"A\t");
    EXPECT_EQ(alignmentAt(second), TextAlignment::Center);
}

TEST_F(RTFReaderPageLooksTests, aLeftAlignedRowKeepsEachRunsFormattingAndLeavesTheTextAroundIt)
{
    AttributedString string = read(u"{\\rtf1\\pard\\qc Title\\par"
                                   u"\\trowd\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl\\qc {\\b Big} small\\cell"
                                   u"\\qr 12\\cell\\qc {\\i Note}\\cell\\row"
                                   u"\\pard\\qr After\\par}");
    auto styleAt = [&](std::u16string_view word) {
        std::size_t index = string.string().find(word);
        EXPECT_NE(index, std::u16string::npos) << toUtf8(word);
        AttributeValuePtr value = string.attributeAtIndex(kCTParagraphStyleAttributeName, index);
        return value ? value->as<ParagraphStyleValue>()->style() : PlatformParagraphStyle();
    };
    auto fontAt = [&](std::u16string_view word) {
        AttributeValuePtr value = string.attributeAtIndex(kCTFontAttributeName, string.string().find(word));
        return value ? value->as<FontAttributeValue>()->font().symbolicTraits() : 0u;
    };
    for (std::u16string_view word : {u"Big", u"small", u"12", u"Note"})
        EXPECT_EQ(styleAt(word).alignment(), TextAlignment::Left) << toUtf8(word);
    EXPECT_NE(fontAt(u"Big") & kFontBoldTrait, 0u);
    EXPECT_EQ(fontAt(u"small") & kFontBoldTrait, 0u);
    EXPECT_NE(fontAt(u"Note") & kFontItalicTrait, 0u);
    EXPECT_EQ(styleAt(u"Title").alignment(), TextAlignment::Center);
    EXPECT_EQ(styleAt(u"After").alignment(), TextAlignment::Right);
}

TEST_F(RTFReaderPageLooksTests, raisedAndLoweredTextIsPrintedSmaller)
{
    std::u16string rtf = u"{\\rtf1{\\fonttbl{\\f0 Georgia;}}\\f0\\fs24 E = mc{\\super 2} and H{\\sub 2}O}";
    std::string html = exportedHTML(rtf);
    EXPECT_TRUE(std::regex_search(html, std::regex("vertical-align:super;font-size:[0-9]+px;"))) << html;
    EXPECT_TRUE(std::regex_search(html, std::regex("vertical-align:sub;font-size:[0-9]+px;"))) << html;
    // The editing page keeps the text's own size.
    EXPECT_EQ(toUtf8(htmlString(read(rtf))).find("vertical-align:super;font-size"), std::string::npos);
}

TEST_F(RTFReaderPageLooksTests, cellsThatLookAlikeShareOneLookAndEachOtherKeepsItsOwn)
{
    // Word defines every row again: rows whose cells look alike share their
    // looks, and a cell that differs in one thing only keeps that thing.
    const std::u16string rtf =
        u"{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\n"
        u"\\trowd\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\cellx2000\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\cellx4000"
        u"\\intbl Aa\\cell Bb\\cell\\row\n"
        u"\\trowd\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\cellx2000\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\cellx4000"
        u"\\intbl Cc\\cell Dd\\cell\\row\n"
        u"\\trowd\\clbrdrt\\brdrs\\brdrw20\\brdrcf2\\cellx2000\\clvertalc\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\cellx4000"
        u"\\intbl Ee\\cell Ff\\cell\\row\n"
        u"\\trowd\\trrh400\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\cellx2000\\clbrdrt\\brdrs\\brdrw40\\brdrcf1\\cellx4000"
        u"\\intbl Gg\\cell Hh\\cell\\row\n"
        u"\\trowd\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\cellx3000\\clcbpat2\\clbrdrt\\brdrs\\brdrw20\\brdrcf1\\cellx4000"
        u"\\intbl Ii\\cell Jj\\cell\\row\n}";
    const AttributedString string = read(rtf);
    auto look = [&string](std::u16string_view words) -> AttributeValuePtr {
        const std::size_t mark = string.string().find(words) + words.size();
        return string.attributeAtIndex(TETableCellStyleKey, mark);
    };
    struct Expected {
        std::u16string_view words;
        std::map<std::string, std::u16string> style;
    };
    const std::u16string redTop = u"1pt solid #FF0000";
    const std::vector<Expected> cells{
        {u"Aa", {{"width", u"100pt"}, {"border-top", redTop}, {"vertical-align", u"top"}, {"text-align", u"left"}}},
        {u"Ee", {{"width", u"100pt"}, {"border-top", u"1pt solid #0000FF"}, {"vertical-align", u"top"}, {"text-align", u"left"}}},
        {u"Ff", {{"width", u"100pt"}, {"border-top", redTop}, {"vertical-align", u"middle"}, {"text-align", u"left"}}},
        {u"Gg", {{"width", u"100pt"}, {"height", u"20pt"}, {"border-top", redTop}, {"vertical-align", u"top"}, {"text-align", u"left"}}},
        {u"Hh", {{"width", u"100pt"}, {"height", u"20pt"}, {"border-top", u"2pt solid #FF0000"}, {"vertical-align", u"top"}, {"text-align", u"left"}}},
        {u"Ii", {{"width", u"150pt"}, {"border-top", redTop}, {"vertical-align", u"top"}, {"text-align", u"left"}}},
        {u"Jj", {{"width", u"50pt"}, {"border-top", redTop}, {"background-color", u"#0000FF"}, {"vertical-align", u"top"}, {"text-align", u"left"}}},
    };
    for (const Expected& cell : cells) {
        SCOPED_TRACE(toUtf8(cell.words));
        const AttributeValuePtr value = look(cell.words);
        ASSERT_NE(value, nullptr);
        ASSERT_NE(value->as<StringMapValue>(), nullptr);
        EXPECT_EQ(value->as<StringMapValue>()->map(), cell.style);
    }
    // The first two rows' cells are all alike: one look serves them.
    for (std::u16string_view words : {u"Bb", u"Cc", u"Dd"})
        EXPECT_EQ(look(words).get(), look(u"Aa").get()) << toUtf8(words);

    // Written out, each cell has the look it was given.
    TEHTMLWriterSettings settings;
    settings.writesTables = true;
    const std::string html = htmlData(string, settings);
    auto cellTag = [&html](const std::string& words) {
        const std::size_t at = html.find(words);
        const std::size_t start = at == std::string::npos ? std::string::npos : html.rfind("<td", at);
        return start == std::string::npos ? std::string() : html.substr(start, html.find('>', start) - start);
    };
    EXPECT_EQ(cellTag("Aa"), cellTag("Dd"));
    EXPECT_NE(cellTag("Ee").find("1pt solid #0000FF"), std::string::npos);
    EXPECT_NE(cellTag("Ff").find("vertical-align:middle"), std::string::npos);
    EXPECT_NE(cellTag("Hh").find("2pt solid #FF0000"), std::string::npos);
    EXPECT_NE(cellTag("Jj").find("background-color:#0000FF"), std::string::npos);
    EXPECT_EQ(cellTag("Aa").find("#0000FF"), std::string::npos);
}

} // namespace
} // namespace folio
