#include "qvtext/QVEditingTools.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/web/FakeWebView.h"
#include "richtext/ScriptLiteralReader.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// The QV editing tools against a scripted page: which scripts reach the
// editing frame, in TinyMCE's dialect, and what each command hands on.
class QVEditingToolsTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        // The page answers every read on the next turn of the loop.
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
    }

    QVEditingTools::Host host()
    {
        QVEditingTools::Host h;
        h.documentIsDirty = [this] { ++dirtyCount; };
        h.present = [this](std::shared_ptr<ViewController> shown) { presented.push_back(shown); };
        h.view = [this] { return pageView; };
        h.biggestFontSize = [] { return 12; };
        return h;
    }

    // The scripts the frame ran, as the editor wrote them.
    std::vector<std::string> frameScripts() const
    {
        std::vector<std::string> found;
        for (const std::string& script : view.scriptsMatching("^folioInEditorFrame\\(")) {
            std::optional<std::string> inner = test::scriptLiteralAfter(script, "folioInEditorFrame(");
            EXPECT_TRUE(inner.has_value()) << "not one literal: " << script;
            found.push_back(inner.value_or(""));
        }
        return found;
    }
    bool frameRan(const std::string& script) const
    {
        std::vector<std::string> scripts = frameScripts();
        return std::find(scripts.begin(), scripts.end(), script) != scripts.end();
    }

    int dirtyCount = 0;
    std::vector<std::shared_ptr<ViewController>> presented;
    std::shared_ptr<View> pageView = std::make_shared<View>(Rect{{0, 0}, {800, 600}});
    NotificationCenter center;
    Pasteboard pasteboard{center};
    FakeWebView view;
    PageConnection page{&view};
    QVEditingTools tools{page, pasteboard, host()};
};

TEST_F(QVEditingToolsTest, selectionAndNoteScriptsRunInTheEditingFrameAsWritten)
{
    EXPECT_EQ(QVEditingTools::inEditorFrame("var a = 'it''s';\n"), "folioInEditorFrame('var a = \\'it\\'\\'s\\';\\n');");

    tools.caret().cursorForward();
    tools.caret().deleteForwardKey();
    tools.notes().insertNewFootnote();
    std::vector<std::string> scripts = frameScripts();
    ASSERT_GE(scripts.size(), 5u);
    EXPECT_EQ(scripts[0].rfind("var sel = window.getSelection();if(sel.isCollapsed) {sel.modify('move', 'forward'", 0), 0u);
    EXPECT_EQ(scripts[1],
              "var sel = window.getSelection();sel.modify('extend', 'forward', 'character'); "
              "tinymce.activeEditor.execCommand('delete');  scrollToView();");
    EXPECT_TRUE(frameRan("moveCursorEndWord ();"));
    EXPECT_TRUE(frameRan("updateFootnoteIndex();"));
    EXPECT_EQ(view.scriptsMatching("^moveCursorEndWord|^updateFootnoteIndex").size(), 0u)
        << "nothing of the notes runs in the page around the editor";
    EXPECT_EQ(dirtyCount, 2) << "the delete and the footnote";
}

TEST_F(QVEditingToolsTest, closingTheFootnoteEditorRenumbersAndClosingTheCommentEditorDoesNot)
{
    tools.notes().dismissAnnotation();
    EXPECT_FALSE(frameRan("updateFootnoteIndex();"));
    tools.notes().dismissFootnote();
    EXPECT_TRUE(frameRan("updateFootnoteIndex();"));
    EXPECT_FALSE(tools.notes().isHTMLObjectPopoverVisible());

    // The list goes in through TinyMCE, in the page's own markup.
    view.answerMatching("insertFootnoteTable", "<p>[1] A note</p>");
    tools.notes().insertFootnoteTable();
    std::vector<std::string> inserts = frameScripts();
    ASSERT_FALSE(inserts.empty());
    std::optional<std::string> table =
        test::scriptLiteralAfter(inserts.back(), "tinymce.activeEditor.execCommand('insertHTML',false,");
    ASSERT_TRUE(table.has_value()) << inserts.back();
    EXPECT_EQ(*table, "<div id=\"divfootnotetable\"><p>[1] A note</p></div>");
}

TEST_F(QVEditingToolsTest, findOpensTinyMCEsDialogAndTheBarLeavesThePageAsItIs)
{
    tools.showFindOnPage();
    EXPECT_EQ(view.lastScript(), "tinymce.activeEditor.execCommand('SearchReplace');");

    view.clearScripts();
    tools.showFindAndReplace();
    EXPECT_TRUE(tools.find().isFindOnPageVisible());
    ASSERT_EQ(presented.size(), 1u) << "the bar shows over the page";
    EXPECT_TRUE(view.scriptsMatching("style\\.height").empty()) << "TinyMCE sizes its page itself";
}

TEST_F(QVEditingToolsTest, insertedItemsAreTheirMarkupAndMarkTheDocument)
{
    EXPECT_EQ(QVInsertCommander::tableHTML(),
              "<table width = 100% border = 1><tbody>"
              "<tr><td><div><br></div></td><td><div><br></div></td><td><div><br></div></td></tr>"
              "<tr><td><div><br></div></td><td><div><br></div></td><td><div><br></div></td></tr>"
              "<tr><td><div><br></div></td><td><div><br></div></td><td><div><br></div></td></tr> </tbody></table>");
    EXPECT_EQ(QVInsertCommander::horizontalLineHTML(), "<hr id=\"horizontalLine\" noshade color=\"#000000\" size=\"0.5\">");
    tools.inserts().insertPageBreak();
    std::optional<std::string> pageBreak =
        test::scriptLiteralAfter(view.lastScript().value_or(""), "tinymce.activeEditor.execCommand('insertHTML',false,");
    ASSERT_TRUE(pageBreak.has_value());
    EXPECT_EQ(*pageBreak, "<hr class=\"marquent-pagebreak\" style=\"page-break-before:always;border-color: #005;"
                          "height: 3px;border-style: dotted none;border-width: 1px\">");
    tools.inserts().insertText(u"<script>x('1')</script>");
    std::optional<std::string> text =
        test::scriptLiteralAfter(view.lastScript().value_or(""), "tinymce.activeEditor.execCommand('insertHTML',false,");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "&lt;script&gt;x(&#39;1&#39;)&lt;/script&gt;");
    tools.inserts().insertLink();
    EXPECT_EQ(view.lastScript(), "tinymce.activeEditor.execCommand('mceLink');");
    EXPECT_EQ(dirtyCount, 3);
}

TEST_F(QVEditingToolsTest, aPasteTakesTheCaretsFontAndSizeInPixelsFromTinyMCE)
{
    view.answerMatching("fontName", "Georgia");
    view.answerMatching("foreColor", "rgb(1, 2, 3)");
    pasteboard.setString(u"plain");
    PasteboardItem item;
    std::string html = "<b>rich</b>";
    item[kPasteboardTypeHTML] = std::vector<std::uint8_t>(html.begin(), html.end());
    pasteboard.setItems({item});
    tools.clipboard().paste();
    std::vector<std::string> scripts = frameScripts();
    ASSERT_FALSE(scripts.empty());
    EXPECT_TRUE(frameRan("tinymce.activeEditor.queryCommandValue('fontName').replace(/'/g,'')"));
    EXPECT_TRUE(frameRan("tinymce.activeEditor.getDoc().queryCommandValue('foreColor')"));
    std::optional<std::string> span =
        test::scriptLiteralAfter(scripts.back(), "tinymce.activeEditor.execCommand('insertHTML','false',");
    ASSERT_TRUE(span.has_value()) << scripts.back();
    EXPECT_NE(span->find("font-family:Georgia;font-size: 16px; color: rgb(1, 2, 3);"), std::string::npos) << *span;
    EXPECT_NE(span->find("<b>rich</b>"), std::string::npos) << *span;
}

} // namespace
} // namespace folio
