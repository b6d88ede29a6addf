#include "platform/foundation/ScriptLiteral.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/TextView.h"
#include "platform/ui/View.h"
#include "platform/web/FakeWebView.h"
#include "support/VirtualClock.h"
#include "webeditor/NoteEditorController.h"
#include "webeditor/NoteEditorDelegate.h"
#include "webeditor/NotesCommander.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageMessage.h"

#include <gtest/gtest.h>

#include <regex>

namespace folio {
namespace {

const std::regex kFootnoteId("id=\\\\\"(footnote_[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})\\\\\"");

class NotesTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        Device::current().setOrientation(DeviceOrientation::Portrait);
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
    }
    void TearDown() override { Device::current().setOrientation(DeviceOrientation::LandscapeLeft); }

    NotesCommander::Host host()
    {
        NotesCommander::Host h;
        h.documentIsDirty = [this] { ++dirtyCount; };
        h.isLandscape = [] { return false; };
        h.presentFromDocument = [this](std::shared_ptr<ViewController> controller) { presented.push_back(controller); };
        h.presentFromEditor = [this](std::shared_ptr<ViewController> controller) { presentedFullScreen.push_back(controller); };
        h.anchorView = [this] { return anchor; };
        h.applicationName = [] { return std::string("Folio"); };
        return h;
    }

    int dirtyCount = 0;
    std::vector<std::shared_ptr<ViewController>> presented;
    std::vector<std::shared_ptr<ViewController>> presentedFullScreen;
    std::shared_ptr<View> anchor = std::make_shared<View>();
    FakeWebView view;
    PageConnection page{&view};
    NotesCommander notes{page, host()};
};

TEST_F(NotesTest, footnotesGetNewUUIDIdsAndAreRenumberedAfterInsertion)
{
    notes.insertNewFootnote();
    notes.insertNewFootnote();
    std::vector<std::string> pasted = view.scriptsMatching("^pasteHtmlAtCaret\\(");
    ASSERT_EQ(pasted.size(), 2u);
    std::smatch first, second;
    ASSERT_TRUE(std::regex_search(pasted[0], first, kFootnoteId)) << pasted[0];
    ASSERT_TRUE(std::regex_search(pasted[1], second, kFootnoteId));
    EXPECT_NE(first[1].str(), second[1].str());
    EXPECT_EQ(pasted[0], "pasteHtmlAtCaret(" + ScriptLiteral::quote(std::string_view(NotesCommander::footnoteHTML(first[1].str()))) + ",false)");
    EXPECT_EQ(NotesCommander::footnoteHTML("footnote_A"),
              " <span contenteditable=false  ><sup><object  id=\"footnote_A\"  class=\"footnote\"  data-content=\" \">[0]</object></sup></span> ");
    // Their numbers on the page and their place in the saved RTF:
    // RichTextEditorWebTest.insertedFootnotesAreNumberedInOrderAndSaved.
    EXPECT_EQ(dirtyCount, 2);
    EXPECT_TRUE(presented.empty()) << "a caret inside the page opens no editor";
}

TEST_F(NotesTest, footnoteAtTheRightEdgeOpensItsEditorAnchoredOnTheCaretsLine)
{
    view.answer("getCaretEditorPosition()", "{800, 300}");
    view.answerMatching("getAttribute\\('data-content'\\)", "old text");
    notes.insertNewFootnote();
    ASSERT_EQ(presented.size(), 1u);
    auto editor = std::dynamic_pointer_cast<FootnoteViewController>(presented[0]);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(std::regex_match(editor->footnoteId(), std::regex("footnote_[0-9A-F-]{36}")));
    EXPECT_EQ(editor->contentView()->text(), u"old text");
    ASSERT_NE(editor->popoverPresentationController(), nullptr);
    EXPECT_EQ(editor->popoverPresentationController()->sourceRect(), (Rect{{54, 8}, {10, 30}}));
    EXPECT_EQ(editor->popoverPresentationController()->permittedArrowDirections(), PopoverArrowDirectionDown);
    EXPECT_TRUE(notes.isHTMLObjectPopoverVisible());

    Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Phone);
    notes.showAnnotationWithId("note_X", {1, 2});
    ASSERT_EQ(presentedFullScreen.size(), 1u) << "phones show the editor full screen";
    EXPECT_NE(std::dynamic_pointer_cast<AnnotationViewController>(presentedFullScreen[0]), nullptr);
}

TEST_F(NotesTest, commentsCarryTheAuthorAndStartWithTwoLineBreaksAndTheDate)
{
    EXPECT_EQ(NotesCommander::annotationHTML("note_A", "Folio", u"1 May <2024>"),
              " <span contenteditable=false><object  id=\"note_A\"  class=\"annotation\"  data-author=\"Folio User\" "
              "data-content=\"\n\n[1 May &lt;2024&gt;]\">[\xF0\x9F\x92\xAC]</object></span> ");
    notes.insertNewAnnotation();
    std::vector<std::string> pasted = view.scriptsMatching("^pasteHtmlAtCaret\\(");
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_TRUE(std::regex_search(pasted[0], std::regex("id=\\\\\"note_[0-9A-F-]{36}\\\\\"")));
    // That it takes no footnote number: RichTextEditorWebTest.insertedFootnotesAreNumberedInOrderAndSaved.
}

TEST_F(NotesTest, footnoteListNeedsFootnotes)
{
    view.answer("insertFootnoteTable ();", "NoFootnotes");
    notes.insertFootnoteTable();
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(toUtf8(presented[0]->title()), "Insert Footnotes Table");
    EXPECT_TRUE(view.scriptsMatching("insertHTML").empty());
    EXPECT_EQ(dirtyCount, 0);

    view.answer("insertFootnoteTable ();", "<p>[1] a</p>");
    notes.insertFootnoteTable();
    EXPECT_EQ(view.lastScript(),
              "document.execCommand('insertHTML',false," + ScriptLiteral::quote(std::string_view("<div id=\"divfootnotetable\"><p>[1] a</p></div>")) + ");");
    EXPECT_EQ(dirtyCount, 1);
}

TEST_F(NotesTest, closingTheFootnoteEditorRenumbersAndTheCommentEditorDoesNot)
{
    notes.dismissAnnotation();
    EXPECT_TRUE(view.scriptsMatching("updateFootnoteIndex").empty());
    EXPECT_EQ(view.lastScript(), "restoreCaretSelection();");
    notes.dismissFootnote();
    notes.dismissFootnote();
    EXPECT_EQ(view.scriptsMatching("^updateFootnoteIndex\\(\\);$").size(), 2u) << "repeated closing calls are harmless";
    EXPECT_FALSE(notes.isHTMLObjectPopoverVisible());
}

TEST_F(NotesTest, tappedNoteMessagesKeepEveryCharacterOfTheirData)
{
    auto touch = [](const char* message) { return NotesCommander::touchFromMessage(*PageMessage::parse(message)); };
    std::optional<NotesCommander::Touch> plain = touch("rte://showFootnote#x_AB-CD_12_34.5");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->id, "AB-CD");
    EXPECT_EQ(plain->point, (Point{12, 34.5}));
    std::optional<NotesCommander::Touch> underscores = touch("rte://showFootnote#x_old_style_id_-3_7");
    ASSERT_TRUE(underscores);
    EXPECT_EQ(underscores->id, "old_style_id");
    EXPECT_EQ(underscores->point, (Point{-3, 7}));
    std::optional<NotesCommander::Touch> hash = touch("rte://showAnnotation#x_a#b_1_2");
    ASSERT_TRUE(hash);
    EXPECT_EQ(hash->id, "a#b");
    EXPECT_FALSE(touch("rte://showFootnote#x_1_2"));
    EXPECT_FALSE(touch("rte://showFootnote"));

    notes.showFootnoteWithId("footnote_a#b');alert(1);//", {0, 0});
    EXPECT_TRUE(presented.empty()) << "an id no page could have made opens nothing";
    EXPECT_TRUE(view.scripts().empty());
}

// --- the footnote and comment editors ------------------------------------------

class RecordingNoteDelegate final : public NoteEditorDelegate {
public:
    explicit RecordingNoteDelegate(PageConnection& page) : m_page(page) {}
    PageConnection& notePage() override { return m_page; }
    void documentIsDirty() override { ++dirty; }
    void dismissFootnote() override { ++footnoteClosings; }
    void dismissAnnotation() override { ++annotationClosings; }
    int dirty = 0;
    int footnoteClosings = 0;
    int annotationClosings = 0;

private:
    PageConnection& m_page;
};

class NoteEditorTest : public NotesTest {
protected:
    template <typename Editor>
    std::shared_ptr<Editor> open(const std::string& id, const std::u16string& content)
    {
        auto editor = std::make_shared<Editor>();
        editor->setDelegate(delegate);
        editor->setNoteContent(content);
        editor->setNoteId(id);
        EXPECT_TRUE(presenter->presentViewController(editor, false));
        return editor;
    }

    std::shared_ptr<RecordingNoteDelegate> delegate = std::make_shared<RecordingNoteDelegate>(page);
    std::shared_ptr<ViewController> presenter = std::make_shared<ViewController>();
};

TEST_F(NoteEditorTest, everyKeystrokeIsWrittenBackAndMarksTheDocumentChanged)
{
    auto editor = open<FootnoteViewController>("footnote_1", u"ab");
    EXPECT_EQ(editor->contentView()->selectedRange(), (Range{0, 0})) << "the caret starts at the beginning";
    EXPECT_EQ(editor->contentView()->frame(), NoteEditorController::kTextFrame);
    EXPECT_EQ(view.scriptsMatching("^saveCaretSelection\\(\\);$").size(), 1u);
    EXPECT_TRUE(editor->contentView()->isFirstResponder());
    view.clearScripts();

    std::u16string typed;
    for (const std::u16string& key : {u"it's", u"\n", u"line 2's", u"\n\\"}) {
        editor->contentView()->insertText(key);
        typed = key + typed;
    }
    ASSERT_EQ(view.scripts().size(), 4u);
    EXPECT_EQ(delegate->dirty, 4);
    std::u16string expected = editor->contentView()->text();
    EXPECT_EQ(view.lastScript(),
              "var element  =document.getElementById('footnote_1');if(element)element.setAttribute('data-content',"
                  + ScriptLiteral::quote(std::u16string_view(expected)) + ");");
}

TEST_F(NoteEditorTest, deletingRemovesTheNoteAndCancellingChangesNothing)
{
    auto editor = open<AnnotationViewController>("note_7", u"x");
    view.clearScripts();
    editor->deleteAnnotation();
    auto sheet = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->preferredStyle(), AlertControllerStyle::ActionSheet);
    EXPECT_TRUE(sheet->popoverPresentationController()->passthroughViews().empty());
    sheet->tapActionWithTitle(u"Cancel");
    EXPECT_TRUE(view.scripts().empty());
    EXPECT_EQ(delegate->dirty, 0);
    EXPECT_EQ(delegate->annotationClosings, 0);

    editor->deleteAnnotation();
    sheet = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(sheet->actionWithTitle(u"Delete Comment"), nullptr);
    sheet->tapActionWithTitle(u"Delete Comment");
    EXPECT_EQ(view.scriptsMatching("^var element  =document\\.getElementById\\('note_7'\\);if\\(element\\)element\\.parentNode\\.removeChild\\(element\\);$").size(), 1u);
    EXPECT_EQ(delegate->dirty, 1);
    EXPECT_GE(delegate->annotationClosings, 1);
    EXPECT_EQ(delegate->footnoteClosings, 0);
    EXPECT_EQ(presenter->presentedViewController(), nullptr) << "the editor closes";
}

TEST_F(NoteEditorTest, doneClosesTheEditorAndTellsTheDelegate)
{
    auto editor = open<FootnoteViewController>("footnote_2", u"");
    ASSERT_NE(editor->doneItem(), nullptr);
    EXPECT_EQ(editor->navigationBar()->frame(), NoteEditorController::kBarFrame);
    EXPECT_EQ(toUtf8(editor->deleteButton()->titleForState(ControlState::Normal)), "Delete Footnote");
    editor->doneItem()->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_EQ(presenter->presentedViewController(), nullptr);
    EXPECT_GE(delegate->footnoteClosings, 1);
    EXPECT_EQ(delegate->annotationClosings, 0);
}

} // namespace
} // namespace folio
