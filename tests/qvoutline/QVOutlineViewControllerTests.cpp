#include "documents/DocumentSeeds.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyCommand.h"
#include "platform/web/FakeWebView.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextDialect.h"
#include "qvtext/QVViewModes.h"
#include "support/QVMenuCommandWalk.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/ReadyPoller.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// An outline whose first title would end the page's script and run another.
constexpr const char* kStoredOutline =
    "<div id=\"noteDate\">Mar 5, 2024</div><ul id=\"left-tree\"><li class=\"tree-branch branch-level-1\" "
    "data-id=\"1\" data-parent=\"0\" data-level=\"1\"><div class=\"contents\"><div class=\"branch-wrapper\">"
    "<div class=\"left-sidebar\"><div class=\"branch-title\" id=\"1\">It's </script><script>alert(1)</script>"
    "</div></div></div></div><span class=\"children-bus\"></span></li></ul>";

class QVOutlineViewControllerTest : public test::VirtualClockTest {
protected:
    QVOutlineViewControllerTest()
    {
        writeFile(path, std::string(DocumentSeeds::compressedPage(kStoredOutline)->stringView()));
        document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path).ok());
        editor = std::make_shared<QVOutlineViewController>(*document,
                                                           FakeWebView::factoryKeeping(page));
        editor->loadViewIfNeeded();
    }

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
        page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
        loop.advanceVirtualClock(1);
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

    testing_support::ScratchFolder folder{"qvoutline-controller"};
    std::string path = folder.path("Plan.qvoutline");
    std::shared_ptr<TextDocument> document;
    FakeWebView* page = nullptr;
    std::shared_ptr<QVOutlineViewController> editor;
};

// The outline's menus are the QV text editor's, less the rows it does not
// offer: every row it shows reaches a command the outline has.
TEST_F(QVOutlineViewControllerTest, everyMenuRowReachesACommandOfTheEditor)
{
    std::set<std::string> missing = test::commandsTheMenusMiss(editor->tools(), [this] { loop.advanceVirtualClock(2); });
    std::string names;
    for (const std::string& name : missing)
        names += name + " ";
    EXPECT_TRUE(missing.empty()) << "rows that do nothing: " << names;
}

// The outline shares the QV text editor's modes: in full screen its exit
// button floats over the page, and Escape leads out as the button does.
TEST_F(QVOutlineViewControllerTest, fullScreenFloatsTheExitButtonOverThePageAndEscapeLeavesIt)
{
    auto* container = dynamic_cast<BarContainerView*>(editor->view().get());
    ASSERT_NE(container, nullptr);
    const std::shared_ptr<Button>& exit = editor->viewModes().exitFullScreenMode();
    auto floats = [&] {
        for (const BarContainerView::Floating& floating : container->floatingViews()) {
            if (floating.view == exit)
                return true;
        }
        return false;
    };
    editor->viewModes().fullScreenDocumentMode();
    ASSERT_TRUE(editor->viewModes().isFullScreenDocumentMode());
    EXPECT_TRUE(floats());
    EXPECT_FALSE(exit->isHidden());
    bool pressed = false;
    for (const std::shared_ptr<KeyCommand>& command : editor->keyCommands()) {
        if (command->matches(kKeyInputEscape, KeyModifierNone))
            pressed = command->perform();
    }
    ASSERT_TRUE(pressed) << "the outline has no Escape key command";
    EXPECT_FALSE(editor->viewModes().isFullScreenDocumentMode());
    EXPECT_FALSE(floats());
}

TEST_F(QVOutlineViewControllerTest, becomesReadyHalfASecondAfterThePollerAndNeverFromThePagesOwnSignal)
{
    ASSERT_NE(page, nullptr);
    loop.runOnce();
    ASSERT_EQ(page->loadCount(), 1);
    page->finishLoad();
    page->finishLoad();
    EXPECT_EQ(page->scriptsMatching("_SSWebViewDOMLoadTimer").size(), 1u) << "the poller goes in once";

    page->sendPageMessage(QVTextDialect::kReadySignal);
    loop.advanceVirtualClock(2);
    EXPECT_FALSE(editor->isPageReady()) << "the page's own signal comes before its tree";

    page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    loop.advanceVirtualClock(0.4);
    EXPECT_FALSE(editor->isPageReady()) << "the ready step waits half a second";
    loop.advanceVirtualClock(0.2);
    ASSERT_TRUE(editor->isPageReady());
    // The body gets the outline's own font and a width inside the view.
    EXPECT_EQ(page->scriptsMatching("style\\.fontFamily = 'Arial';.*style\\.fontSize = '14pt';").size(), 1u);
    EXPECT_EQ(page->scriptsMatching("style\\.width = \\(window\\.innerWidth - 32\\) \\+ 'px';").size(), 1u);
    EXPECT_TRUE(page->scriptsMatching("dom\\.get\\('1'\\)\\.focus").empty()) << "only a new outline takes the caret";

    page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    loop.advanceVirtualClock(1);
    EXPECT_EQ(page->scriptsMatching("style\\.fontFamily").size(), 1u) << "the ready step runs once per page";
}

TEST_F(QVOutlineViewControllerTest, theOutlineReachesThePageAsScriptTextNotAsMarkup)
{
    loop.runOnce();
    const std::string& html = page->loadedHTML();
    EXPECT_EQ(html.find("</script><script>alert(1)"), std::string::npos) << "the stored text runs nothing";
    // The stored script is not the document's to bring into the page at all.
    EXPECT_EQ(html.find("alert(1)"), std::string::npos) << html.substr(0, 2000);
    EXPECT_NE(html.find("It\\'s \\u003C/div\\u003E"), std::string::npos) << html.substr(0, 2000);
    EXPECT_NE(html.find("jquery-ui.min.js'"), std::string::npos);
    EXPECT_NE(html.find("qvoutline.js'"), std::string::npos);
}

TEST_F(QVOutlineViewControllerTest, aSavedTextZoomOfOneHundredFiftyOrTwoHundredPercentIsDroppedOnOpening)
{
    EXPECT_EQ(QVOutlineViewController::withoutSavedTextZoom(
                  "margin-top: 2cm; -webkit-text-size-adjust: 150%; color: red; -webkit-text-size-adjust: 200%;"),
              "margin-top: 2cm;  color: red; ");
    EXPECT_EQ(QVOutlineViewController::withoutSavedTextZoom("-webkit-text-size-adjust: 175%;"),
              "-webkit-text-size-adjust: 175%;");

    answerRead("bodyStyle", "=visibility: hidden;display: none;-webkit-text-size-adjust: 150%;margin-top: 1cm;");
    becomeReady();
    std::vector<std::string> restore = page->scriptsMatching("setAttribute\\('style'");
    ASSERT_EQ(restore.size(), 1u);
    EXPECT_NE(restore[0].find("setAttribute('style', 'margin-top: 1cm;')"), std::string::npos) << restore[0];
}

TEST_F(QVOutlineViewControllerTest, aContentWithoutTheTreeFailsTheSaveAndKeepsTheFile)
{
    EditorMakers::registerMaker(EditorKind::QVOutline, [this](TextDocument&) { return editor; });
    ASSERT_EQ(document->makeQVOutlineViewController(), editor);
    EditorMakers::unregisterAll();
    becomeReady();
    const std::string before = readFile(path);
    answerRead("folioEditorContent", R"J({"bodyStyle": ""})J" "\n<p>\u00A0</p>");
    EXPECT_FALSE(save());
    EXPECT_EQ(readFile(path), before);

    page->clearRules();
    answerRead("folioEditorContent",
               R"J({"bodyStyle": ""})J" "\n<ul id=\"left-tree\"><li data-id=\"1\">Kept</li></ul>");
    ASSERT_TRUE(save());
    EXPECT_NE(readFile(path), before);
}

TEST_F(QVOutlineViewControllerTest, anAddedBranchsTextStaysTextWhateverQuotesItHolds)
{
    becomeReady();
    editor->addNewBranchWithContent("It's a 'plan'");
    EXPECT_EQ(page->lastScript(), "leftSortable.addNewBranchWithContent('It\\'s a \\'plan\\'');");
    // A new width moves the branches: their connectors are measured again.
    editor->transitionToSize(Size{600, 800});
    EXPECT_EQ(page->lastScript(), "$(leftSortable.options.treeSelector).calculateSiblingDistances();");
}

TEST_F(QVOutlineViewControllerTest, aNewOutlineTakesOnlyTopAndBottomMarginsAndPutsTheCaretInItsFirstBranch)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setBool("isNewBlankDocument", true);
    defaults.setDouble("QVdefaultPageMarginTop", 1.25);
    defaults.setDouble("QVdefaultPageMarginLeft", 1.5);
    defaults.setDouble("defaultLineSpacing", 2);
    document->setIsNewBlankDocument(true);
    becomeReady();
    EXPECT_EQ(page->scriptsMatching("style\\.marginTop='1\\.25cm';$").size(), 1u);
    EXPECT_EQ(page->scriptsMatching("style\\.marginBottom='0\\.00cm';$").size(), 1u);
    EXPECT_TRUE(page->scriptsMatching("marginLeft|marginRight|LineHeight|textIndent").empty())
        << "the branches keep their own indents and spacing";
    EXPECT_EQ(document->docTopMargin(), std::optional<std::string>("1.25"));
    EXPECT_EQ(page->scriptsMatching("^tinymce\\.activeEditor\\.dom\\.get\\('1'\\)\\.focus\\(\\);").size(), 1u);
    EXPECT_FALSE(document->isNewBlankDocument());
    for (const char* key :
         {"isNewBlankDocument", "QVdefaultPageMarginTop", "QVdefaultPageMarginLeft", "defaultLineSpacing"})
        defaults.removeObjectForKey(key);
}

} // namespace
} // namespace folio
