#include "qvoutline/QVOutlineBarLayout.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextBarLayout.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using Groups = QVOutlineBarLayout::Groups;

QVOutlineBarLayout::Input tablet(double width, double height, bool landscape, Size screen = {1024, 1366})
{
    QVOutlineBarLayout::Input input;
    input.viewSize = Size{width, height};
    input.screenSize = landscape ? Size{screen.height, screen.width} : screen;
    input.landscape = landscape;
    return input;
}

TEST(QVOutlineBarLayoutTest, aPhoneHasFourTrailingGroupsWithoutTheTextStyle)
{
    QVOutlineBarLayout::Input phone;
    phone.isPhone = true;
    for (Size view : {Size{390, 844}, Size{844, 390}}) {
        phone.viewSize = view;
        phone.landscape = view.width > view.height;
        EXPECT_EQ(QVOutlineBarLayout::groupsFor(phone), (Groups{true, "CUR", "WITS"}));
    }
}

TEST(QVOutlineBarLayoutTest, aNarrowTabletWindowKeepsUndoBesideTheAssistantAndRedoBehind)
{
    // Portrait, at most half the short side: close, assistant, undo | redo ...
    EXPECT_EQ(QVOutlineBarLayout::groupsFor(tablet(512, 1366, false)), (Groups{true, "CWU", "RYITS"}));
    EXPECT_EQ(QVOutlineBarLayout::groupsFor(tablet(320, 1366, false)), (Groups{true, "CWU", "RYITS"}));
    // Just over half the short side is the QV text editor's layout.
    EXPECT_EQ(QVOutlineBarLayout::groupsFor(tablet(513, 1366, false)), std::nullopt);
}

TEST(QVOutlineBarLayoutTest, aTallLandscapeTabletWindowOfHalfTheLongSideOrMorePutsTheAssistantSecond)
{
    EXPECT_EQ(QVOutlineBarLayout::groupsFor(tablet(683, 1024, true)), (Groups{true, "CWUR", "YITS"}));
    // The title shows again from 768 points on.
    EXPECT_EQ(QVOutlineBarLayout::groupsFor(tablet(800, 1024, true)), (Groups{false, "CWUR", "YITS"}));
    // Under half the long side, and a window wider than tall, are the QV text editor's.
    EXPECT_EQ(QVOutlineBarLayout::groupsFor(tablet(682, 1024, true)), std::nullopt);
    EXPECT_EQ(QVOutlineBarLayout::groupsFor(tablet(1366, 1024, true)), std::nullopt);
    // A full-screen portrait tablet too.
    EXPECT_EQ(QVOutlineBarLayout::groupsFor(tablet(1024, 1366, false)), std::nullopt);
}

// The outline's editor hands its own layout, group names and assistant
// source to the QV text editor's tools, and takes the QV text layout where
// it has none of its own.
TEST(QVOutlineBarLayoutTest, theOutlinesToolsTakeItsOwnLayoutWhereItHasOne)
{
    QVTextTools::Dialect outline = QVOutlineViewController::outlineToolsDialect();
    EXPECT_EQ(outline.groupPrefix, "QVOutline");
    EXPECT_NE(outline.assistantSourceType, QVTextTools::Dialect{}.assistantSourceType);
    ASSERT_TRUE(outline.layout);

    BarLayout::Input phone;
    phone.isPhone = true;
    phone.viewSize = Size{390, 844};
    phone.screenBounds = Rect{{0, 0}, {390, 844}};
    EXPECT_EQ(outline.layout(phone).trailing, "WITS");
    EXPECT_EQ(QVTextBarLayout::layoutFor(phone).trailing, "YWITS");

    BarLayout::Input wide;
    wide.viewSize = Size{1366, 1024};
    wide.screenBounds = Rect{{0, 0}, {1366, 1024}};
    EXPECT_EQ(outline.layout(wide), QVTextBarLayout::layoutFor(wide));
}

} // namespace
} // namespace folio
