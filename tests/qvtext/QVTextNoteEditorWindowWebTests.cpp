#include "documents/DocumentSeeds.h"
#include "documents/TextDocument.h"
#include "platform/foundation/Unicode.h"
#include "qvtext/QVEditingTools.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/NoteEditorWindowTest.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// The QV text editor's notes stand in TinyMCE's editing frame, whose place is
// added to the page's points.
class QVTextNoteEditorWindowTest : public test::NoteEditorWindowTest<QVTextViewController> {
protected:
    QVTextNoteEditorWindowTest() : NoteEditorWindowTest(EditorKind::QVText, "qvtext-note-editor-window") {}

    std::string writeDocumentWithTwoNotes() override
    {
        std::string notes = folder.path("Notes.qvtext");
        std::string html = "<p style=\"font-size:20px\">Opening line" + NotesCommander::footnoteHTML("footnote_first") + "</p>";
        for (int line = 2; line <= 14; ++line) {
            html += "<p style=\"font-size:20px\">Harbour line " + std::to_string(line);
            if (line == 9)
                html += NotesCommander::footnoteHTML("footnote_middle");
            html += "</p>";
        }
        testing_support::writeFile(notes, std::string(DocumentSeeds::compressedPage(html)->stringView()));
        return notes;
    }
    std::string boxScript(bool ofLine, int note) override
    {
        std::string element = "tinymce.activeEditor.getBody().querySelectorAll('object.footnote')[" + std::to_string(note) + "]";
        if (ofLine)
            element += ".closest('p')";
        return "(function(){var f=tinymce.activeEditor.getContainer().querySelector('iframe')"
               ".getBoundingClientRect();var b=" + element +
               ".getBoundingClientRect();return [f.left+b.left,f.top+b.top,f.left+b.right,"
               "f.top+b.bottom].join(' ');})()";
    }
    std::string savedPage()
    {
        TextDocument reread(path);
        if (!reread.readFromURL(path))
            return {};
        return toUtf8(reread.text());
    }
};

// The note editor opens beside the note, below it at the top of the page and
// above it further down, and leaves the line the note belongs to in sight
// while the note is written; what is typed into it is the saved note.
TEST_F(QVTextNoteEditorWindowTest, theNoteEditorLeavesTheNotesLineInSight)
{
    writeIntoEachNote("qv-");
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
