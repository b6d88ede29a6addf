#include "foundation/views/TEActionHandlers.h"
#include "foundation/views/TEActivityTitleView.h"
#include "foundation/system/TEApplicationLinks.h"
#include "foundation/views/TECustomColoredAccessory.h"
#include "foundation/graphics/TEImageToolkit.h"
#include "foundation/views/TEPieProgressIndicator.h"
#include "foundation/views/TESmartPagingScrollView.h"
#include "foundation/views/TEViewToolkit.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace folio {

namespace {

Image::Pointer draw(View& view)
{
    Result<Image::Pointer> image = TEViewToolkit::snapshotImage(view);
    EXPECT_TRUE(image);
    return image ? *image : nullptr;
}

class Pages final : public TESmartPagingScrollViewDatasource {
public:
    explicit Pages(std::size_t count) : m_count(count) {}
    std::size_t numberOfPagesInSmartPagingScrollView(TESmartPagingScrollView&) override { return m_count; }
    std::shared_ptr<View> smartPagingScrollViewViewForPageAtIndex(TESmartPagingScrollView&, std::size_t index) override
    {
        asked.push_back(index);
        return std::make_shared<View>();
    }
    void smartPagingScrollViewDidScrollToPageAtIndex(TESmartPagingScrollView&, std::size_t index) override
    {
        scrolledTo.push_back(index);
    }
    std::vector<std::size_t> asked;
    std::vector<std::size_t> scrolledTo;

private:
    std::size_t m_count;
};

} // namespace

TEST(TEPieProgressIndicator, DrawsARingAndAWedgeFromTheTopAboveATenth)
{
    auto pie = TEPieProgressIndicator::pieProgressIndicator();
    pie->setColor(Color::colorWithRed(1, 0, 0));
    pie->setProgressPercent(0.05f);
    Image::Pointer ring = draw(*pie);
    ASSERT_TRUE(ring);
    // The ring passes through the top centre; the middle stays empty.
    EXPECT_GT(ring->pixelAt(17, 3).a, 200);
    EXPECT_EQ(ring->pixelAt(17, 17).a, 0);

    pie->setProgressPercent(0.5f);
    Image::Pointer half = draw(*pie);
    ASSERT_TRUE(half);
    // Half a disc from the top clockwise: the right half is filled, the left is not.
    EXPECT_GT(half->pixelAt(24, 17).a, 200);
    EXPECT_EQ(half->pixelAt(24, 17).r, 255);
    EXPECT_EQ(half->pixelAt(10, 17).a, 0);
}

TEST(TESmartPagingScrollView, LoadsOnlyTheVisiblePagesAndFollowsDrags)
{
    auto pages = std::make_shared<Pages>(5);
    auto paging = std::make_shared<TESmartPagingScrollView>(Rect{{0, 0}, {300, 200}});
    TESmartPagingScrollView& view = *paging;
    std::vector<std::size_t> observed;
    view.setCurrentPageIndexObserver([&](std::size_t page) { observed.push_back(page); });
    view.setPageDatasource(pages);
    view.layoutIfNeeded();
    EXPECT_EQ(view.contentSize().width, 1500);
    EXPECT_EQ(pages->asked, (std::vector<std::size_t>{0}));
    ASSERT_TRUE(view.viewWithTag(TESmartPagingScrollView::kPageTagBase));
    EXPECT_EQ(view.viewWithTag(TESmartPagingScrollView::kPageTagBase)->frame(), (Rect{{10, 0}, {280, 200}}));

    view.dragTo({600, 0});
    EXPECT_EQ(view.currentPageIndex(), 2u);
    EXPECT_EQ(observed, (std::vector<std::size_t>{2}));
    EXPECT_EQ(pages->scrolledTo, (std::vector<std::size_t>{2}));
    EXPECT_TRUE(view.viewWithTag(TESmartPagingScrollView::kPageTagBase + 2));
    EXPECT_FALSE(view.viewWithTag(TESmartPagingScrollView::kPageTagBase));
}

TEST(TESmartPagingScrollView, NoPagesLaysOutNothing)
{
    auto pages = std::make_shared<Pages>(0);
    TESmartPagingScrollView view({{0, 0}, {300, 200}});
    view.setPageDatasource(pages);
    view.layoutIfNeeded();
    EXPECT_TRUE(pages->asked.empty());
    EXPECT_TRUE(view.subviews().empty());
    EXPECT_EQ(view.contentSize().width, 0);
}

TEST(TEActivityTitleView, SizesToTheTitleAndTheIndicator)
{
    TEActivityTitleView view;
    view.setTitle(u"Saving");
    EXPECT_GT(view.bounds().width(), TEActivityTitleView::kIndicatorSize + TEActivityTitleView::kSpacing);
    EXPECT_GE(view.bounds().height(), TEActivityTitleView::kIndicatorSize);
    double width = view.bounds().width();
    view.setTitle(u"Saving a much longer title");
    EXPECT_GT(view.bounds().width(), width);
    view.setBusy(true);
    EXPECT_TRUE(view.isBusy());
    view.setBusy(false);
    EXPECT_FALSE(view.isBusy());
    EXPECT_TRUE(view.activityIndicator()->isHidden());
}

TEST(TENetworkActivity, TheIndicatorShowsWhileOperationsRunAndACountNeverGoesBelowZero)
{
    test::VirtualClockScope clock;
    TENetworkActivity::popActiveNetworkOperation();
    EXPECT_EQ(TENetworkActivity::activeNetworkOperationCount(), 0);
    TENetworkActivity::pushActiveNetworkOperation();
    TENetworkActivity::pushActiveNetworkOperation();
    while (RunLoop::main().runOnce()) {
    }
    EXPECT_TRUE(TENetworkActivity::isNetworkActivityIndicatorVisible());
    TENetworkActivity::popActiveNetworkOperation();
    while (RunLoop::main().runOnce()) {
    }
    EXPECT_TRUE(TENetworkActivity::isNetworkActivityIndicatorVisible());
    TENetworkActivity::popActiveNetworkOperation();
    while (RunLoop::main().runOnce()) {
    }
    EXPECT_FALSE(TENetworkActivity::isNetworkActivityIndicatorVisible());
    EXPECT_EQ(TEApplicationLinks::appStoreURLforApplicationIdentifier("org.example.Folio"),
              "https://flathub.org/apps/org.example.Folio");
}

TEST(TEActionHandlers, ASecondCallbackReplacesTheFirstOnOneRecognizer)
{
    View view({{0, 0}, {50, 50}});
    int first = 0, second = 0;
    setTapActionWithBlock(view, [&] { ++first; });
    setTapActionWithBlock(view, [&] { ++second; });
    ASSERT_EQ(view.gestureRecognizers().size(), 1u);
    auto* tap = dynamic_cast<TapGestureRecognizer*>(view.gestureRecognizers()[0].get());
    ASSERT_TRUE(tap);
    tap->tap({5, 5});
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    setLongPressActionWithBlock(view, [] {});
    EXPECT_EQ(view.gestureRecognizers().size(), 2u);
}

TEST(TEImageToolkit, MakesTintsTilesAndPlacesImages)
{
    EXPECT_FALSE(TEImageToolkit::imageWithSolidColor(Color::colorWithWhite(0), {0, 0}));
    Result<Image::Pointer> red = TEImageToolkit::imageWithSolidColor(Color::colorWithRed(1, 0, 0), {40, 20});
    ASSERT_TRUE(red);
    EXPECT_EQ((*red)->pixelWidth(), 40);

    Result<Image::Pointer> tinted = TEImageToolkit::imageMaskedAndTintedWithColor(**red, Color::colorWithRed(0, 0, 1));
    ASSERT_TRUE(tinted);
    EXPECT_EQ((*tinted)->pixelAt(3, 3), (Rgba8{0, 0, 255, 255}));

    Result<Image::Pointer> tile = TEImageToolkit::tileImageAtColumn(**red, 1, 4, 0, 2);
    ASSERT_TRUE(tile);
    EXPECT_EQ((*tile)->pixelWidth(), 10);
    EXPECT_EQ((*tile)->pixelHeight(), 10);
    EXPECT_FALSE(TEImageToolkit::tileImageAtColumn(**red, 4, 4, 0, 2));

    Rect area{{0, 0}, {100, 100}};
    EXPECT_EQ(TEImageToolkit::rectForContentMode({40, 20}, area, ContentMode::ScaleAspectFit), (Rect{{0, 25}, {100, 50}}));
    EXPECT_EQ(TEImageToolkit::rectForContentMode({40, 20}, area, ContentMode::ScaleAspectFill), (Rect{{-50, 0}, {200, 100}}));
    EXPECT_EQ(TEImageToolkit::rectForContentMode({40, 20}, area, ContentMode::BottomRight), (Rect{{60, 80}, {40, 20}}));
    EXPECT_EQ(TEImageToolkit::rectForContentMode({40, 20}, area, ContentMode::Top), (Rect{{30, 0}, {40, 20}}));
    EXPECT_FALSE(TEImageToolkit::imageWithContentsOfURL("file:///nonexistent.png"));
}

TEST(TEViewToolkit, SnapshotsDrawSubviewsBordersAndCustomDrawing)
{
    auto root = std::make_shared<View>(Rect{{0, 0}, {40, 40}});
    root->setBackgroundColor(Color::colorWithWhite(1));
    TEViewToolkit::setRoundedCorners(*root, 0, 2, Color::colorWithRed(0, 1, 0));
    auto accessory = TECustomColoredAccessory::accessoryWithColor(Color::colorWithRed(0, 0, 1));
    accessory->setFrame({{20, 20}, {15, 15}});
    root->addSubview(accessory);
    Image::Pointer image = draw(*root);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelAt(0, 20), (Rgba8{0, 255, 0, 255}));
    EXPECT_EQ(image->pixelAt(10, 10), (Rgba8{255, 255, 255, 255}));
    // The chevron's tip lies right of the accessory's middle.
    bool blue = false;
    for (int x = 28; x < 34; ++x)
        blue = blue || (image->pixelAt(x, 27).b > 200 && image->pixelAt(x, 27).r < 100);
    EXPECT_TRUE(blue);
}

} // namespace folio
