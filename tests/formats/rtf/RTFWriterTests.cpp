#include "RTFWriterTests.h"

#include "formats/rtf/DKRTFDataBuffer.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"

#include <cmath>
#include <cstdlib>
#include <thread>

namespace folio {
namespace {

using namespace rtfwritertest;

const std::string kPlainHeader = "{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840\\margl1440\\margr1440"
                                 "\\margt1440\\margb1440\\vieww18540\\viewh17280\\viewscale100\\lin0\\rin0\n";
const std::string kDefaultFontTable = "{\\fonttbl\\f0\\fnil\\fcharset0 Helvetica;}\n";
const std::string kDefaultColorTable = "{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;}\n\\pard\n";

std::string headerLineOf(const std::string& rtf)
{
    return rtf.substr(0, rtf.find('\n') + 1);
}

TEST(RTFWriterDocumentTests, writesDefaultParagraphOfPlainText)
{
    std::string rtf = writeText(makeText({{u"Hello", {}}}));
    EXPECT_EQ(rtf, kPlainHeader + kDefaultFontTable + kDefaultColorTable + "\\ql\n\\f0\\fs24 \\cf0 Hello}");
}

TEST(RTFWriterDocumentTests, writesEmptyDocumentWhenTextIsEmpty)
{
    DKRTFDocumentSettings settings;
    settings.leftMargin = 3;
    settings.rightMargin = 15;
    auto result = DKRTFWriter::writeDocument(AttributedString(), settings);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(*result, "{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840\\margl1701\\margr3736\\margt1440"
                       "\\margb1440\\vieww18540\\viewh17280\\viewscale100\\lin0\\rin0\n"
                           + kDefaultFontTable + kDefaultColorTable + "}");
}

TEST(RTFWriterDocumentTests, endsParagraphsWithEscapedLineFeed)
{
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(makeText({{u"one\ntwo", {}}}))), "one\\\ntwo");
}

TEST(RTFWriterDocumentTests, marginsFollowTheRulerRules)
{
    struct Case {
        float left, right, top, bottom;
        bool blank;
        const char* expected;
    };
    const Case cases[] = {
        {3, 15, 1, 40, false, "\\margl1701\\margr3736\\margt567\\margb0"},
        // Left and right both 0: standard side margins whatever top and bottom say.
        {0, 0, 1, 2, false, "\\margl1440\\margr1440\\margt567\\margb1134"},
        // The right value is a ruler position: 19.05 cm leaves 2.54 cm.
        {2.54f, 19.05f, 2.54f, 2.54f, false, "\\margl1440\\margr1440\\margt1440\\margb1440"},
        {1, 21.59f, 0, 0, false, "\\margl567\\margr0\\margt1440\\margb1440"},
        {1, 30, 0, 33.02f, false, "\\margl567\\margr0\\margt0\\margb0"},
        // A new blank document keeps the standard sides; top and bottom are its own.
        {3, 15, 1, 2, true, "\\margl1440\\margr1440\\margt567\\margb1134"},
    };
    for (const Case& c : cases) {
        DKRTFDocumentSettings settings;
        settings.leftMargin = c.left;
        settings.rightMargin = c.right;
        settings.topMargin = c.top;
        settings.bottomMargin = c.bottom;
        settings.isNewBlankDocument = c.blank;
        std::string header = headerLineOf(writeText(makeText({{u"x", {}}}), settings));
        EXPECT_EQ(header, std::string("{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840") + c.expected
                              + "\\vieww18540\\viewh17280\\viewscale100\\lin0\\rin0\n")
            << c.left << " " << c.right << " " << c.top << " " << c.bottom;
    }
}

// A page the file never described gets no paper or margins written, side by
// side: only what is unstated is left out, and the document's own paper or
// a margin of its own still wins over it.
TEST(RTFWriterDocumentTests, anUnstatedPageWritesOnlyWhatWasStated)
{
    auto headerWith = [](const std::u16string& unstated, std::vector<AttributeDictionary::Entry> more = {}) {
        more.push_back(stringEntry("docUnstatedPage", unstated));
        for (auto [key, value] : {std::pair{"docLeftMargin", u"3.17"}, std::pair{"docRightMargin", u"18.42"},
                                  std::pair{"docTopMargin", u"2.54"}, std::pair{"docBottomMargin", u"2.54"}})
            more.push_back(stringEntry(key, value));
        auto rtf = DKRTFWriter::rtfDataForAttributedString(makeText({{u"x", more}}), false, "Doc.rtf");
        EXPECT_TRUE(rtf.ok());
        const std::string header = rtf.ok() ? headerLineOf(*rtf) : std::string();
        return header.substr(0, header.find("\\vieww"));
    };
    EXPECT_EQ(headerWith(u"paper left right top bottom"), "{\\rtf1\\ansi\\ansicpg1252");
    EXPECT_EQ(headerWith(u"paper right bottom"), "{\\rtf1\\ansi\\ansicpg1252\\margl1797\\margt1440");
    EXPECT_EQ(headerWith(u"left right top bottom"),
              "{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840");
    // Damaged words leave the page written whole.
    EXPECT_EQ(headerWith(u"papers margins"),
              "{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840\\margl1797\\margr1797\\margt1440\\margb1440");
    // Paper the document has, and the document's own page beside its first
    // section's, are written whatever the list says.
    EXPECT_EQ(headerWith(u"paper left right top bottom",
                         {stringEntry("docPaperWidth", u"612"), stringEntry("docPaperHeight", u"792")}),
              "{\\rtf1\\ansi\\ansicpg1252\\paperw12240\\paperh15840");
    EXPECT_EQ(headerWith(u"paper left right top bottom", {stringEntry("docWidePage", u"width=12240 height=15840 left=1000")}),
              "{\\rtf1\\ansi\\ansicpg1252\\paperw12240\\paperh15840\\margl1000");
}

TEST(RTFWriterDocumentTests, bookmarkSelectsTheSmallerViewAndIsWrittenUnchanged)
{
    DKRTFDocumentSettings settings;
    settings.bookmark = u"1234";
    EXPECT_EQ(headerLineOf(writeText(makeText({{u"x", {}}}), settings)),
              "{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840\\margl1440\\margr1440\\margt1440\\margb1440"
              "\\vieww10800\\viewh8400\\viewscale100\\lin0\\rin0\\xebookmark1234\n");
}

TEST(RTFWriterDocumentTests, paperColourIsWrittenInBlueGreenRedOrder)
{
    const std::pair<std::u16string, std::string> cases[] = {
        {u"FF0000", "255"},
        {u"0000FF", "16711680"},
        {u"123456", "5649426"},
        // Parts that are not hexadecimal count 0.
        {u"zz00ff", "16711680"},
    };
    for (const auto& [color, number] : cases) {
        DKRTFDocumentSettings settings;
        settings.paperColor = color;
        std::string rtf = writeText(makeText({{u"x", {}}}), settings);
        EXPECT_EQ(rtf.substr(kPlainHeader.size(), rtf.find('\n', kPlainHeader.size()) + 1 - kPlainHeader.size()),
                  "{\\papercolor" + number + "}\n");
        std::string background
            = "{\\*\\background {\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright0\\shpbottom0\\shpfhdr0\\shpbxmargin"
              "\\shpbymargin\\shpwr0\\shpwrk0\\shpfblwtxt1\\shpz0\\shplid1025{\\sp{\\sn shapeType}{\\sv 1}}"
              "{\\sp{\\sn fFlipH}{\\sv 0}}{\\sp{\\sn fFlipV}{\\sv 0}}{\\sp{\\sn fillColor}{\\sv "
            + number
            + "}}{\\sp{\\sn fFilled}{\\sv 1}}{\\sp{\\sn lineWidth}{\\sv 0}}{\\sp{\\sn fLine}{\\sv 0}}"
              "{\\sp{\\sn bWMode}{\\sv 9}}{\\sp{\\sn fBackground}{\\sv 1}}}}}\n";
        auto tables = rtf.find(kDefaultColorTable);
        ASSERT_NE(tables, std::string::npos);
        EXPECT_EQ(rtf.substr(tables + kDefaultColorTable.size(), background.size()), background);
    }
}

TEST(RTFWriterDocumentTests, documentWithoutPaperColourHasNoColourGroups)
{
    std::string rtf = writeText(makeText({{u"x", {}}}));
    EXPECT_EQ(rtf.find("papercolor"), std::string::npos);
    EXPECT_EQ(rtf.find("background"), std::string::npos);
    EXPECT_EQ(rtf.substr(kPlainHeader.size(), 9), "{\\fonttbl");
}

TEST(RTFWriterDocumentTests, headerAndFooterAreEscapedAndFollowTheTables)
{
    DKRTFDocumentSettings settings;
    settings.pageHeader = u"Helvetica::12::left::#000000::1::1::a{b}\\c";
    settings.pageFooter = u"Page \u00e9";
    std::string rtf = writeText(makeText({{u"x", {}}}), settings);
    EXPECT_EQ(bodyOf(rtf), "{\\*\\pageHeader Helvetica::12::left::#000000::1::1::a\\{b\\}\\\\c}\n"
                           "{\\*\\pageFooter Page \xC3\xA9}\n"
                           // The header once more for other programs, an inch from the
                           // paper's edge; the footer is no valid setting.
                           "{\\header\\pard\\plain\\ql\\f0\\fs24 a\\{b\\}\\\\c\\par}\n\\headery1440\n\\ql\n\\f0\\fs24 \\cf0 x");
}

TEST(RTFWriterDocumentTests, settingsAreReadFromTheFirstCharacter)
{
    AttributedString text = makeText({{u"x", {stringEntry("papercolor", u"00FF00"),
                                              stringEntry("docLeftMargin", u"3"),
                                              stringEntry("docRightMargin", u"15"),
                                              stringEntry("docTopMargin", u"1"),
                                              stringEntry("docBottomMargin", u"2"),
                                              stringEntry("pageHeader", u"H"), stringEntry("xebookmark", u"7")}},
                                      {u"y", {}}});
    // Whatever the user's store says, only the document makes a blank one.
    UserDefaults::standardUserDefaults().setBool("isNewBlankDocument", true);
    DKRTFDocumentSettings settings = DKRTFDocumentSettings::fromFirstCharacter(text);
    UserDefaults::standardUserDefaults().removeObjectForKey("isNewBlankDocument");
    ASSERT_TRUE(settings.paperColor.has_value());
    EXPECT_EQ(*settings.paperColor, u"00FF00");
    EXPECT_FLOAT_EQ(settings.leftMargin, 3);
    EXPECT_FLOAT_EQ(settings.rightMargin, 15);
    EXPECT_FLOAT_EQ(settings.topMargin, 1);
    EXPECT_FLOAT_EQ(settings.bottomMargin, 2);
    EXPECT_EQ(settings.pageHeader, std::optional<std::u16string>(u"H"));
    EXPECT_FALSE(settings.pageFooter.has_value());
    EXPECT_EQ(settings.bookmark, std::optional<std::u16string>(u"7"));
    EXPECT_FALSE(settings.isNewBlankDocument);
    EXPECT_TRUE(DKRTFDocumentSettings::fromFirstCharacter(text, BlankDocument::Yes).isNewBlankDocument);

    // The compatibility entry point gives the same bytes as passing them.
    auto viaText = DKRTFWriter::rtfDataForAttributedString(text, false, "Doc.rtf");
    ASSERT_TRUE(viaText.ok());
    EXPECT_EQ(*viaText, writeText(text, settings));
    EXPECT_NE(viaText->find("{\\papercolor65280}"), std::string::npos);
    EXPECT_NE(viaText->find("\\margl1701"), std::string::npos) << *viaText;
    // A document just made blank takes the standard side margins, told so
    // by the document rather than by what its text carries.
    auto blank = DKRTFWriter::rtfDataForAttributedString(text, false, "Doc.rtf", BlankDocument::Yes);
    ASSERT_TRUE(blank.ok());
    EXPECT_NE(blank->find("\\margl1440\\margr1440"), std::string::npos) << *blank;
}

TEST(RTFWriterDocumentTests, fontTableListsEachNameOnceInOrderOfUse)
{
    AttributedString text = makeText({{u"a", {fontEntry("Georgia", 12)}},
                                      {u"b", {}},
                                      {u"c", {fontEntry("Georgia", 14)}},
                                      {u"d", {fontEntry("Cochin", 12)}}});
    std::string rtf = writeText(text);
    EXPECT_EQ(rtf.substr(kPlainHeader.size(), rtf.find('\n', kPlainHeader.size()) + 1 - kPlainHeader.size()),
              "{\\fonttbl\\f0\\fnil\\fcharset0 Georgia;\\f1\\fnil\\fcharset0 Helvetica;"
              "\\f2\\fnil\\fcharset0 Cochin;}\n");
    EXPECT_EQ(bodyOf(rtf), "\\ql\n\\f0\\fs24 \\cf0 a\\f1 b\\f0\\fs28 c\\f2\\fs24 d");
}

TEST(RTFWriterDocumentTests, colourTableHoldsFurtherColoursInOrderOfFirstUse)
{
    AttributedString text = makeText({
        {u"a", {colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(0, 0, 0))}},
        {u"b", {colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(0, 0, 1)),
                colorEntry(NSBackgroundColorAttributeName, Color::colorWithRed(1, 0, 0))}},
        {u"c", {colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0))}},
        {u"d", {colorEntry(kCTForegroundColorAttributeName, Color::colorWithWhite(0.5))}},
        {u"e", {}},
    });
    std::string rtf = writeText(text);
    EXPECT_NE(rtf.find("{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue255;"
                       "\\red255\\green0\\blue0;\\red128\\green128\\blue128;}\n\\pard\n"),
              std::string::npos);
    // Black is colour 0; a background is a highlight, which appears only
    // once a background is set and ends with "\highlight0".
    EXPECT_EQ(bodyOf(rtf), "\\ql\n\\f0\\fs24 \\cf0 a\\cf2 \\highlight3 b\\cf3 \\highlight0 c\\cf4 d\\cf0 e");
}

// Runs that share one dictionary object (as text read from a page does)
// are written exactly as runs that each hold an equal dictionary of their
// own: tables in order of first use, and every change of formatting.
TEST(RTFWriterDocumentTests, runsSharingDictionariesAreWrittenAsRunsWithTheirOwn)
{
    const std::vector<AttributeDictionary::Entry> georgiaRed = {
        fontEntry("Georgia", 12), colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0))};
    const std::vector<AttributeDictionary::Entry> cochinBlue = {
        fontEntry("Cochin", 14), colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(0, 0, 1)),
        colorEntry(NSBackgroundColorAttributeName, Color::colorWithRed(0, 1, 0))};
    const std::vector<AttributeDictionary::Entry> georgiaGrey = {
        fontEntry("Georgia", 12), colorEntry(kCTForegroundColorAttributeName, Color::colorWithWhite(0.5))};
    const AttributeDictionaryPtr first = AttributeDictionary::make(georgiaRed);
    const AttributeDictionaryPtr second = AttributeDictionary::make(cochinBlue);
    const AttributeDictionaryPtr third = AttributeDictionary::make(georgiaGrey);
    MutableAttributedString shared;
    for (const auto& [text, attributes] : std::vector<std::pair<std::u16string, AttributeDictionaryPtr>>{
             {u"one ", first}, {u"two ", second}, {u"three\n", first}, {u"four ", third}, {u"five", second}})
        shared.appendString(text, attributes);
    const AttributedString separate = makeText({{u"one ", georgiaRed},
                                                {u"two ", cochinBlue},
                                                {u"three\n", georgiaRed},
                                                {u"four ", georgiaGrey},
                                                {u"five", cochinBlue}});
    const std::string rtf = writeText(shared.copy());
    EXPECT_EQ(rtf, writeText(separate));
    EXPECT_NE(rtf.find("{\\fonttbl\\f0\\fnil\\fcharset0 Georgia;\\f1\\fnil\\fcharset0 Cochin;}"), std::string::npos)
        << rtf;
    EXPECT_NE(rtf.find("{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red255\\green0\\blue0;"
                       "\\red0\\green0\\blue255;\\red0\\green255\\blue0;\\red128\\green128\\blue128;}"),
              std::string::npos)
        << rtf;
}

// Dictionaries that share one font or colour value object (as a page's
// runs do) are numbered by what the value is, as dictionaries with values of
// their own: an equal value made apart gets the same number, another value
// its own.
TEST(RTFWriterDocumentTests, sharedFontAndColourValuesAreNumberedByWhatTheyAre)
{
    const AttributeDictionary::Entry georgia = fontEntry("Georgia", 12);
    const AttributeDictionary::Entry red = colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0));
    const AttributeDictionary::Entry blue = colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(0, 0, 1));
    const AttributedString shared = makeText({{u"a", {georgia, red}},
                                              {u"b", {georgia, blue, integerEntry(kCTUnderlineStyleAttributeName, 1)}},
                                              {u"c", {georgia, red, integerEntry(TEStrikeOutAttribute, 1)}},
                                              {u"d", {fontEntry("Cochin", 12), red}},
                                              {u"e", {fontEntry("Georgia", 12), blue}}});
    const AttributedString separate = makeText(
        {{u"a", {fontEntry("Georgia", 12), colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0))}},
         {u"b", {fontEntry("Georgia", 12), colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(0, 0, 1)),
                 integerEntry(kCTUnderlineStyleAttributeName, 1)}},
         {u"c", {fontEntry("Georgia", 12), colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0)),
                 integerEntry(TEStrikeOutAttribute, 1)}},
         {u"d", {fontEntry("Cochin", 12), colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0))}},
         {u"e", {fontEntry("Georgia", 12), colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(0, 0, 1))}}});
    const std::string rtf = writeText(shared);
    EXPECT_EQ(rtf, writeText(separate));
    EXPECT_NE(rtf.find("{\\fonttbl\\f0\\fnil\\fcharset0 Georgia;\\f1\\fnil\\fcharset0 Cochin;}"), std::string::npos)
        << rtf;
    const std::string body = bodyOf(rtf);
    EXPECT_NE(body.find("\\f1"), std::string::npos) << body;
    EXPECT_EQ(body.substr(body.rfind("\\f0")), "\\f0 \\cf3 e") << body;
}

// Plain text goes out a stretch at a time: what needs escaping inside or at
// the ends of a stretch, at run boundaries and paragraph ends, is escaped
// just as the escaper escapes it unit by unit.
TEST(RTFWriterDocumentTests, plainStretchesAndTheUnitsBetweenThemAreWrittenAsEscaped)
{
    const std::u16string mixed = u"{start} plain words, then a \\backslash\\ and caf\u00e9 \u2014 dash\t"
                                 u"tab\nnext paragraph}{\n\nlast: \u20ac end{";
    DKRTFDataBuffer escaped;
    escaped.appendEscapedString(mixed);
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(makeText({{mixed, {}}}))), escaped.bytes());

    const AttributedString runs = makeText(
        {{u"ab", {fontEntry("Georgia", 12)}}, {u"cd{e", {fontEntry("Cochin", 12)}}, {u"}f\ng", {fontEntry("Georgia", 12)}}});
    EXPECT_EQ(bodyOf(writeText(runs)), "\\ql\n\\f0\\fs24 \\cf0 ab\\f1 cd\\{e\\f0 \\}f\\\ng");
}

TEST(RTFWriterDocumentTests, plainTextEndsAtTheFirstUnitToEscapeWhereverItStands)
{
    // Plain text is looked through many units at a time: each unit that is
    // escaped, and the printable ones at the edges, stand at every place in
    // and around those blocks.
    const std::u16string plain = u"Plain words of a paragraph, long enough";
    const char16_t escaped[] = {u'\\', u'{', u'}', 0x1F, u'\t', u'\n', 0x7F, 0x80, 0xE9, 0x2014, 0xD83D, 0xFFFF};
    for (std::size_t at = 0; at <= plain.size(); ++at) {
        for (char16_t unit : escaped) {
            std::u16string text = plain;
            text.insert(at, 1, unit);
            DKRTFDataBuffer buffer;
            buffer.appendCString("x");
            EXPECT_EQ(buffer.appendPlainPrefix(text), at) << at << " " << int(unit);
            EXPECT_EQ(buffer.bytes(), "x" + toUtf8(plain.substr(0, at)));
        }
        DKRTFDataBuffer edges;
        EXPECT_EQ(edges.appendPlainPrefix(plain.substr(0, at) + u" ~"), at + 2);
        EXPECT_EQ(edges.bytes(), toUtf8(plain.substr(0, at)) + " ~");
    }
}

TEST(RTFWriterDocumentTests, redTextIsTheThirdColourEntry)
{
    std::string rtf = writeText(makeText(
        {{u"plain", {}}, {u"red", {colorEntry(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0))}}}));
    EXPECT_NE(rtf.find("{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}"),
              std::string::npos);
    EXPECT_EQ(bodyAfterDefaultsOf(rtf), "plain\\cf2 red");
}

TEST(RTFWriterDocumentTests, writersKeepTheirOwnState)
{
    // A writer left half way through must not change what another writes.
    AttributedString listText = makeText({{u"\t\u2022\t", {listsEntry({listStyle(TECSSListStyleType::Disc)}),
                                                            stringEntry(TEFieldAttribute, u"TEField")}},
                                          {u"item", {listsEntry({listStyle(TECSSListStyleType::Disc)})}},
                                          {u"\nafter", {}}});
    AttributedString plain = makeText({{u"Hello", {}}});
    std::string expected = writeText(plain);
    DKRTFWriter first(listText, {});
    std::string listRTF = first.writeRTFData();
    EXPECT_EQ(first.listSublevels(), std::vector<std::int64_t>{0});
    std::vector<std::string> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results)
        threads.emplace_back([&result, &plain] { result = writeText(plain); });
    for (auto& thread : threads)
        thread.join();
    for (const auto& result : results)
        EXPECT_EQ(result, expected);
    DKRTFWriter second(plain, {});
    EXPECT_EQ(second.writeRTFData(), expected);
    EXPECT_TRUE(second.listSublevels().empty());
    EXPECT_EQ(DKRTFWriter(listText, {}).writeRTFData(), listRTF);
}

TEST(RTFWriterDocumentTests, integerValueFromHexReadsLeadingHexDigits)
{
    EXPECT_EQ(DKRTFWriter::integerValueFromHex(u"ff"), 255u);
    EXPECT_EQ(DKRTFWriter::integerValueFromHex(u"1A"), 26u);
    EXPECT_EQ(DKRTFWriter::integerValueFromHex(u""), 0u);
    EXPECT_EQ(DKRTFWriter::integerValueFromHex(u"xyz"), 0u);
}

TEST(RTFWriterEscapingTests, escapesReservedAndNonASCIIUnits)
{
    const std::pair<std::u16string, std::string> cases[] = {
        {u"a{b}", "a\\{b\\}"},
        {u"back\\slash", "back\\\\slash"},
        {u"\u00e9", "\\'e9"},
        {u"\u20ac", "\\u8364?"},
        {u"\ufffd", "\\u65533?"},
        {u"\U0001F600", "\\u55357?\\u56832?"},
        {u"\u2013\u2014\u2018\u2019\u201c\u201d\u2022", "\\endash \\emdash \\lquote \\rquote \\ldblquote "
                                                        "\\rdblquote \\bullet "},
        {u"wait\u2026", "wait\\u8230\\'85"},
        {u"a\tb", "a\\tab b"},
        {u"x\ufffcy", "xy"},
        {u"line\u2028break", "line\\line break"},
        {u"cr\r", "cr\\\r"},
    };
    for (const auto& [text, expected] : cases) {
        DKRTFDataBuffer buffer;
        buffer.appendEscapedString(text);
        EXPECT_EQ(buffer.bytes(), expected);
    }
}

TEST(RTFWriterEscapingTests, placeholdersAreNeverWritten)
{
    DKRTFDataBuffer buffer;
    buffer.appendEscapedString(u"a\uFEFFb\uFFFCc");
    EXPECT_EQ(buffer.bytes(), "abc");
}

TEST(RTFWriterEscapingTests, fontNamesAreEscaped)
{
    MutableAttributedString text;
    FontFace face;
    face.postScriptName = "Odd{Name}";
    face.familyName = "Odd";
    text.appendString(u"x", AttributeDictionary::make({{std::string(kCTFontAttributeName),
                                                         FontAttributeValue::make(Font::fontWithFace(face, 12,
                                                                                                     fakeCatalog()))}}));
    EXPECT_NE(writeText(text).find("{\\fonttbl\\f0\\fnil\\fcharset0 Odd\\{Name\\};}"), std::string::npos);
}

TEST(RTFWriterEscapingTests, numbersAreWrittenInPlainDecimal)
{
    DKRTFDataBuffer buffer;
    buffer.appendInteger(0);
    buffer.appendByte(' ');
    buffer.appendInteger(-360);
    buffer.appendByte(' ');
    buffer.appendInteger(2147483647);
    buffer.appendByte(' ');
    buffer.appendRoundedNumber(2.5);
    buffer.appendByte(' ');
    buffer.appendRoundedNumber(3.5);
    buffer.appendByte(' ');
    buffer.appendRoundedNumber(1440.08);
    buffer.appendByte(' ');
    buffer.appendRoundedNumber(std::nan(""));
    EXPECT_EQ(buffer.bytes(), "0 -360 2147483647 2 4 1440 0");
}

} // namespace
} // namespace folio
