#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/ui/TextField.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVTextDialect.h"
#include "qvtext/QVTextPageSetup.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/ReadyPoller.h"
#include "webeditor/WebPageViewer.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

constexpr const char* kStoredPage =
    "<p>Kept &lt;/textarea&gt; text</p>"
    "<span id=\"bodyStyle\" style=\"visibility: hidden;display: none;\"></span>"
    "<div id=\"bodyStyle\" style=\"visibility: hidden;display: none;margin-top: 2cm; font-family: 'A B';\"></div>";

class QVTextViewControllerTest : public test::VirtualClockTest {
protected:
    QVTextViewControllerTest()
    {
        Result<Data> stored = DocumentSeeds::compressedPage(kStoredPage);
        writeFile(path, std::string(stored->stringView()));
        document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path).ok());
        editor = std::make_shared<QVTextViewController>(
            *document,
            FakeWebView::factoryKeeping(page),
            [this](const std::string& url) { opened.push_back(url); });
        editor->loadViewIfNeeded();
    }

    // The page answers a read matching the pattern as soon as it is asked.
    void answerRead(const std::string& pattern, std::string answer)
    {
        page->answerMatching(pattern, [this, answer](const std::string&) {
            loop.post([this] { page->releaseAll(); });
            return answer;
        });
    }

    void becomeReady()
    {
        loop.runOnce();
        page->finishLoad();
        page->sendPageMessage(QVTextDialect::kReadySignal);
        ASSERT_TRUE(editor->isPageReady());
    }

    bool save()
    {
        std::optional<bool> saved;
        document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                            [&](bool success) { saved = success; });
        EXPECT_TRUE(loop.runUntil([&] { return saved.has_value(); }, 30));
        return saved.value_or(false);
    }

    testing_support::ScratchFolder folder{"qvtext-controller"};
    std::string path = folder.path("Notes.qvtext");
    std::shared_ptr<TextDocument> document;
    FakeWebView* page = nullptr;
    std::shared_ptr<QVTextViewController> editor;
    std::vector<std::string> opened;
};

TEST_F(QVTextViewControllerTest, loadsOnTheNextTurnAndBecomesReadyOnlyWhenTinyMCESaysSo)
{
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->loadCount(), 0);
    loop.runOnce();
    ASSERT_EQ(page->loadCount(), 1);
    // The text area holds the stored page escaped, so its value is exactly
    // the stored text.
    EXPECT_NE(page->loadedHTML().find("<textarea id='mytextarea'>&lt;p&gt;Kept &amp;lt;/textarea&amp;gt; text"),
              std::string::npos);
    EXPECT_NE(page->loadedHTML().find("tinymce/tinymce.min.js'"), std::string::npos);
    EXPECT_EQ(page->loadedBaseURL().rfind("file://", 0), 0u);

    page->finishLoad();
    EXPECT_EQ(page->scriptsMatching("_SSWebViewDOMLoadTimer").size(), 1u) << "the poller goes in once";
    page->finishLoad();
    EXPECT_EQ(page->scriptsMatching("_SSWebViewDOMLoadTimer").size(), 1u);
    page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    loop.advanceVirtualClock(1);
    EXPECT_FALSE(editor->isPageReady()) << "the document's ready state comes before TinyMCE is up";
    // Gated messages wait for the ready step.
    page->sendPageMessage("rte://scrollEvent");
    page->sendPageMessage("rte://endScrollEvent#350_2400");
    EXPECT_FALSE(editor->isEditorScrollingView());
    EXPECT_EQ(editor->editorScrollOffset(), 0);
    Result<EditorContent> early = editor->content();
    ASSERT_FALSE(early.ok());
    EXPECT_EQ(early.error().code, EditorController::PageNotReady);
    EXPECT_TRUE(page->scriptsMatching("folioEditorContent").empty()) << "a page not ready is not asked";

    // The ready step restores the last stored style, whole, and takes every
    // stored element out of the page.
    answerRead("bodyStyle", "=visibility: hidden;display: none;margin-top: 2cm; font-family: \"A B\";");
    answerRead("style.backgroundColor;", "rgb(255, 255, 255)");
    page->sendPageMessage("rte://DOMLoaded");
    ASSERT_TRUE(editor->isPageReady());
    std::vector<std::string> restore = page->scriptsMatching("setAttribute\\('style'");
    ASSERT_EQ(restore.size(), 1u);
    EXPECT_NE(restore[0].find("setAttribute('style', 'margin-top: 2cm; font-family: \\\"A B\\\";')"), std::string::npos)
        << restore[0];
    EXPECT_NE(restore[0].find("editor.dom.remove(editor.dom.select('[id=\"' + 'bodyStyle' + '\"]'))"),
              std::string::npos);
    EXPECT_EQ(page->scriptsMatching("insertAdjacentHTML").size(), 0u) << "no placeholder span is added";
    EXPECT_EQ(page->scriptsMatching("backgroundColor = 'rgb\\(255, 255, 255\\)'").size(), 1u);
    page->sendPageMessage("rte://DOMLoaded");
    EXPECT_EQ(page->scriptsMatching("setAttribute\\('style'").size(), 1u) << "the ready step runs once per page";
}

TEST_F(QVTextViewControllerTest, messagesAreDispatchedByTokenAndMarkTheDocument)
{
    becomeReady();
    EXPECT_TRUE(page->scriptsMatching("dom\\.remove").empty())
        << "a page that did not tell its stored style keeps the stored element";
    page->sendPageMessage("rte://scrollEvent");
    EXPECT_TRUE(editor->isEditorScrollingView());
    page->sendPageMessage("rte://endScrollEvent#350_2400");
    EXPECT_FALSE(editor->isEditorScrollingView());
    EXPECT_EQ(editor->editorScrollOffset(), 350);
    EXPECT_EQ(editor->editorScrollHeight(), 2400);
    page->sendPageMessage("rte://endScrollEvent#12_x");
    page->sendPageMessage("rte://endScrollEvent#12");
    EXPECT_EQ(editor->editorScrollOffset(), 350) << "a malformed offset changes nothing";
    // A press of the pointer is the page's tap: it ends a scroll that no
    // touch will end, and says where it was.
    page->sendPageMessage("rte://scrollEvent");
    page->sendPageMessage("rte://tapEvent#120_48");
    EXPECT_FALSE(editor->isEditorScrollingView());
    EXPECT_EQ(editor->touchPointEditor().x, 120);
    EXPECT_EQ(editor->touchPointEditor().y, 48);
    page->sendPageMessage("rte://tapEvent#oops");
    EXPECT_EQ(editor->touchPointEditor().x, 120) << "a malformed point is not taken";

    // A touched link opens in the in-app browser, a web address without a scheme as http.
    std::vector<std::string> browsed;
    editor->setBrowsingPageFactory([](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        return std::unique_ptr<WebView>(std::make_unique<FakeWebView>(frame));
    });
    auto shownAddress = [&] {
        const auto& viewer = editor->webPageViewer();
        return viewer && viewer->webViewController() && viewer->webViewController()->addressField()
            ? toUtf8(viewer->webViewController()->addressField()->text())
            : std::string();
    };
    page->sendPageMessage("rte://linkTouchedEvent#example.test%2Fa");
    browsed.push_back(shownAddress());
    page->sendPageMessage("rte://linkTouchedEvent#https%3A%2F%2Fexample.test%2Fb");
    browsed.push_back(shownAddress());
    EXPECT_EQ(browsed, (std::vector<std::string>{"http://example.test/a", "https://example.test/b"}));
    EXPECT_TRUE(opened.empty()) << "nothing goes to the desktop's browser";

    // A key in the background marks nothing; a cut does.
    editor->dirtyState().setInForeground(false);
    page->sendPageMessage("rte://onkeydownEvent");
    EXPECT_TRUE(editor->isEditing());
    EXPECT_FALSE(document->hasUnsavedChanges());
    page->sendPageMessage("rte://dirtyEvent");
    EXPECT_FALSE(document->hasUnsavedChanges());
    page->sendPageMessage("rte://cutEvent");
    EXPECT_TRUE(document->hasUnsavedChanges());
    EXPECT_FALSE(editor->dirtyState().isInForeground());
    document->updateChangeCount(DKDocument::ChangeKind::Cleared);
    editor->dirtyState().setInForeground(true);

    page->sendPageMessage("rte://insertTabEvent");
    EXPECT_EQ(page->lastScript(), "tinymce.activeEditor.getDoc().execCommand('insertText', false, '\\t');");
    EXPECT_TRUE(document->hasUnsavedChanges());

    // Undo and redo go through TinyMCE's own history.
    editor->undoAction();
    EXPECT_EQ(page->lastScript(), "tinymce.activeEditor.execCommand('undo');");
    answerRead("hasRedo", "true");
    EXPECT_TRUE(editor->canRedo());

    // Once closing, nothing of the page reaches the editor.
    editor->documentDidClose();
    page->sendPageMessage("rte://endScrollEvent#1_2");
    EXPECT_EQ(editor->editorScrollOffset(), 350);
    EXPECT_FALSE(page->simulateNavigation("rte://dirtyEvent", NavigationType::Other));
}

TEST_F(QVTextViewControllerTest, aSaveWritesTheContentWithOneFreshStyleElement)
{
    EditorMakers::registerMaker(EditorKind::QVText, [this](TextDocument&) { return editor; });
    ASSERT_EQ(document->makeQVTextViewController(), editor);
    EditorMakers::unregisterAll();

    // Before the page is ready a save fails and the file stays as it was.
    const std::string before = readFile(path);
    loop.runOnce();
    EXPECT_FALSE(save());
    EXPECT_EQ(readFile(path), before);

    becomeReady();
    // A page that does not answer, or answers nonsense, keeps the file too.
    answerRead("folioEditorContent", "");
    EXPECT_FALSE(save());
    answerRead("folioEditorContent", R"J({"bodyStyle": 5})J" "\n<p>x</p>");
    EXPECT_FALSE(save());
    EXPECT_EQ(readFile(path), before);

    page->clearScripts();
    answerRead("folioEditorContent",
               R"J({"bodyStyle": "margin-top: 2cm; background-color: white; font-family: \"Times New Roman\";"})J"
               "\n<p>Edited \"text\"</p><span id=\"bodyStyle\" style=\"visibility: hidden;display: none;\"></span>");
    ASSERT_TRUE(save());
    EXPECT_EQ(page->scriptsMatching("folioEditorContent").size(), 1u) << "one page call for the whole save";
    Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVText);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(toUtf8(*stored), "<p>Edited \"text\"</p><div id=\"bodyStyle\" style=\"visibility: hidden;display: none;"
                               "margin-top: 2cm; background-color: white; font-family: &quot;Times New Roman&quot;;\">"
                               "</div>");
    EXPECT_EQ(toUtf8(document->text()), toUtf8(*stored)) << "a crashed page reloads what was saved";

    // Saving the same page again writes the same bytes.
    std::string first = readFile(path);
    ASSERT_TRUE(save());
    EXPECT_EQ(readFile(path), first);

    page->clearRules();
    page->terminateWebProcess("crashed");
    EXPECT_EQ(page->loadCount(), 2);
    EXPECT_NE(page->loadedHTML().find("&lt;p&gt;Edited &quot;text&quot;&lt;/p&gt;&lt;div id=&quot;bodyStyle&quot;"),
              std::string::npos);
    EXPECT_FALSE(editor->isPageReady());
}

TEST_F(QVTextViewControllerTest, theScrollPositionIsKeptFromOneOpeningToTheNext)
{
    const std::string key = QVTextViewController::lastPositionKey(path);
    EXPECT_EQ(key, path + "_lastposition") << "a document outside the documents folder is known by its whole path";
    EXPECT_EQ(QVTextViewController::lastPositionKey(AppFolders::documentsFolder() + "/Work/../Work/A.qvtext"),
              "Work/A.qvtext_lastposition");
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setInteger(key, 420);
    becomeReady();
    EXPECT_EQ(page->scriptsMatching("folioPageScrollTo\\(420\\);").size(), 1u);

    answerRead("folioPageScrollOffset", "77.5");
    editor->documentDidClose();
    EXPECT_EQ(defaults.integerForKey(key), std::optional<std::int64_t>(77));
    defaults.removeObjectForKey(key);
}

TEST_F(QVTextViewControllerTest, aNewBlankDocumentTakesTheDefaultStyleAndMargins)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    // The document's own flag alone makes it blank; the store has none.
    defaults.removeObjectForKey("isNewBlankDocument");
    defaults.setString("defaultFont", "Georgia");
    defaults.setDouble("defaultFontSize", 15.6);
    defaults.setString("defaultPaperColor", "ivory');alert('x");
    defaults.setDouble("QVdefaultPageMarginLeft", 1.5);
    document->setIsNewBlankDocument(true);
    becomeReady();
    EXPECT_NE(page->loadedHTML().find("fontSize: 15, fontFamily: 'Georgia'"), std::string::npos);
    // The style, paper and margins the page then shows:
    // QVTextFormattingWebTest.aNewBlankDocumentShowsTheStoredDefaultStyleAndMargins.
    // Unset margins are the standard ones, as the document records them.
    EXPECT_EQ(document->docTopMargin(), std::optional<std::string>("2.54"));
    EXPECT_FALSE(document->isNewBlankDocument());
    EXPECT_EQ(defaults.boolForKey("isNewBlankDocument"), std::nullopt) << "the store is not written";
    for (const char* key : {"isNewBlankDocument", "defaultFont", "defaultFontSize", "defaultPaperColor",
                            "QVdefaultPageMarginLeft"})
        defaults.removeObjectForKey(key);
}

TEST_F(QVTextViewControllerTest, aStoredBlankFlagMakesNoOpenedDocumentBlank)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setBool("isNewBlankDocument", true);
    defaults.setString("defaultFont", "Georgia");
    defaults.setDouble("QVdefaultPageMarginTop", 1.5);
    document->setIsNewBlankDocument(false);
    becomeReady();
    EXPECT_EQ(page->loadedHTML().find("fontFamily: 'Georgia'"), std::string::npos);
    EXPECT_EQ(document->docTopMargin(), std::nullopt);
    EXPECT_EQ(defaults.boolForKey("isNewBlankDocument"), std::optional<bool>(true)) << "the store is not written";
    for (const char* key : {"isNewBlankDocument", "defaultFont", "QVdefaultPageMarginTop"})
        defaults.removeObjectForKey(key);
}

} // namespace
} // namespace folio
