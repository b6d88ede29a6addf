#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "richtext/RichTextStyling.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// The rich-text editor in a real window, driven by real key presses: the
// window's keys reach the editor's key commands before the page sees them.
class RichTextKeysWebTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextKeysWebTest() : EditorWindowTest(EditorKind::RichText, "rich-text-keys") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        std::string path = folder.path("Keys.rtf");
        writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs32 Amber lantern\\par}");
        open(path, {800, 600}, Root::Navigation);
        if (HasFatalFailure())
            return;
        page = editor->webView();
        ASSERT_TRUE(page);
        // The caret after the text, in the focused page.
        run("(function(){var c=document.getElementById('content');c.focus();var r=document.createRange();"
            "r.selectNodeContents(c);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    }

    std::string pageText() { return page->stringByEvaluatingJavaScript("document.getElementById('content').innerText"); }
    bool pageTextBecomes(const std::function<bool(const std::string&)>& wanted)
    {
        return RunLoop::main().runUntil([&] { return wanted(pageText()); }, kEngineWaitSeconds);
    }
    bool styleBecomes(const std::string& style, bool on)
    {
        std::string script = "document.queryCommandState('" + style + "')";
        return RunLoop::main().runUntil([&] { return page->stringByEvaluatingJavaScript(script) == (on ? "1" : "0"); },
                                        kEngineWaitSeconds);
    }

    WebView* page = nullptr;
};

TEST_F(RichTextKeysWebTest, controlZUndoesTheLastTypingAndControlShiftZRedoesIt)
{
    ASSERT_TRUE(test::typeText("Hello"));
    ASSERT_TRUE(pageTextBecomes([](const std::string& text) { return text.find("Amber lanternHello") != std::string::npos; }))
        << pageText();

    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_TRUE(pageTextBecomes([](const std::string& text) {
        return text.find("Hello") == std::string::npos && text.find("Amber lantern") != std::string::npos;
    })) << pageText();
    EXPECT_TRUE(document->hasUnsavedChanges());

    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    EXPECT_TRUE(pageTextBecomes([](const std::string& text) { return text.find("Amber lanternHello") != std::string::npos; }))
        << pageText();
}

TEST_F(RichTextKeysWebTest, controlBIAndUToggleBoldItalicAndUnderlineOnTheSelection)
{
    page->stringByEvaluatingJavaScript(
        "(function(){var r=document.createRange();r.selectNodeContents(document.getElementById('content'));"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    ASSERT_TRUE(styleBecomes("bold", false));

    // Each key once: had the page also taken it, the style would be toggled
    // twice and stay off.
    ASSERT_TRUE(test::pressKeys("ctrl+b"));
    EXPECT_TRUE(styleBecomes("bold", true));
    ASSERT_TRUE(test::pressKeys("ctrl+i"));
    EXPECT_TRUE(styleBecomes("italic", true));
    ASSERT_TRUE(test::pressKeys("ctrl+u"));
    EXPECT_TRUE(styleBecomes("underline", true));
    EXPECT_TRUE(document->hasUnsavedChanges());

    ASSERT_TRUE(test::pressKeys("ctrl+b"));
    EXPECT_TRUE(styleBecomes("bold", false));
    EXPECT_EQ(page->stringByEvaluatingJavaScript("document.queryCommandState('italic')"), "1");
    EXPECT_NE(pageText().find("Amber lantern"), std::string::npos) << "the styles changed the text: " << pageText();
}

TEST_F(RichTextKeysWebTest, controlBracketsStepTheSelectionsSize)
{
    const std::shared_ptr<Button>& size = editor->styling().toolbar().styleFontSize;
    auto shown = [&] { return size->titleForState(ControlState::Normal); };
    // The page draws the text's 16 points at 22 pixels, shown as 16.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return shown() == u"16"; }, kEngineWaitSeconds)) << toUtf8(shown());
    page->stringByEvaluatingJavaScript(
        "(function(){var r=document.createRange();r.selectNodeContents(document.getElementById('content'));"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    auto pageSize = [&] {
        return page->stringByEvaluatingJavaScript(
            "(function(){var t=document.getElementById('paragraph');while(t.firstElementChild)t=t.firstElementChild;"
            "return getComputedStyle(t).fontSize;})()");
    };
    ASSERT_TRUE(test::pressKeys("ctrl+bracketright"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return shown() == u"17"; }, kEngineWaitSeconds)) << toUtf8(shown());
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return pageSize() == "23px"; }, kEngineWaitSeconds)) << pageSize();
    ASSERT_TRUE(test::pressKeys("ctrl+bracketleft"));
    ASSERT_TRUE(test::pressKeys("ctrl+bracketleft"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return pageSize() == "21px"; }, kEngineWaitSeconds)) << pageSize();
    EXPECT_EQ(toUtf8(shown()), "15");
    EXPECT_NE(pageText().find("Amber lantern"), std::string::npos) << "the keys typed nothing: " << pageText();
}

} // namespace
} // namespace folio
