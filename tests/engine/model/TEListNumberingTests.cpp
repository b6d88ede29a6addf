#include "engine/model/TECSSListStyle.h"
#include "engine/model/TEListNumbering.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

std::u16string numberText(TEListNumbering numbering, std::int64_t counter)
{
    return listNumberText(numbering, counter).value_or(u"<none>");
}

TEST(TEListNumbering, chineseCountingWritesTensHundredsAndOneZeroInside)
{
    EXPECT_EQ(numberText(TEListNumbering::ChineseCounting, 1), u"一");
    EXPECT_EQ(numberText(TEListNumbering::ChineseCounting, 10), u"十");
    EXPECT_EQ(numberText(TEListNumbering::ChineseCounting, 12), u"十二");
    EXPECT_EQ(numberText(TEListNumbering::ChineseCounting, 20), u"二十");
    EXPECT_EQ(numberText(TEListNumbering::ChineseCounting, 101), u"一百零一");
    EXPECT_EQ(numberText(TEListNumbering::ChineseCounting, 110), u"一百一十");
    EXPECT_EQ(numberText(TEListNumbering::ChineseCounting, 1005), u"一千零五");
    EXPECT_EQ(numberText(TEListNumbering::ChineseCounting, 12345), u"12345");
    // Legal numbers keep the one before ten.
    EXPECT_EQ(numberText(TEListNumbering::LegalTraditional, 12), u"壹拾貳");
    EXPECT_EQ(numberText(TEListNumbering::LegalSimplified, 12), u"壹拾贰");
    EXPECT_EQ(numberText(TEListNumbering::IdeographicDigits, 102), u"一〇二");
    EXPECT_EQ(numberText(TEListNumbering::JapaneseLegalDigits, 102), u"壱零弐");
    EXPECT_EQ(numberText(TEListNumbering::KoreanDigits, 10), u"일영");
    // Korean counting writes no zero and no one before a power alone.
    EXPECT_EQ(numberText(TEListNumbering::KoreanCounting, 101), u"백일");
    EXPECT_EQ(numberText(TEListNumbering::KoreanCounting, 2015), u"이천십오");
    EXPECT_EQ(numberText(TEListNumbering::KoreanNative, 99), u"아흔아홉");
    EXPECT_EQ(numberText(TEListNumbering::KoreanNative, 110), u"백십");
    // Hebrew numerals add up, fifteen and sixteen written as nine and more.
    EXPECT_EQ(numberText(TEListNumbering::HebrewNumerals, 11), u"יא");
    EXPECT_EQ(numberText(TEListNumbering::HebrewNumerals, 15), u"טו");
    EXPECT_EQ(numberText(TEListNumbering::HebrewNumerals, 516), u"תקטז");
    EXPECT_EQ(numberText(TEListNumbering::HebrewLetters, 11), u"כ");
    EXPECT_EQ(numberText(TEListNumbering::ArabicAbjad, 11), u"ك");
}

TEST(TEListNumbering, shortSequencesFallBackToDigitsAndLongerOnesRepeat)
{
    EXPECT_EQ(numberText(TEListNumbering::HeavenlyStems, 10), u"癸");
    EXPECT_EQ(numberText(TEListNumbering::HeavenlyStems, 11), u"11");
    EXPECT_EQ(numberText(TEListNumbering::EarthlyBranches, 12), u"亥");
    EXPECT_EQ(numberText(TEListNumbering::EarthlyBranches, 13), u"13");
    EXPECT_EQ(numberText(TEListNumbering::Circled, 12), u"⑫");
    EXPECT_EQ(numberText(TEListNumbering::Circled, 21), u"㉑");
    EXPECT_EQ(numberText(TEListNumbering::Circled, 50), u"㊿");
    EXPECT_EQ(numberText(TEListNumbering::Circled, 51), u"51");
    EXPECT_EQ(numberText(TEListNumbering::KatakanaIroha, 12), u"ヲ");
    EXPECT_EQ(numberText(TEListNumbering::HangulJamo, 15), u"ㄱㄱ");
    EXPECT_EQ(numberText(TEListNumbering::HangulSyllables, 0), u"0");
    EXPECT_EQ(numberText(TEListNumbering::Ordinal, 1), u"1st");
    EXPECT_EQ(numberText(TEListNumbering::Ordinal, 12), u"12th");
    EXPECT_EQ(numberText(TEListNumbering::Ordinal, 22), u"22nd");
    EXPECT_EQ(numberText(TEListNumbering::Ordinal, 113), u"113th");
    EXPECT_FALSE(listNumberText(TEListNumbering::OfType, 3));
}

TEST(TEListNumbering, aListsMarkerWritesItsNumberingBetweenItsWords)
{
    TECSSListStyle style;
    style.setType(TECSSListStyleType::Decimal);
    style.setMarkerText(TECSSListStyle::MarkerText{u"(", u")", TEListNumbering::HeavenlyStems});
    EXPECT_EQ(style.markerWithText(2).value_or(u""), u"(乙)");
    // Lists that differ only in numbering are different lists.
    TECSSListStyle decimal = style;
    decimal.setMarkerText(TECSSListStyle::MarkerText{u"(", u")"});
    EXPECT_EQ(decimal.markerWithText(2).value_or(u""), u"(2)");
    EXPECT_FALSE(style.isEqual(decimal));
}

} // namespace
} // namespace folio
