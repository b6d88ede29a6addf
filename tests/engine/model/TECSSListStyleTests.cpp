#include "engine/css/CSSString.h"
#include "engine/model/TECSSListStyle.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace folio {
namespace {

using Type = TECSSListStyleType;
using Position = TECSSListStylePosition;

TECSSListStyle listOf(Type type, Position position = Position::Outside)
{
    TECSSListStyle style;
    style.setType(type);
    style.setPosition(position);
    return style;
}

std::u16string prefix(Type type, std::int64_t counter, Position position = Position::Outside)
{
    return listOf(type, position).prefixWithCounter(counter).value_or(u"<none>");
}

TEST(TECSSListStyleTest, readsTypeAndPositionKeywords)
{
    EXPECT_EQ(TECSSListStyle::listStyleTypeFromString(u"Upper-Roman"), Type::UpperRoman);
    EXPECT_EQ(TECSSListStyle::listStyleTypeFromString(u"upper-latin"), Type::UpperAlpha);
    EXPECT_EQ(TECSSListStyle::listStyleTypeFromString(u"lower-latin"), Type::LowerAlpha);
    EXPECT_EQ(TECSSListStyle::listStyleTypeFromString(u"DECIMAL-leading-zero"), Type::DecimalLeadingZero);
    EXPECT_EQ(TECSSListStyle::listStyleTypeFromString(u"underscore"), Type::Underscore);
    EXPECT_EQ(TECSSListStyle::listStyleTypeFromString(u"inherit"), Type::Inherit);
    EXPECT_EQ(TECSSListStyle::listStyleTypeFromString(u"foo"), Type::None);
    EXPECT_EQ(TECSSListStyle::listStyleTypeFromString(std::nullopt), std::nullopt);
    EXPECT_EQ(TECSSListStyle::listStylePositionFromString(u"inside"), Position::Inside);
    EXPECT_EQ(TECSSListStyle::listStylePositionFromString(u"outside"), Position::Outside);
    EXPECT_EQ(TECSSListStyle::listStylePositionFromString(u"somewhere"), Position::Inherit);
    EXPECT_EQ(TECSSListStyle::listStylePositionFromString(std::nullopt), std::nullopt);

    TECSSListStyle style = listOf(Type::Disc);
    EXPECT_FALSE(style.setTypeWithString(std::nullopt));
    EXPECT_EQ(style.type(), Type::Disc);
    EXPECT_TRUE(style.setTypeWithString(u"square"));
    EXPECT_EQ(style.type(), Type::Square);
}

TEST(TECSSListStyleTest, drawsTheMarkerOfEveryType)
{
    EXPECT_EQ(prefix(Type::Inherit, 1), u"<none>");
    EXPECT_EQ(prefix(Type::None, 1), u"<none>");
    EXPECT_EQ(prefix(Type::Circle, 1), u"\t\u25E6\t");
    EXPECT_EQ(prefix(Type::Decimal, 3), u"\t3)\t");
    EXPECT_EQ(prefix(Type::DecimalLeadingZero, 5), u"\t05.\t");
    EXPECT_EQ(prefix(Type::DecimalLeadingZero, 123), u"\t123.\t");
    EXPECT_EQ(prefix(Type::Disc, 9), u"\t\u2022\t");
    EXPECT_EQ(prefix(Type::Square, 1), u"\t\u25AA\t");
    EXPECT_EQ(prefix(Type::UpperAlpha, 1), u"\tA.\t");
    EXPECT_EQ(prefix(Type::UpperLatin, 26), u"\tZ.\t");
    EXPECT_EQ(prefix(Type::LowerAlpha, 1), u"\ta.\t");
    EXPECT_EQ(prefix(Type::LowerLatin, 26), u"\tz.\t");
    EXPECT_EQ(prefix(Type::Plus, 1), u"\t+\t");
    EXPECT_EQ(prefix(Type::UpperRoman, 1994), u"\tMCMXCIV.\t");
    EXPECT_EQ(prefix(Type::LowerRoman, 1994), u"\tmcmxciv.\t");
    EXPECT_EQ(prefix(Type::Diamond, 1), u"\t\u25C6\t");
    EXPECT_EQ(prefix(Type::Check, 1), u"\t\u2713\t");
    EXPECT_EQ(prefix(Type::Hyphen, 1), u"\t\u2043\t");
    EXPECT_EQ(prefix(Type::Underscore, 1), u"\t_\t");
    EXPECT_EQ(prefix(static_cast<Type>(40), 1), u"<none>");
}

TEST(TECSSListStyleTest, placesTheMarkerInsideOrOutside)
{
    EXPECT_EQ(prefix(Type::Circle, 1, Position::Inside), u"\t\t\u25E6");
    EXPECT_EQ(prefix(Type::Decimal, 2, Position::Inside), u"\t\t2)");
    EXPECT_EQ(prefix(Type::Decimal, 2, Position::Inherit), u"\t2)\t");
}

TEST(TECSSListStyleTest, letterMarkersBeyondTheAlphabetStayPrintable)
{
    EXPECT_EQ(prefix(Type::UpperAlpha, 27), u"\t[.\t");
    EXPECT_EQ(prefix(Type::LowerAlpha, 27), u"\t{.\t");
    EXPECT_EQ(prefix(Type::UpperAlpha, 0), u"\t@.\t");
    EXPECT_EQ(prefix(Type::LowerAlpha, 31), u"\t\uFFFD.\t");
    EXPECT_EQ(prefix(Type::UpperAlpha, -64), u"\t\uFFFD.\t");
    EXPECT_EQ(prefix(Type::LowerAlpha, 100), u"\t\u00C4.\t");
}

TEST(TECSSListStyleTest, writesRomanNumerals)
{
    EXPECT_EQ(TECSSListStyle::romanNumeral(4), u"IV");
    EXPECT_EQ(TECSSListStyle::romanNumeral(9), u"IX");
    EXPECT_EQ(TECSSListStyle::romanNumeral(14), u"XIV");
    EXPECT_EQ(TECSSListStyle::romanNumeral(40), u"XL");
    EXPECT_EQ(TECSSListStyle::romanNumeral(3999), u"MMMCMXCIX");
    EXPECT_EQ(TECSSListStyle::romanNumeral(0), u"");
    EXPECT_EQ(TECSSListStyle::romanNumeral(-7), u"");
    EXPECT_EQ(TECSSListStyle::romanNumeral(4000), u"4000");
    EXPECT_EQ(prefix(Type::UpperRoman, 0), u"\t.\t");
    EXPECT_EQ(prefix(Type::LowerRoman, 2000000000), u"\t2000000000.\t");
}

TEST(TECSSListStyleTest, answersTheRTFTablesByType)
{
    struct Row {
        Type type;
        std::string_view levelText;
        int numberType;
    };
    const Row rows[] = {
        {Type::Inherit, "disc\\}", 23},          {Type::None, "disc\\}", 23},
        {Type::Circle, "circle\\}", 23},         {Type::Decimal, "decimal\\})", 0},
        {Type::DecimalLeadingZero, "disc\\}", 23}, {Type::Disc, "disc\\}", 23},
        {Type::Square, "square\\}", 23},         {Type::UpperAlpha, "upper-alpha\\}.", 3},
        {Type::UpperLatin, "upper-latin\\}.", 23}, {Type::LowerAlpha, "lower-alpha\\}.", 4},
        {Type::LowerLatin, "lower-latin\\}.", 23}, {Type::Plus, "disc\\}", 23},
        {Type::UpperRoman, "upper-roman\\}.", 1}, {Type::LowerRoman, "lower-roman\\}.", 2},
        {Type::Diamond, "diamond\\}", 23},       {Type::Check, "check\\}", 23},
        {Type::Hyphen, "hyphen\\}", 23},         {Type::Underscore, "disc\\}", 23},
        {static_cast<Type>(99), "disc\\}", 23},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TECSSListStyle::listStyleRTFString(row.type), row.levelText) << unsigned(row.type);
        EXPECT_EQ(TECSSListStyle::RTFNumberTypeForLevel(row.type), row.numberType) << unsigned(row.type);
    }
    EXPECT_EQ(TECSSListStyle::listStyleRTFString(Type::Circle).size(), 8u);
}

TEST(TECSSListStyleTest, onlyNumberedAndLetteredListsAreOrdered)
{
    for (unsigned raw = 0; raw <= 17; ++raw) {
        auto type = static_cast<Type>(raw);
        bool expected = type == Type::Decimal || type == Type::DecimalLeadingZero || type == Type::UpperAlpha
            || type == Type::UpperLatin || type == Type::LowerAlpha || type == Type::LowerLatin;
        EXPECT_EQ(listOf(type).isOrdered(), expected) << raw;
    }
}

TEST(TECSSListStyleTest, readsStyleDictionaries)
{
    TECSSListStyle defaults{CSSStyleDictionary()};
    EXPECT_EQ(defaults.type(), Type::Inherit);
    EXPECT_EQ(defaults.position(), Position::Outside);
    EXPECT_EQ(defaults.startingItemNumber(), 1);
    EXPECT_FALSE(defaults.inherit());
    EXPECT_FALSE(defaults.imageName());

    TECSSListStyle none{dictionaryOfCSSStyles(u"list-style-type: none")};
    EXPECT_EQ(none.type(), Type::None);
    EXPECT_EQ(none.prefixWithCounter(1), std::nullopt);

    TECSSListStyle image{dictionaryOfCSSStyles(u"list-style-type: decimal; list-style-image: url(star.png)")};
    EXPECT_EQ(image.imageName(), u"star.png");
    EXPECT_EQ(image.prefixWithCounter(1), u"\t\uFFFC\t");

    TECSSListStyle longhand{dictionaryOfCSSStyles(u"list-style-type: lower-roman; list-style-position: INSIDE")};
    EXPECT_EQ(longhand.type(), Type::LowerRoman);
    EXPECT_EQ(longhand.position(), Position::Inside);
}

TEST(TECSSListStyleTest, readsTheShorthand)
{
    TECSSListStyle inherit{dictionaryOfCSSStyles(u"list-style: Inherit; list-style-type: square")};
    EXPECT_TRUE(inherit.inherit());
    EXPECT_EQ(inherit.type(), Type::Inherit);

    TECSSListStyle full{dictionaryOfCSSStyles(u"list-style: Square inside url('Img/Dot.PNG') disc")};
    EXPECT_EQ(full.type(), Type::Square);
    EXPECT_EQ(full.position(), Position::Inside);
    EXPECT_EQ(full.imageName(), u"Img/Dot.PNG");

    TECSSListStyle imageFirst{dictionaryOfCSSStyles(u"list-style: url(a.png) circle")};
    EXPECT_EQ(imageFirst.type(), Type::Circle);
    EXPECT_EQ(imageFirst.imageName(), u"a.png");
}

TEST(TECSSListStyleTest, equalityHashAndCopy)
{
    auto style = std::make_shared<TECSSListStyle>(dictionaryOfCSSStyles(u"list-style-type: disc"));
    auto copy = style->copy();
    EXPECT_NE(copy.get(), style.get());
    EXPECT_TRUE(style->isEqualToListStyle(*copy));
    EXPECT_TRUE(attributeValuesEqual(style.get(), copy.get()));
    EXPECT_EQ(style->hash(), copy->hash());

    copy->setStartingItemNumber(4);
    EXPECT_FALSE(style->isEqual(*copy));
    copy->setStartingItemNumber(1);
    copy->setImageName(u"a.png");
    EXPECT_FALSE(style->isEqual(*copy));
    copy->setImageName(std::nullopt);
    copy->setInherit(true);
    EXPECT_FALSE(style->isEqual(*copy));
    EXPECT_FALSE(style->isEqual(*BoolValue::make(true)));

    std::string description = style->description();
    EXPECT_EQ(description.rfind("<TECSSListStyle 0x", 0), 0u) << description;
    EXPECT_NE(description.find(" type=5 position=2>"), std::string::npos) << description;
}

} // namespace
} // namespace folio
