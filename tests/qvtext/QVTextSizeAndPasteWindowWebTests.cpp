#include "documents/DocumentSeeds.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Button.h"
#include "platform/web/WebView.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextTools.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

namespace folio {
namespace {

// Two paragraphs whose last words are 24 points after smaller ones, in a
// real window: the size step and the pastes at their ends, saved and read
// back when the document opens again.
class QVTextSizeAndPasteWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextSizeAndPasteWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-size-and-paste") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        path = folder.path("Sizes.qvtext");
        testing_support::writeFile(
            path, std::string(DocumentSeeds::compressedPage("<p>Small <span style=\"font-size: 24pt;\">Alpha Bravo</span></p>"
                                                            "<p>Tail <span style=\"font-size: 24pt;\">Charlie</span></p>")
                                  ->stringView()));
        open(path, {900, 600});
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(test::movePointerOver(pageWidget));
    }

    GtkWidget* widgetFor(View& view)
    {
        GtkWidget* found = nullptr;
        waitFor([&] {
            GtkPresenter::processPendingEvents();
            found = GtkViewBuilder::widgetForView(toplevel, view);
            return found && gtk_widget_get_mapped(found) && gtk_widget_get_allocated_width(found) > 1;
        });
        return found;
    }
    // The caret after the last child of the n-th paragraph, where a click
    // past the end of its line may put it.
    void caretAfterParagraph(int n)
    {
        run("(function(){var e=tinymce.activeEditor;e.focus();var p=e.getBody().children[" + std::to_string(n)
            + "];var r=e.dom.createRng();r.setStart(p,p.childNodes.length);r.collapse(true);e.selection.setRng(r);})()");
    }
    std::string text() { return run("tinymce.activeEditor.getBody().textContent.replace(/\\u00a0/g,' ')"); }
    void typeAndWait(const std::string& word)
    {
        type(word);
        ASSERT_TRUE(waitFor([&] { return text().find(word) != std::string::npos; })) << "the keys did not reach the page";
    }
    void pasteFromKeys(const char* plain)
    {
        gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), plain, -1);
        GtkPresenter::processPendingEvents();
        press(GDK_KEY_v, GDK_CONTROL_MASK);
    }
    void saveAndOpenAgain()
    {
        gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
        ASSERT_TRUE(save());
        closeDocument();
        open(path, {900, 600});
    }
    // The size, in whole points, the page draws a word at.
    int pointsOf(const std::string& word)
    {
        std::string pixels = run(
            "(function(){var b=tinymce.activeEditor.getBody();var w=document.createTreeWalker(b,NodeFilter.SHOW_TEXT);"
            "for(var t=w.nextNode();t;t=w.nextNode()){if(t.data.indexOf('" + word + "')>=0)"
            "return String(parseFloat(getComputedStyle(t.parentElement).fontSize));}return '';})()");
        return pixels.empty() ? -1 : static_cast<int>(std::stod(pixels) * 72 / 96 + 0.5);
    }

    std::string path;
};

// At a paragraph's end after 24 point words, "+" and the size keys step
// from those words' 24 points, not from the paragraph's size.
TEST_F(QVTextSizeAndPasteWindowTest, theSizeStepAtAParagraphsEndGoesFromTheWordsBeforeTheCaret)
{
    std::shared_ptr<Button> plus = editor->tools().keyBars().styleButton("increaseFontSizeKcommand");
    ASSERT_TRUE(plus);
    GtkWidget* plusWidget = widgetFor(*plus);
    ASSERT_TRUE(plusWidget) << "the style bar is not in the window";

    // Then the bigger-size key: the second step goes from the first's size,
    // which nothing carries yet but the caret.
    caretAfterParagraph(0);
    ASSERT_TRUE(test::clickWidget(plusWidget));
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::pressKeys("ctrl+bracketright"));
    typeAndWait("Zulu");

    caretAfterParagraph(1);
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::pressKeys("ctrl+bracketleft"));
    typeAndWait("Yankee");

    saveAndOpenAgain();
    if (HasFatalFailure())
        return;
    EXPECT_EQ(text(), "Small Alpha BravoZuluTail CharlieYankee");
    EXPECT_EQ(pointsOf("Bravo"), 24);
    EXPECT_EQ(pointsOf("Zulu"), 26) << run("tinymce.activeEditor.getContent()");
    EXPECT_EQ(pointsOf("Yankee"), 23) << run("tinymce.activeEditor.getContent()");
    EXPECT_EQ(pointsOf("Tail"), pointsOf("Small"));
}

// Plain text pasted after 24 point words, with Ctrl+V and from the tools
// menu's plain paste, takes their size as typed text would.
TEST_F(QVTextSizeAndPasteWindowTest, plainTextPastedAfterLargerWordsTakesTheirSize)
{
    caretAfterParagraph(0);
    pasteFromKeys(" Kilo ");
    typeAndWait("Mike");

    caretAfterParagraph(1);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), " November ", -1);
    GtkPresenter::processPendingEvents();
    GtkWidget* tools = widgetFor(*editor->tools().keyBars().showMiscToolsMenu());
    ASSERT_TRUE(tools && test::clickWidget(tools));
    GtkWidget* entry = nullptr;
    ASSERT_TRUE(waitFor([&] {
        GtkPresenter::processPendingEvents();
        GtkWidget* menu = presenter->menuPopover();
        for (GtkWidget* button : menu && gtk_widget_get_mapped(menu) ? test::descendants(menu, GTK_TYPE_BUTTON)
                                                                      : std::vector<GtkWidget*>{}) {
            for (const std::string& label : test::labelTexts(button)) {
                if (label == "Paste As Plain Text")
                    entry = button;
            }
        }
        return entry != nullptr;
    })) << "the tools menu opens";
    ASSERT_TRUE(test::clickWidget(entry));
    typeAndWait("Oscar");

    saveAndOpenAgain();
    if (HasFatalFailure())
        return;
    EXPECT_EQ(text(), "Small Alpha Bravo Kilo MikeTail Charlie November Oscar");
    EXPECT_EQ(pointsOf("Kilo"), 24) << run("tinymce.activeEditor.getContent()");
    EXPECT_EQ(pointsOf("Mike"), 24) << run("tinymce.activeEditor.getContent()");
    EXPECT_EQ(pointsOf("November"), 24) << run("tinymce.activeEditor.getContent()");
    EXPECT_EQ(pointsOf("Oscar"), 24) << run("tinymce.activeEditor.getContent()");
}

} // namespace
} // namespace folio
