#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TextView.h"
#include "platform/web/WebView.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "webeditor/NoteEditorController.h"
#include "support/EditorPageTest.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// The editor's find, replace and notes against a real page.
class EditingToolsWebTest : public test::EditorPageTest<TextViewController> {
protected:
    EditingToolsWebTest() : EditorPageTest(EditorKind::RichText, "rich-text-editing-tools") {}

    void SetUp() override
    {
        Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        EditorPageTest::SetUp();
        const std::string path = folder.path("Notes.rtf");
        writeFile(path, "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fnil\\fcharset0 Helvetica;}\n"
                        "\\pard\\f0\\fs24 The fox and the Fox met a FOX.}");
        document = open(path);
        ASSERT_FALSE(HasFailure());
    }
    void TearDown() override
    {
        if (document)
            document->closeWithCompletionHandler({});
        EditorPageTest::TearDown();
    }

    std::string contentHTML() { return run("document.getElementById('content').innerHTML"); }
    std::shared_ptr<AlertController> presentedAlert()
    {
        return std::dynamic_pointer_cast<AlertController>(document->viewControllerToPresent()->presentedViewController());
    }
    void caretAfter(const std::string& text)
    {
        run("(function(){var c=document.getElementById('content');var w=document.createTreeWalker(c,NodeFilter.SHOW_TEXT);"
            "for(var n=w.nextNode();n;n=w.nextNode()){var i=n.data.indexOf('" + text + "');if(i>=0){var r=document.createRange();"
            "r.setStart(n,i+" + std::to_string(text.size()) + ");r.collapse(true);var s=getSelection();s.removeAllRanges();"
            "s.addRange(r);c.focus();return;}}})()");
    }

    std::shared_ptr<TextDocument> document;
};

TEST_F(EditingToolsWebTest, findMarksNothingInThePageAndReplaceAllReportsWhatItReplaced)
{
    FindCommander& find = editor->editingTools().find();
    std::string before = contentHTML();
    find.findOnPage(u"fox");
    ASSERT_TRUE(waitFor([&] { return find.nTotalResults() == 3; })) << find.nTotalResults();
    EXPECT_EQ(toUtf8(find.bar().countLabel()), "1/3");
    find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
    EXPECT_EQ(contentHTML(), before) << "highlights live outside the document";
    EXPECT_EQ(run("getSelection().toString()"), "Fox");

    find.bar().replaceOnPage->setText(u"<cat's>");
    find.replaceAll();
    ASSERT_TRUE(waitFor([&] { return presentedAlert() != nullptr; }));
    EXPECT_EQ(toUtf8(presentedAlert()->message()), "3 items replaced.");
    // Editing writes the blanks next to an insertion as no-break spaces.
    std::string text = run("document.getElementById('content').textContent.replace(/\\u00a0/g, ' ')");
    EXPECT_EQ(text.find("fox"), std::string::npos) << text;
    EXPECT_EQ(text.find("Fox"), std::string::npos) << text;
    EXPECT_NE(text.find("The <cat's> and the <cat's> met a <cat's>."), std::string::npos) << text;
    EXPECT_TRUE(document->hasUnsavedChanges());
}

TEST_F(EditingToolsWebTest, footnotesAreNumberedEditedAndRenumberedAfterADelete)
{
    NotesCommander& notes = editor->editingTools().notes();
    caretAfter("The fox");
    notes.insertNewFootnote();
    caretAfter("met a FOX");
    notes.insertNewFootnote();
    ASSERT_EQ(run("document.querySelectorAll('object.footnote').length"), "2");
    EXPECT_EQ(run("Array.from(document.querySelectorAll('object.footnote')).map(n => n.textContent).join()"), "[1],[2]");
    std::string firstId = run("document.querySelectorAll('object.footnote')[0].id");
    std::string secondId = run("document.querySelectorAll('object.footnote')[1].id");
    EXPECT_NE(firstId, secondId);

    notes.showFootnoteWithId(secondId, {100, 100});
    std::shared_ptr<NoteEditorController> noteEditor = notes.openEditor();
    ASSERT_NE(noteEditor, nullptr);
    noteEditor->contentView()->insertText(u"It's a note\nover two lines");
    EXPECT_EQ(run("document.getElementById('" + secondId + "').getAttribute('data-content')"), "It's a note\nover two lines ");
    noteEditor->doneButton();

    notes.showFootnoteWithId(firstId, {100, 100});
    noteEditor = notes.openEditor();
    ASSERT_NE(noteEditor, nullptr);
    noteEditor->deleteNote();
    auto sheet = std::dynamic_pointer_cast<AlertController>(noteEditor->presentedViewController());
    ASSERT_NE(sheet, nullptr);
    sheet->tapActionWithTitle(u"Delete Footnote");
    ASSERT_EQ(run("document.querySelectorAll('object.footnote').length"), "1");
    EXPECT_EQ(run("document.getElementById('" + secondId + "').textContent"), "[1]") << "renumbered when the editor closed";
    EXPECT_TRUE(document->hasUnsavedChanges());

    caretAfter("The fox");
    notes.insertNewAnnotation();
    ASSERT_EQ(run("document.querySelectorAll('object.annotation').length"), "1");
    EXPECT_EQ(run("document.querySelector('object.annotation').getAttribute('data-content').substring(0, 3)"), "\n\n[");
    EXPECT_EQ(run("document.querySelector('object.annotation').getAttribute('data-author')"), "Folio User");
}

TEST_F(EditingToolsWebTest, notesInsertedBeforeOtherNotesOfTheParagraphStillShowTheirMarkers)
{
    NotesCommander& notes = editor->editingTools().notes();
    caretAfter("met a FOX");
    notes.insertNewFootnote();
    caretAfter("The fox");
    notes.insertNewAnnotation();
    caretAfter("and the");
    notes.insertNewFootnote();
    ASSERT_EQ(run("document.querySelectorAll('object.footnote, object.annotation').length"), "3");
    // A note that WebKit takes for an embedded object draws as an empty
    // 300x150 box instead of its marker.
    EXPECT_EQ(run("Array.from(document.querySelectorAll('object')).map(function(n){var r=n.getBoundingClientRect();"
                  "return r.width < 100 && r.height < 60 ? 'marker' : r.width + 'x' + r.height;}).join()"),
              "marker,marker,marker");
    EXPECT_EQ(run("Array.from(document.querySelectorAll('object.footnote')).map(n => n.textContent).join()"), "[1],[2]");
}

} // namespace
} // namespace folio
