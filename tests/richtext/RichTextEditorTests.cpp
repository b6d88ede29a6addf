#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "engine/css/ColorHTML.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/ApplicationState.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/web/FakeWebView.h"
#include "richtext/FontStateMonitor.h"
#include "richtext/RichTextPageSetup.h"
#include "platform/ui/UserResizableView.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextImageEditor.h"
#include "webeditor/EditorInspectors.h"
#include "richtext/RichTextPageControl.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextToolCommands.h"
#include "richtext/RichTextTools.h"
#include "richtext/RichTextPageTemplate.h"
#include "richtext/TextViewController.h"
#include "support/SnapshotTakingApp.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/ReadyPoller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace folio {
namespace {

using Template = RichTextPageTemplate;
using Setup = RichTextPageSetup;

// The blanks between the template's pieces carry no meaning.
std::string withoutBlanksBetweenTags(const std::string& html)
{
    return std::regex_replace(std::regex_replace(html, std::regex(">\\s+"), ">"), std::regex("\\s+<"), "<");
}

TEST(RichTextPageTemplateTest, defaultPageIsTheTemplateFilledInOrderWithoutDoctype)
{
    Template::Settings settings;
    Template::Page page;
    page.style = Template::styleFor(settings);
    page.paperColor = Template::paperColorFor(settings, page.style, std::nullopt);
    page.fontRules = "@font-face     {font-family:'A B';src:url('myFont://ab.ttf');}\n";
    page.helperScriptURL = "file:///r/helpers.js";
    page.header = "<div id='pageHeader'>H</div>";
    page.footer = "<div id='pageFooter'>F</div>";
    page.html = "<p>Body &amp; <b>text</b></p>";
    const std::string expected =
        "<html><head><meta name='viewport'  content='user-scalable=no,initial-scale=1,  maximum-scale=1, "
        "minimum-scale=1' /><meta charset='UTF-8'><style type='text/css'>"
        "@font-face     {font-family:'A B';src:url('myFont://ab.ttf');}\n"
        "* {outline: 0px solid transparent;}    p { margin: 0;}    img { padding: 20px;}    .marquent-pagebreak "
        "{border-color: #000;height: 3px;border-style: dotted none;page-break-after:always;border-width: 1px}"
        "</style><script type='text/javascript' src='file:///r/helpers.js'></script></head>"
        "<body onLoad = 'initXEditor()' style='background-color:White;height:0px;border:0px solid rgba(1, 255, 255, "
        "0.0);caret-color: #007AFF;'><div id='pageHeader'>H</div><div id='pageFooter'>F</div>"
        "<div id='content' contenteditable=true style='height:0px; border:1px solid rgba(255, 0, 0, 0.0); "
        "font-family: Helvetica;font-size: 18px; color: Black; overflow-y: scroll; -webkit-overflow-scrolling: "
        "touch;margin-bottom:12'><div id='paragraph'  style='font-family: Helvetica;font-size: 18px; color: Black;"
        "word-wrap: break-word;overflow-wrap: break-word;'><p>Body &amp; <b>text</b></p></div></div></body></html>";
    EXPECT_EQ(withoutBlanksBetweenTags(*Template::build(page)), withoutBlanksBetweenTags(expected));

    page.html = {};
    EXPECT_NE(Template::build(page)->find("overflow-wrap: break-word;'></div></div>"), std::string::npos);

    // A document that hyphenates its text has the text hyphenated on the page.
    page.hyphenated = true;
    EXPECT_NE(Template::build(page)->find("margin-bottom:12;-webkit-hyphens:auto;hyphens:auto'><div id='paragraph'"),
              std::string::npos);
    page.hyphenated = false;

    // The window's layout comes in a style sheet of its own, before the page's script.
    page.styleSheetURL = "file:///r/page.css";
    std::string linked = *Template::build(page);
    size_t sheet = linked.find("</style><link rel='stylesheet' type='text/css' href='file:///r/page.css'>");
    EXPECT_NE(sheet, std::string::npos);
    EXPECT_LT(sheet, linked.find("<script"));
}

TEST(RichTextPageTemplateTest, styleAndPaperFollowBlankDocumentNightModeAndDocumentColour)
{
    Template::Settings settings;
    settings.defaultFont = "Georgia";
    settings.defaultFontSize = 14.7;
    settings.defaultFontColor = "Navy";
    Template::Style style = Template::styleFor(settings);
    EXPECT_EQ(style.fontFamily, "Helvetica") << "the default style is for new blank documents only";
    EXPECT_EQ(style.fontSize, 12);
    EXPECT_EQ(style.fontColor, "Black");

    settings.isNewBlankDocument = true;
    style = Template::styleFor(settings);
    EXPECT_EQ(style.fontFamily, "Georgia");
    EXPECT_EQ(style.fontSize, 14);
    EXPECT_EQ(style.fontColor, "Navy");
    EXPECT_EQ(style.paperColor, "White");
    Template::Page page;
    page.style = style;
    EXPECT_NE(Template::build(page)->find("font-family: Georgia;font-size: 20px; color: Navy;"), std::string::npos);

    EXPECT_EQ(Template::paperColorFor(settings, style, std::string("FFFF00")), "yellow");
    EXPECT_EQ(Template::paperColorFor(settings, style, std::string("not a colour")), "White");
    settings.nightMode = true;
    EXPECT_EQ(Template::paperColorFor(settings, style, std::string("FFFF00")), "#f5efdc");
}

TEST(RichTextPageTemplateTest, headerAndFooterAreEscapedAndFallBackWhenMalformed)
{
    EXPECT_EQ(*Template::headerElement(std::nullopt),
              "<div id='pageHeader' style='visibility:hidden;height:1.0;overflow: hidden; font-family:Helvetica;"
              "font-size:12;text-align:right; color:black;' data-topMargin='0.5' data-enabled='NO'>Header Author: "
              "Mara Quillet [date] - Page [pagenumber] of [totalpages]</div>");
    EXPECT_EQ(*Template::footerElement(std::string("Times::14::center::red::0.5::YES")), *Template::footerElement(std::nullopt))
        << "six fields";
    EXPECT_EQ(*Template::footerElement(std::string("Times::14::center::red::1.2::YES::Page [pagenumber]")),
              "<div id='pageFooter' style='visibility:hidden;height:1.0;overflow: hidden; font-family:Times;"
              "font-size:14;text-align:center; color:red;' data-bottomMargin='1.2' data-enabled='YES'>Page "
              "[pagenumber]</div>");
    std::string hostile = *Template::headerElement(
        std::string("x' onmouseover='alert(1)::12::left::black::0.5::YES::<script>a()</script> & b::c"));
    EXPECT_EQ(hostile.find("<script"), std::string::npos);
    EXPECT_EQ(hostile.find("x' on"), std::string::npos);
    EXPECT_NE(hostile.find("&lt;script&gt;a()&lt;/script&gt; &amp; b::c</div>"), std::string::npos);
}

TEST(RichTextPageSetupTest, readyScriptsFollowTheSettings)
{
    Setup::Settings plain;
    EXPECT_EQ(Setup::readyScripts(plain, 700),
              (std::vector<std::string>{"document.execCommand('styleWithCSS', false, true);",
                                        "setRichTextPageHeight(678, 700);",
                                        "setRichTextLineSpacing(1.00);",
                                        "stripRTFfromObjects();", "updateFootnoteIndex();",
                                        "showHeldBlocksInBatches();"}));

    Setup::Settings blank;
    blank.isNewBlankDocument = true;
    blank.hasDefaultFont = true;
    blank.darknightMode = true;
    blank.smartQuotesEnabled = true;
    blank.defaultLineSpacing = 1.5;
    blank.defaultFirstLineIndent = 1.25;
    blank.defaultParagraphSpacingBefore = 6;
    blank.marquentParagraphSpacing = 4;
    std::vector<std::string> scripts = Setup::readyScripts(blank, 700);
    ASSERT_EQ(scripts.size(), 12u);
    EXPECT_EQ(scripts[0].rfind("addcss('html,img,object {-webkit-filter: invert(1)", 0), 0u);
    EXPECT_EQ(scripts[3], "setRichTextLineSpacing(1.50);");
    EXPECT_EQ(scripts[4], "setRichTextFirstLineIndent(1.25);");
    EXPECT_EQ(scripts[5], "setRichTextParagraphSpacingBefore(6.00);");
    EXPECT_EQ(scripts[6], "setRichTextParagraphSpacingAfter(4.00);");
    EXPECT_EQ(scripts[8], "document.getElementById('content').focus();");
    EXPECT_EQ(scripts[10], "smartQuotesEnabled = true;");
    // The held-back part of a long page comes out after everything else.
    EXPECT_EQ(scripts[11], "showHeldBlocksInBatches();");
    EXPECT_EQ(Setup::consumedSettings(blank), std::vector<std::string>{"marquentParagraphSpacing"});

    // Spacing defaults belong to new blank documents only.
    blank.isNewBlankDocument = false;
    EXPECT_EQ(Setup::readyScripts(blank, 700).size(), 8u);
    EXPECT_TRUE(Setup::consumedSettings(blank).empty());
}

class TextViewControllerTest : public test::VirtualClockTest {
protected:
    TextViewControllerTest()
    {
        document->setText(u"<p>Kept <b>text</b></p>");
        editor = std::make_shared<TextViewController>(
            *document,
            FakeWebView::factoryKeeping(page),
            [this](const std::string& url) { opened.push_back(url); });
        editor->loadViewIfNeeded();
    }

    // The page answers the editor's next waiting read.
    void answerNextRead() { loop.post([this] { page->releaseAll(); }); }

    // The editor loads its page on a later turn of the loop. One turn is not
    // enough: the loop may serve other sources first (the web processes an
    // earlier test started), and a page finished before it was loaded is
    // loaded again, which undoes its readiness.
    void waitForTheLoad(FakeWebView*& view)
    {
        ASSERT_TRUE(loop.runUntil([&view] { return view && view->loadCount() > 0; }, 10));
    }
    void waitForTheLoad() { waitForTheLoad(page); }

    void becomeReady()
    {
        waitForTheLoad();
        page->finishLoad();
        page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
        loop.advanceVirtualClock(0.01);
        ASSERT_TRUE(editor->isPageReady());
    }

    testing_support::ScratchFolder folder{"text-view-controller"};
    std::shared_ptr<TextDocument> document = std::make_shared<TextDocument>(folder.path("Letter.rtf"));
    FakeWebView* page = nullptr;
    std::shared_ptr<TextViewController> editor;
    std::vector<std::string> opened;
};

TEST_F(TextViewControllerTest, loadsTheKeptTextOnTheNextTurnAndGivesNoPageToSaveUntilReady)
{
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->loadCount(), 0);
    waitForTheLoad();
    ASSERT_EQ(page->loadCount(), 1);
    EXPECT_NE(page->loadedHTML().find("<p>Kept <b>text</b></p></div></div></body></html>"), std::string::npos);
    EXPECT_EQ(page->loadedBaseURL().rfind("file://", 0), 0u);
    EXPECT_EQ(page->loadedBaseURL().back(), '/');
    Result<EditorContent> early = editor->content();
    ASSERT_FALSE(early.ok());
    EXPECT_EQ(early.error().code, EditorController::PageNotReady);
    EXPECT_TRUE(page->scriptsMatching("folioEditorContent").empty()) << "a page not ready is not asked";

    page->finishLoad();
    page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    loop.advanceVirtualClock(0.01);
    ASSERT_TRUE(editor->isPageReady());
    EXPECT_FALSE(page->scriptsMatching("styleWithCSS").empty());
    EXPECT_FALSE(page->scriptsMatching("updateFootnoteIndex").empty());
    EXPECT_EQ(toUtf8(document->text()), "<p>Kept <b>text</b></p>") << "the text stays until a page read succeeds";
}

TEST_F(TextViewControllerTest, awayTheEditorKeepsItsPlaceStopsPollingAndCountsNoChangeAndComesBackThere)
{
    becomeReady();
    const std::string key = TextViewController::lastPositionKey(document->fileURL());
    UserDefaults::standardUserDefaults().removeObjectForKey(key);
    ASSERT_TRUE(editor->styling().monitor().isRunning());
    page->answer("document.getElementById('content').scrollTop", "1234");
    answerNextRead();
    NotificationCenter::defaultCenter().postNotification(kApplicationDidEnterBackgroundNotification);
    EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey(key), 1234);
    EXPECT_FALSE(editor->styling().monitor().isRunning());
    EXPECT_FALSE(page->scriptsMatching("saveCaretSelection").empty());
    page->sendPageMessage("rte://dirtyEvent");
    EXPECT_FALSE(document->hasUnsavedChanges()) << "nothing counts in the background";

    NotificationCenter::defaultCenter().postNotification(kApplicationWillEnterForegroundNotification);
    EXPECT_TRUE(editor->styling().monitor().isRunning());
    std::vector<std::string> scrolls = page->scriptsMatching("scrollTop = 1234");
    ASSERT_FALSE(scrolls.empty());
    EXPECT_EQ(scrolls.back(), "document.getElementById('content').scrollTop = 1234;");
    page->sendPageMessage("rte://dirtyEvent");
    EXPECT_TRUE(document->hasUnsavedChanges());
    UserDefaults::standardUserDefaults().removeObjectForKey(key);
}

TEST_F(TextViewControllerTest, theToolsMenusReachTheCaretThePageControlAndTheKeyRowByName)
{
    becomeReady();
    // "Select Line" and "Go to End" of the cursor menu.
    editor->tools().magicCursorOptionSelected(2);
    editor->tools().magicCursorOptionSelected(7);
    ASSERT_GE(page->editingCommands().size(), 2u);
    EXPECT_EQ(page->editingCommands()[page->editingCommands().size() - 2].command, "SelectLine");
    EXPECT_EQ(page->editingCommands().back().command, "MoveToEndOfDocument");

    // "Go to Page" opens the dialog.
    editor->tools().magicCursorOptionSelected(9);
    EXPECT_TRUE(editor->pageControl().isDisplayingAlert());

    // The footer inspector takes the key row's bars away.
    ASSERT_TRUE(editor->editingTools().keyBar().systemAKRow());
    EXPECT_FALSE(editor->editingTools().keyBar().systemAKRow()->subviews().empty());
    editor->tools().inspectors().showFooterInspector({});
    EXPECT_TRUE(editor->editingTools().keyBar().systemAKRow()->subviews().empty());

    // The preview's overlay goes once the preview is up (or there is none to show).
    editor->tools().inspectors().showHeaderFooterPreview();
    EXPECT_FALSE(ProgressHUD::isVisible()) << "the overlay stayed up for ever";
}


TEST_F(TextViewControllerTest, takeSnapshotAsksTheApplicationForAPictureOfTheFileAndAFailureSaysSo)
{
    becomeReady();
    {
        SnapshotTakingApp app{"/pictures/Letter.png"};
        editor->tools().commands().toolsOptionSelected(0);
        EXPECT_EQ(app.asked, (std::vector<std::string>{document->fileURL()}));
        EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Success);

        app.outcome = Error{"test", 1, "The picture could not be written"};
        editor->tools().commands().toolsOptionSelected(0);
        EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Error);
        EXPECT_EQ(ProgressHUD::shared().status(), u"The picture could not be written");
    }
    // With no application to take it, the overlay does not wait for ever.
    editor->tools().commands().toolsOptionSelected(0);
    EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Error);
    ProgressHUD::dismiss();
}

TEST_F(TextViewControllerTest, aPictureTapEditsThePictureUnlessThePageIsScrolling)
{
    becomeReady();
    loop.scheduleTimer(0.001, true, [this] { page->releaseAll(); });
    const std::string element = "var elem = document.getElementById('marquent_555');";
    page->answer(element + "elem.src;", "file:///pictures/Letter/image-1.png");
    page->answer(element + "elem.width", "100");
    page->answer(element + "elem.height", "50");

    page->sendPageMessage("rte://startScrollEvent");
    page->sendPageMessage("rte://imageTouchedEvent");
    loop.advanceVirtualClock(1);
    EXPECT_FALSE(editor->imageEditor().isEditingImage()) << "a touch while scrolling";
    EXPECT_TRUE(page->scriptsMatching("elem.src").empty());

    page->sendPageMessage("rte://endScrollEvent#0_2000");
    page->sendPageMessage("rte://imageTouchedEvent");
    loop.advanceVirtualClock(RichTextImageEditor::kTapDelaySeconds / 2);
    EXPECT_FALSE(editor->imageEditor().isEditingImage()) << "the edit starts a moment after the tap";
    loop.advanceVirtualClock(RichTextImageEditor::kTapDelaySeconds);
    ASSERT_TRUE(editor->imageEditor().isEditingImage());
    EXPECT_EQ(editor->imageEditor().currentlyEditingView()->superview(), editor->pageView()) << "the frame stands on the page";
    EXPECT_TRUE(editor->canPerformAction("deleteImage:", nullptr));
    EXPECT_FALSE(editor->canPerformAction("copy:", nullptr));

    page->sendPageMessage("rte://noImageTouchedEvent");
    EXPECT_FALSE(editor->imageEditor().isEditingImage());
    EXPECT_FALSE(page->scriptsMatching("element.id = 'marquent_444'").empty());
}

// A touched link keeps its own scheme: mail addresses go to the desktop as
// they are, web addresses (a target without a scheme as one) to the
// program's own browser, and nothing else (a script, a local file, another
// program's scheme) leaves.
TEST_F(TextViewControllerTest, touchedLinksKeepTheirSchemeAndOnlyWebAndMailLeave)
{
    becomeReady();
    for (const char* target : {"mailto:ann@example.test", "javascript:alert(1)", "file:///etc/passwd", "evil://x",
                               "java%09script:alert(2)"})
        page->sendPageMessage(std::string("rte://linkTouchedEvent#") + target);
    EXPECT_EQ(opened, (std::vector<std::string>{"mailto:ann@example.test"}));
    EXPECT_FALSE(editor->webPageViewer()) << "a refused link reached the browser";
    for (const char* target : {" HTTPS://example.test/d ", "example.test:8080/e"})
        page->sendPageMessage(std::string("rte://linkTouchedEvent#") + target);
    EXPECT_EQ(opened.size(), 1u) << "a web link went to the desktop";
    EXPECT_TRUE(editor->webPageViewer()) << "a web link did not reach the program's browser";
}

TEST_F(TextViewControllerTest, navigationsAndMessages)
{
    // While the page is built from the document, nothing in it is the
    // user's tap on a link.
    waitForTheLoad();
    page->finishLoad();
    EXPECT_FALSE(page->simulateNavigation("https://example.test/early", NavigationType::LinkClicked));
    page->sendPageMessage("rte://linkTouchedEvent#example.test%2Fearly");
    EXPECT_TRUE(opened.empty());

    becomeReady();
    // Links the user follows leave the page, web addresses for the program's
    // own browser; a local file does not.
    EXPECT_FALSE(page->simulateNavigation("file:///usr/bin/xterm", NavigationType::LinkClicked));
    EXPECT_FALSE(page->simulateNavigation("https://example.test/b", NavigationType::Other));
    EXPECT_FALSE(editor->webPageViewer());
    EXPECT_FALSE(page->simulateNavigation("https://example.test/a", NavigationType::LinkClicked));
    page->sendPageMessage("rte://linkTouchedEvent#example.test%2Fc");
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(editor->webPageViewer());

    // A key marks the document once; the page's change events always.
    EXPECT_FALSE(document->hasUnsavedChanges());
    page->sendPageMessage("rte://onkeydownEvent");
    EXPECT_TRUE(editor->isEditing());
    EXPECT_TRUE(document->hasUnsavedChanges());
    document->updateChangeCount(DKDocument::ChangeKind::Cleared);
    editor->dirtyState().setInForeground(false);
    page->sendPageMessage("rte://dirtyEvent");
    EXPECT_FALSE(document->hasUnsavedChanges()) << "nothing counts in the background";
    editor->dirtyState().setInForeground(true);
    page->sendPageMessage("rte://dirtyEvent");
    EXPECT_TRUE(document->hasUnsavedChanges());

    // Cut copies the selection and deletes it; the page's input event marks it.
    page->answer("window.getSelection().toString()", "chosen words");
    answerNextRead();
    page->sendPageMessage("rte://cutEventList");
    EXPECT_EQ(Pasteboard::general().string(), std::optional<std::u16string>(u"chosen words"));
    // That the words then leave the page and the file:
    // RichTextEditorWebTest.pastesCutAndUndoChangeThePageAndTheSavedFileAsTheySay.
}

TEST_F(TextViewControllerTest, thePagesPasteAndTheMenusPasteGoThroughTheEditorOnceReady)
{
    Pasteboard::general().setString(u"pasted <words>");
    waitForTheLoad();
    page->sendPageMessage("rte://pasteEvent");
    EXPECT_TRUE(page->scriptsMatching("insertHTML").empty()) << "no paste before the page is ready";

    page->finishLoad();
    page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    loop.advanceVirtualClock(0.01);
    ASSERT_TRUE(editor->isPageReady());
    EXPECT_EQ(page->scriptsMatching("onpaste=function\\(event\\)\\{event.preventDefault\\(\\);"
                                    "folioSendPageMessage\\('pasteEvent'\\);\\}")
                  .size(),
              1u)
        << "the page's own paste is replaced";

    // What the pastes put into the page and the file, as words:
    // RichTextEditorWebTest.pastesCutAndUndoChangeThePageAndTheSavedFileAsTheySay.
    page->sendPageMessage("rte://pasteEvent");
    ASSERT_EQ(page->scriptsMatching("insertHTML").size(), 1u);

    EXPECT_TRUE(editor->respondsToAction("pasteRichText:"));
    EXPECT_TRUE(editor->performAction("paste:", nullptr));
    EXPECT_TRUE(editor->performAction("pasteRichText:", nullptr));
    EXPECT_EQ(page->scriptsMatching("insertHTML").size(), 3u);
}

TEST_F(TextViewControllerTest, savesNeverKeepLessThanTheFileAndACrashReloadsTheKeptText)
{
    becomeReady();
    // A page that does not answer keeps the text as it was, and so does one
    // that answers nonsense.
    answerNextRead();
    EXPECT_FALSE(editor->content().ok());
    EXPECT_EQ(toUtf8(document->text()), "<p>Kept <b>text</b></p>");
    page->answerMatching("folioEditorContent", R"J({"lineHeight": 5})J" "\n<p>x</p>");
    answerNextRead();
    EXPECT_FALSE(editor->content().ok());
    EXPECT_EQ(toUtf8(document->text()), "<p>Kept <b>text</b></p>");
    // The document keeps what the wrapper holds: the wrapper is built anew,
    // with the current default style, when the page is loaded again.
    page->answerMatching("folioEditorContent",
                         R"J({"wrapperOpening": "<div id=\"paragraph\" style=\"color: red;\">"})J"
                         "\n<div id=\"paragraph\" style=\"color: red;\"><p>Edited caf\u00E9 \U0001F600</p></div>");
    answerNextRead();
    Result<EditorContent> content = editor->content();
    ASSERT_TRUE(content.ok()) << content.error().message;
    // Letters past ASCII and past the 16-bit range come back whole.
    EXPECT_EQ(document->text(), u"<p>Edited caf\u00E9 \U0001F600</p>");

    page->clearRules();
    page->terminateWebProcess("crashed");
    EXPECT_EQ(page->loadCount(), 2);
    EXPECT_NE(page->loadedHTML().find("<p>Edited caf\u00E9 \U0001F600</p></div></div>"), std::string::npos);
    EXPECT_FALSE(editor->isPageReady());
    EXPECT_FALSE(editor->content().ok());

    // Undo and redo ask and act through the page.
    becomeReady();
    page->answer("document.queryCommandEnabled('undo')", "true");
    answerNextRead();
    EXPECT_TRUE(editor->canUndo());
    answerNextRead();
    EXPECT_FALSE(editor->canRedo());
    // What undo takes back: RichTextEditorWebTest.pastesCutAndUndoChangeThePageAndTheSavedFileAsTheySay.
    editor->undoAction();
}

TEST_F(TextViewControllerTest, aSaveAsksThePageOnceAndWritesWhatItAnswered)
{
    // The document saves through this editor.
    EditorMakers::registerMaker(EditorKind::RichText, [this](TextDocument&) { return editor; });
    ASSERT_EQ(document->makeViewController(), editor);
    EditorMakers::unregisterAll();
    becomeReady();
    page->clearScripts();
    // The page answers the one call; its answer is released as soon as it is asked.
    page->answerMatching("folioEditorContent", [this](const std::string&) {
        loop.post([this] { page->releaseAll(); });
        return std::string(R"J({"wrapperOpening": "<div id=\"paragraph\">", "lineHeight": "1.5", "textIndent": "1.25cm",)J"
                           R"J( "paperColor": "rgb(0, 0, 255)"})J"
                           "\n<div id=\"paragraph\"><p>Saved <b>bold&nbsp;</b>x\uFEFF</p></div>");
    });
    bool saved = false;
    editor->saveCurrentDocument([&] { saved = true; });
    ASSERT_TRUE(loop.runUntil([&] { return saved; }, 30));

    EXPECT_EQ(page->scripts().size(), 1u) << "one script for the whole save";
    ASSERT_EQ(page->scriptsMatching("folioEditorContent").size(), 1u);
    std::string rtf = testing_support::readFile(folder.path("Letter.rtf"));
    EXPECT_EQ(rtf.find("\\'a0"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("bold "), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\papercolor16711680}"), std::string::npos) << "the page's paper colour, blue: " << rtf;
    EXPECT_EQ(toUtf8(document->text()), "<p>Saved <b>bold&nbsp;</b>x\xEF\xBB\xBF</p>") << "kept as the page holds it";
}

// Whether a document is new and blank is the document's own to say: the
// user's store holds preferences only. A new blank document's page takes the
// user's default style and the ruler marks it changed; a document that is not
// blank keeps the plain style whatever a stale store entry says, and a ready
// page writes nothing of the sort into the store.
TEST_F(TextViewControllerTest, theDefaultStyleFollowsTheDocumentsOwnBlankFlagNotTheStore)
{
    UserDefaults& store = document->settings();
    store.setString("defaultFont", "Georgia");
    store.setDouble("defaultFontSize", 15);
    store.setBool("isNewBlankDocument", true);
    becomeReady();
    EXPECT_EQ(page->loadedHTML().find("font-family: Georgia"), std::string::npos)
        << "a document that is not new took the default style from the store";
    EXPECT_NE(page->loadedHTML().find("font-family: Helvetica"), std::string::npos);
    EXPECT_FALSE(document->hasUnsavedChanges());
    EXPECT_EQ(store.boolForKey("isNewBlankDocument"), std::optional<bool>(true)) << "the store was written";

    store.removeObjectForKey("isNewBlankDocument");
    auto blank = std::make_shared<TextDocument>(folder.path("Blank.rtf"));
    blank->setIsNewBlankDocument(true);
    FakeWebView* blankPage = nullptr;
    auto blankEditor = std::make_shared<TextViewController>(
        *blank,
        [&](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            auto view = std::make_unique<FakeWebView>();
            view->setFrame(frame);
            blankPage = view.get();
            return std::unique_ptr<WebView>(std::move(view));
        },
        [](const std::string&) {});
    blankEditor->loadViewIfNeeded();
    waitForTheLoad(blankPage);
    ASSERT_NE(blankPage, nullptr);
    EXPECT_NE(blankPage->loadedHTML().find("font-family: Georgia;"), std::string::npos)
        << blankPage->loadedHTML().substr(0, 2000);
    blankPage->finishLoad();
    blankPage->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    loop.advanceVirtualClock(0.01);
    ASSERT_TRUE(blankEditor->isPageReady());
    EXPECT_FALSE(blank->isNewBlankDocument()) << "the page holds the document now";
    EXPECT_FALSE(blank->settings().boolForKey("isNewBlankDocument").has_value()) << "the store was written";
    blankEditor->documentDidClose();
}

TEST_F(TextViewControllerTest, thePaperKeepsTheDocumentsOwnColourUntilThePageChangesIt)
{
    // The page shows the document's colour by its nearest name.
    document->setPaperColor("F5EFDC");
    becomeReady();
    std::string name = *closestColorName(*colorWithHexString(std::string_view("F5EFDC")));
    ASSERT_NE(page->loadedHTML().find("background-color:" + name), std::string::npos);
    auto answerPaper = [this](const std::string& paper) {
        page->answerMatching("folioEditorContent", R"J({"paperColor": ")J" + paper + R"J("})J" "\nx");
        answerNextRead();
    };
    answerPaper(name);
    Result<EditorContent> content = editor->content();
    ASSERT_TRUE(content.ok());
    EXPECT_EQ(content->paperColor, "F5EFDC") << "not moved to the colour of the name";
    answerPaper("rgb(0, 0, 255)");
    content = editor->content();
    ASSERT_TRUE(content.ok());
    EXPECT_EQ(content->paperColor, "0000FF") << "a colour the page was given since";
}

TEST_F(TextViewControllerTest, closingDeletesOnlyThisDocumentsPicturesAndOnlyWhenSaved)
{
    std::string mine = AppFolders::pictureFolderForDocument(AppFolders::pictureDocumentName(document->fileURL()));
    std::string other = AppFolders::pictureFolderForDocument("Other");
    testing_support::writeFile(mine + "/image-1.png", "png");
    testing_support::writeFile(other + "/image-2.png", "png");
    becomeReady();

    document->updateChangeCount(DKDocument::ChangeKind::Done);
    editor->documentDidClose();
    EXPECT_TRUE(FileManager::fileExists(mine + "/image-1.png")) << "an unsaved document keeps its pictures";

    TextViewControllerTest::editor = std::make_shared<TextViewController>(*document);
    document->updateChangeCount(DKDocument::ChangeKind::Cleared);
    editor->documentDidClose();
    EXPECT_FALSE(FileManager::fileExists(mine));
    EXPECT_TRUE(FileManager::fileExists(other + "/image-2.png"));

    // Nothing of the page reaches a closed editor, and a save still completes.
    int completions = 0;
    editor->saveCurrentDocument([&] { ++completions; });
    EXPECT_EQ(completions, 1);
}

// Two open documents of the same name in different folders: each page shows
// its own picture, and closing one leaves the other's in place.
TEST_F(TextViewControllerTest, sameNamedDocumentsInOtherFoldersKeepTheirOwnPictures)
{
    auto rtfWithPicture = [](int width) {
        auto picture = Image::imageWithPixels(width, width, std::vector<std::uint8_t>(std::size_t(width) * width * 4, 0x80));
        Result<std::vector<std::uint8_t>> png = (*picture)->pngData();
        std::string hex;
        static constexpr char kDigits[] = "0123456789abcdef";
        for (std::uint8_t byte : *png) {
            hex += kDigits[byte >> 4];
            hex += kDigits[byte & 0xF];
        }
        return "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Report {\\pict\\pngblip\\picw" + std::to_string(width) +
               "\\pich" + std::to_string(width) + "\n" + hex + "\n}\\par}";
    };
    auto openedPicture = [](TextDocument& opened) {
        std::smatch found;
        std::string html = toUtf8(opened.text());
        EXPECT_TRUE(std::regex_search(html, found, std::regex("<img[^>]* src=\"([^\"]+)\""))) << html;
        return found.empty() ? std::string() : found[1].str();
    };
    std::filesystem::create_directories(folder.path("A"));
    std::filesystem::create_directories(folder.path("B"));
    testing_support::writeFile(folder.path("A/Report.rtf"), rtfWithPicture(4));
    testing_support::writeFile(folder.path("B/Report.rtf"), rtfWithPicture(6));
    auto first = std::make_shared<TextDocument>(folder.path("A/Report.rtf"));
    auto second = std::make_shared<TextDocument>(folder.path("B/Report.rtf"));
    ASSERT_TRUE(first->readFromURL(first->fileURL()).ok());
    ASSERT_TRUE(second->readFromURL(second->fileURL()).ok());

    std::string firstPicture = openedPicture(*first), secondPicture = openedPicture(*second);
    ASSERT_FALSE(firstPicture.empty());
    ASSERT_FALSE(secondPicture.empty());
    EXPECT_NE(std::filesystem::path(firstPicture).parent_path(), std::filesystem::path(secondPicture).parent_path());
    auto width = [](const std::string& path) {
        auto picture = Image::imageWithContentsOfFile(path);
        return picture ? (*picture)->pixelWidth() : 0;
    };
    EXPECT_EQ(width(firstPicture), 4);
    EXPECT_EQ(width(secondPicture), 6);

    auto firstEditor = std::make_shared<TextViewController>(*first);
    auto secondEditor = std::make_shared<TextViewController>(*second);
    firstEditor->documentDidClose();
    EXPECT_FALSE(FileManager::fileExists(firstPicture));
    EXPECT_EQ(width(secondPicture), 6) << "the other document's page still shows its picture";
    secondEditor->documentDidClose();
    EXPECT_FALSE(FileManager::fileExists(secondPicture));
}

TEST_F(TextViewControllerTest, theFirstLoadShowsProgressUntilThePageHasLoaded)
{
    EXPECT_FALSE(ProgressHUD::isVisible());
    waitForTheLoad();
    ASSERT_EQ(page->loadCount(), 1);
    EXPECT_TRUE(ProgressHUD::isVisible()) << "the page is blank until it has loaded";
    page->finishLoad();
    EXPECT_FALSE(ProgressHUD::isVisible());

    // A page loaded again after a crash is no first load.
    page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    loop.advanceVirtualClock(0.01);
    page->terminateWebProcess("crashed");
    EXPECT_EQ(page->loadCount(), 2);
    EXPECT_FALSE(ProgressHUD::isVisible());
}

TEST_F(TextViewControllerTest, aDocumentThePageCannotHoldOpensReadOnlyWithTheNotice)
{
    becomeReady();
    EXPECT_TRUE(page->scriptsMatching("contentEditable=false").empty());
    EXPECT_EQ(editor->presentedViewController(), nullptr);

    // The same editor over a document that holds a table.
    document->setIsRTFDocument(true);
    editor = std::make_shared<TextViewController>(
        *document,
        FakeWebView::factoryKeeping(page));
    editor->loadViewIfNeeded();
    becomeReady();
    EXPECT_EQ(page->scriptsMatching("contentEditable=false"),
              std::vector<std::string>{"document.getElementById('content').contentEditable=false"});
    auto alert = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"Read Only Document");
    EXPECT_EQ(alert->message(), u"Oops! Sorry, this document cannot be edited because tables are not supported yet. "
                                u"We will fix it very soon! Thanks!");
    // The rest of the set-up still runs.
    EXPECT_FALSE(page->scriptsMatching("styleWithCSS").empty());
    EXPECT_FALSE(page->scriptsMatching("updateFootnoteIndex").empty());

    // Typing reaches the page's key events but records no change.
    page->sendPageMessage("rte://onkeydownEvent");
    page->sendPageMessage("rte://dirtyEvent");
    EXPECT_FALSE(document->hasUnsavedChanges());
    EXPECT_TRUE(alert->tapActionWithTitle(u"OK"));
    EXPECT_EQ(editor->presentedViewController(), nullptr);
}

// A file in a two-byte code page is read-only for a reason of its own, and
// its notice gives that reason, not tables.
TEST_F(TextViewControllerTest, theReadOnlyNoticeOfACodePageFileSaysWhyItCannotBeSaved)
{
    const std::string path = folder.path("japanese.rtf");
    testing_support::writeFile(path, "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 \x95\\\x8E\xA6\\par}");
    TextDocument japanese(path);
    ASSERT_TRUE(japanese.readFromURL(path));
    ASSERT_TRUE(japanese.isRTFDocument());
    const std::u16string message = TextViewController::readOnlyDocumentAlert(japanese)->message();
    EXPECT_NE(message.find(u"two bytes per character"), std::u16string::npos) << toUtf8(message);
    EXPECT_NE(message.find(u"saved"), std::u16string::npos) << toUtf8(message);
    EXPECT_EQ(message.find(u"tables"), std::u16string::npos) << toUtf8(message);
}

} // namespace
} // namespace folio
