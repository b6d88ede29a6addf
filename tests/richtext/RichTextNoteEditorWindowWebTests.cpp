#include "richtext/RichTextEditingTools.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/NoteEditorWindowTest.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class RichTextNoteEditorWindowTest : public test::NoteEditorWindowTest<TextViewController> {
protected:
    RichTextNoteEditorWindowTest() : NoteEditorWindowTest(EditorKind::RichText, "rich-text-note-editor-window") {}

    std::string writeDocumentWithTwoNotes() override
    {
        std::string notes = folder.path("Notes.rtf");
        std::string text = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs32 "
                           "Opening line{\\*\\footnote {\\chftn} First note}\\par\n";
        for (int line = 2; line <= 14; ++line) {
            text += "Harbour line " + std::to_string(line);
            if (line == 9)
                text += "{\\*\\footnote {\\chftn} Middle note}";
            text += "\\par\n";
        }
        testing_support::writeFile(notes, text + "}");
        return notes;
    }
    std::string boxScript(bool ofLine, int note) override
    {
        std::string element = "document.querySelectorAll('object.footnote')[" + std::to_string(note) + "]";
        if (ofLine)
            element += ".closest('p,div')";
        return "(function(){var b=" + element + ".getBoundingClientRect();return [b.left,b.top,b.right,b.bottom].join(' ');})()";
    }
};

// The note editor opens beside the note, below it at the top of the page and
// above it further down, and leaves the line the note belongs to in sight
// while the note is written; what is typed into it is the saved note.
TEST_F(RichTextNoteEditorWindowTest, theNoteEditorLeavesTheNotesLineInSight)
{
    writeIntoEachNote("");
    ASSERT_TRUE(save());
    std::string saved = testing_support::readFile(path);
    EXPECT_NE(saved.find("Kept First note"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Kept Middle note"), std::string::npos) << saved;
}

} // namespace
} // namespace folio
