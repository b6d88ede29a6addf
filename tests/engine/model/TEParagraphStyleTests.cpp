#include "engine/model/TEParagraphStyle.h"

#include <gtest/gtest.h>

#include <limits>

namespace folio {
namespace {

std::shared_ptr<const TECSSListStyle> paragraphListOf(TECSSListStyleType type)
{
    auto list = std::make_shared<TECSSListStyle>();
    list->setType(type);
    list->setPosition(TECSSListStylePosition::Outside);
    list->setStartingItemNumber(1);
    return list;
}

// A style with nothing to write: no line spacing either.
TEParagraphStyle silentStyle()
{
    TEParagraphStyle style;
    style.setParagraphLineSpacing(0);
    return style;
}

TEParagraphStyle everySettingStyle()
{
    TEParagraphStyle style;
    style.setFirstLineHeadIndent(10);
    style.setDefaultTabInterval(24);
    style.setParagraphSpacingBefore(3);
    style.setParagraphSpacing(6);
    style.setParagraphLineSpacing(14);
    style.setHeadIndent(20);
    style.setTailIndent(-30);
    style.setLineHeightMultiple(1.5);
    style.setMinimumLineHeight(11);
    style.setMaximumLineHeight(40);
    style.setAlignment(TextAlignment::Justified);
    style.setBaseWritingDirection(WritingDirection::RightToLeft);
    style.addTabStopAtPosition(72, TextAlignment::Left);
    style.addTabStopAtPosition(144, TextAlignment::Right);
    style.setKeepWithNext(true);
    style.setKeepTogether(true);
    style.setWidowControl(true);
    return style;
}

// --- CSS --------------------------------------------------------------------

TEST(TEParagraphStyleCSS, defaultStyleWritesNormalLineHeightOnly)
{
    EXPECT_EQ(TEParagraphStyle::defaultParagraphStyle().cssStyleRepresentation(), "line-height:normal;");
    EXPECT_EQ(silentStyle().cssStyleRepresentation(), std::nullopt);
}

TEST(TEParagraphStyleCSS, writesDeclarationsInTheirFixedOrder)
{
    TEParagraphStyle centred;
    centred.setAlignment(TextAlignment::Center);
    centred.setParagraphSpacing(12);
    centred.setFirstLineHeadIndent(360);
    EXPECT_EQ(centred.cssStyleRepresentation(),
              "text-align:center;line-height:normal;margin-bottom:12px;text-indent:18.00cm;");

    EXPECT_EQ(everySettingStyle().cssStyleRepresentation(),
              "text-align:justify;line-height:1.5em;line-height:14.0;direction:rtl;margin-bottom:6px;"
              "margin-top:3px;margin-left:20px;margin-right:30px;text-indent:10.00cm;"
              "break-after:avoid;break-inside:avoid;orphans:2;widows:2;");
}

TEST(TEParagraphStyleCSS, alignmentAndDirectionWords)
{
    const std::pair<TextAlignment, const char*> alignments[] = {{TextAlignment::Left, "text-align:left;"},
                                                                {TextAlignment::Right, "text-align:right;"},
                                                                {TextAlignment::Center, "text-align:center;"},
                                                                {TextAlignment::Justified, "text-align:justify;"}};
    for (const auto& [alignment, css] : alignments) {
        TEParagraphStyle style = silentStyle();
        style.setAlignment(alignment);
        EXPECT_EQ(style.cssStyleRepresentation(), css);
    }
    TEParagraphStyle ltr = silentStyle();
    ltr.setBaseWritingDirection(WritingDirection::LeftToRight);
    EXPECT_EQ(ltr.cssStyleRepresentation(), "direction:ltr;");
}

TEST(TEParagraphStyleCSS, lineSpacingAndMultiples)
{
    TEParagraphStyle style = silentStyle();
    style.setParagraphLineSpacing(240);
    EXPECT_EQ(style.cssStyleRepresentation(), "line-height:normal;");
    // Hundredths are kept (Word's 1.15 spacing stays 1.15 through the page);
    // a spacing of tenths keeps its one decimal.
    style.setParagraphLineSpacing(12.25);
    EXPECT_EQ(style.cssStyleRepresentation(), "line-height:12.25;");
    style.setParagraphLineSpacing(276.0f / 240.0f);
    EXPECT_EQ(style.cssStyleRepresentation(), "line-height:1.15;");
    style.setParagraphLineSpacing(1.5);
    EXPECT_EQ(style.cssStyleRepresentation(), "line-height:1.5;");
    style = silentStyle();
    style.setLineHeightMultiple(1);
    EXPECT_EQ(style.cssStyleRepresentation(), std::nullopt);
    style.setLineHeightMultiple(1.15);
    EXPECT_EQ(style.cssStyleRepresentation(), "line-height:1.15em;");
}

TEST(TEParagraphStyleCSS, indentsAndMargins)
{
    auto indentCSS = [](double indent) {
        TEParagraphStyle style = silentStyle();
        style.setFirstLineHeadIndent(indent);
        return style.cssStyleRepresentation();
    };
    EXPECT_EQ(indentCSS(18), "text-indent:18.00cm;");
    EXPECT_EQ(indentCSS(30), "text-indent:1.50cm;");
    EXPECT_EQ(indentCSS(0), std::nullopt);
    EXPECT_EQ(indentCSS(-5), std::nullopt);

    TEParagraphStyle tail = silentStyle();
    tail.setTailIndent(-20);
    EXPECT_EQ(tail.cssStyleRepresentation(), "margin-right:20px;");
    tail.setHeadIndent(7.5);
    EXPECT_EQ(tail.cssStyleRepresentation(), "margin-left:7.5px;margin-right:20px;");
}

TEST(TEParagraphStyleCSS, numbersThatAreNotFiniteAreNotWritten)
{
    TEParagraphStyle style = silentStyle();
    style.setParagraphSpacing(std::numeric_limits<double>::quiet_NaN());
    style.setLineHeightMultiple(std::numeric_limits<double>::infinity());
    style.setFirstLineHeadIndent(std::numeric_limits<double>::infinity());
    EXPECT_EQ(style.cssStyleRepresentation(), std::nullopt);
}

// --- Platform style ---------------------------------------------------------

TEST(TEParagraphStyleConversion, everySettingReachesThePlatformStyle)
{
    PlatformParagraphStyle platform = everySettingStyle().createCTParagraphStyle();
    EXPECT_EQ(platform.alignment(), TextAlignment::Justified);
    EXPECT_EQ(platform.firstLineHeadIndent(), 10);
    EXPECT_EQ(platform.minimumLineSpacing(), 14);
    EXPECT_EQ(platform.defaultTabInterval(), 24);
    EXPECT_EQ(platform.paragraphSpacing(), 6);
    EXPECT_EQ(platform.paragraphSpacingBefore(), 3);
    EXPECT_EQ(platform.headIndent(), 20);
    EXPECT_EQ(platform.tailIndent(), -30);
    EXPECT_EQ(platform.baseWritingDirection(), WritingDirection::RightToLeft);
    EXPECT_EQ(platform.lineHeightMultiple(), 1.5);
    EXPECT_EQ(platform.minimumLineHeight(), 11);
    EXPECT_EQ(platform.maximumLineHeight(), 40);
    EXPECT_TRUE(platform.keepWithNext());
    EXPECT_TRUE(platform.keepTogether());
    EXPECT_TRUE(platform.widowControl());
    ASSERT_TRUE(platform.tabStops());
    EXPECT_EQ(*platform.tabStops(),
              (std::vector<TextTab>{{72, TextAlignment::Left}, {144, TextAlignment::Right}}));
    EXPECT_FALSE(TEParagraphStyle().createCTParagraphStyle().tabStops());
}

TEST(TEParagraphStyleConversion, roundTripGivesAnEqualStyle)
{
    TEParagraphStyle original = everySettingStyle();
    EXPECT_EQ(TEParagraphStyle::paragraphStyleWithCTParagraphStyle(original.createCTParagraphStyle()), original);
    TEParagraphStyle plain;
    EXPECT_EQ(TEParagraphStyle(plain.createCTParagraphStyle()), plain);
}

TEST(TEParagraphStyleConversion, listsAndBlocksStayOutOfThePlatformStyle)
{
    TEParagraphStyle inList = everySettingStyle();
    inList.setTextLists({paragraphListOf(TECSSListStyleType::Decimal)});
    inList.setTextBlocks({TETextBlock::make(TEEdgeInsets{1, 2, 3, 4}, std::nullopt)});
    PlatformParagraphStyle platform = inList.createCTParagraphStyle();
    EXPECT_EQ(platform, everySettingStyle().createCTParagraphStyle());
    TEParagraphStyle back(platform);
    EXPECT_TRUE(back.textLists().empty());
    EXPECT_TRUE(back.textBlocks().empty());
    EXPECT_NE(back, inList);
    EXPECT_NE(inList, back);
}

// --- Equality and tab stops -------------------------------------------------

TEST(TEParagraphStyleEquality, comparesEveryFieldBothWays)
{
    TEParagraphStyle base = everySettingStyle();
    auto changed = [&](auto change) {
        TEParagraphStyle other = base;
        change(other);
        return other;
    };
    const TEParagraphStyle variants[] = {
        changed([](TEParagraphStyle& s) { s.setFirstLineHeadIndent(11); }),
        changed([](TEParagraphStyle& s) { s.setDefaultTabInterval(36); }),
        changed([](TEParagraphStyle& s) { s.setParagraphSpacingBefore(0); }),
        changed([](TEParagraphStyle& s) { s.setParagraphSpacing(0); }),
        changed([](TEParagraphStyle& s) { s.setParagraphLineSpacing(1); }),
        changed([](TEParagraphStyle& s) { s.setHeadIndent(0); }),
        changed([](TEParagraphStyle& s) { s.setTailIndent(0); }),
        changed([](TEParagraphStyle& s) { s.setLineHeightMultiple(0); }),
        changed([](TEParagraphStyle& s) { s.setMinimumLineHeight(0); }),
        changed([](TEParagraphStyle& s) { s.setMaximumLineHeight(0); }),
        changed([](TEParagraphStyle& s) { s.setAlignment(TextAlignment::Natural); }),
        changed([](TEParagraphStyle& s) { s.setBaseWritingDirection(WritingDirection::Natural); }),
        changed([](TEParagraphStyle& s) { s.setTabStops(std::nullopt); }),
        changed([](TEParagraphStyle& s) { s.setKeepWithNext(false); }),
        changed([](TEParagraphStyle& s) { s.setKeepTogether(false); }),
        changed([](TEParagraphStyle& s) { s.setWidowControl(false); }),
        changed([](TEParagraphStyle& s) { s.setTextLists({paragraphListOf(TECSSListStyleType::Disc)}); }),
        changed([](TEParagraphStyle& s) { s.setTextBlocks({TETextBlock::make({}, Color())}); }),
    };
    for (const TEParagraphStyle& variant : variants) {
        EXPECT_NE(base, variant);
        EXPECT_NE(variant, base);
    }
}

TEST(TEParagraphStyleEquality, listsAndBlocksCompareByValue)
{
    TEParagraphStyle a, b;
    a.setTextLists({paragraphListOf(TECSSListStyleType::Decimal), paragraphListOf(TECSSListStyleType::Disc)});
    b.setTextLists({paragraphListOf(TECSSListStyleType::Decimal), paragraphListOf(TECSSListStyleType::Disc)});
    a.setTextBlocks({TETextBlock::make(TEEdgeInsets{4, 4, 4, 4}, Color::colorWithWhite(0.9))});
    b.setTextBlocks({TETextBlock::make(TEEdgeInsets{4, 4, 4, 4}, Color::colorWithWhite(0.9))});
    EXPECT_EQ(a, b);
    b.setTextLists({paragraphListOf(TECSSListStyleType::Disc), paragraphListOf(TECSSListStyleType::Decimal)});
    EXPECT_NE(a, b);

    TEParagraphStyle emptyLists;
    emptyLists.setTextLists({});
    EXPECT_EQ(emptyLists, TEParagraphStyle());
}

TEST(TEParagraphStyleTabStops, addingTabsCreatesTheListAndSkipsBadPositions)
{
    TEParagraphStyle style;
    EXPECT_FALSE(style.tabStops());
    style.addTabStopAtPosition(std::numeric_limits<double>::quiet_NaN(), TextAlignment::Left);
    EXPECT_FALSE(style.tabStops());
    style.addTabStopAtPosition(36, TextAlignment::Center);
    style.addTabStopAtPosition(18, TextAlignment::Left);
    ASSERT_TRUE(style.tabStops());
    EXPECT_EQ(*style.tabStops(), (std::vector<TextTab>{{36, TextAlignment::Center}, {18, TextAlignment::Left}}));

    // No tab stops and an empty list of them mean different things.
    TEParagraphStyle none, empty;
    empty.setTabStops(std::vector<TextTab>{});
    EXPECT_NE(none, empty);
}

} // namespace
} // namespace folio
