#include "documents/DocumentSeeds.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Button.h"
#include "platform/ui/ProgressHUD.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextTools.h"
#include "support/EditorWindowTest.h"

#include "OutlineTree.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

class QVOutlineSpellingWindowTest : public test::EditorWindowTest<QVOutlineViewController> {
protected:
    QVOutlineSpellingWindowTest() : EditorWindowTest(EditorKind::QVOutline, "qvoutline-spelling-window") {}
    bool settle(const std::function<bool()>& condition)
    {
        return waitFor([&] {
            GtkPresenter::processPendingEvents();
            return condition();
        });
    }
    // Opens an outline of the given branches with the caret in the first
    // branch's words, `offset` letters in (or at their end when negative).
    void openWithCaretInFirstBranch(const std::string& name, const std::string& tree, int offset)
    {
        std::string path = folder.path(name);
        testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<ul id='left-tree'>" + tree + "</ul>")
                                                         ->stringView()));
        open(path);
        if (HasFatalFailure())
            return;
        run("(function(){var e=tinymce.activeEditor;e.focus();var t=document.getElementById('1').firstChild;"
            "var r=e.dom.createRng();r.setStart(t," + std::to_string(offset) + "<0?t.data.length:"
            + std::to_string(offset) + ");r.collapse(true);e.selection.setRng(r);})()");
    }
    // Check Spelling from the key row's menu, as a person picks it.
    void chooseCheckSpelling()
    {
        GtkWidget* key = nullptr;
        ASSERT_TRUE(settle([&] {
            key = GtkViewBuilder::widgetForView(toplevel, *editor->tools().keyBars().showMiscToolsMenu());
            return key && gtk_widget_get_mapped(key) && gtk_widget_get_allocated_width(key) > 1;
        }));
        ASSERT_TRUE(test::clickWidget(key));
        GtkWidget* row = nullptr;
        ASSERT_TRUE(settle([&] {
            row = nullptr;
            GtkWidget* menu = presenter->menuPopover();
            if (!menu || !gtk_widget_get_mapped(menu))
                return false;
            for (GtkWidget* each : test::descendants(menu, GTK_TYPE_BUTTON)) {
                for (const std::string& text : test::labelTexts(each)) {
                    if (text == "Check Spelling")
                        row = each;
                }
            }
            return row && gtk_widget_get_mapped(row);
        })) << "no Check Spelling in the key row's menu";
        // The menu is taller than the window: it scrolls to its last row, as a
        // person scrolls it.
        for (GtkWidget* above = gtk_widget_get_parent(row); above; above = gtk_widget_get_parent(above)) {
            if (!GTK_IS_SCROLLED_WINDOW(above))
                continue;
            GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(above));
            gtk_adjustment_set_value(vertical, gtk_adjustment_get_upper(vertical));
        }
        for (int turn = 0; turn < 5; ++turn)
            GtkPresenter::processPendingEvents();
        // On a busy machine the overlay can come and go while the click is
        // still being delivered: whether the row showed it is noted as the
        // row's own click is handled.
        checkSpellingShowedProgress = false;
        g_signal_connect_after(row, "clicked", G_CALLBACK(+[](GtkButton*, gpointer seen) {
                                   *static_cast<bool*>(seen) = *static_cast<bool*>(seen) || ProgressHUD::isVisible();
                               }),
                               &checkSpellingShowedProgress);
        ASSERT_TRUE(test::clickWidget(row));
    }
    bool checkSpellingShowedProgress = false;
};

// Check Spelling from the key row's menu walks the outline and leaves the
// caret where the person had it: the next keys go into that branch, not
// at the end of the last one.
TEST_F(QVOutlineSpellingWindowTest, keysTypedAfterCheckSpellingGoWhereTheCaretWas)
{
    std::string tree = test::branch(1, 0, 1, "First branch") + test::branch(2, 0, 1, "Second branch")
                       + test::branch(3, 0, 1, "Last branch");
    openWithCaretInFirstBranch("Spelling.qvoutline", tree, 5);
    if (HasFatalFailure())
        return;
    chooseCheckSpelling();
    if (HasFatalFailure())
        return;
    // The walk shows its progress overlay until it is over.
    bool started = checkSpellingShowedProgress || ProgressHUD::isVisible();
    ASSERT_TRUE(settle([&] {
        started = started || ProgressHUD::isVisible();
        return started && !ProgressHUD::isVisible();
    })) << "Check Spelling did not run";
    gtk_widget_grab_focus(pageWidget);
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::typeText("Q"));
    ASSERT_TRUE(settle([&] { return run("document.getElementById('left-tree').textContent").find('Q') != std::string::npos; }));
    EXPECT_EQ(run("document.getElementById('1').textContent"), "FirstQ branch");
    EXPECT_EQ(run("document.getElementById('3').textContent"), "Last branch");
}

// Check Spelling chooses the next misspelled word from the caret on, in a
// later branch, past one the caret has left behind and one folded out of
// sight; the keys typed next replace it.
TEST_F(QVOutlineSpellingWindowTest, checkSpellingChoosesTheNextMisspelledWordInALaterBranch)
{
    // The misspelling under the folded branch is out of sight: no person
    // could see it chosen, nor what the next keys would type over.
    std::string folded = test::branch(2, 0, 1, "Folded branch");
    folded.replace(folded.find("tree-branch "), 12, "tree-branch branch-collapsed ");
    std::string tree = test::branch(1, 0, 1, "Frist branch") + folded + test::branch(3, 2, 2, "A hiden word")
                       + test::branch(4, 0, 1, "The watter here") + test::branch(5, 0, 1, "Last branch");
    openWithCaretInFirstBranch("Misspelled.qvoutline", tree, -1);
    if (HasFatalFailure())
        return;
    chooseCheckSpelling();
    if (HasFatalFailure())
        return;
    std::string selected;
    EXPECT_TRUE(settle([&] { return (selected = run("String(getSelection())")) == "watter"; }))
        << "Check Spelling chose \"" << selected << "\"";
    ASSERT_TRUE(settle([&] { return !ProgressHUD::isVisible(); }));
    gtk_widget_grab_focus(pageWidget);
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::typeText("water"));
    std::string second;
    EXPECT_TRUE(settle([&] { return (second = run("document.getElementById('4').textContent")) == "The water here"; }))
        << second;
    EXPECT_EQ(run("document.getElementById('1').textContent"), "Frist branch");
    EXPECT_EQ(run("document.getElementById('3').textContent"), "A hiden word");
}

} // namespace
} // namespace folio
