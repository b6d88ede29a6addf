#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/web/WebView.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/RichTextTools.h"
#include "tools/inspectors/ControlSlices.h"
#include "webeditor/EditorInspectors.h"
#include "richtext/RichTextTools.h"
#include "richtext/RichTextViewModes.h"
#include "richtext/RichTextWordCounter.h"
#include "richtext/RichTextWritingTools.h"
#include "richtext/TextViewController.h"
#include "richtext/TypewriterMode.h"
#include "support/DocumentTestSupport.h"
#include "tools/scanner/VisionDataScannerViewController.h"
#include "tools/speech/ReadAloudController.h"
#include "support/EditorPageTest.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// The reading aids against a real page.
class ViewingToolsWebTest : public test::EditorPageTest<TextViewController> {
protected:
    ViewingToolsWebTest() : EditorPageTest(EditorKind::RichText, "rich-text-viewing-tools") {}

    void SetUp() override
    {
        Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        UserDefaults& defaults = UserDefaults::standardUserDefaults();
        for (const char* key : {"darknightMode", "nightMode", "wordCounterVisible", "typewriterSounds"})
            defaults.setBool(key, false);
        EditorPageTest::SetUp();
        const std::string path = folder.path("Reading.rtf");
        writeFile(path, "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fnil\\fcharset0 Helvetica;}\n"
                        "\\pard\\f0\\fs24 The fox and the Fox met a FOX.}");
        document = open(path);
        ASSERT_FALSE(HasFailure());
    }
    void TearDown() override
    {
        if (editor)
            editor->viewing().speech->cancelSpeak();
        if (document)
            document->closeWithCompletionHandler({});
        EditorPageTest::TearDown();
        UserDefaults& defaults = UserDefaults::standardUserDefaults();
        for (const char* key : {"darknightMode", "nightMode", "wordCounterVisible"})
            defaults.setBool(key, false);
    }

    std::string contentText() { return run("document.getElementById('content').textContent.replace(/\\u00a0/g, ' ')"); }
    void select(const std::string& text, bool collapseToEnd = false)
    {
        run("(function(){var c=document.getElementById('content');var w=document.createTreeWalker(c,NodeFilter.SHOW_TEXT);"
            "for(var n=w.nextNode();n;n=w.nextNode()){var i=n.data.indexOf('" + text + "');if(i>=0){var r=document.createRange();"
            "r.setStart(n,i);r.setEnd(n,i+" + std::to_string(text.size()) + ");" + (collapseToEnd ? "r.collapse(false);" : "") +
            "var s=getSelection();s.removeAllRanges();s.addRange(r);c.focus();return;}}})()");
    }

    std::shared_ptr<TextDocument> document;
};

TEST_F(ViewingToolsWebTest, theTextZoomGoesThroughThePagesOwnTextSizeAdjustSetter)
{
    std::string width = run("document.getElementById('content').getBoundingClientRect().width");
    editor->documentViewZoomModified(150);
    ASSERT_TRUE(waitFor([&] { return run("getComputedStyle(document.getElementById('content')).zoom") == "1.5"; }));
    EXPECT_EQ(run("document.getElementById('content').style.webkitTextSizeAdjust"), "150%");
    editor->documentViewZoomModified(100);
    ASSERT_TRUE(waitFor([&] { return run("getComputedStyle(document.getElementById('content')).zoom") == "1"; }));
    EXPECT_EQ(run("document.getElementById('content').getBoundingClientRect().width"), width);
    EXPECT_FALSE(document->hasUnsavedChanges()) << "zoom only changes the view";
}

TEST_F(ViewingToolsWebTest, theDarkDisplayAndTheNightPaperAreUndoneByTheSecondToggle)
{
    RichTextViewModes& modes = *editor->viewing().modes;
    modes.toggleDarkNightMode();
    ASSERT_TRUE(waitFor([&] { return run("getComputedStyle(document.documentElement).filter").find("invert(1)") != std::string::npos; }));
    EXPECT_EQ(run("document.body.style.backgroundColor"), "rgb(208, 208, 208)");
    modes.toggleDarkNightMode();
    ASSERT_TRUE(waitFor([&] { return run("getComputedStyle(document.documentElement).filter").find("invert(0)") != std::string::npos; }));
    EXPECT_EQ(run("document.body.style.backgroundColor"), "rgb(255, 255, 255)");

    modes.toggleNightMode();
    ASSERT_TRUE(waitFor([&] { return run("document.body.style.backgroundColor") == "rgb(245, 239, 220)"; }));
    modes.toggleNightMode();
    ASSERT_TRUE(waitFor([&] { return run("document.body.style.backgroundColor") == "white"; }));
    EXPECT_FALSE(document->hasUnsavedChanges());
}

TEST_F(ViewingToolsWebTest, theWordCounterCountsThePageOrTheSelection)
{
    RichTextWordCounter& counter = *editor->viewing().wordCounter;
    counter.updateWordCounter();
    EXPECT_EQ(editor->margins().topAlertBar()->text(), u"Chars 30 Words 8");
    select("fox and");
    ASSERT_TRUE(waitFor([&] { return run("getSelection().toString()") == "fox and"; }));
    counter.updateWordCounter();
    EXPECT_EQ(editor->margins().topAlertBar()->text(), u"Chars 7 Words 2");
}

TEST_F(ViewingToolsWebTest, scannedTextGoesInEscapedAtTheCaretSavedBeforeTheScannerOpened)
{
    select("The fox", true);
    editor->viewing().writingTools->insertTextFromLiveTextScanner();
    // The user clicks elsewhere while the scanner is open.
    select("met a", true);
    std::shared_ptr<VisionDataScannerViewController> host = VisionDataScannerViewController::sharedInstance();
    host->copyScannedTextIntoView(u"<b>seen</b> & noted\n\n");
    host->copyScannedTextIntoView(u"again\n\n");
    host->visionKitDataScannerDismissedViewController();
    host->dismissScannerViewController();
    ASSERT_TRUE(waitFor([&] { return contentText().find("again") != std::string::npos; })) << contentText();
    std::string text = run("document.getElementById('content').innerText.replace(/\\u00a0/g, ' ')");
    EXPECT_EQ(text.find("The fox<b>seen</b> & noted\n\nagain\n\n"), 0u) << text;
    EXPECT_NE(text.find("and the Fox met a FOX."), std::string::npos) << text;
    EXPECT_EQ(run("document.querySelectorAll('#content b').length"), "0");
    EXPECT_TRUE(document->hasUnsavedChanges());
}

TEST_F(ViewingToolsWebTest, theAssistantsAnswerReplacesOrFollowsTheSavedSelection)
{
    RichTextWritingTools& tools = *editor->viewing().writingTools;
    select("fox");
    run("saveCaretSelection ();");
    select("FOX", true);
    tools.writingAssistantInsertText(u"cat", {}, WritingAssistantInsertion::ReplaceSelection);
    ASSERT_TRUE(waitFor([&] { return contentText().find("The cat and") != std::string::npos; })) << contentText();
    select("Fox");
    run("saveCaretSelection ();");
    tools.writingAssistantInsertText(u" <too>", {}, WritingAssistantInsertion::AfterSelection);
    ASSERT_TRUE(waitFor([&] { return contentText().find("the Fox <too> met") != std::string::npos; })) << contentText();
}

TEST_F(ViewingToolsWebTest, typewriterModeShrinksThePageToItsBand)
{
    editor->tools().toolsOptionSelected(4);
    EXPECT_TRUE(editor->viewing().typewriter->isTypewriterMode());
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').style.height") == "130px"; }));
    EXPECT_EQ(run("document.body.style.height"), "122px");
    editor->viewing().modes->closeFullScreenDocumentMode();
    EXPECT_FALSE(editor->viewing().typewriter->isTypewriterMode());
}

TEST_F(ViewingToolsWebTest, readingAloudSpeaksThePageAndTheEditMenuOffersOnlyItsControls)
{
    ReadAloudController& speech = *editor->viewing().speech;
    const bool copyBefore = editor->canPerformAction("copy:", nullptr);
    editor->tools().toolsOptionSelected(3);
    EXPECT_TRUE(speech.isSpeaking());
    EXPECT_EQ(speech.textUterances().front(), u"The fox and the Fox met a FOX");
    EXPECT_TRUE(editor->canPerformAction("pauseSpeak:", nullptr));
    EXPECT_FALSE(editor->canPerformAction("copy:", nullptr));
    EXPECT_FALSE(editor->canPerformAction("boldExecCommand:", nullptr));
    ASSERT_TRUE(editor->performAction("pauseSpeak:", nullptr));
    EXPECT_TRUE(speech.synthesizerIsPaused());
    EXPECT_TRUE(editor->tools().isReadingAloud().value_or(false));
    ASSERT_TRUE(editor->performAction("resumeSpeak:", nullptr));
    ASSERT_TRUE(waitFor([&] { return !speech.isSpeaking(); }));
    EXPECT_EQ(editor->canPerformAction("copy:", nullptr), copyBefore);
    EXPECT_FALSE(editor->tools().isReadingAloud().value_or(true));
    EXPECT_FALSE(document->hasUnsavedChanges());
}

TEST_F(ViewingToolsWebTest, aHeaderSetInTheInspectorIsWhatTheEditorHandsOverForExportsAndThePreview)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.removeObjectForKey("currentDocumentHeaderControl");
    EditorInspectors& inspectors = editor->tools().inspectors();
    inspectors.showHeaderInspector({});
    auto style = std::dynamic_pointer_cast<ButtonRowSlice>(
        inspectors.inspector(EditorInspectors::Kind::HeaderFooter)->mainPane()->slices()[1]);
    ASSERT_NE(style, nullptr);
    style->buttons()[0]->tap(); // Show
    Result<EditorContent> content = editor->content();
    ASSERT_TRUE(content) << content.error().message;
    ASSERT_TRUE(content->header.has_value());
    style->buttons()[2]->tap(); // Left
    content = editor->content();
    ASSERT_TRUE(content && content->header.has_value());
    EXPECT_NE(content->header->find("::left::"), std::string::npos) << *content->header;
    EXPECT_NE(content->header->find("::YES::"), std::string::npos) << *content->header;
    inspectors.showHeaderInspector({});
    defaults.removeObjectForKey("currentDocumentHeaderControl");
}

} // namespace
} // namespace folio
