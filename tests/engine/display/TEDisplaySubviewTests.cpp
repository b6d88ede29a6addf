#include "engine/display/TELazyImageView.h"
#include "engine/display/TELinkButton.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace folio {
namespace {

std::vector<std::uint8_t> subviewPngOfSize(int width, int height)
{
    auto image = Image::imageWithPixels(width, height, std::vector<std::uint8_t>(width * height * 4, 200));
    return *(*image)->pngData();
}

class TELazyImageViewTests : public ::testing::Test {
protected:
    void SetUp() override { TELazyImageView::clearImageCache(); }
    void TearDown() override { TELazyImageView::clearImageCache(); }
};

struct SizeRecorder : TELazyImageViewDelegate {
    void lazyImageViewDidChangeImageSize(TELazyImageView&, Size size) override { sizes.push_back(size); }
    std::vector<Size> sizes;
};

TEST_F(TELazyImageViewTests, aDownloadedImageIsShownCachedAndAnnounced)
{
    auto parent = std::make_shared<View>(makeRect(0, 0, 100, 100));
    auto view = std::make_shared<TELazyImageView>();
    SizeRecorder recorder;
    view->setDelegate(&recorder);
    view->setURL("https://images.example/a.png");
    int finished = 0;
    ObserverToken token = NotificationCenter::defaultCenter().addObserver(
        TELazyImageViewDidFinishDownloadNotification, view.get(), [&](const Notification& notification) {
            ++finished;
            EXPECT_FALSE(notification.userInfo.contains("Error"));
        });
    view->didReceiveResponse("image/png", 0);
    std::vector<std::uint8_t> png = subviewPngOfSize(6, 4);
    view->didReceiveData(std::vector<std::uint8_t>(png.begin(), png.begin() + 10));
    view->didReceiveData(std::vector<std::uint8_t>(png.begin() + 10, png.end()));
    view->didFinishLoading();
    NotificationCenter::defaultCenter().removeObserver(token);
    ASSERT_TRUE(view->image());
    EXPECT_EQ(view->fullSize(), (Size{6, 4}));
    EXPECT_EQ(recorder.sizes, (std::vector<Size>{{6, 4}}));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(TELazyImageView::cachedImageForURL("https://images.example/a.png"), view->image());

    // Another view of the same URL shows the cached image on entering a superview.
    auto second = std::make_shared<TELazyImageView>();
    second->setURL("https://images.example/a.png");
    parent->addSubview(second);
    EXPECT_EQ(second->image(), view->image());
    EXPECT_FALSE(second->isLoading());
}

// A picture whose every pixel differs, so that its compressed rows arrive
// in step with the bytes of the file.
Image::Pointer noisePicture(int width, int height)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        state = state * 1103515245u + 12345u;
        pixels[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(state >> 16);
    }
    return *Image::imageWithPixels(width, height, std::move(pixels));
}

TEST_F(TELazyImageViewTests, aProgressiveDownloadShowsTheRowsSoFarAtTheFullSizeUntilTheWholePictureArrives)
{
    Image::Pointer source = noisePicture(16, 64);
    std::vector<std::uint8_t> png = *source->pngData();
    auto view = std::make_shared<TELazyImageView>();
    view->setURLRequest(URLRequest{"https://images.example/noise.png"});
    EXPECT_EQ(view->url(), "https://images.example/noise.png");
    view->setShouldShowProgressiveDownload(true);
    view->didReceiveResponse("image/png", static_cast<std::int64_t>(png.size()));
    std::size_t half = png.size() / 2;
    view->didReceiveData(std::vector<std::uint8_t>(png.begin(), png.begin() + std::ptrdiff_t(half)));
    EXPECT_EQ(view->fullSize(), (Size{16, 64}));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return view->image() != nullptr; }, 10));
    Image::Pointer partial = view->image();
    EXPECT_EQ(partial->pixelSize(), (Size{16, 64}));
    EXPECT_EQ(partial->pixelAt(5, 0), source->pixelAt(5, 0));
    EXPECT_EQ(partial->pixelAt(5, 63).a, 0) << "the last row has not arrived";

    // The preview that is still on its way when the rest arrives does not
    // replace the whole picture.
    view->didReceiveData(std::vector<std::uint8_t>(png.begin() + std::ptrdiff_t(half), png.end() - 1));
    view->didReceiveData(std::vector<std::uint8_t>(png.end() - 1, png.end()));
    view->didFinishLoading();
    bool turned = false;
    RunLoop::main().post([&] { turned = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return turned; }, 10));
    ASSERT_TRUE(view->image());
    EXPECT_EQ(view->image()->pixelAt(5, 63), source->pixelAt(5, 63));
    EXPECT_EQ(view->image()->rgbaPixels(), source->rgbaPixels());
}

TEST_F(TELazyImageViewTests, aTransferOnItsOwnThreadHasThePictureShownOnTheMainThread)
{
    struct ThreadRecorder : TELazyImageViewDelegate {
        void lazyImageViewDidChangeImageSize(TELazyImageView&, Size) override { onMain.push_back(isMainThread()); }
        std::vector<bool> onMain;
    } recorder;
    std::vector<std::uint8_t> png = subviewPngOfSize(6, 4);
    auto view = std::make_shared<TELazyImageView>();
    view->setDelegate(&recorder);
    std::atomic<bool> done = false;
    std::thread transfer([&] {
        view->didReceiveResponse("image/png", static_cast<std::int64_t>(png.size()));
        view->didReceiveData(png);
        view->didFinishLoading();
        done = true;
        // Wakes the main loop to see it.
        dispatchAsyncMain([] {});
    });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done.load(); }, 10));
    transfer.join();
    ASSERT_TRUE(view->image());
    EXPECT_EQ(recorder.onMain, std::vector<bool>{true});
}

TEST_F(TELazyImageViewTests, withoutProgressiveDownloadNothingShowsBeforeTheEnd)
{
    std::vector<std::uint8_t> png = *noisePicture(16, 64)->pngData();
    auto view = std::make_shared<TELazyImageView>();
    view->didReceiveResponse("image/png", static_cast<std::int64_t>(png.size()));
    view->didReceiveData(std::vector<std::uint8_t>(png.begin(), png.begin() + std::ptrdiff_t(png.size() / 2)));
    bool turned = false;
    RunLoop::main().post([&] { turned = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return turned; }, 10));
    EXPECT_EQ(view->image(), nullptr);
}

TEST_F(TELazyImageViewTests, aResponseThatIsNoImageCancelsAndNothingIsShownOrCached)
{
    auto view = std::make_shared<TELazyImageView>();
    view->setURL("https://images.example/page");
    view->didReceiveResponse("text/html", 100);
    EXPECT_FALSE(view->isLoading());
    view->didReceiveData(subviewPngOfSize(2, 2));
    view->didFinishLoading();
    EXPECT_EQ(view->image(), nullptr);
    EXPECT_EQ(TELazyImageView::cachedImageForURL("https://images.example/page"), nullptr);
}

TEST_F(TELazyImageViewTests, undecodableDataShowsNothingAndAFailureIsReported)
{
    auto view = std::make_shared<TELazyImageView>();
    view->setURL("https://images.example/broken.png");
    view->didReceiveResponse("image/png", 3);
    view->didReceiveData({1, 2, 3});
    view->didFinishLoading();
    EXPECT_EQ(view->image(), nullptr);
    EXPECT_EQ(TELazyImageView::cachedImageForURL("https://images.example/broken.png"), nullptr);

    bool sawError = false;
    ObserverToken token = NotificationCenter::defaultCenter().addObserver(
        TELazyImageViewDidFinishDownloadNotification, view.get(),
        [&](const Notification& notification) { sawError = notification.userInfo.contains("Error"); });
    view->didReceiveResponse("image/png", 3);
    view->didFailWithError(Error{"Network", 1, "offline"});
    NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_TRUE(sawError);
    EXPECT_FALSE(view->isLoading());
}

TEST(TELinkButtonTests, buttonsOfOneLinkHighlightTogetherAndOthersStayAsTheyAre)
{
    TELinkButton first(makeRect(0, 0, 40, 12)), second(makeRect(0, 14, 30, 12)), other(makeRect(0, 30, 30, 12));
    first.setGUID(u"link-1");
    second.setGUID(u"link-1");
    other.setGUID(u"link-2");
    first.setHighlighted(true);
    EXPECT_TRUE(second.isHighlighted());
    EXPECT_FALSE(other.isHighlighted());
    second.setHighlighted(false);
    EXPECT_FALSE(first.isHighlighted());
}

TEST(TELinkButtonTests, aSmallButtonGrowsToTheMinimumHitSizeAroundItsMiddle)
{
    TELinkButton button(makeRect(100, 50, 20, 10));
    button.setMinimumHitSize(Size{44, 44});
    EXPECT_EQ(button.frame(), makeRect(88, 33, 44, 44));
    EXPECT_EQ(button.contentEdgeInsets(), (EdgeInsets{17, 12, 17, 12}));
    // A button already large enough keeps its size and gets no insets.
    TELinkButton large(makeRect(0, 0, 60, 50));
    large.setMinimumHitSize(Size{44, 44});
    EXPECT_EQ(large.frame(), makeRect(0, 0, 60, 50));
    EXPECT_EQ(large.contentEdgeInsets(), EdgeInsets{});
}

} // namespace
} // namespace folio
