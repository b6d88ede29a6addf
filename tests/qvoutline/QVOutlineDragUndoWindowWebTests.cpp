#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkRealKeys.h"
#include "qvoutline/QVOutlineViewController.h"
#include "support/EditorWindowTest.h"
#include "OutlineTree.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace folio {
namespace {

// The outline's tree in a real window, dragged with the real pointer and
// folded and undone with real keys, then saved and opened again.
class QVOutlineTreeWindowTest : public test::EditorWindowTest<QVOutlineViewController> {
protected:
    QVOutlineTreeWindowTest() : EditorWindowTest(EditorKind::QVOutline, "qvoutline-tree-window") {}

    std::string writeOutline(const std::string& name, const std::string& tree)
    {
        std::string path = folder.path(name);
        testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(
                                                         "<div id='noteDate'>Mar 5, 2024</div><ul id='left-tree'>" +
                                                         tree + "</ul>")
                                                         ->stringView()));
        return path;
    }

    std::string stored(const std::string& path)
    {
        Result<std::u16string> text = DocumentText::read(path, DocumentKind::QVOutline);
        EXPECT_TRUE(text.ok());
        return text ? toUtf8(*text) : std::string();
    }

    std::string order()
    {
        return run("Array.prototype.map.call(document.querySelectorAll('#left-tree > li'),"
                   "function(b){return b.getAttribute('data-id');}).join(',')");
    }

    // The middle of a branch's bullet, or a point just above its box, in
    // the page view's coordinates.
    Point bulletOf(int id)
    {
        return test::pointFromAnswer(run("(function(){var r=document.querySelector('[data-id=\"" + std::to_string(id) +
                                         "\"] .branch-drag-handler').getBoundingClientRect();"
                                         "return Math.round(r.left+r.width/2)+','+Math.round(r.top+r.height/2);})()"));
    }
    Point justAbove(int id)
    {
        return test::pointFromAnswer(run("(function(){var r=document.querySelector('[data-id=\"" + std::to_string(id) +
                                         "\"]').getBoundingClientRect();"
                                         "return Math.round(r.left+8)+','+Math.round(r.top+3);})()"));
    }

    // Presses the real pointer on the bullet, moves it in steps to the
    // point as a hand does, and lets go there.
    void dragBullet(int id, Point to)
    {
        Point from = bulletOf(id);
        ASSERT_GE(from.x, 0);
        ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, from));
        ASSERT_TRUE(test::runXdotool({"mousedown", "1"}));
        for (int step = 1; step <= 12; ++step) {
            Point at = test::pagePointOnScreen(toplevel, pageWidget,
                                               {from.x + (to.x - from.x) * step / 12, from.y + (to.y - from.y) * step / 12});
            ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", std::to_string(int(std::lround(at.x))),
                                          std::to_string(int(std::lround(at.y)))}));
            GtkPresenter::processPendingEvents();
        }
        ASSERT_TRUE(test::runXdotool({"mouseup", "1"}));
        GtkPresenter::processPendingEvents();
    }

    static void expectNoDragMarks(const std::string& page)
    {
        for (const char* mark : {"ui-sortable-helper", "sortable-placeholder", "ui-sortable-placeholder", "position: absolute"})
            EXPECT_EQ(page.find(mark), std::string::npos) << mark << ": " << page;
    }
};

// Ctrl+Z after a drag puts the branch back where it was, as one step, and
// nothing of the drag's own (its floating helper, the dashed place it
// showed) ever reaches the page's undo history or the saved tree.
TEST_F(QVOutlineTreeWindowTest, ctrlZAfterADragPutsTheBranchBackAndNoDragMarkIsEverSaved)
{
    std::string path = writeOutline("Drag.qvoutline", test::branch(1, 0, 1, "Alpha") + test::branch(2, 0, 1, "Beta") +
                                                          test::branch(3, 0, 1, "Gamma"));
    open(path);
    if (HasFatalFailure())
        return;
    // Typing first leaves the undo history in the middle of a typing step,
    // as a person's editing does before a drag.
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('3'),true);"
        "e.selection.collapse(false);})()");
    ASSERT_TRUE(test::typeText("s"));
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('3').textContent") == "Gammas"; }));

    dragBullet(3, justAbove(1));
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(waitFor([&] { return order() == "3,1,2"; })) << "the drag moved nothing: " << order();
    ASSERT_TRUE(save());
    EXPECT_EQ(test::treeOf(stored(path)),
              (std::vector<std::string>{"3/0/1 Gammas", "1/0/1 Alpha", "2/0/1 Beta"}));

    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_TRUE(waitFor([&] { return order() == "1,2,3"; })) << "Ctrl+Z did not put the branch back: " << order();
    EXPECT_EQ(run("document.querySelectorAll('#left-tree > li').length"), "3") << "no empty row came back";
    EXPECT_EQ(run("document.querySelectorAll('.ui-sortable-helper,.sortable-placeholder').length"), "0");
    EXPECT_EQ(run("document.getElementById('3').textContent"), "Gammas") << "the drag alone was taken back";
    // Every step the history holds is free of the drag's marks.
    EXPECT_EQ(run("tinymce.activeEditor.undoManager.data.filter(function(l){return /sortable-(helper|placeholder)/"
                  ".test(l.content||'')||(l.fragments||[]).join('').match(/sortable-(helper|placeholder)/);}).length"),
              "0");
    ASSERT_TRUE(save());
    const std::string undone = stored(path);
    EXPECT_EQ(test::treeOf(undone), (std::vector<std::string>{"1/0/1 Alpha", "2/0/1 Beta", "3/0/1 Gammas"})) << undone;
    expectNoDragMarks(undone);

    closeDocument();
    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(order(), "1,2,3") << "the outline reopens as it was left";
    EXPECT_EQ(run("document.querySelectorAll('#left-tree li').length"), "3");
}

// A file that a broken save left with a drag's marks opens as the tree it
// meant: no empty row, no branch floating over another.
TEST_F(QVOutlineTreeWindowTest, aFileHoldingADragsMarksOpensAndSavesWithoutThem)
{
    std::string helper = test::branch(3, 0, 1, "Gamma");
    helper.replace(helper.find("tree-branch branch-level-1"), 26, "tree-branch branch-level-1 ui-sortable-helper");
    helper.replace(helper.find("style='z-index: 10;"), 19, "style='position: absolute; top: 36px; z-index: 1000;");
    std::string path = writeOutline("Marked.qvoutline", "<li class='ui-sortable-placeholder sortable-placeholder'></li>" +
                                                            test::branch(1, 0, 1, "Alpha") + helper);
    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(order(), "1,3");
    EXPECT_EQ(run("document.querySelectorAll('#left-tree li').length"), "2");
    EXPECT_NE(run("getComputedStyle(document.querySelector('[data-id=\"3\"]')).position"), "absolute");
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(false);})()");
    ASSERT_TRUE(test::typeText("s"));
    ASSERT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    ASSERT_TRUE(save());
    const std::string saved = stored(path);
    EXPECT_EQ(test::treeOf(saved), (std::vector<std::string>{"1/0/1 Alphas", "3/0/1 Gamma"})) << saved;
    expectNoDragMarks(saved);
}

// A folded branch is saved folded and opens folded: what hangs below it is
// hidden, and the keys unfold and fold it again at once.
TEST_F(QVOutlineTreeWindowTest, aFoldIsSavedAndOpensFoldedAndItsKeysWorkAtOnce)
{
    std::string path = writeOutline("Folded.qvoutline", test::branch(1, 0, 1, "Fruit") + test::branch(2, 1, 2, "Apple") +
                                                            test::branch(5, 2, 3, "Seeds") + test::branch(3, 1, 2, "Pear") +
                                                            test::branch(4, 0, 1, "Greens"));
    auto caretIn = [&](int id) {
        run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('" + std::to_string(id) +
            "'),true);e.selection.collapse(false);})()");
    };
    auto shown = [&] {
        return run("Array.prototype.filter.call(document.querySelectorAll('#left-tree > li'),function(b){"
                   "return b.getBoundingClientRect().height>0;}).map(function(b){return b.getAttribute('data-id');})"
                   ".join(',')");
    };
    open(path);
    if (HasFatalFailure())
        return;
    // Apple folded inside Fruit, then Fruit folded: both folds are kept.
    caretIn(2);
    ASSERT_TRUE(test::pressKeys("ctrl+Up"));
    ASSERT_TRUE(waitFor([&] { return shown() == "1,2,3,4"; })) << shown();
    caretIn(1);
    ASSERT_TRUE(test::pressKeys("ctrl+Up"));
    ASSERT_TRUE(waitFor([&] { return shown() == "1,4"; })) << shown();
    ASSERT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    ASSERT_TRUE(save());
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(shown(), "1,4") << "the folded branch's children show after opening";
    caretIn(1);
    ASSERT_TRUE(test::pressKeys("ctrl+Down"));
    EXPECT_TRUE(waitFor([&] { return shown() == "1,2,3,4"; })) << "Ctrl+Down did not unfold: " << shown();
    ASSERT_TRUE(test::pressKeys("ctrl+Up"));
    EXPECT_TRUE(waitFor([&] { return shown() == "1,4"; })) << "Ctrl+Up did not fold again: " << shown();
    caretIn(2);
    EXPECT_EQ(run("document.querySelector('[data-id=\"2\"]').classList.contains('branch-collapsed')"), "1");
}

} // namespace
} // namespace folio
