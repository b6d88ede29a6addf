#include "platform/docframework/DKWebViewController.h"
#include "platform/docframework/DKWebViewControllerDelegate.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"
#include "platform/web/FakeWebView.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class RecordingDelegate final : public DKWebViewControllerDelegate {
public:
    void webViewControllerDidClose(DKWebViewController& controller) override { closed.push_back(&controller); }
    std::vector<DKWebViewController*> closed;
};

Image::Pointer solidImage(int width, int height)
{
    auto image = Image::imageWithPixels(width, height,
                                        std::vector<std::uint8_t>(static_cast<std::size_t>(width * height * 4), 0xFF));
    EXPECT_TRUE(image.ok());
    return image ? *image : nullptr;
}

class DKWebViewControllerTest : public testing::Test {
protected:
    DKWebViewController::WebViewFactory factory()
    {
        return [this](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            ++m_made;
            auto page = std::make_unique<FakeWebView>(frame);
            m_page = page.get();
            return std::unique_ptr<WebView>(std::move(page));
        };
    }

    std::vector<std::u16string> rightTitles(DKWebViewController& controller)
    {
        std::vector<std::u16string> titles;
        for (const auto& item : controller.navigationItem()->rightBarButtonItems())
            titles.push_back(item->title());
        return titles;
    }

    FakeWebView* m_page = nullptr;
    int m_made = 0;
};

TEST_F(DKWebViewControllerTest, loadsTheHTMLIntoOnePageMadeOnFirstUse)
{
    auto controller = std::make_shared<DKWebViewController>(factory());
    EXPECT_EQ(controller->webView(), nullptr);
    controller->setTitle(u"Notes.md");
    ASSERT_TRUE(controller->loadHTMLString("<p>one</p>", "file:///docs/"));
    ASSERT_NE(m_page, nullptr);
    EXPECT_EQ(m_page->loadedHTML(), "<p>one</p>");
    EXPECT_EQ(m_page->loadedBaseURL(), "file:///docs/");
    EXPECT_EQ(m_page->frame(), DKWebViewController::kDefaultFrame);

    // Loading the view, and loading again, reuse the page.
    auto view = controller->view();
    EXPECT_EQ(view->frame(), DKWebViewController::kDefaultFrame);
    ASSERT_TRUE(controller->loadHTMLString("<p>two</p>", ""));
    EXPECT_EQ(m_made, 1);
    EXPECT_EQ(m_page->loadCount(), 2);
    EXPECT_EQ(controller->webView(), static_cast<WebView*>(m_page));
    EXPECT_EQ(controller->navigationItem()->title(), u"Notes.md");

    controller->transitionToSize({300, 400});
    EXPECT_EQ(m_page->frame().size, (Size{300, 400}));
}

TEST_F(DKWebViewControllerTest, aPageThatCannotBeMadeIsReportedNotHidden)
{
    auto controller = std::make_shared<DKWebViewController>([](const Rect&) -> Result<std::unique_ptr<WebView>> {
        return Error{"test", 7, "no display"};
    });
    Status loaded = controller->loadHTMLString("<p>x</p>", "");
    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.error().message, "no display");
    // The view still loads, empty, so the controller can be shown and closed.
    EXPECT_NE(controller->view(), nullptr);
    std::optional<Result<Image::Pointer>> snapshot;
    controller->snapshotImage([&](Result<Image::Pointer> image) { snapshot = std::move(image); });
    ASSERT_TRUE(snapshot.has_value());
    ASSERT_FALSE(*snapshot);
    EXPECT_EQ(snapshot->error().code, 7);
}

TEST_F(DKWebViewControllerTest, barButtonsFollowTheSwitchesAndDriveThePage)
{
    auto controller = std::make_shared<DKWebViewController>(factory());
    ASSERT_TRUE(controller->loadHTMLString("<p>x</p>", ""));
    EXPECT_EQ(rightTitles(*controller), (std::vector<std::u16string>{u"Print", u"Forward", u"Back"}));

    controller->navigationItem()->itemWithTitle(u"Back")->tap();
    controller->navigationItem()->itemWithTitle(u"Print")->tap();
    EXPECT_EQ(m_page->scriptsMatching("history\\.back\\(\\)").size(), 1u);
    EXPECT_EQ(m_page->scriptsMatching("window\\.print\\(\\)").size(), 1u);

    controller->setShowNavigationButtons(false);
    EXPECT_EQ(rightTitles(*controller), (std::vector<std::u16string>{u"Print"}));
    controller->setShowPrintMenu(false);
    EXPECT_TRUE(rightTitles(*controller).empty());
    ASSERT_EQ(controller->navigationItem()->leftBarButtonItems().size(), 1u);
    EXPECT_EQ(controller->navigationItem()->leftBarButtonItems()[0]->title(), u"Done");
}

TEST_F(DKWebViewControllerTest, closingTellsOnlyTheDelegate)
{
    auto controller = std::make_shared<DKWebViewController>(factory());
    // Without a delegate a close does nothing at all.
    controller->close();
    RecordingDelegate delegate;
    controller->setDelegate(&delegate);
    controller->navigationItem()->leftBarButtonItems()[0]->tap();
    ASSERT_EQ(delegate.closed.size(), 1u);
    EXPECT_EQ(delegate.closed[0], controller.get());
}

TEST_F(DKWebViewControllerTest, snapshotIsThePagesPicture)
{
    auto controller = std::make_shared<DKWebViewController>(factory());
    std::optional<Result<Image::Pointer>> before;
    controller->snapshotImage([&](Result<Image::Pointer> image) { before = std::move(image); });
    ASSERT_TRUE(before.has_value());
    EXPECT_FALSE(*before);

    controller->loadViewIfNeeded();
    Image::Pointer picture = solidImage(3, 2);
    m_page->setSnapshotResult(picture);
    std::optional<Result<Image::Pointer>> after;
    controller->snapshotImage([&](Result<Image::Pointer> image) { after = std::move(image); });
    ASSERT_TRUE(after.has_value());
    ASSERT_TRUE(*after);
    EXPECT_EQ(**after, picture);
    EXPECT_EQ(m_page->snapshotRequestCount(), 1u);
}

} // namespace
} // namespace folio
