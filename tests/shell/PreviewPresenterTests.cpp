#include "shell/AppController.h"
#include "shell/DocumentPreviews.h"
#include "documents/EditorMakers.h"
#include "testing/FakeEditorController.h"
#include "formats/markdown/MarkdownConverter.h"
#include "documents/TextDocument.h"
#include "platform/docframework/DKDocumentPreview.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/UIThemes.h"
#include "platform/ui/Window.h"
#include "platform/web/FakeWebView.h"
#include "support/VirtualClock.h"

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using namespace testing_support;

class PresenterMarkingConverter final : public MarkdownConverter {
public:
    std::u16string html(const std::u16string& markdown) override { return u"<md>" + markdown + u"</md>"; }
    std::u16string plainText(const std::u16string& markdown) override { return markdown; }
};

// A container derived from the navigation controller, which keeps its own
// say over what it shows.
class CustomNavigationController final : public NavigationController {};

Image::Pointer solidImage(int width, int height)
{
    auto image = Image::imageWithPixels(width, height,
                                        std::vector<std::uint8_t>(static_cast<std::size_t>(width * height * 4), 0xFF));
    EXPECT_TRUE(image.ok());
    return image ? *image : nullptr;
}

std::string pasteboardText()
{
    auto data = Pasteboard::general().dataForPasteboardType(kPasteboardTypeUTF8PlainText);
    return data ? std::string(data->begin(), data->end()) : std::string("<none>");
}

class AppControllerPreviewTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        MarkdownConverter::setShared(std::make_shared<PresenterMarkingConverter>());
        EditorMakers::registerMaker(EditorKind::QVText,
                                    [](TextDocument& document) { return std::make_shared<FakeEditorController>(&document); });
        m_controller.setUserDefaults(&m_defaults);
        m_controller.previews().setPreviewWebViewFactory([this](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            auto page = std::make_unique<FakeWebView>(frame);
            m_pages.push_back(page.get());
            return std::unique_ptr<WebView>(std::move(page));
        });
        NDHTMLtoPDFEnvironment environment;
        environment.fontRules = [] { return std::string(); };
        environment.webViewFactory = [](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            return std::unique_ptr<WebView>(std::make_unique<FakeWebView>(frame));
        };
        m_controller.exports().setPDFEnvironment(std::move(environment));
        // Previews of closing documents are laid out on pages that never load.
        m_controller.exports().setPNGWebViewFactory([](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            return std::unique_ptr<WebView>(std::make_unique<FakeWebView>(frame));
        });
        m_window.setRootViewController(m_root);
        m_controller.setCurrentWindow(&m_window);
        ProgressHUD::dismiss();
    }
    void TearDown() override
    {
        if (m_controller.document()) {
            bool closed = false;
            m_controller.closeDocument([&](Status) { closed = true; });
            EXPECT_TRUE(loop.runUntil([&] { return closed; }, 30));
        }
        EditorMakers::unregisterAll();
        MarkdownConverter::setShared(nullptr);
        UIThemes::setDarkTheme(false);
        ProgressHUD::dismiss();
    }

    std::string write(const std::string& name, std::string_view bytes)
    {
        writeFile(m_folder.path(name), bytes);
        return m_folder.path(name);
    }

    FakeEditorController* openEditor()
    {
        std::string path = m_folder.path("open.qvtext");
        EXPECT_TRUE(m_controller.createNewDocument(DocumentKind::QVText, path));
        std::optional<Status> opened;
        m_controller.openDocumentAtURL(path, [&](Status status) { opened = status; });
        EXPECT_TRUE(loop.runUntil([&] { return opened.has_value(); }, 30));
        auto document = m_controller.currentDocument();
        return document ? dynamic_cast<FakeEditorController*>(document->currentTextViewController().get()) : nullptr;
    }

    // The web page the root presents, if it presents one.
    std::shared_ptr<DKWebViewController> presentedPage(ViewController& presenter)
    {
        auto navigation = std::dynamic_pointer_cast<NavigationController>(presenter.presentedViewController());
        if (!navigation)
            return nullptr;
        return std::dynamic_pointer_cast<DKWebViewController>(navigation->topViewController());
    }

    ScratchFolder m_folder{"app-controller-previews"};
    UserDefaults m_defaults{m_folder.path("prefs.plist")};
    AppController m_controller;
    Window m_window{makeRect(0, 0, 1024, 768)};
    std::shared_ptr<ViewController> m_root = std::make_shared<ViewController>();
    std::vector<FakeWebView*> m_pages;
};

TEST_F(AppControllerPreviewTest, HTMLPreviewShowsTheFilesPageOnTheNextTurn)
{
    std::string path = write("Notes.md", "# Title");
    ProgressHUD::show();
    m_controller.previews().previewHTMLFileItem(path);
    EXPECT_EQ(m_root->presentedViewController(), nullptr);
    loop.advanceVirtualClock(0);

    auto page = presentedPage(*m_root);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page, m_controller.previews().previewWebViewController());
    EXPECT_EQ(page->title(), u"Notes.md");
    EXPECT_EQ(page->delegate(), static_cast<DKWebViewControllerDelegate*>(&m_controller.previews()));
    EXPECT_FALSE(page->showsNavigationButtons());
    EXPECT_FALSE(page->showsPrintMenu());
    EXPECT_TRUE(page->isViewLoaded());
    ASSERT_EQ(m_pages.size(), 1u);
    const std::string& html = m_pages[0]->loadedHTML();
    EXPECT_NE(html.find("<md># Title</md>"), std::string::npos);
    EXPECT_NE(html.find("<div id='content'"), std::string::npos);
    EXPECT_EQ(m_pages[0]->loadedBaseURL(), URL::fileURLWithPath(AppFolders::documentsFolder(), true).absoluteString());
    EXPECT_EQ(page->navigationController()->overrideUserInterfaceStyle(), UserInterfaceStyle::Light);
    EXPECT_FALSE(ProgressHUD::isVisible());
}

// A link followed in a preview goes by its scheme: web and mail addresses
// to the desktop as they are, anything else nowhere, said with a message.
TEST_F(AppControllerPreviewTest, linksFollowedInAPreviewGoByTheirScheme)
{
    std::vector<std::string> opened;
    m_controller.previews().setURLOpener([&](const std::string& url) { opened.push_back(url); });
    ASSERT_TRUE(m_controller.previews().previewMarkdownInWebView(std::string("<p><a href=\"mailto:a@b.test\">x</a></p>"),
                                                                 u"Links"));
    ASSERT_FALSE(m_pages.empty());
    for (const char* url : {"mailto:ann@example.test", "https://example.test/a", "javascript:alert(1)",
                            "file:///etc/passwd", "evil://x"})
        EXPECT_FALSE(m_pages.back()->simulateNavigation(url, NavigationType::LinkClicked)) << url;
    EXPECT_EQ(opened, (std::vector<std::string>{"mailto:ann@example.test", "https://example.test/a"}));
    EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Error);
    EXPECT_NE(toUtf8(ProgressHUD::shared().status()).find("evil:"), std::string::npos);
    ProgressHUD::dismiss();
}

TEST_F(AppControllerPreviewTest, PreviewFollowsTheDarkTheme)
{
    UIThemes::setDarkTheme(true);
    ASSERT_TRUE(m_controller.previews().previewMarkdownInWebView(std::string("<p>x</p>"), u"Dark"));
    auto page = presentedPage(*m_root);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->navigationController()->overrideUserInterfaceStyle(), UserInterfaceStyle::Dark);
}

TEST_F(AppControllerPreviewTest, PreviewWithoutHTMLShowsNothingAndKeepsTheOverlay)
{
    ProgressHUD::show();
    Status shown = m_controller.previews().previewMarkdownInWebView(std::nullopt, u"None");
    ASSERT_FALSE(shown);
    EXPECT_EQ(shown.error().code, PreviewPresenter::NothingToShow);
    EXPECT_EQ(m_root->presentedViewController(), nullptr);
    EXPECT_TRUE(m_pages.empty());
    EXPECT_TRUE(ProgressHUD::isVisible());
}

TEST_F(AppControllerPreviewTest, UnreadableOrUnshowablePreviewsTakeTheOverlayAway)
{
    ProgressHUD::show();
    EXPECT_FALSE(m_controller.previews().HTMLFilePreviewPreparationTask(m_folder.path("missing.md")));
    EXPECT_FALSE(ProgressHUD::isVisible());
    EXPECT_EQ(m_root->presentedViewController(), nullptr);

    // With nothing to present from, the preview fails instead of vanishing.
    m_controller.setCurrentWindow(nullptr);
    ProgressHUD::show();
    EXPECT_FALSE(m_controller.previews().previewMarkdownInWebView(std::string("<p>x</p>"), u"x"));
    EXPECT_FALSE(ProgressHUD::isVisible());
    EXPECT_EQ(m_controller.previews().previewWebViewController(), nullptr);
}

TEST_F(AppControllerPreviewTest, PreviewIsPresentedOverTheOpenEditor)
{
    FakeEditorController* editor = openEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(m_controller.previews().previewMarkdownInWebView(std::string("<p>x</p>"), u"Open"));
    EXPECT_NE(presentedPage(*editor), nullptr);
    EXPECT_EQ(m_root->presentedViewController(), nullptr);
}

TEST_F(AppControllerPreviewTest, ClosingThePreviewStoresItsPictureForTheFile)
{
    std::string path = write("Notes.md", "# Title");
    ASSERT_TRUE(m_controller.previews().HTMLFilePreviewPreparationTask(path));
    auto page = presentedPage(*m_root);
    ASSERT_NE(page, nullptr);
    m_pages[0]->setSnapshotResult(solidImage(6, 4));

    // The user taps the page's close button.
    page->navigationItem()->leftBarButtonItems().at(0)->tap();
    EXPECT_EQ(m_root->presentedViewController(), nullptr);
    EXPECT_EQ(m_controller.previews().previewWebViewController(), nullptr);
    EXPECT_EQ(m_pages[0]->snapshotRequestCount(), 1u);
    loop.advanceVirtualClock(1);
    auto edit = ODSFileItem(path, nullptr).fileEdit();
    ASSERT_TRUE(edit);
    EXPECT_TRUE(std::filesystem::exists(DKDocumentPreview::previewPathForFileEdit(*edit)));
}

TEST_F(AppControllerPreviewTest, OtherPreviewsPictureTheLastOpenedFileAndFailedPicturesStoreNothing)
{
    std::string opened = write("Opened.md", "text");
    m_controller.setLastOpenedFileItem(std::make_shared<ODSFileItem>(opened, nullptr));
    ASSERT_TRUE(m_controller.previews().previewMarkdownInWebView(std::string("<p>x</p>"), u"First"));
    m_pages[0]->setSnapshotResult(solidImage(2, 2));
    m_controller.previews().webViewControllerDidClose(*m_controller.previews().previewWebViewController());
    loop.advanceVirtualClock(1);
    auto edit = ODSFileItem(opened, nullptr).fileEdit();
    ASSERT_TRUE(edit);
    std::string stored = DKDocumentPreview::previewPathForFileEdit(*edit);
    EXPECT_TRUE(std::filesystem::exists(stored));

    std::filesystem::remove(stored);
    ASSERT_TRUE(m_controller.previews().previewMarkdownInWebView(std::string("<p>y</p>"), u"Second"));
    // The fake page answers snapshots with an error unless told otherwise.
    std::weak_ptr<DKWebViewController> second = m_controller.previews().previewWebViewController();
    m_controller.previews().webViewControllerDidClose(*m_controller.previews().previewWebViewController());
    loop.advanceVirtualClock(1);
    // Once its picture is dealt with, nothing keeps the closed page.
    EXPECT_TRUE(second.expired());
    EXPECT_FALSE(std::filesystem::exists(stored));
    EXPECT_EQ(m_root->presentedViewController(), nullptr);
}

TEST_F(AppControllerPreviewTest, PDFPreviewConvertsIntoTheTemporaryFolderOnTheNextTurn)
{
    std::string path = write("Notes.md", "# Title");
    m_controller.previews().previewFinalFileItem(path);
    EXPECT_EQ(m_controller.exports().PDFCreator(), nullptr);
    loop.advanceVirtualClock(0);
    ASSERT_NE(m_controller.exports().PDFCreator(), nullptr);
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFaction(), PDFAction::Preview);
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFpath(),
              (std::filesystem::path(AppFolders::temporaryFolder()) / "Notes.md.pdf").string());

    ProgressHUD::show();
    EXPECT_FALSE(m_controller.previews().PDFFilePreviewPreparationTask(m_folder.path("missing.md")));
    EXPECT_FALSE(ProgressHUD::isVisible());
}

TEST_F(AppControllerPreviewTest, theHeaderAndFooterPreviewConvertsWhatTheOpenEditorHolds)
{
    int completions = 0;
    m_controller.previewHeaderFooter([&] { ++completions; });
    EXPECT_EQ(completions, 1) << "without an open document there is nothing to wait for";
    EXPECT_EQ(m_controller.exports().PDFCreator(), nullptr);

    FakeEditorController* editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EditorContent content;
    content.bodyHTML = "<p>Body text</p>";
    content.header = "Helvetica::12::left::black::0.5::YES::Previewed header";
    editor->setContent(content);
    completions = 0;
    m_controller.previewHeaderFooter([&] { ++completions; });
    ASSERT_NE(m_controller.exports().PDFCreator(), nullptr);
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFaction(), PDFAction::Preview);
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFpath(),
              (std::filesystem::path(AppFolders::temporaryFolder()) / "open.qvtext.pdf").string());
    EXPECT_GE(editor->contentRequestCount(), 1) << "the editor's content, not the saved file";
    EXPECT_EQ(completions, 0) << "the overlay stays while the preview is being made";
    EXPECT_EQ(m_controller.exports().runningPDFExportCount(), 1u);
}

TEST_F(AppControllerPreviewTest, PostedPreviewsOfAGoneControllerDoNothing)
{
    std::string path = write("Notes.md", "# Title");
    {
        AppController gone;
        gone.setCurrentWindow(&m_window);
        gone.previews().setPreviewWebViewFactory([](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            return std::unique_ptr<WebView>(std::make_unique<FakeWebView>(frame));
        });
        gone.previews().previewHTMLFileItem(path);
    }
    loop.advanceVirtualClock(0);
    EXPECT_EQ(m_root->presentedViewController(), nullptr);
}

TEST_F(AppControllerPreviewTest, TopViewControllerFollowsPresentations)
{
    EXPECT_EQ(AppController::topViewController(m_root), m_root);
    EXPECT_EQ(m_controller.topViewController(), m_root);

    auto first = std::make_shared<ViewController>();
    auto last = std::make_shared<ViewController>();
    auto navigation = NavigationController::withRootViewController(first);
    navigation->pushViewController(last, false);
    ASSERT_TRUE(m_root->presentViewController(navigation, false));
    EXPECT_EQ(AppController::topViewController(m_root), last);

    // Above the navigation controller's last child comes what it presents.
    auto alert = std::make_shared<ViewController>();
    ASSERT_TRUE(last->presentViewController(alert, false));
    EXPECT_EQ(m_controller.topViewController(), alert);
    alert->dismissViewControllerAnimated(false);

    // A derived container is answered itself, not its child.
    navigation->dismissViewControllerAnimated(false);
    auto custom = std::make_shared<CustomNavigationController>();
    custom->setViewControllers({std::make_shared<ViewController>()}, false);
    ASSERT_TRUE(m_root->presentViewController(custom, false));
    EXPECT_EQ(AppController::topViewController(m_root), custom);

    m_controller.setCurrentWindow(nullptr);
    if (!Window::keyWindow()) {
        EXPECT_EQ(m_controller.topViewController(), nullptr);
    }
}

TEST_F(AppControllerPreviewTest, CopiedPageTextLosesItsPlaceholders)
{
    FakeEditorController* editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EditorContent content;
    content.bodyHTML = toUtf8(u"<p>\uFEFFx</p>");
    content.plainText = u"a\uFEFFb\uFEFF c";
    editor->setContent(content);
    ASSERT_TRUE(m_controller.copyPlainTextToPasteboard());
    EXPECT_EQ(editor->lastRequestedParts(), EditorContent::Parts::WithPlainText);
    EXPECT_EQ(pasteboardText(), "ab c");
    auto alert = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"Plain Text/Markdown");
    alert->dismissViewControllerAnimated(false);

    ASSERT_TRUE(m_controller.copyHTMLToPasteboard());
    EXPECT_EQ(editor->lastRequestedParts(), EditorContent::Parts::Document) << "HTML needs no plain text";
    EXPECT_EQ(pasteboardText(), "<p>x</p>");
    alert = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"Copy");
}

TEST_F(AppControllerPreviewTest, APreviewPageThatNeverLoadsDoesNotKeepTheDocumentOpen)
{
    FakeEditorController* editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EditorContent content;
    content.bodyHTML = "<p>x</p>";
    editor->setContent(content);
    bool closed = false;
    m_controller.closeDocument([&](Status) { closed = true; });
    EXPECT_TRUE(loop.runUntil([&] { return closed; }, DocumentPreviews::kPreviewTimeoutSeconds + 1));
    EXPECT_EQ(m_controller.document(), nullptr);
    EXPECT_EQ(editor->contentRequestCount(), 1) << "the preview asked the editor for its content";
}

TEST_F(AppControllerPreviewTest, CopyWithoutAnOpenPageIsRefusedAndUnwiredCommandsChangeNothing)
{
    Pasteboard::general().setData({'k', 'e', 'p', 't'}, kPasteboardTypeUTF8PlainText);
    Status copied = m_controller.copyPlainTextToPasteboard();
    ASSERT_FALSE(copied);
    EXPECT_EQ(copied.error().code, AppController::NoOpenPage);
    EXPECT_FALSE(m_controller.copyHTMLToPasteboard());

    m_controller.previews().previewMarkdown();
    m_controller.copyHTMLMarkdownToPasteboard();
    loop.advanceVirtualClock(0);
    EXPECT_EQ(pasteboardText(), "kept");
    EXPECT_EQ(m_root->presentedViewController(), nullptr);
}

} // namespace
} // namespace folio
