#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "export/ExportSource.h"
#include "export/rtfd/RTFDExporter.h"
#include "export/txt/TextExporter.h"
#include "formats/rtf/DKRTFReader.h"
#include "support/ExportTestSupport.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ZipArchive.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkPrimarySelection.h"
#include "platform/gtk/GtkRealKeys.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextTools.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Pasteboard.h"
#include "webeditor/EditorToolCommands.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "qvoutline/QVOutlineViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "webeditor/EditorBarItems.h"
#include "OutlineTree.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>

namespace folio {
namespace {

using testing_support::ScratchFolder;

int darkness(unsigned rgb)
{
    return 765 - int((rgb >> 16) & 0xFF) - int((rgb >> 8) & 0xFF) - int(rgb & 0xFF);
}

// The outline editor in a real window, typed into as a person types.
class QVOutlineWindowTest : public test::EditorWindowTest<QVOutlineViewController> {
protected:
    QVOutlineWindowTest() : EditorWindowTest(EditorKind::QVOutline, "qvoutline-window") {}

    void pressWithShift(guint keyval, bool shift) { press(keyval, shift ? GDK_SHIFT_MASK : GdkModifierType(0)); }

    // Keys reach the page in their own time: each step waits for the page
    // to show it.
    bool showsSoon(const std::string& script, const std::string& expected)
    {
        return waitFor([&] { return run(script) == expected; });
    }
};

// What another program drops on a branch goes into it, made safe as a paste
// is: its words arrive, its handlers do not.
TEST_F(QVOutlineWindowTest, aDropFromAnotherProgramArrivesInTheBranchWithoutItsHandlers)
{
    std::string path = folder.path("Dropped.qvoutline");
    Result<std::string> seed = DocumentSeeds::outlineSeedPage(std::chrono::system_clock::now(), "en_US");
    ASSERT_TRUE(seed.ok());
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(*seed)->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(true);})()");
    type("Target");
    ASSERT_TRUE(showsSoon("document.getElementById('1').textContent", "Target"));
    run("(function(){var d=new DataTransfer();"
        "d.setData('text/html','<b onclick=\\'window.dropRan=1\\'>Dropped</b>');d.setData('text/plain','Dropped');"
        "var t=document.getElementById('1'),r=t.getBoundingClientRect();"
        "t.dispatchEvent(new DragEvent('drop',{dataTransfer:d,bubbles:true,cancelable:true,"
        "clientX:r.left+r.width-1,clientY:r.top+r.height/2}));})()");
    EXPECT_TRUE(waitFor([&] { return run("document.getElementById('1').textContent").find("Dropped") != std::string::npos; }))
        << run("document.getElementById('left-tree').innerHTML");
    EXPECT_EQ(run("document.getElementById('left-tree').innerHTML").find("onclick"), std::string::npos);
}

// The tools' copies of an outline hold its branches' words in order, and
// not the handles the page shows beside them.
TEST_F(QVOutlineWindowTest, theToolsCopiesHoldTheBranchesWordsWithoutTheirHandles)
{
    std::string path = folder.path("Trip.qvoutline");
    const std::string tree = "<ul id='left-tree'>" + test::branch(1, 0, 1, "Trip") + test::branch(2, 1, 2, "Tickets") +
        test::branch(3, 0, 1, "Home") + "</ul>";
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(tree)->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    auto copied = [](std::string before) {
        std::string text = before;
        RunLoop::main().runUntil([&] {
            auto data = Pasteboard::general().dataForPasteboardType(kPasteboardTypeUTF8PlainText);
            text = data ? std::string(data->begin(), data->end()) : before;
            return text != before;
        }, kEngineWaitSeconds);
        return text;
    };
    Pasteboard::general().setData({'-'}, kPasteboardTypeUTF8PlainText);
    editor->tools().commands().copyPlainTextToPasteboard();
    EXPECT_EQ(copied("-"), "Trip\nTickets\nHome");
    editor->tools().commands().copyHTMLToPasteboard();
    const std::string html = copied("Trip\nTickets\nHome");
    EXPECT_EQ(html.find("\u25CF"), std::string::npos) << html;
    EXPECT_LT(html.find(">Trip<"), html.find(">Tickets<")) << html;
    EXPECT_LT(html.find(">Tickets<"), html.find(">Home<")) << html;
    EXPECT_NE(html.find(">Home<"), std::string::npos) << html;
    // The page still shows its handles.
    EXPECT_EQ(run("document.querySelectorAll('.branch-drag-handler').length"), "3");
}

TEST_F(QVOutlineWindowTest, aBranchAddedToTheSeedOutlineIsSavedAndThereWhenItOpensAgainAndNoKeyMergesTwoBranches)
{
    std::string path = folder.path("New.qvoutline");
    Result<std::string> seed = DocumentSeeds::outlineSeedPage(std::chrono::system_clock::now(), "en_US");
    ASSERT_TRUE(seed.ok());
    std::string date = DocumentSeeds::outlineDateText(std::chrono::system_clock::now(), "en_US");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(*seed)->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_NE(run("document.getElementById('noteDate').textContent").find(date), std::string::npos);
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(true);})()");
    type("First");
    ASSERT_TRUE(showsSoon("document.getElementById('1').textContent", "First")) << "the keys did not reach the title";
    press(GDK_KEY_Return);
    ASSERT_TRUE(showsSoon("String(document.querySelectorAll('#left-tree > li').length)", "2"))
        << "Return did not add a branch";
    type("Second");
    ASSERT_TRUE(showsSoon("String(document.getElementById('2') && document.getElementById('2').textContent)",
                          "Second"))
        << "the new branch did not take the caret";
    press(GDK_KEY_Tab);
    EXPECT_TRUE(showsSoon("document.querySelector('[data-id=\"2\"]').getAttribute('data-level')", "2"))
        << "Tab hangs the new branch under the first";
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds));
    // The window as it shows: the second title is drawn further in than the
    // first, and no letter is drawn left of it on its line (the box's border
    // and the light bullet are).
    run("window.folioPainted=false;requestAnimationFrame(function(){requestAnimationFrame(function(){"
        "window.folioPainted=true;});});");
    ASSERT_TRUE(showsSoon("String(window.folioPainted)", "true")) << "the page did not draw";
    int left = 0;
    int top = 0;
    gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &left, &top);
    auto box = [&](int id) {
        std::string answer = run("(function(){var r=document.getElementById('" + std::to_string(id) +
                                 "').getBoundingClientRect();return Math.round(r.left)+','+Math.round(r.top)+','+"
                                 "Math.round(r.height);})()");
        int x = 0, y = 0, height = 0;
        EXPECT_EQ(sscanf(answer.c_str(), "%d,%d,%d", &x, &y, &height), 3) << answer;
        return std::array<int, 3>{x, y, height};
    };
    std::array<int, 3> first = box(1);
    std::array<int, 3> second = box(2);
    EXPECT_GE(second[0] - first[0], 25) << "the child hangs a level in";
    // The web process paints in its own time: the window is pictured until
    // it shows the page as it now stands, or the wait ends.
    int firstTitle = 0;
    int secondTitle = 0;
    int leftOfSecond = 0;
    // The run loop sleeps until something happens: a tick keeps it looking.
    guint tick = g_timeout_add(50, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvoutline-editor"));
            if (!shot)
                return false;
            auto darkestIn = [&](int x0, int x1, int y0, int y1) {
                int darkest = 0;
                for (int x = x0; x < x1; ++x) {
                    for (int y = y0; y < y1; ++y)
                        darkest = std::max(darkest, darkness(test::pixelAt(shot, left + x, top + y)));
                }
                return darkest;
            };
            firstTitle = darkestIn(first[0], first[0] + 60, first[1], first[1] + first[2]);
            secondTitle = darkestIn(second[0], second[0] + 60, second[1], second[1] + second[2]);
            leftOfSecond = darkestIn(first[0], second[0] - 20, second[1] + 2, second[1] + second[2] - 2);
            g_object_unref(shot);
            return firstTitle > 400 && secondTitle > 400 && leftOfSecond < 300;
        },
        kEngineWaitSeconds);
    g_source_remove(tick);
    EXPECT_GT(firstTitle, 400) << "the first title is drawn";
    EXPECT_GT(secondTitle, 400) << "the second too";
    EXPECT_LT(leftOfSecond, 300) << "no letters left of the indented title";

    ASSERT_TRUE(save());
    closeDocument();

    Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVOutline);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(test::treeOf(toUtf8(*stored)), (std::vector<std::string>{"1/0/1 First", "2/1/2 Second"}))
        << toUtf8(*stored);

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run("document.getElementById('1').textContent + '|' + document.getElementById('2').textContent"),
              "First|Second");
    EXPECT_EQ(run("document.querySelector('[data-id=\"2\"]').getAttribute('data-parent')"), "1");
    EXPECT_NE(run("document.getElementById('noteDate').textContent").find(date), std::string::npos);

    // Backspace at the start of a title never merges two branches; in an
    // empty branch it takes that branch away.
    auto caretIn = [&](int id, bool atEnd) {
        run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('" + std::to_string(id) +
            "'),true);e.selection.collapse(" + (atEnd ? "false" : "true") + ");})()");
    };
    auto titles = [&] {
        return run("Array.prototype.map.call(document.querySelectorAll('#left-tree > li'),function(li){"
                   "var t=li.querySelector('.branch-title');return li.getAttribute('data-id')+':'+(t?t.textContent:'-');"
                   "}).join(' ')");
    };
    // Each key is waited for until the page has seen it go up again, as a
    // key that changes nothing shows nothing else.
    run("window.folioKeysUp=0;document.addEventListener('keyup',function(){++window.folioKeysUp;},true);");
    int keysUp = 0;
    auto pressSeen = [&](guint keyval) {
        press(keyval);
        ASSERT_TRUE(showsSoon("String(window.folioKeysUp)", std::to_string(++keysUp)));
    };
    caretIn(2, false);
    pressSeen(GDK_KEY_BackSpace);
    EXPECT_EQ(titles(), "1:First 2:Second");
    caretIn(1, true);
    pressSeen(GDK_KEY_Delete);
    EXPECT_EQ(titles(), "1:First 2:Second");
    pressSeen(GDK_KEY_Return);
    ASSERT_TRUE(showsSoon("String(document.querySelectorAll('#left-tree > li').length)", "3"));
    EXPECT_EQ(titles(), "1:First 2:Second 3:") << "a new branch comes after all that hangs below the caret's";
    pressSeen(GDK_KEY_BackSpace);
    EXPECT_TRUE(showsSoon("String(document.querySelectorAll('#left-tree > li').length)", "2"));
    type("!");
    EXPECT_TRUE(showsSoon("document.getElementById('2').textContent", "Second!")) << "the caret goes back up";
    EXPECT_EQ(titles(), "1:First 2:Second!");
}

TEST_F(QVOutlineWindowTest, theBarsUndoAndRedoFollowThePageAndWorkWithTheKeysAndAClick)
{
    std::string path = folder.path("Undo.qvoutline");
    Result<std::string> seed = DocumentSeeds::outlineSeedPage(std::chrono::system_clock::now(), "en_US");
    ASSERT_TRUE(seed.ok());
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(*seed)->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    GtkWidget* undo = presenter->widgetForBarButtonItem(*editor->undoBarButtonItem());
    GtkWidget* redo = presenter->widgetForBarButtonItem(*editor->redoBarButtonItem());
    ASSERT_NE(undo, nullptr) << "the undo item is in the window's bar";
    ASSERT_NE(redo, nullptr);
    EXPECT_FALSE(gtk_widget_get_sensitive(undo)) << "nothing to undo in a page just opened";
    EXPECT_FALSE(gtk_widget_get_sensitive(redo));
    GtkWidget* symbol = gtk_button_get_image(GTK_BUTTON(undo));
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(gtk_image_get_pixel_size(GTK_IMAGE(symbol)), int(editor->undoBarButtonItem()->symbolPointSize()));

    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(true);})()");
    ASSERT_TRUE(test::typeText("Plan"));
    ASSERT_TRUE(showsSoon("document.getElementById('1').textContent", "Plan")) << "the keys did not reach the title";
    ASSERT_TRUE(test::pressKeys("Return"));
    ASSERT_TRUE(showsSoon("String(document.querySelectorAll('#left-tree > li').length)", "2"));
    // The items follow the page a few seconds after its last change.
    auto sensitiveSoon = [&](GtkWidget*& button, const BarButtonItem& item, bool sensitive) {
        return RunLoop::main().runUntil(
            [&] {
                button = presenter->widgetForBarButtonItem(item);
                return button && gtk_widget_get_sensitive(button) == sensitive;
            },
            kEngineWaitSeconds);
    };
    ASSERT_TRUE(sensitiveSoon(undo, *editor->undoBarButtonItem(), true)) << "the undo item never came on";
    EXPECT_FALSE(gtk_widget_get_sensitive(redo));

    // Ctrl+Z takes back one step, the new branch, and only that.
    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    ASSERT_TRUE(showsSoon("String(document.querySelectorAll('#left-tree > li').length)", "1"))
        << "Ctrl+Z did not take the new branch back";
    EXPECT_EQ(run("document.getElementById('1').textContent"), "Plan") << "one key, one step";
    ASSERT_TRUE(sensitiveSoon(redo, *editor->redoBarButtonItem(), true)) << "the redo item never came on";

    // A click on the redo item puts it back.
    ASSERT_TRUE(test::clickWidget(redo));
    EXPECT_TRUE(showsSoon("String(document.querySelectorAll('#left-tree > li').length)", "2"))
        << "the redo item's click did not bring the branch back";
    EXPECT_TRUE(sensitiveSoon(redo, *editor->redoBarButtonItem(), false)) << "nothing more to redo";
}

// Selecting text in another program takes the desktop's primary selection,
// and WebKit may collapse the page's selection by itself: the words the user
// selected in a branch are still the ones the next command formats.
TEST_F(QVOutlineWindowTest, aSelectionSurvivesAnotherProgramTakingThePrimarySelection)
{
    std::string path = folder.path("Primary.qvoutline");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(
                                                     "<div id='noteDate'>Mar 5, 2024</div><ul id='left-tree'>" +
                                                     test::branch(1, 0, 1, "Plain words here") + "</ul>")
                                                     ->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    ASSERT_EQ(run("(function(){var e=tinymce.activeEditor;e.focus();var t=e.dom.get('1').firstChild;"
                  "var r=document.createRange();r.setStart(t,6);r.setEnd(t,11);e.selection.setRng(r);"
                  "return e.selection.getContent({format:'text'});})()"),
              "words");
    ASSERT_EQ(run(std::string(test::kWatchForCollapsedSelection) + "(document)"), "watching");
    auto collapsed = [&] { return run(std::string(test::kSelectionWasCollapsed) + "(document)") == "true"; };
    ASSERT_TRUE(test::anotherProgramTakesThePrimarySelection(collapsed, [&] { run("1"); }, "words", kEngineWaitSeconds))
        << "the page kept taking the primary selection back";

    editor->styling().characters().boldExecCommand();
    EXPECT_EQ(run("getSelection().toString()"), "words") << "the selection is back where the user left it";
    EXPECT_EQ(run("document.getElementById('1').innerHTML"), "Plain <strong>words</strong> here");

    ASSERT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds));
    ASSERT_TRUE(save());
    Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVOutline);
    ASSERT_TRUE(stored.ok());
    EXPECT_NE(toUtf8(*stored).find("Plain <strong>words</strong> here"), std::string::npos) << toUtf8(*stored);
}

// Ctrl+Up folds the branch at the caret and Ctrl+Down unfolds it; a click
// on its bullet does the same. Ctrl+Shift+Down moves it past its sibling,
// and Tab and Shift+Tab hang it in and out: always with what hangs below it,
// as the saved tree shows.
TEST_F(QVOutlineWindowTest, aBranchFoldsByItsKeysAndBulletAndMovesAndIndentsWithItsChildren)
{
    std::string path = folder.path("Folds.qvoutline");
    std::string page = "<ul id='left-tree'>" + test::branch(1, 0, 1, "Fruit") + test::branch(2, 1, 2, "Apple") +
                       test::branch(3, 1, 2, "Pear") + test::branch(4, 0, 1, "Greens") + "</ul>";
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(page)->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(false);})()");
    auto shown = [&](int id) {
        return run("(function(){var r=document.getElementById('" + std::to_string(id) +
                   "').getBoundingClientRect();return r.height>0?1:0;})()") == "1";
    };
    // Where "Pear", the last child, is drawn before the fold, in the window:
    // folded, the branch after the children moves up, and that place is empty.
    int left = 0;
    int top = 0;
    gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &left, &top);
    std::string at = run("(function(){var r=document.getElementById('3').getBoundingClientRect();"
                         "return Math.round(r.left)+','+Math.round(r.top)+','+Math.round(r.height);})()");
    int x = 0, y = 0, height = 0;
    ASSERT_EQ(sscanf(at.c_str(), "%d,%d,%d", &x, &y, &height), 3) << at;
    auto inkWherePearWas = [&] {
        int darkest = 0;
        GtkPresenter::processPendingEvents();
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvoutline-fold"));
        for (int dx = 0; shot && dx < 40; ++dx) {
            for (int dy = 0; dy < height; ++dy)
                darkest = std::max(darkest, darkness(test::pixelAt(shot, left + x + dx, top + y + dy)));
        }
        if (shot)
            g_object_unref(shot);
        return darkest;
    };
    guint tick = g_timeout_add(50, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    EXPECT_TRUE(waitFor([&] { return inkWherePearWas() > 400; })) << "Pear is not drawn";

    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::pressKeys("ctrl+Up"));
    EXPECT_TRUE(waitFor([&] { return !shown(2) && !shown(3) && shown(4); })) << "Ctrl+Up folded nothing";
    EXPECT_TRUE(waitFor([&] { return inkWherePearWas() < 300; })) << "the folded Pear is still drawn";
    ASSERT_TRUE(test::pressKeys("ctrl+Down"));
    EXPECT_TRUE(waitFor([&] { return shown(2) && shown(3); })) << "Ctrl+Down unfolded nothing";
    EXPECT_TRUE(waitFor([&] { return inkWherePearWas() > 400; })) << "the unfolded Pear is not drawn";

    // The bullet, clicked, folds and unfolds as well.
    std::string bullet = run("(function(){var r=document.querySelector('[data-id=\"1\"] .branch-drag-handler')"
                             ".getBoundingClientRect();return Math.round(r.left+r.width/2)+','+Math.round(r.top+r.height/2);})()");
    int bx = 0, by = 0;
    ASSERT_EQ(sscanf(bullet.c_str(), "%d,%d", &bx, &by), 2) << bullet;
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, {double(bx), double(by)}));
    ASSERT_TRUE(test::runXdotool({"click", "1"}));
    EXPECT_TRUE(waitFor([&] { return !shown(2) && !shown(3); })) << "a click on the bullet folded nothing";
    ASSERT_TRUE(test::runXdotool({"click", "1"}));
    EXPECT_TRUE(waitFor([&] { return shown(2) && shown(3); })) << "a second click unfolded nothing";
    g_source_remove(tick);

    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(false);})()");
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::pressKeys("ctrl+shift+Down"));
    EXPECT_TRUE(showsSoon("Array.prototype.map.call(document.querySelectorAll('#left-tree > li'),"
                          "function(b){return b.getAttribute('data-id');}).join(',')",
                          "4,1,2,3"))
        << "the branch did not move down with its children";
    ASSERT_TRUE(test::pressKeys("Tab"));
    EXPECT_TRUE(showsSoon("document.querySelector('[data-id=\"3\"]').getAttribute('data-level')", "3"));
    ASSERT_TRUE(save());
    Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVOutline);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(test::treeOf(toUtf8(*stored)),
              (std::vector<std::string>{"4/0/1 Greens", "1/4/2 Fruit", "2/1/3 Apple", "3/1/3 Pear"}))
        << toUtf8(*stored);

    ASSERT_TRUE(test::pressKeys("shift+Tab"));
    EXPECT_TRUE(showsSoon("document.querySelector('[data-id=\"2\"]').getAttribute('data-level')", "2"));
    ASSERT_TRUE(save());
    stored = DocumentText::read(path, DocumentKind::QVOutline);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(test::treeOf(toUtf8(*stored)),
              (std::vector<std::string>{"4/0/1 Greens", "1/0/1 Fruit", "2/1/2 Apple", "3/1/2 Pear"}))
        << toUtf8(*stored);
}

// A new outline made as the browser makes one (a blank document saved,
// then opened as a document of its own) takes the keys typed at once into
// its first branch, without a click, and they are saved.
TEST_F(QVOutlineWindowTest, aNewOutlineFromTheBrowserTakesTheKeysTypedAtOnceIntoItsFirstBranch)
{
    std::string path = folder.path("Untitled.qvoutline");
    {
        auto made = std::make_shared<TextDocument>(path);
        ASSERT_TRUE(made->initWithContentsOfTemplateAtURL(std::nullopt, path));
        std::optional<bool> created;
        made->saveToURL(path, DKDocument::SaveOperation::ForCreating, [&](bool success) { created = success; });
        ASSERT_TRUE(waitFor([&] { return created.has_value(); }));
        ASSERT_TRUE(*created);
    }
    open(path);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::runXdotool({"type", "--delay", "30", "Typed at once"}));
    EXPECT_TRUE(showsSoon("document.getElementById('1').textContent", "Typed at once"))
        << "the keys did not reach the first branch: " << run("tinymce.activeEditor.getBody().innerText");
    EXPECT_FALSE(document->isNewBlankDocument()) << "the outline stays new after its page is set up";
    ASSERT_TRUE(save());
    TextDocument reread(path);
    ASSERT_TRUE(reread.readFromURL(path));
    EXPECT_NE(toUtf8(reread.text()).find("Typed at once"), std::string::npos) << toUtf8(reread.text());
    EXPECT_FALSE(reread.isNewBlankDocument()) << "opened again, the outline is not new";
}

// An empty file named as an outline opens as a new outline: the keys typed
// at once go into its first branch, under its date line, and closing the
// document saves them.
TEST_F(QVOutlineWindowTest, anEmptyOutlineFileOpensAsANewOutlineAndItsClosingSavesWhatIsTyped)
{
    std::string path = folder.path("Blank.qvoutline");
    testing_support::writeFile(path, "");
    open(path);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::runXdotool({"type", "--delay", "30", "Zebra"}));
    EXPECT_TRUE(showsSoon("String(document.getElementById('1') && document.getElementById('1').textContent)", "Zebra"))
        << run("tinymce.activeEditor.getBody().innerHTML");
    ASSERT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    closeDocument();

    Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVOutline);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(test::treeOf(toUtf8(*stored)), (std::vector<std::string>{"1/0/1 Zebra"})) << toUtf8(*stored);
    EXPECT_NE(toUtf8(*stored).find("noteDate"), std::string::npos) << toUtf8(*stored);
}

// An outline another program wrote without the tree shows what it holds,
// takes what is typed after it into a branch, and saves both; one whose
// whole text, tree and all, is selected and typed over saves the new text.
TEST_F(QVOutlineWindowTest, anOutlineWithoutItsTreeKeepsWhatItHeldAndSavesWhatIsTyped)
{
    std::string path = folder.path("Plan.qvoutline");
    Result<Data> plan = DocumentSeeds::compressedPage("<ul><li>Harbour<ul><li>North pier</li></ul></li><li>Lights</li></ul>");
    ASSERT_TRUE(plan.ok());
    testing_support::writeFile(path, std::string(plan->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    run("tinymce.activeEditor.focus()");
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type(" Zebra");
    ASSERT_TRUE(showsSoon("String(tinymce.activeEditor.getBody().textContent.indexOf('Zebra') >= 0)", "true"));
    ASSERT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    closeDocument();

    Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVOutline);
    ASSERT_TRUE(stored.ok());
    std::string saved = toUtf8(*stored);
    for (const char* word : {"Harbour", "North pier", "Lights", "Zebra"})
        EXPECT_NE(saved.find(word), std::string::npos) << word << " is not in " << saved;

    open(path);
    if (HasFatalFailure())
        return;
    run("tinymce.activeEditor.focus()");
    press(GDK_KEY_a, GDK_CONTROL_MASK);
    press(GDK_KEY_Delete);
    type("Yak");
    ASSERT_TRUE(showsSoon("String(tinymce.activeEditor.getBody().textContent.indexOf('Yak') >= 0)", "true"));
    ASSERT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    closeDocument();
    stored = DocumentText::read(path, DocumentKind::QVOutline);
    ASSERT_TRUE(stored.ok());
    EXPECT_NE(toUtf8(*stored).find("Yak"), std::string::npos) << toUtf8(*stored);
    EXPECT_EQ(toUtf8(*stored).find("Harbour"), std::string::npos) << toUtf8(*stored);
}

// The + menu's Table, chosen with the real pointer, puts a table of three
// by three cells into the branch at the caret, and the saved outline holds
// it there.
TEST_F(QVOutlineWindowTest, thePlusMenusTableGoesIntoTheBranchAndIsSaved)
{
    std::string path = folder.path("Tables.qvoutline");
    Result<std::string> seed = DocumentSeeds::outlineSeedPage(std::chrono::system_clock::now(), "en_US");
    ASSERT_TRUE(seed.ok());
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(*seed)->stringView()));
    open(path, {1000, 700}, Root::Navigation);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(true);})()");
    type("Costs");
    ASSERT_TRUE(showsSoon("document.getElementById('1').textContent", "Costs"));
    GtkWidget* plus = presenter->widgetForBarButtonItem(*editor->tools().barItems().insertItemBarButtonItem());
    ASSERT_NE(plus, nullptr);
    ASSERT_TRUE(waitFor([&] {
        GtkPresenter::processPendingEvents();
        return gtk_widget_get_mapped(plus) && gtk_widget_get_allocated_width(plus) > 1;
    }));
    ASSERT_TRUE(test::clickWidget(plus));
    GtkWidget* row = nullptr;
    ASSERT_TRUE(waitFor([&] {
        GtkPresenter::processPendingEvents();
        GtkWidget* menu = presenter->menuPopover();
        row = nullptr;
        for (GtkWidget* button : menu && gtk_widget_get_mapped(menu) ? test::descendants(menu, GTK_TYPE_BUTTON)
                                                                      : std::vector<GtkWidget*>{}) {
            std::vector<std::string> texts = test::labelTexts(button);
            if (std::find(texts.begin(), texts.end(), "Table") != texts.end())
                row = button;
        }
        return row && gtk_widget_get_mapped(row);
    })) << "no Table in the + menu on screen";
    ASSERT_TRUE(test::clickWidget(row));
    ASSERT_TRUE(showsSoon("String(document.querySelectorAll('[data-id=\"1\"] table td').length)", "9"))
        << run("tinymce.activeEditor.getBody().innerHTML");

    ASSERT_TRUE(save());
    TextDocument reread(path);
    ASSERT_TRUE(reread.readFromURL(path));
    std::string saved = toUtf8(reread.text());
    std::size_t branch = saved.find("data-id=\"1\"");
    ASSERT_NE(branch, std::string::npos) << saved;
    std::size_t cells = 0;
    for (std::size_t at = saved.find("<td", branch); at != std::string::npos; at = saved.find("<td", at + 1))
        ++cells;
    EXPECT_EQ(cells, 9u) << saved;
    EXPECT_NE(saved.find("Costs"), std::string::npos) << saved;
}

// An outline saved from the window goes out, as text and as a package, as its
// branches' words, one paragraph each in the order of the tree: the line
// breaks the page saves between a branch and its children make no empty
// paragraph of their own.
TEST_F(QVOutlineWindowTest, anOutlineSavedFromTheWindowExportsWithoutEmptyParagraphsBetweenItsBranches)
{
    std::string path = folder.path("Kitchen.qvoutline");
    std::string page = "<ul id='left-tree'>" + test::branch(1, 0, 1, "Garden") + test::branch(2, 1, 2, "Beans") +
                       test::branch(3, 0, 1, "Kitchen") + "</ul>";
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(page)->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('3'),true);"
        "e.selection.collapse(false);})()");
    press(GDK_KEY_Return);
    ASSERT_TRUE(showsSoon("String(document.querySelectorAll('#left-tree > li').length)", "4"))
        << "Return did not add a branch";
    type("Knives");
    ASSERT_TRUE(showsSoon("String(document.getElementById('4') && document.getElementById('4').textContent)",
                          "Knives"));
    press(GDK_KEY_Tab);
    ASSERT_TRUE(showsSoon("document.querySelector('[data-id=\"4\"]').getAttribute('data-level')", "2"));
    ASSERT_TRUE(save());
    closeDocument();

    const std::u16string words = u"Garden\nBeans\nKitchen\nKnives";
    Result<std::string> text = TextExporter::contents(ExportSource(path), ExportSource::OpenEditor::Ignore);
    ASSERT_TRUE(text.ok()) << text.error().message;
    EXPECT_EQ(toUtf16(*text), words);

    RTFDExporter exporter;
    Result<std::string> archivePath =
        testing_support::exportFile(exporter, path, RTFDExporter::temporaryPath(ExportSource(path)));
    ASSERT_TRUE(archivePath.ok()) << archivePath.error().message;
    Result<DKZipArchive> archive = DKZipArchive::open(*archivePath);
    ASSERT_TRUE(archive.ok());
    Result<Data> rich = archive->readEntry("Kitchen.qvoutline.rtfd/TXT.rtf");
    ASSERT_TRUE(rich.ok());
    Result<DKRTFReadResult> packaged = DKRTFReader::read(toUtf16(rich->stringView()));
    ASSERT_TRUE(packaged.ok());
    std::u16string packagedWords = packaged->text.string();
    std::erase(packagedWords, u'\uFEFF');
    EXPECT_EQ(packagedWords, words + u"\n");
}

} // namespace
} // namespace folio
