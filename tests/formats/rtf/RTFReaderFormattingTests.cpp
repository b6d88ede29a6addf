#include "formats/rtf/DKRTFReader.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
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

class RTFReaderFormattingTests : public RTFReaderTest {
protected:
    static const Font& fontAt(const AttributedString& string, std::size_t index)
    {
        const auto* value = string.attributesAtIndex(index)->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
        EXPECT_NE(value, nullptr);
        static const Font none = *Font::fontWithName("Helvetica", 1);
        return value ? value->font() : none;
    }

    static const PlatformParagraphStyle& styleAt(const AttributedString& string, std::size_t index)
    {
        return string.attributesAtIndex(index)->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName)->style();
    }

    static const Color* colorAt(const AttributedString& string, std::string_view key, std::size_t index)
    {
        AttributeValuePtr value = string.attributeAtIndex(key, index);
        return value ? &value->as<ColorValue>()->color() : nullptr;
    }

    static std::int64_t integerAt(const AttributedString& string, std::string_view key, std::size_t index)
    {
        AttributeValuePtr value = string.attributeAtIndex(key, index);
        return value ? value->as<IntegerValue>()->value() : 0;
    }

    static const TECSSListStyle* listStyleAt(const AttributedString& string, std::string_view key, std::size_t index)
    {
        AttributeValuePtr value = string.attributeAtIndex(key, index);
        const ArrayValue* array = value ? value->as<ArrayValue>() : nullptr;
        // An item's own list is the innermost of those it is in.
        return array && !array->isEmpty() ? array->elements().back()->as<TECSSListStyle>() : nullptr;
    }
};

TEST_F(RTFReaderFormattingTests, colourTableEntriesAndLookUps)
{
    AttributedString string =
        read(uR"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}\cf2 a\cf0 b\cf7 c\cf1\cb2 d})");
    EXPECT_EQ(string.string(), u"abcd");
    ASSERT_NE(colorAt(string, kCTForegroundColorAttributeName, 0), nullptr);
    EXPECT_EQ(*colorAt(string, kCTForegroundColorAttributeName, 0), Color::colorWithRed(0, 0, 1));
    EXPECT_EQ(colorAt(string, kCTForegroundColorAttributeName, 1), nullptr);
    EXPECT_EQ(colorAt(string, kCTForegroundColorAttributeName, 2), nullptr);
    EXPECT_EQ(*colorAt(string, kCTForegroundColorAttributeName, 3), Color::colorWithRed(1, 0, 0));
    EXPECT_EQ(*colorAt(string, NSBackgroundColorAttributeName, 3), Color::colorWithRed(0, 0, 1));
}

TEST_F(RTFReaderFormattingTests, colourComponentsOutOfRangeMakeAnEmptyEntry)
{
    AttributedString string = read(uR"({\rtf1{\colortbl\red40000\green0\blue0;\red0\green128;}\cf0 a\cf1 b})");
    EXPECT_EQ(colorAt(string, kCTForegroundColorAttributeName, 0), nullptr);
    EXPECT_EQ(colorAt(string, kCTForegroundColorAttributeName, 1), nullptr);
}

TEST_F(RTFReaderFormattingTests, fontTableNamesAndGaps)
{
    AttributedString string = read(
        uR"({\rtf1{\fonttbl{\f0\fnil TimesNewRomanMS;}{\f1\froman{\*\panose 02020603}Georgia;}}\f1 a\f0 b\f3 c})");
    EXPECT_EQ(string.string(), u"abc");
    EXPECT_EQ(fontAt(string, 0).familyName(), "Georgia");
    EXPECT_EQ(fontAt(string, 1).postScriptName(), "TimesNewRomanPSMT");
    EXPECT_EQ(fontAt(string, 2).familyName(), "Helvetica");
}

TEST_F(RTFReaderFormattingTests, fontEntryWithoutNameTakesThePreviousName)
{
    AttributedString string = read(uR"({\rtf1{\fonttbl{\f0 Georgia;}{\f1;}}\f1 x})");
    EXPECT_EQ(fontAt(string, 0).familyName(), "Georgia");
}

TEST_F(RTFReaderFormattingTests, hugeFontNumbersNeedNoTableOfThatSize)
{
    AttributedString string = read(uR"({\rtf1{\fonttbl{\f2147483647 Georgia;}{\f-4 Cochin;}}\f2147483647 x\f-4 y})");
    EXPECT_EQ(fontAt(string, 0).familyName(), "Georgia");
    EXPECT_EQ(fontAt(string, 1).familyName(), "Helvetica");
}

TEST_F(RTFReaderFormattingTests, fontSizesAndTraits)
{
    AttributedString string = read(uR"({\rtf1 \fs25 a\fsmilli12500 b\fs48\b\i c\b0\i0 d})");
    EXPECT_DOUBLE_EQ(fontAt(string, 0).pointSize(), 12.5);
    EXPECT_DOUBLE_EQ(fontAt(string, 1).pointSize(), 12.5);
    EXPECT_DOUBLE_EQ(fontAt(string, 2).pointSize(), 24);
    EXPECT_TRUE(fontAt(string, 2).face().isBold());
    EXPECT_TRUE(fontAt(string, 2).face().isItalic());
    EXPECT_FALSE(fontAt(string, 3).face().isBold());
}

TEST_F(RTFReaderFormattingTests, oneFontNameInManySizesAndFacesKeepsEachRunsOwn)
{
    // A name is looked up once per document: every later size and face of it,
    // and every other number naming it, must still come out as asked.
    AttributedString string = read(
        uR"({\rtf1{\fonttbl{\f0 Georgia;}{\f1 NoSuchFace;}{\f2 Georgia;}})"
        uR"(\f1\fs20 a\fs40 b\b c\i d\b0\i0\fs20 e\f0\fs30 f\f2 g\f0\b h\f1\b0\fs20 i})");
    ASSERT_EQ(string.string(), u"abcdefghi");
    const Font& a = fontAt(string, 0);
    EXPECT_EQ(a.familyName(), "NoSuchFace");
    EXPECT_EQ(a.postScriptName(), "NoSuchFace");
    EXPECT_DOUBLE_EQ(a.pointSize(), 10);
    EXPECT_FALSE(a.face().isBold());
    EXPECT_DOUBLE_EQ(fontAt(string, 1).pointSize(), 20);
    EXPECT_EQ(fontAt(string, 1).familyName(), "NoSuchFace");
    EXPECT_TRUE(fontAt(string, 2).face().isBold());
    EXPECT_FALSE(fontAt(string, 2).face().isItalic());
    EXPECT_EQ(fontAt(string, 2).familyName(), "NoSuchFace");
    EXPECT_TRUE(fontAt(string, 3).face().isBold());
    EXPECT_TRUE(fontAt(string, 3).face().isItalic());
    EXPECT_DOUBLE_EQ(fontAt(string, 3).pointSize(), 20);
    // Back to the first formatting: the same font, not the last one made.
    EXPECT_TRUE(fontAt(string, 4) == a);
    EXPECT_TRUE(fontAt(string, 8) == a);
    EXPECT_EQ(fontAt(string, 5).familyName(), "Georgia");
    EXPECT_DOUBLE_EQ(fontAt(string, 5).pointSize(), 15);
    EXPECT_TRUE(fontAt(string, 6) == fontAt(string, 5));
    EXPECT_EQ(fontAt(string, 7).familyName(), "Georgia");
    EXPECT_TRUE(fontAt(string, 7).face().isBold());
    EXPECT_DOUBLE_EQ(fontAt(string, 7).pointSize(), 15);
}

TEST_F(RTFReaderFormattingTests, underlineStrikeAndScripts)
{
    AttributedString string = read(uR"({\rtf1 \ul a\uldb b\ulnone c\ul d\ul0 e\strike f\strike0 \super\super g\nosupersub h\sub i})");
    EXPECT_EQ(string.string(), u"abcdefghi");
    EXPECT_EQ(integerAt(string, kCTUnderlineStyleAttributeName, 0), 1);
    EXPECT_EQ(integerAt(string, kCTUnderlineStyleAttributeName, 1), 9);
    EXPECT_EQ(string.attributeAtIndex(kCTUnderlineStyleAttributeName, 2), nullptr);
    EXPECT_EQ(string.attributeAtIndex(kCTUnderlineStyleAttributeName, 4), nullptr);
    EXPECT_NE(string.attributeAtIndex(TEStrikeOutAttribute, 5), nullptr);
    EXPECT_EQ(string.attributeAtIndex(TEStrikeOutAttribute, 6), nullptr);
    EXPECT_EQ(integerAt(string, kCTSuperscriptAttributeName, 6), 2);
    EXPECT_EQ(string.attributeAtIndex(kCTSuperscriptAttributeName, 7), nullptr);
    EXPECT_EQ(integerAt(string, kCTSuperscriptAttributeName, 8), -1);
}

TEST_F(RTFReaderFormattingTests, underlinePatternsWithoutAStyleDoNotUnderline)
{
    AttributedString string = read(uR"({\rtf1 \uld a\ulthdashdd b})");
    EXPECT_EQ(integerAt(string, kCTUnderlineStyleAttributeName, 0), 257);
    EXPECT_EQ(integerAt(string, kCTUnderlineStyleAttributeName, 1), 1026);
}

TEST_F(RTFReaderFormattingTests, paragraphValuesAreConverted)
{
    AttributedString string = read(uR"({\rtf1 \fi720\li720\sl360\sa240\sb0\qc\rtlpar a\par\pard \li10020 b})");
    const PlatformParagraphStyle& style = styleAt(string, 0);
    EXPECT_NEAR(style.firstLineHeadIndent(), 1.27, 1e-4);
    EXPECT_NEAR(style.headIndent(), 52.55, 0.01);
    // Without "\slmult1" the spacing is a least line height in twips.
    EXPECT_DOUBLE_EQ(style.minimumLineHeight(), 18);
    EXPECT_DOUBLE_EQ(style.maximumLineHeight(), 0);
    EXPECT_DOUBLE_EQ(style.paragraphSpacing(), 12);
    EXPECT_DOUBLE_EQ(style.paragraphSpacingBefore(), 0);
    EXPECT_EQ(style.alignment(), TextAlignment::Center);
    EXPECT_EQ(style.baseWritingDirection(), WritingDirection::RightToLeft);
    EXPECT_DOUBLE_EQ(style.tailIndent(), 0);

    const PlatformParagraphStyle& reset = styleAt(string, 2);
    EXPECT_DOUBLE_EQ(reset.headIndent(), 0);
    EXPECT_DOUBLE_EQ(reset.minimumLineSpacing(), 1.0);
    EXPECT_EQ(reset.alignment(), TextAlignment::Left);
    EXPECT_EQ(reset.baseWritingDirection(), WritingDirection::Natural);
}

// A paragraph's runs share its settings until a word changes them: text
// after the change has the new settings and text before it keeps the old,
// whether the text stands in groups of its own or not, while another
// paragraph set alike has the same ones.
TEST_F(RTFReaderFormattingTests, paragraphSettingsChangedBetweenRunsReachOnlyLaterRuns)
{
    for (std::u16string_view word : {u"\\li200", u"\\fi-100", u"\\qc", u"\\sa120", u"\\tx720", u"\\keepn",
                                     u"\\sl360\\slmult1", u"\\rtlpar"}) {
        const std::u16string rtf =
            u"{\\rtf1 \\pard a" + std::u16string(word) + u" b\\par\\pard{c}" + std::u16string(word) + u" {d}\\par}";
        const AttributedString string = read(rtf);
        ASSERT_EQ(string.string(), u"ab\ncd\n") << toUtf8(rtf);
        auto style = [&string](std::size_t index) { return string.attributeAtIndex(kCTParagraphStyleAttributeName, index); };
        EXPECT_FALSE(attributeValuesEqual(style(0), style(1))) << toUtf8(rtf);
        EXPECT_TRUE(attributeValuesEqual(style(0), style(3))) << toUtf8(rtf);
        EXPECT_TRUE(attributeValuesEqual(style(1), style(4))) << toUtf8(rtf);
    }
}

// Every run of a link leads to its own link's target, though the runs of
// one link and those of the next look alike.
TEST_F(RTFReaderFormattingTests, linkRunsLeadToTheirOwnLinksTarget)
{
    const AttributedString string = read(
        uR"({\rtf1 {\field{\*\fldinst HYPERLINK "http://a.example/"}{\fldrslt a1 {\b a2} a3}})"
        uR"({\field{\*\fldinst HYPERLINK "http://b.example/"}{\fldrslt b1 {\b b2}}} c})");
    ASSERT_EQ(string.string(), u"a1 a2 a3b1 b2 c");
    auto target = [&string](std::size_t index) {
        AttributeValuePtr value = string.attributeAtIndex(TELinkAttribute, index);
        const URLValue* url = value ? value->as<URLValue>() : nullptr;
        return url ? url->urlString() : std::string();
    };
    for (std::size_t index : {0, 3, 6})
        EXPECT_EQ(target(index), "http://a.example/") << index;
    for (std::size_t index : {8, 11})
        EXPECT_EQ(target(index), "http://b.example/") << index;
    EXPECT_EQ(target(14), "");
}

// "\sl" with "\slmult1" is a multiple of single spacing, alone a least
// line height and negative an exact one: each paragraph keeps its kind.
TEST_F(RTFReaderFormattingTests, lineSpacingKeepsItsKind)
{
    struct Case {
        std::u16string_view words;
        double multiple;
        double least;
        double most;
    };
    for (const Case& each : std::initializer_list<Case>{{u"\\sl360\\slmult1", 1.5, 0, 0},
                                                        {u"\\sl276\\slmult1", 1.15, 0, 0},
                                                        {u"\\sl380", 1, 19, 0},
                                                        {u"\\sl380\\slmult0", 1, 19, 0},
                                                        {u"\\sl-380", 1, 19, 19},
                                                        {u"\\sl-380\\slmult1", 1, 19, 19},
                                                        {u"\\sl0", 1, 0, 0},
                                                        {u"", 1, 0, 0}}) {
        const std::u16string rtf = u"{\\rtf1 \\pard" + std::u16string(each.words) + u" a\\par}";
        const AttributedString string = read(rtf);
        const PlatformParagraphStyle& style = styleAt(string, 0);
        EXPECT_NEAR(style.minimumLineSpacing(), each.multiple, 1e-6) << toUtf8(rtf);
        EXPECT_NEAR(style.lineHeightMultiple(), each.multiple == 1 ? 0 : each.multiple, 1e-6) << toUtf8(rtf);
        EXPECT_DOUBLE_EQ(style.minimumLineHeight(), each.least) << toUtf8(rtf);
        EXPECT_DOUBLE_EQ(style.maximumLineHeight(), each.most) << toUtf8(rtf);
    }
}

// One list of two levels, then a second list, as our writer writes them.
constexpr std::u16string_view kTwoLists =
    uR"({\rtf1{\fonttbl\f0\fnil\fcharset0 Helvetica;}
{\colortbl\red0\green0\blue0;\red255\green255\blue255;}
\pard
{\*\listtable
{\list\listtemplateid1\listhybrid{\listlevel\levelnfc0\levelnfcn0\leveljc0\leveljcn0\levelfollow0\levelstartat1\levelspace360\levelindent0{\*\levelmarker \{decimal\}}{\leveltext\leveltemplateid1\'02\'00.;}\fi-360\li720\lin720}
{\listlevel\levelnfc23\levelnfcn23\leveljc0\leveljcn0\levelfollow0\levelstartat1\levelspace360\levelindent0{\*\levelmarker \{upper-roman\}}{\leveltext\leveltemplateid2\'02\'00.;}\fi-360\li1440\lin1440}
{\listname ;}\listid1}
{\list\listtemplateid2\listhybrid{\listlevel\levelnfc23\levelnfcn23\leveljc0\leveljcn0\levelfollow0\levelstartat1\levelspace360\levelindent0{\*\levelmarker \{star\}}{\leveltext\leveltemplateid3\'02\'00.;}\fi-360\li720\lin720}
{\listname ;}\listid2}}
{\*\listoverridetable{\listoverride\listid1\listoverridecount0\ls1}{\listoverride\listid2\listoverridecount0\ls2}}
\ls1\ilvl0 {\listtext 1.\tab}One\
\ls1\ilvl1 {\listtext I.\tab}Deep\
\ls2\ilvl0 {\listtext \'95\tab}Other\
\pard
After})";

TEST_F(RTFReaderFormattingTests, listTableTypesAndListTextPlaceholders)
{
    AttributedString string = read(kTwoLists);
    EXPECT_EQ(string.string(), u"\uFEFFOne\n\uFEFFDeep\n\uFEFFOther\nAfter");

    const TECSSListStyle* first = listStyleAt(string, TETextListsAttribute, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->type(), TECSSListStyleType::Decimal);
    EXPECT_EQ(first->position(), TECSSListStylePosition::Outside);
    EXPECT_NE(string.attributeAtIndex(TEFieldAttribute, 0), nullptr);
    EXPECT_NE(string.attributeAtIndex(TETextEndOfAllOpenedLists, 0), nullptr);

    const TECSSListStyle* deep = listStyleAt(string, TETextListsAttribute, 5);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->type(), TECSSListStyleType::UpperRoman);
    // The second level is a list inside the first list's item.
    const auto* deepLists = string.attributeAtIndex(TETextListsAttribute, 5)->as<ArrayValue>();
    ASSERT_EQ(deepLists->count(), 2u);
    EXPECT_EQ((*deepLists)[0]->as<TECSSListStyle>(), first);

    // A marker that names no known type reads as a disc; the new list
    // closes the one before it.
    const TECSSListStyle* other = listStyleAt(string, TETextListsAttribute, 11);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->type(), TECSSListStyleType::Disc);
    EXPECT_NE(string.attributeAtIndex(TETextEndOfListAttribute, 11), nullptr);

    // Only the list item's placeholder is a field; its text is not.
    EXPECT_EQ(string.attributeAtIndex(TEFieldAttribute, 1), nullptr);
}

TEST_F(RTFReaderFormattingTests, listLevelOutsideTheTableKeepsThePreviousType)
{
    std::u16string rtf(kTwoLists);
    rtf.replace(rtf.find(u"\\ls1\\ilvl1"), 10, u"\\ls1\\ilvl7");
    AttributedString string = read(rtf);
    EXPECT_EQ(string.string(), u"\uFEFFOne\n\uFEFFDeep\n\uFEFFOther\nAfter");
    const TECSSListStyle* style = listStyleAt(string, TETextIsListAttribute, 5);
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->type(), TECSSListStyleType::Decimal);
}

TEST_F(RTFReaderFormattingTests, listTableWordsReachNothingAndABareTableLosesNoText)
{
    // Paragraph, page and table words and text inside the table's levels
    // make nothing of the document.
    std::u16string rtf(kTwoLists);
    const std::u16string_view level = u"\\fi-360\\li1440\\lin1440}";
    rtf.replace(rtf.find(level), level.size(), u"\\par\\page\\cell\\row Stray\\fi-360\\li1440\\lin1440}");
    AttributedString string = read(rtf);
    EXPECT_EQ(string.string(), u"\uFEFFOne\n\uFEFFDeep\n\uFEFFOther\nAfter");
    const TECSSListStyle* deep = listStyleAt(string, TETextListsAttribute, 5);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->type(), TECSSListStyleType::UpperRoman);

    // A table written without "\\*" and without a group of its own is read
    // where it stands; the text after it is still the document's.
    AttributedString bare = read(u"{\\rtf1 Before \\listtable{\\list{\\listlevel\\levelnfc0}\\listid1} after}");
    EXPECT_EQ(bare.string(), u"Before  after");
}

} // namespace
} // namespace folio
