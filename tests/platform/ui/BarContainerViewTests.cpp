#include "platform/ui/BarContainerView.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

std::shared_ptr<View> bar(double height) { return std::make_shared<View>(Rect{{0, 0}, {10, height}}); }

TEST(BarContainerViewTests, barsTakeTheirHeightsAtTheEdgesAndTheContentTheRest)
{
    auto container = std::make_shared<BarContainerView>(Rect{{0, 0}, {800, 600}});
    auto content = std::make_shared<View>();
    auto ruler = bar(30);
    auto banner = bar(20);
    auto keys = bar(44);
    container->setContentView(content);
    container->setBars(BarContainerView::Edge::Top, {ruler, banner});
    container->setBars(BarContainerView::Edge::Bottom, {keys});

    EXPECT_EQ(ruler->frame(), (Rect{{0, 0}, {800, 30}}));
    EXPECT_EQ(banner->frame(), (Rect{{0, 30}, {800, 20}}));
    EXPECT_EQ(content->frame(), (Rect{{0, 50}, {800, 506}}));
    EXPECT_EQ(keys->frame(), (Rect{{0, 556}, {800, 44}}));
    EXPECT_EQ(container->subviews().front(), content) << "the content lies below everything else";

    // A hidden bar leaves its room to the content; a resize keeps the bars' heights.
    banner->setHidden(true);
    container->reloadBars();
    EXPECT_EQ(content->frame(), (Rect{{0, 30}, {800, 526}}));
    container->setFrame(Rect{{0, 0}, {500, 400}});
    EXPECT_EQ(keys->frame(), (Rect{{0, 356}, {500, 44}}));
    EXPECT_EQ(content->frame().size.height, 326);
}

TEST(BarContainerViewTests, replacedBarsLeaveTheContainerAndMovedOnesAreNotDoubled)
{
    auto container = std::make_shared<BarContainerView>(Rect{{0, 0}, {300, 300}});
    auto first = bar(44);
    auto second = bar(44);
    container->setBars(BarContainerView::Edge::Bottom, {first});
    container->setBars(BarContainerView::Edge::Bottom, {second, nullptr});
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(second->superview(), container);
    ASSERT_EQ(container->bars(BarContainerView::Edge::Bottom).size(), 1u);

    // A view taken from another parent is moved, not shown twice.
    auto other = std::make_shared<View>();
    auto moved = bar(10);
    other->addSubview(moved);
    container->setBars(BarContainerView::Edge::Top, {moved});
    EXPECT_TRUE(other->subviews().empty());
    EXPECT_EQ(container->subviews().size(), 2u);
}

TEST(BarContainerViewTests, floatingViewsKeepTheirInsetFromTheEdgeTheyAreAlignedTo)
{
    auto container = std::make_shared<BarContainerView>(Rect{{0, 0}, {400, 300}});
    container->setContentView(std::make_shared<View>());
    container->setBars(BarContainerView::Edge::Top, {bar(20)});
    auto buttons = std::make_shared<View>(Rect{{0, 0}, {40, 80}});
    container->addFloatingView(buttons, {BarContainerView::Alignment::End, BarContainerView::Alignment::End, {10, 5}});
    EXPECT_EQ(buttons->frame(), (Rect{{350, 215}, {40, 80}}));

    container->addFloatingView(buttons, {BarContainerView::Alignment::Start, BarContainerView::Alignment::Center, {10, 5}});
    EXPECT_EQ(buttons->frame(), (Rect{{10, 120}, {40, 80}})) << "centred in the content below the top bar";
    EXPECT_EQ(container->floatingViews().size(), 1u);

    container->removeFloatingView(*buttons);
    EXPECT_EQ(buttons->superview(), nullptr);
    EXPECT_TRUE(container->floatingViews().empty());
}

TEST(BarContainerViewTests, aContentBandLeavesTheRestOfTheRoomAndFilledViewsSpanTheContent)
{
    auto container = std::make_shared<BarContainerView>(Rect{{0, 0}, {400, 300}});
    auto content = std::make_shared<View>();
    container->setContentView(content);
    auto ruler = bar(20);
    container->setBars(BarContainerView::Edge::Top, {ruler});
    container->setContentBand(BarContainerView::Band{140, 130});
    EXPECT_EQ(content->frame(), (Rect{{0, 160}, {400, 130}})) << "the band is placed in the room below the bar";
    ruler->setHidden(true);
    container->reloadBars();
    EXPECT_EQ(content->frame(), (Rect{{0, 140}, {400, 130}}));

    auto line = std::make_shared<View>(Rect{{0, 0}, {10, 1}});
    container->addFloatingView(line, {BarContainerView::Alignment::Fill, BarContainerView::Alignment::Start, {0, 136}});
    EXPECT_EQ(line->frame(), (Rect{{0, 136}, {400, 1}}));
    container->addFloatingView(line, {BarContainerView::Alignment::Fill, BarContainerView::Alignment::Start, {20, 136}});
    EXPECT_EQ(line->frame(), (Rect{{20, 136}, {360, 1}})) << "kept its inset from both edges";

    container->setContentBand(std::nullopt);
    EXPECT_EQ(content->frame(), (Rect{{0, 0}, {400, 300}}));
}

// The window may give the content another room than the model's bars
// leave; a floating view is placed by the same rule in whatever room it
// is shown in.
TEST(BarContainerViewTests, aFloatingViewIsPlacedByItsRuleInAnyRoom)
{
    using Alignment = BarContainerView::Alignment;
    auto buttons = std::make_shared<View>(Rect{{0, 0}, {40, 80}});
    Rect room{{0, 64}, {1000, 500}};
    EXPECT_EQ(BarContainerView::floatingFrame({buttons, {Alignment::End, Alignment::End, {16, 10}}}, room),
              (Rect{{944, 474}, {40, 80}}));
    EXPECT_EQ(BarContainerView::floatingFrame({buttons, {Alignment::Center, Alignment::Start, {16, 10}}}, room),
              (Rect{{480, 74}, {40, 80}}));
    EXPECT_EQ(BarContainerView::floatingFrame({buttons, {Alignment::Fill, Alignment::Fill, {16, 10}}}, room),
              (Rect{{16, 74}, {968, 480}}));
    EXPECT_EQ(buttons->frame(), (Rect{{0, 0}, {40, 80}})) << "asking moves nothing";
    // A room smaller than the insets leaves a filled view empty, not negative.
    EXPECT_EQ(BarContainerView::floatingFrame({buttons, {Alignment::Fill, Alignment::Start, {30, 0}}}, Rect{{0, 0}, {40, 40}}).size,
              (Size{0, 80}));
}

} // namespace
} // namespace folio
