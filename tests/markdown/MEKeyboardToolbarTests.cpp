#include "markdown/MEKeyboardToolbar.h"
#include "markdown/METoolbarButton.h"

#include "platform/ui/ScrollView.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

std::shared_ptr<METoolbarButton> keyOfWidth(double width)
{
    auto key = METoolbarButton::buttonWithTitle(u"k");
    key->setFrame(makeRect(0, 0, width, 44));
    return key;
}

class MEKeyboardToolbarTest : public test::VirtualClockTest {};

TEST_F(MEKeyboardToolbarTest, keysArePlacedEightPointsApartInAScrollingRow)
{
    auto empty = MEKeyboardToolbar::toolbarWithButtons({});
    EXPECT_EQ(empty->scrollView()->contentSize().width, 0);
    EXPECT_EQ(empty->frame().height(), 48);
    EXPECT_EQ(empty->topBorder()->frame().height(), 0.5);

    auto a = keyOfWidth(34);
    auto b = keyOfWidth(50);
    auto c = keyOfWidth(34);
    auto bar = MEKeyboardToolbar::toolbarWithButtons({a, b, c});
    EXPECT_EQ(a->frame(), makeRect(8, 0, 34, 38)) << "a 44-point key stands 38 high between the insets";
    EXPECT_EQ(b->frame(), makeRect(50, 0, 50, 38));
    EXPECT_EQ(c->frame(), makeRect(108, 0, 34, 38));
    EXPECT_EQ(bar->scrollView()->contentSize().width, 142);
    EXPECT_EQ(a->superview(), bar->scrollView());

    // Whole-number steps: a key of fractional width moves the next by its
    // width from the whole part of where it stood.
    auto wide = keyOfWidth(10.5);
    auto next = keyOfWidth(10);
    bar->setButtons({wide, next, keyOfWidth(10)});
    EXPECT_EQ(a->superview(), nullptr) << "old keys leave the row";
    EXPECT_EQ(next->frame().minX(), 26.5);
    EXPECT_EQ(bar->buttons()[2]->frame().minX(), 44);
    EXPECT_EQ(bar->scrollView()->contentSize().width, 54);

    // Placing a key again takes another 6 points off its height.
    bar->setButtons({wide});
    EXPECT_EQ(wide->frame().height(), 32);
}

TEST_F(MEKeyboardToolbarTest, animatedChangesFadeOldKeysAndSlideEveryKeyToItsPlace)
{
    auto a = keyOfWidth(34);
    auto b = keyOfWidth(34);
    auto c = keyOfWidth(34);
    auto bar = MEKeyboardToolbar::toolbarWithButtons({a, b, c});
    auto d = keyOfWidth(50);
    bar->setButtons({c, a, d}, true);
    EXPECT_EQ(bar->buttons().size(), 3u);
    EXPECT_EQ(d->superview(), bar->scrollView());
    // Places 8, 50 and 92; the new key starts just past the last one.
    EXPECT_EQ(d->frame().minX(), 150);
    EXPECT_EQ(c->frame().minX(), 92);

    loop.advanceVirtualClock(0.1);
    EXPECT_GT(b->alpha(), 0.0);
    EXPECT_LT(b->alpha(), 1.0);
    EXPECT_GT(c->frame().minX(), 8);
    EXPECT_LT(c->frame().minX(), 92);
    EXPECT_EQ(b->superview(), bar->scrollView()) << "the fading key stays until the end";

    loop.advanceVirtualClock(0.15);
    EXPECT_EQ(c->frame(), makeRect(8, 0, 34, 38));
    EXPECT_EQ(a->frame(), makeRect(50, 0, 34, 38));
    EXPECT_EQ(d->frame(), makeRect(92, 0, 50, 44));
    EXPECT_EQ(b->alpha(), 0.0);
    EXPECT_EQ(b->superview(), nullptr);
    EXPECT_EQ(bar->scrollView()->contentSize().width, 142);

    // The same keys in another order only move.
    bar->setButtons({d, c, a}, true);
    loop.advanceVirtualClock(0.25);
    EXPECT_EQ(d->frame().minX(), 8);
    for (const auto& key : {a, c, d})
        EXPECT_EQ(key->alpha(), 1.0);
}

TEST_F(MEKeyboardToolbarTest, keyFacesFollowTheirKind)
{
    auto plain = METoolbarButton::buttonWithTitle(u"#");
    EXPECT_EQ(plain->frame(), makeRect(0, 0, 34, 44));
    EXPECT_EQ(plain->currentTitle(), u"#");
    EXPECT_EQ(plain->layerStyle().cornerRadius, 6);
    EXPECT_EQ(plain->layerStyle().borderWidth, 1);
    EXPECT_EQ(plain->backgroundColor(), Color::colorWithWhite(1));

    auto image = METoolbarButton::buttonWithTitleAndImage(u"", "tabKey.png");
    EXPECT_FALSE(image->symbolName().empty()) << "an image key shows its image";
    EXPECT_TRUE(image->currentTitle().empty());

    auto menu = METoolbarButton::buttonWithTitleAndBackgroundImage(u"H1", "grayEmptyButton");
    EXPECT_TRUE(menu->image().empty()) << "a background image clears the face image";
    EXPECT_EQ(menu->currentTitle(), u"H1");

    int pressed = 0;
    plain->addEventHandler([&] { ++pressed; }, ControlEvent::TouchUpInside);
    plain->tap();
    EXPECT_EQ(pressed, 1);
}

} // namespace
} // namespace folio
