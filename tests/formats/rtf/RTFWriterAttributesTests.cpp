#include "RTFWriterTests.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Unicode.h"

namespace folio {
namespace {

using namespace rtfwritertest;

PlatformParagraphStyle::Settings paragraph()
{
    PlatformParagraphStyle::Settings settings;
    settings.lineHeightMultiple = 1.0;
    return settings;
}

Font fontWithTraits(std::string name, std::uint32_t traits)
{
    FontFace face;
    face.postScriptName = name;
    face.familyName = "Test Sans";
    face.symbolicTraits = traits;
    return Font::fontWithFace(face, 12, fakeCatalog());
}

AttributeDictionary::Entry fontValue(const Font& font)
{
    return {std::string(kCTFontAttributeName), FontAttributeValue::make(font)};
}

TEST(RTFWriterParagraphTests, writesOnlyChangedParagraphProperties)
{
    PlatformParagraphStyle::Settings first = paragraph();
    first.alignment = TextAlignment::Center;
    first.headIndent = 36;
    first.paragraphSpacing = 6;
    first.paragraphSpacingBefore = 3;
    first.lineHeightMultiple = 1.5;
    PlatformParagraphStyle::Settings second = first;
    second.paragraphSpacing = 12;
    AttributedString text = makeText({{u"one\n", {paragraphEntry(first)}},
                                      {u"two\n", {paragraphEntry(first)}},
                                      {u"three\n", {paragraphEntry(second)}},
                                      {u"four", {}}});
    // "two" shares the first paragraph's run, so nothing is written for it;
    // "four" without a style returns to natural alignment and no indent.
    EXPECT_EQ(bodyOf(writeText(text)), "\\li493\\sa120\\sb60\\sl360\\slmult1\\qc\n\\f0\\fs24 \\cf0 one\\\ntwo\\\n"
                                       "\\sa240\n"
                                       "three\\\n"
                                       "\\li0\\sa0\\sb0\\sl240\\slmult1\\ql\n"
                                       "four");
}

TEST(RTFWriterParagraphTests, lineSpacingAboveTheLargestFallsBackToOneAndAHalf)
{
    PlatformParagraphStyle::Settings large = paragraph();
    large.lineHeightMultiple = 10;
    std::string body = bodyOf(writeText(makeText({{u"a", {paragraphEntry(large)}}})));
    EXPECT_EQ(body, "\\sl360\\slmult1\\ql\n\\f0\\fs24 \\cf0 a");
}

TEST(RTFWriterParagraphTests, firstLineIndentOfTheRulerRestIsZero)
{
    PlatformParagraphStyle::Settings indented = paragraph();
    indented.firstLineHeadIndent = 1;
    PlatformParagraphStyle::Settings ruler = paragraph();
    ruler.firstLineHeadIndent = 0.56;
    PlatformParagraphStyle::Settings negative = paragraph();
    negative.firstLineHeadIndent = -3;
    AttributedString text = makeText({{u"a\n", {paragraphEntry(indented)}},
                                      {u"b\n", {paragraphEntry(ruler)}},
                                      {u"c\n", {paragraphEntry(indented), integerEntry("other", 1)}},
                                      {u"d", {paragraphEntry(negative)}}});
    EXPECT_EQ(bodyOf(writeText(text)), "\\fi567\\ql\n\\f0\\fs24 \\cf0 a\\\n\\fi0\nb\\\n\\fi567\nc\\\n\\fi0\nd");
}

TEST(RTFWriterParagraphTests, writingDirectionAndAlignmentWords)
{
    PlatformParagraphStyle::Settings rtl = paragraph();
    rtl.baseWritingDirection = WritingDirection::RightToLeft;
    rtl.alignment = TextAlignment::Right;
    PlatformParagraphStyle::Settings ltr = paragraph();
    ltr.baseWritingDirection = WritingDirection::LeftToRight;
    ltr.alignment = TextAlignment::Right;
    PlatformParagraphStyle::Settings justified = ltr;
    justified.alignment = TextAlignment::Justified;
    PlatformParagraphStyle::Settings left = ltr;
    left.alignment = TextAlignment::Left;
    AttributedString text = makeText({{u"a\n", {paragraphEntry(rtl)}},
                                      {u"b\n", {paragraphEntry(ltr)}},
                                      {u"c\n", {paragraphEntry(justified)}},
                                      {u"d", {paragraphEntry(left)}}});
    EXPECT_EQ(bodyOf(writeText(text)),
              "\\rtlpar\\qr\n\\f0\\fs24 \\cf0 a\\\n\\ltrpar\nb\\\n\\qj\nc\\\n\\ql\nd");
}

TEST(RTFWriterParagraphTests, pageBreakAndRuleParagraphsWriteTheirGroups)
{
    AttributedString text = makeText({{u"a\n", {}},
                                      {u"\f", {{std::string(TEPageBreakAttribute), BoolValue::make(true)}}},
                                      {u"\n", {}},
                                      {u"\f", {{std::string(TEHorizontalRuleStyleAttribute), BoolValue::make(true)}}},
                                      {u"\nb", {}}});
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(text)),
              // The form feed itself is not written: the group is the break.
              // No blank follows the rule's group, where it would be text.
              "a\\\n\\page \\\n{\\*\\do\\dobxcolumn\\dobypara\\dodhgt\\dpline\\dpxsize9200\\dplinesolid"
              "\\dplinew30}\\\nb");
}

TEST(RTFWriterCharacterTests, boldItalicAndStrikeAreSwitchedOnAndOff)
{
    AttributedString text = makeText({{u"a", {fontValue(fontWithTraits("TestSans", 0))}},
                                      {u"b", {fontValue(fontWithTraits("TestSans", kFontBoldTrait))}},
                                      {u"c", {fontValue(fontWithTraits("TestSans", kFontItalicTrait))}},
                                      {u"d", {fontValue(fontWithTraits("TestSans", 0)),
                                              integerEntry(TEStrikeOutAttribute, 1)}},
                                      {u"e", {fontValue(fontWithTraits("TestSans", 0))}}});
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(text)), "a\\b b\\b0\\i c\\i0\\strike d\\strike0 e");
}

// Runs that share one dictionary object, as runs of the same formatting do,
// write their formatting again each time the text returns to it.
TEST(RTFWriterCharacterTests, runsSharingOneDictionaryWriteItsFormattingEachTimeTheyReturn)
{
    auto plain = AttributeDictionary::make({fontValue(fontWithTraits("TestSans", 0))});
    auto bold = AttributeDictionary::make({fontValue(fontWithTraits("TestSans", kFontBoldTrait))});
    auto italic = AttributeDictionary::make({fontValue(fontWithTraits("TestSans", kFontItalicTrait))});
    MutableAttributedString text;
    for (const auto& [characters, attributes] : {std::pair{u"x", plain}, {u"a", bold}, {u"b", italic}, {u"c", bold},
                                                 {u"d", plain}, {u"e", bold}})
        text.appendString(characters, attributes);
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(text.copy())), "x\\b a\\b0\\i b\\b\\i0 c\\b0 d\\b e");
}

TEST(RTFWriterCharacterTests, firstRunWritesTraitsThatAreOn)
{
    AttributedString text = makeText({{u"a", {fontValue(fontWithTraits("TestSans", kFontBoldTrait | kFontItalicTrait)),
                                              integerEntry(TEStrikeOutAttribute, 1)}}});
    EXPECT_EQ(bodyOf(writeText(text)), "\\ql\n\\f0\\b\\i\\strike\\fs24 \\cf0 a");
}

TEST(RTFWriterCharacterTests, fontSizesAreHalfPointsRoundedAwayFromZero)
{
    AttributedString text = makeText({{u"a", {fontEntry("Helvetica", 12.25)}},
                                      {u"b", {fontEntry("Helvetica", 12.75)}},
                                      {u"c", {fontEntry("Helvetica", 9)}}});
    EXPECT_EQ(bodyOf(writeText(text)), "\\ql\n\\f0\\fs25 \\cf0 a\\fs26 b\\fs18 c");
}

TEST(RTFWriterCharacterTests, superscriptTransitionsStepFromTheLastLevel)
{
    AttributedString text = makeText({{u"a", {}},
                                      {u"b", {integerEntry(kCTSuperscriptAttributeName, 1)}},
                                      {u"c", {}},
                                      {u"d", {integerEntry(kCTSuperscriptAttributeName, 1)}},
                                      {u"e", {integerEntry(kCTSuperscriptAttributeName, -1)}},
                                      {u"f", {integerEntry(kCTSuperscriptAttributeName, 2)}},
                                      {u"g", {integerEntry(kCTSuperscriptAttributeName, -2)}},
                                      {u"h", {integerEntry(kCTSuperscriptAttributeName, -1)}}});
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(text)),
              "a\\super b\\nosupersub c\\super d\\nosupersub\\sub e\\nosupersub\\super\\super f"
              "\\nosupersub\\sub\\sub g\\nosupersub\\sub h");
}

TEST(RTFWriterCharacterTests, underlineStylesHaveTheirWords)
{
    const std::pair<std::int64_t, std::string> cases[] = {
        {1, "\\ul"},          {0x101, "\\uld"},       {0x201, "\\uldash"},    {0x301, "\\uldashd"},
        {0x401, "\\uldashdd"}, {0x009, "\\uldb"},      {0x002, "\\ulth"},      {0x102, "\\ulthd"},
        {0x202, "\\ulthdash"}, {0x302, "\\ulthdashd"}, {0x402, "\\ulthdashdd"}, {0x8001, "\\ulw"},
        {0x501, "\\ulwave"}, {0x502, "\\ulhwave"},   {0x509, "\\ululdbwave"},
    };
    for (const auto& [value, word] : cases) {
        AttributedString text = makeText(
            {{u"a", {}}, {u"b", {integerEntry(kCTUnderlineStyleAttributeName, value)}}, {u"c", {}}});
        EXPECT_EQ(bodyAfterDefaultsOf(writeText(text)), "a" + word + " b\\ul0 c") << value;
    }
    // A value whose low byte is 0 is no underline.
    AttributedString text = makeText({{u"a", {}},
                                      {u"b", {integerEntry(kCTUnderlineStyleAttributeName, 0x100)}},
                                      {u"c", {integerEntry(kCTUnderlineStyleAttributeName, 1),
                                              integerEntry(kCTSuperscriptAttributeName, 1)}}});
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(text)), "a\\ul0 b\\ul\\super c");
}

TEST(RTFWriterCharacterTests, linksOpenAndCloseTheirFields)
{
    auto link = [](const char* url) {
        return AttributeDictionary::Entry{std::string(TELinkAttribute), URLValue::make(url)};
    };
    AttributedString text = makeText({{u"a", {}},
                                      {u"b", {link("http://x.com/")}},
                                      {u"c", {link("http://x.com/"), integerEntry(TEStrikeOutAttribute, 1)}},
                                      {u"d", {link("http://y.com/?q=1")}},
                                      {u"e", {}}});
    // The end of the link's group ends the strike inside it.
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(text)),
              "a{\\field{\\*\\fldinst{HYPERLINK \"http://x.com/\"}}{\\fldrslt b\\strike c"
              "}}{\\field{\\*\\fldinst{HYPERLINK \"http://y.com/?q=1\"}}{\\fldrslt d}}e");
}

TEST(RTFWriterCharacterTests, linkOpenAtTheEndIsClosedBeforeTheLastBrace)
{
    AttributedString text = makeText(
        {{u"a", {}}, {u"b", {{std::string(TELinkAttribute), URLValue::make("https://folio.example/")}}}});
    std::string rtf = writeText(text);
    EXPECT_EQ(bodyAfterDefaultsOf(rtf), "a{\\field{\\*\\fldinst{HYPERLINK \"https://folio.example/\"}}{\\fldrslt b}}");
}

AttributedString oneFlatList()
{
    auto disc = listStyle(TECSSListStyleType::Disc);
    auto field = stringEntry(TEFieldAttribute, u"TEField");
    auto listEnd = stringEntry(TEListEndMarker, u"1");
    return makeText({{u"Intro\n", {}},
                     {u"\t\u2022\t", {listsEntry({disc}), field}},
                     {u"one\n", {listsEntry({disc})}},
                     {u"\t\u2022\t", {listsEntry({disc}), field, listEnd}},
                     {u"two\n", {listsEntry({disc}), listEnd}},
                     {u"After", {}}});
}

std::string levelText(int numberType, const std::string& marker, int templateId, int indent)
{
    std::string number = std::to_string(numberType);
    std::string twips = std::to_string(indent);
    // A bullet level's text is its own bullet: a hollow circle, a square
    // or the round bullet, as CSS draws them.
    const std::string bullet = marker.starts_with("circle") ? "9702" : marker.starts_with("square") ? "9642" : "8226";
    return "{\\listlevel\\levelnfc" + number + "\\levelnfcn" + number
        + "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1\\levelspace360\\levelindent0{\\*\\levelmarker \\{"
        + marker + "}{\\leveltext\\leveltemplateid" + std::to_string(templateId)
        + (numberType == 23 ? "\\'01\\u" + bullet + " ?;}{\\levelnumbers;}" : "\\'02\\'00.;}{\\levelnumbers\\'01;}") + "\\fi-360\\li" + twips
        + "\\lin" + twips + "}\n";
}

std::string listTableOf(const std::string& rtf)
{
    auto start = rtf.find("{\\*\\listtable");
    auto end = rtf.find("{\\*\\listoverridetable");
    if (start == std::string::npos || end == std::string::npos)
        return {};
    return rtf.substr(start, rtf.find('\n', end) + 1 - start);
}

std::string listBodyOf(const std::string& rtf)
{
    auto end = rtf.find("{\\*\\listoverridetable");
    return rtf.substr(rtf.find('\n', end) + 1);
}

TEST(RTFWriterListTests, oneFlatListGetsOneLevelAndOneOverride)
{
    DKRTFWriter writer(oneFlatList(), {});
    std::string rtf = writer.writeRTFData();
    EXPECT_EQ(listTableOf(rtf), "{\\*\\listtable\n{\\list\\listtemplateid1\\listhybrid" + levelText(23, "disc\\}", 1, 720)
                                    + "{\\listname ;}\\listid1}}\n{\\*\\listoverridetable"
                                      "{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n");
    EXPECT_EQ(writer.listSublevels(), std::vector<std::int64_t>{0});
    EXPECT_EQ(writer.state().listCount, 2);
    EXPECT_EQ(listBodyOf(rtf), "\\ql\n\\f0\\fs24 \\cf0 Intro\\\n"
                               "\\ls1\\ilvl0\n\\fi0\n{\\listtext \\bullet \\tab }one\\\n"
                               "\\fi0\n{\\listtext \\bullet \\tab }two\\\n\\pard\n"
                               "After}");
}

// A text that is one list throughout still gets its table, which its
// items name: read again, the item is a list item, not a marker as text.
TEST(RTFWriterListTests, textThatIsOneListThroughoutKeepsItsListTable)
{
    auto disc = listStyle(TECSSListStyleType::Disc);
    std::string rtf = writeText(makeText({{u"\t\u2022\t", {listsEntry({disc}), stringEntry(TEFieldAttribute, u"TEField")}},
                                          {u"only", {listsEntry({disc})}}}));
    EXPECT_NE(rtf.find("{\\*\\listtable"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\ls1\\ilvl0"), std::string::npos) << rtf;
    Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(toUtf8(read->text.string()), "\uFEFFonly") << rtf;
    EXPECT_TRUE(read->text.attributesAtIndex(1)->containsKey(TETextListsAttribute)) << rtf;
    EXPECT_EQ(writeText(makeText({{u"no lists", {}}})).find("listtable"), std::string::npos);
}

TEST(RTFWriterListTests, twoSeparateListsGetTwoListsAndTwoOverrides)
{
    auto disc = listStyle(TECSSListStyleType::Disc);
    auto decimal = listStyle(TECSSListStyleType::Decimal);
    auto field = stringEntry(TEFieldAttribute, u"TEField");
    auto listEnd = stringEntry(TEListEndMarker, u"1");
    AttributedString text = makeText({{u"\t\u2022\t", {listsEntry({disc}), field}},
                                      {u"a\n", {listsEntry({disc})}},
                                      {u"\t\u2022\t", {listsEntry({disc}), field, listEnd}},
                                      {u"b\n", {listsEntry({disc}), listEnd}},
                                      {u"Middle\n", {}},
                                      {u"\t1.\t", {listsEntry({decimal}), field}},
                                      {u"c\n", {listsEntry({decimal})}},
                                      {u"\t2.\t", {listsEntry({decimal}), field, listEnd}},
                                      {u"d", {listsEntry({decimal}), listEnd}}});
    DKRTFWriter writer(text, {});
    std::string rtf = writer.writeRTFData();
    EXPECT_EQ(listTableOf(rtf), "{\\*\\listtable\n{\\list\\listtemplateid1\\listhybrid" + levelText(23, "disc\\}", 1, 720)
                                    + "{\\listname ;}\\listid1}\n{\\list\\listtemplateid2\\listhybrid"
                                    + levelText(0, "decimal\\})", 2, 720)
                                    + "{\\listname ;}\\listid2}}\n{\\*\\listoverridetable"
                                      "{\\listoverride\\listid1\\listoverridecount0\\ls1}"
                                      "{\\listoverride\\listid2\\listoverridecount0\\ls2}}\n");
    EXPECT_EQ(writer.listSublevels(), (std::vector<std::int64_t>{0, 0}));
    EXPECT_EQ(writer.state().listCount, 3);
    EXPECT_EQ(listBodyOf(rtf), "\\ls1\\ilvl0\n\\fi0\\ql\n\\f0\\fs24 \\cf0 {\\listtext \\bullet \\tab }a\\\n"
                               "\\fi0\n{\\listtext \\bullet \\tab }b\\\n\\pard\n"
                               "Middle\\\n"
                               "\\ls2\\ilvl0\n\\fi0\n{\\listtext 1.\\tab }c\\\n"
                               "\\fi0\n{\\listtext 2.\\tab }d}");
}

TEST(RTFWriterListTests, nestedListWritesDeeperLevels)
{
    auto disc = listStyle(TECSSListStyleType::Disc);
    auto circle = listStyle(TECSSListStyleType::Circle);
    auto field = stringEntry(TEFieldAttribute, u"TEField");
    auto sublevelEnd = stringEntry(TEListSublevelEndMarker, u"1");
    auto listEnd = stringEntry(TEListEndMarker, u"1");
    AttributedString text = makeText({{u"Intro\n", {}},
                                      {u"\t\u2022\t", {listsEntry({disc}), field}},
                                      {u"a\n", {listsEntry({disc})}},
                                      {u"\t\u25e6\t", {listsEntry({disc, circle}), field}},
                                      {u"b\n", {listsEntry({disc, circle})}},
                                      {u"\t\u25e6\t", {listsEntry({disc, circle}), field, sublevelEnd}},
                                      {u"c\n", {listsEntry({disc, circle}), sublevelEnd}},
                                      {u"\t\u2022\t", {listsEntry({disc}), field, listEnd}},
                                      {u"d", {listsEntry({disc}), listEnd}}});
    DKRTFWriter writer(text, {});
    std::string rtf = writer.writeRTFData();
    // One list holds both levels; the return to the outer level adds none.
    EXPECT_EQ(listTableOf(rtf), "{\\*\\listtable\n{\\list\\listtemplateid1\\listhybrid" + levelText(23, "disc\\}", 1, 720)
                                    + levelText(23, "circle\\}", 2, 1440) + "{\\listname ;}\\listid1}"
                                    + "}\n{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n");
    EXPECT_EQ(writer.listSublevels(), std::vector<std::int64_t>{1});
    EXPECT_EQ(listBodyOf(rtf), "\\ql\n\\f0\\fs24 \\cf0 Intro\\\n"
                               "\\ls1\\ilvl0\n\\fi0\n{\\listtext \\bullet \\tab }a\\\n"
                               "\\ls1\\ilvl1\n\\fi0\n{\\listtext \\bullet \\tab }b\\\n"
                               "\\fi0\n{\\listtext \\bullet \\tab }c\\\n"
                               // Back in the outer list: its level is named again.
                               "\\ls1\\ilvl0\n\\fi0\n{\\listtext \\bullet \\tab }d}");
}

TEST(RTFWriterListTests, listWhoseLevelsAllGoDeeperIsStillClosed)
{
    auto list = listStyle(TECSSListStyleType::Disc);
    // The same list object inside itself: every level finds a neighbour that
    // starts with the same list, so no level closes the list by itself.
    AttributedString text = makeText({{u"x\n", {listsEntry({list})}},
                                      {u"y\n", {}},
                                      {u"z", {listsEntry({list, list})}}});
    std::string table = listTableOf(writeText(text));
    std::size_t opened = 0;
    std::size_t closed = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i] == '{' && (i == 0 || table[i - 1] != '\\'))
            ++opened;
        if (table[i] == '}' && (i == 0 || table[i - 1] != '\\'))
            ++closed;
    }
    EXPECT_EQ(opened, closed) << table;
    EXPECT_NE(table.find("\\listid1}"), std::string::npos);
}

} // namespace
} // namespace folio
