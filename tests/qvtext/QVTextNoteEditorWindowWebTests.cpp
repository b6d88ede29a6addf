#include "documents/DocumentSeeds.h"
#include "documents/TextDocument.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "qvtext/QVEditingTools.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "webeditor/NoteEditorController.h"
#include "webeditor/NotesCommander.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace folio {
namespace {

// The QV text editor's footnote editor as a person opens it: a click on the
// note's mark in TinyMCE's editing frame, with the real pointer.
class QVTextNoteEditorWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextNoteEditorWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-note-editor-window") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        // A popover fading in would be pictured half drawn.
        g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
        path = folder.path("Notes.qvtext");
        std::string html = "<p style=\"font-size:20px\">Opening line" + NotesCommander::footnoteHTML("footnote_first") + "</p>";
        for (int line = 2; line <= 14; ++line) {
            html += "<p style=\"font-size:20px\">Harbour line " + std::to_string(line);
            if (line == 9)
                html += NotesCommander::footnoteHTML("footnote_middle");
            html += "</p>";
        }
        testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(html)->stringView()));
        open(path, {1000, 720}, Root::Navigation);
    }

    struct Box {
        double left = 0, top = 0, right = 0, bottom = 0;
    };
    // Where the page shows the note's mark, and the line the mark stands
    // on, in the page's points: the editing frame's place is added.
    Box box(const std::string& what, int note)
    {
        std::string element = "tinymce.activeEditor.getBody().querySelectorAll('object.footnote')[" + std::to_string(note) + "]";
        if (what == "line")
            element += ".closest('p')";
        std::istringstream numbers(run("(function(){var f=tinymce.activeEditor.getContainer().querySelector('iframe')"
                                       ".getBoundingClientRect();var b=" + element +
                                       ".getBoundingClientRect();return [f.left+b.left,f.top+b.top,f.left+b.right,"
                                       "f.top+b.bottom].join(' ');})()"));
        Box found;
        numbers >> found.left >> found.top >> found.right >> found.bottom;
        return found;
    }
    GdkPixbuf* shoot(const char* name)
    {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath(name));
        EXPECT_NE(shot, nullptr);
        return shot;
    }
    static int darkPixels(GdkPixbuf* shot, Point from, Point to)
    {
        int dark = 0;
        for (int y = int(from.y); shot && y < int(to.y); ++y) {
            for (int x = int(from.x); x < int(to.x); ++x)
                dark += (test::pixelAt(shot, x, y) & 0xFF) < 0x60;
        }
        return dark;
    }
    int darkPixelsOfLine(GdkPixbuf* shot, const Box& line)
    {
        return darkPixels(shot, test::pagePointInWindow(toplevel, pageWidget, {line.left, line.top}),
                          test::pagePointInWindow(toplevel, pageWidget, {line.right, line.bottom}));
    }
    std::shared_ptr<NoteEditorController> openNote(int note)
    {
        Box mark = box("mark", note);
        Point middle{(mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2};
        EXPECT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, middle));
        EXPECT_TRUE(test::runXdotool({"click", "1"}));
        NotesCommander& notes = editor->editingTools().notes();
        GtkWidget* shown = nullptr;
        EXPECT_TRUE(waitFor([&] {
            GtkPresenter::processPendingEvents();
            shown = notes.openEditor() ? presenter->widgetForController(*notes.openEditor()) : nullptr;
            return shown && gtk_widget_get_mapped(shown);
        })) << "no note editor after a click on note " << note;
        return shown ? notes.openEditor() : nullptr;
    }
    GtkWidget* doneButton(const NoteEditorController& noteEditor)
    {
        for (GtkWidget* button : test::descendants(presenter->widgetForController(noteEditor), GTK_TYPE_BUTTON)) {
            std::vector<std::string> labels = test::labelTexts(button);
            if (std::find(labels.begin(), labels.end(), "Done") != labels.end())
                return button;
        }
        return nullptr;
    }
    std::string savedPage()
    {
        TextDocument reread(path);
        if (!reread.readFromURL(path))
            return {};
        return toUtf8(reread.text());
    }

    std::string path;
};

// The note editor opens beside the note, below it at the top of the page and
// above it further down, and leaves the line the note belongs to in sight
// while the note is written; what is typed into it is the saved note.
TEST_F(QVTextNoteEditorWindowTest, theNoteEditorLeavesTheNotesLineInSight)
{
    for (int note : {0, 1}) {
        SCOPED_TRACE(note == 0 ? "the note on the first line" : "the note further down");
        Box line = box("line", note);
        ASSERT_GT(line.bottom, line.top);
        const char* before = note == 0 ? "qv-note-line-first-before" : "qv-note-line-middle-before";
        const char* during = note == 0 ? "qv-note-line-first-editing" : "qv-note-line-middle-editing";
        GdkPixbuf* shot = shoot(before);
        int textBefore = darkPixelsOfLine(shot, line);
        g_clear_object(&shot);
        ASSERT_GT(textBefore, 50) << "the line's text is not drawn";

        std::shared_ptr<NoteEditorController> noteEditor = openNote(note);
        ASSERT_NE(noteEditor, nullptr);
        ASSERT_TRUE(test::typeText("Kept "));
        std::vector<GtkWidget*> noteText =
            test::descendants(presenter->widgetForController(*noteEditor), GTK_TYPE_TEXT_VIEW);
        ASSERT_EQ(noteText.size(), 1u);
        // The page draws the room the key row left on its own frame clock,
        // a few turns at most.
        int textDuring = 0;
        for (int turn = 0; turn < 20 && textDuring < textBefore * 9 / 10; ++turn) {
            GtkPresenter::processPendingEvents();
            shot = shoot(during);
            textDuring = darkPixelsOfLine(shot, line);
            g_clear_object(&shot);
        }
        EXPECT_GE(textDuring, textBefore * 9 / 10) << "the editor covers the note's line";
        GtkWidget* done = doneButton(*noteEditor);
        ASSERT_NE(done, nullptr);
        ASSERT_TRUE(test::clickWidget(done));
        ASSERT_TRUE(waitFor([&] {
            GtkPresenter::processPendingEvents();
            return !editor->editingTools().notes().isHTMLObjectPopoverVisible();
        }));
    }
    ASSERT_TRUE(save());
    std::string saved = savedPage();
    // Both notes keep what was typed into them.
    std::size_t kept = 0;
    for (std::size_t at = saved.find("data-content=\"Kept"); at != std::string::npos; at = saved.find("data-content=\"Kept", at + 1))
        ++kept;
    EXPECT_EQ(kept, 2u) << saved;
}

} // namespace
} // namespace folio
