#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "support/EditorWindowTest.h"
#include "webeditor/NoteEditorController.h"
#include "webeditor/NotesCommander.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace folio::test {

// A web editor's footnote editor as a person opens it: a click on the note's
// mark in the page, with the real pointer. The document holds two notes, one
// on its first line and one further down; each editor says how its page
// finds a note's mark.
template <class EditorViewController>
class NoteEditorWindowTest : public EditorWindowTest<EditorViewController> {
    using Base = EditorWindowTest<EditorViewController>;

protected:
    using Base::Base;
    using Base::editor;
    using Base::pageWidget;
    using Base::presenter;
    using Base::run;
    using Base::toplevel;
    using Base::waitFor;

    struct Box {
        double left = 0, top = 0, right = 0, bottom = 0;
    };

    void SetUp() override
    {
        Base::SetUp();
        if (this->IsSkipped())
            return;
        // A popover fading in would be pictured half drawn.
        g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
        path = writeDocumentWithTwoNotes();
        this->open(path, {1000, 720}, Base::Root::Navigation);
    }

    // Writes the document into the test's folder and gives its path.
    virtual std::string writeDocumentWithTwoNotes() = 0;
    // A script that gives "left top right bottom" of the note's mark, or of
    // the line the mark stands on, in the page's points.
    virtual std::string boxScript(bool ofLine, int note) = 0;

    // Opens each note in turn, types "Kept " into it and closes it with
    // Done, checking that the note's line stays in sight while it is written.
    void writeIntoEachNote(const std::string& shotPrefix)
    {
        for (int note : {0, 1}) {
            SCOPED_TRACE(note == 0 ? "the note on the first line" : "the note further down");
            std::string which = note == 0 ? "first" : "middle";
            // The page lays itself out again once its margins apply and
            // draws on its own frame clock: the line is looked for until
            // it is drawn where the page says it is.
            Box line;
            int textBefore = 0;
            GdkPixbuf* shot = nullptr;
            waitFor([&] {
                GtkPresenter::processPendingEvents();
                line = box(true, note);
                shot = shoot(shotPrefix + "note-line-" + which + "-before");
                textBefore = darkPixelsOfLine(shot, line);
                g_clear_object(&shot);
                return line.bottom > line.top && textBefore > 50;
            });
            ASSERT_GT(line.bottom, line.top);
            ASSERT_GT(textBefore, 50) << "the line's text is not drawn";

            std::shared_ptr<NoteEditorController> noteEditor = openNote(note);
            ASSERT_NE(noteEditor, nullptr);
            ASSERT_TRUE(test::typeText("Kept "));
            std::vector<GtkWidget*> noteText =
                test::descendants(presenter->widgetForController(*noteEditor), GTK_TYPE_TEXT_VIEW);
            ASSERT_EQ(noteText.size(), 1u);
            // The page draws the room the key row left on its own frame
            // clock, a few turns at most.
            int textDuring = 0;
            for (int turn = 0; turn < 20 && textDuring < textBefore * 9 / 10; ++turn) {
                GtkPresenter::processPendingEvents();
                shot = shoot(shotPrefix + "note-line-" + which + "-editing");
                textDuring = darkPixelsOfLine(shot, line);
                EXPECT_GT(darkPixelsOf(shot, noteText.front()), 50) << "the note editor's text is not on screen";
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
    }

    std::string path;

private:
    Box box(bool ofLine, int note)
    {
        std::istringstream numbers(run(boxScript(ofLine, note)));
        Box found;
        numbers >> found.left >> found.top >> found.right >> found.bottom;
        return found;
    }
    GdkPixbuf* shoot(const std::string& name)
    {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath(name));
        EXPECT_NE(shot, nullptr);
        return shot;
    }
    // The dark pixels a picture of the window shows in a rectangle of it.
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
    int darkPixelsOf(GdkPixbuf* shot, GtkWidget* widget)
    {
        int x = 0, y = 0;
        if (!gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &x, &y))
            return 0;
        return darkPixels(shot, Point{double(x), double(y)},
                          Point{double(x + gtk_widget_get_allocated_width(widget)),
                                double(y + gtk_widget_get_allocated_height(widget))});
    }
    std::shared_ptr<NoteEditorController> openNote(int note)
    {
        Box mark = box(false, note);
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
};

} // namespace folio::test
