#include "documents/DocumentSeeds.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "foundation/files/TEWebArchive.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TextView.h"
#include "platform/web/WebView.h"
#include "platform/gtk/GtkRealKeys.h"
#include "qvtext/QVEditingTools.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "webeditor/NoteEditorController.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <gtest/gtest.h>

#include <fstream>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

constexpr const char* kText = "<p>The cat sat on the cat mat with a cat.</p><p>Second line here</p>";

Image::Pointer picture(int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 0x80);
    return Image::imageWithPixels(width, height, std::move(pixels)).value();
}

// The QV text editor's caret, insert, paste, drop, find and note commands on
// the real TinyMCE page. The commands under test run on tools of their own
// over the editor's page, so that what they hand on (pictures, changes) is
// seen; the editor's own tools answer the page's events.
class QVEditingToolsWebTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    void SetUp() override
    {
        // Selections are what these tests look at, and another program taking
        // the desktop's primary selection collapses the page's: a display of
        // its own keeps the tests running beside it out of the way.
        test::usePrivateDisplay();
        Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        EditorMakers::registerMaker(EditorKind::QVText, [](TextDocument& document) {
            return std::make_shared<QVTextViewController>(document);
        });
        openDocument("Tools.qvtext", initialPage());
    }

    // The document's saved page.
    virtual std::string initialPage() const { return kText; }

    void openDocument(const std::string& name, const std::string& html)
    {
        const std::string path = folder.path(name);
        writeFile(path, std::string(DocumentSeeds::compressedPage(html)->stringView()));
        document = std::make_shared<TextDocument>(path);
        ASSERT_TRUE(document->readFromURL(path).ok());
        document->makeDocumentViewController();
        editor = dynamic_cast<QVTextViewController*>(document->currentTextViewController().get());
        ASSERT_NE(editor, nullptr);
        editor->loadViewIfNeeded();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds))
            << "TinyMCE did not come up";
        page.connect(editor->webView());
        tools = std::make_unique<QVEditingTools>(page, pasteboard, host());
    }
    void TearDown() override
    {
        tools.reset();
        page.disconnect();
        if (document)
            document->closeWithCompletionHandler({});
        EditorMakers::unregisterAll();
    }

    QVEditingTools::Host host()
    {
        QVEditingTools::Host h;
        h.documentIsDirty = [this] { ++dirtyCount; };
        h.present = [this](std::shared_ptr<ViewController> shown) { presented.push_back(shown); };
        h.presentFromEditor = h.present;
        h.isRTLLanguage = [this] { return rightToLeft; };
        h.biggestFontSize = [] { return 16; };
        h.insertImage = [this](const Image::Pointer& image, bool autoResize) {
            insertedPictures.push_back({image->size(), autoResize});
        };
        h.documentTitle = [] { return std::string("Tools"); };
        h.now = [] { return std::chrono::system_clock::from_time_t(1700000000); };
        return h;
    }

    std::string run(const std::string& script) { return editor->webView()->stringByEvaluatingJavaScript(script); }
    // The script as the editing frame runs it.
    std::string frame(const std::string& script) { return run(QVEditingTools::inEditorFrame(script)); }
    std::string bodyHTML() { return run("tinymce.activeEditor.getBody().innerHTML"); }
    std::string bodyText() { return run("tinymce.activeEditor.getBody().textContent.replace(/\\u00a0/g, ' ')"); }
    bool waitFor(const std::function<bool()>& condition) { return RunLoop::main().runUntil(condition, kEngineWaitSeconds); }
    // Waits until the page has run what was sent before.
    void settle() { run("1"); }

    // The caret right after the first `text` of the editing body, with the
    // keyboard focus in the editor.
    void caretAfter(const std::string& text)
    {
        run("tinymce.activeEditor.focus()");
        frame("(function(){var w=document.createTreeWalker(document.body,NodeFilter.SHOW_TEXT);"
              "for(var n=w.nextNode();n;n=w.nextNode()){var i=n.data.indexOf('" + text + "');if(i>=0){"
              "var r=document.createRange();r.setStart(n,i+" + std::to_string(text.size()) + ");r.collapse(true);"
              "var s=window.getSelection();s.removeAllRanges();s.addRange(r);return;}}})()");
    }
    // The caret's offset in its text node.
    std::string caretOffset() { return frame("window.getSelection().focusOffset"); }

    std::shared_ptr<AlertController> lastAlert()
    {
        for (auto shown = presented.rbegin(); shown != presented.rend(); ++shown) {
            if (auto alert = std::dynamic_pointer_cast<AlertController>(*shown))
                return alert;
        }
        return nullptr;
    }

    void putArchive(const std::string& html, const std::string& plain)
    {
        PasteboardItem item;
        item[kPasteboardTypeWebArchive] =
            ClipboardCommander::webArchiveForHTML(html).data().value();
        item[kPasteboardTypeUTF8PlainText] = std::vector<std::uint8_t>(plain.begin(), plain.end());
        pasteboard.setItems({std::move(item)});
    }

    struct Insert {
        Size size;
        bool autoResize;
    };

    ScratchFolder folder{"qvtext-editing-tools"};
    std::shared_ptr<TextDocument> document;
    QVTextViewController* editor = nullptr;
    NotificationCenter center;
    Pasteboard pasteboard{center};
    PageConnection page;
    std::unique_ptr<QVEditingTools> tools;
    int dirtyCount = 0;
    bool rightToLeft = false;
    std::vector<std::shared_ptr<ViewController>> presented;
    std::vector<Insert> insertedPictures;
};

TEST_F(QVEditingToolsWebTest, caretCommandsMoveAndSelectInTinyMCEsEditingFrame)
{
    CaretSelectionCommander& caret = tools->caret();
    caretAfter("The ");
    ASSERT_EQ(caretOffset(), "4");
    EXPECT_TRUE(tools->hasSelection()) << "a caret alone reads as a collapsed selection";

    caret.magicCursorRightTap();
    EXPECT_EQ(caretOffset(), "5");
    caret.magicCursorLeftTap();
    EXPECT_EQ(caretOffset(), "4");
    rightToLeft = true;
    caret.magicCursorLeftTap();
    EXPECT_EQ(caretOffset(), "5") << "left reads forward in a right-to-left text";
    rightToLeft = false;

    // The word around the caret, through the selection library in the frame.
    caret.selectWord();
    EXPECT_EQ(frame("window.getSelection().toString()"), "cat");
    EXPECT_FALSE(tools->hasSelection());
    caret.selectWord();
    EXPECT_EQ(frame("window.getSelection().isCollapsed"), "1");
    EXPECT_EQ(caretOffset(), "4") << "a selected word collapses to its start";

    // The web view's own editing commands act on the frame that has the focus.
    caret.selectToEndOfDoc();
    settle();
    std::string selected = frame("window.getSelection().toString()");
    EXPECT_EQ(selected.rfind("cat sat", 0), 0u) << selected;
    EXPECT_NE(selected.find("Second line here"), std::string::npos) << selected;

    caret.moveToBeginOfDocument();
    EXPECT_EQ(frame("window.window.getSelection().isCollapsed && window.getSelection().getRangeAt(0).startOffset === 0"), "1");
    EXPECT_EQ(frame("document.body.firstChild.contains(window.getSelection().anchorNode) || "
                    "window.getSelection().anchorNode === document.body"),
              "1");

    caretAfter("The ");
    int before = dirtyCount;
    caret.deleteForwardKey();
    EXPECT_EQ(bodyText().substr(0, 10), "The at sat");
    EXPECT_EQ(dirtyCount, before + 1);
    EXPECT_EQ(run("tinymce.activeEditor.undoManager.hasUndo()"), "1") << "TinyMCE's own delete, which undo takes back";
}

TEST_F(QVEditingToolsWebTest, insertedItemsGoInAsTheirMarkupAndEachUndoesInOneStep)
{
    QVInsertCommander& inserts = tools->inserts();
    caretAfter("mat with a cat.");
    inserts.insertTable();
    settle();
    EXPECT_EQ(run("(function(){var t=tinymce.activeEditor.getBody().querySelector('table');"
                  "return t.getAttribute('width')+' '+t.getAttribute('border')+' '+t.rows.length+' '"
                  "+t.querySelectorAll('td').length+' '+t.querySelectorAll('td > div > br').length;})()"),
              "100% 1 3 9 9");
    EXPECT_EQ(dirtyCount, 1);

    EXPECT_TRUE(editor->canUndo());
    editor->undoAction();
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('table').length"), "0");
    EXPECT_TRUE(editor->canRedo());
    editor->redoAction();
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('table').length"), "1");
    EXPECT_FALSE(editor->canRedo());
    EXPECT_TRUE(document->hasUnsavedChanges()) << "undo and redo count as changes";

    caretAfter("Second");
    inserts.insertHorizontalLine();
    inserts.insertPageBreak();
    settle();
    EXPECT_EQ(run("(function(){var h=tinymce.activeEditor.getBody().querySelector('#horizontalLine');"
                  "return h.tagName+' '+h.hasAttribute('noshade')+' '+h.getAttribute('color')+' '+h.getAttribute('size')"
                  "+' '+h.attributes.length;})()"),
              "HR true #000000 0.5 4");
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelector('hr.marquent-pagebreak').style.pageBreakBefore"),
              "always");

    // Text goes in as text, whatever it looks like.
    caretAfter("Second");
    inserts.insertText(u"<b>not bold</b>");
    inserts.insertDate();
    settle();
    EXPECT_NE(bodyText().find("Second<b>not bold</b>"), std::string::npos) << bodyText();
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('b').length"), "0");
    std::string date = toUtf8(localizedStringFromDate(std::chrono::system_clock::from_time_t(1700000000),
                                                      DateFormatterStyle::Long, DateFormatterStyle::Short));
    EXPECT_NE(bodyText().find(date), std::string::npos) << bodyText();

    inserts.insertLink();
    EXPECT_TRUE(waitFor([&] { return run("document.querySelectorAll('.tox-dialog').length") == "1"; }))
        << "TinyMCE's link dialog";
    run("tinymce.activeEditor.windowManager.close()");
}

TEST_F(QVEditingToolsWebTest, pastedHTMLAndTextArriveWithoutAnythingThatRuns)
{
    ClipboardCommander& clipboard = tools->clipboard();
    run("tinymce.activeEditor.getBody().lastChild.style.fontSize='16pt'");
    caretAfter("Second line here");
    putArchive("<p>Safe <b>bold</b><script>window.hacked=1</script><img src=\"x\" onerror=\"window.hacked=2\">"
               "<a href=\"javascript:window.hacked=3\" onclick=\"window.hacked=4\">link</a>"
               "<object data=\"x.swf\">obj</object><iframe src=\"https://example.com\"></iframe> it's</p>",
               "Safe bold link it's");
    clipboard.paste();
    settle();
    std::string html = bodyHTML();
    EXPECT_NE(html.find("<b>bold</b>"), std::string::npos) << html;
    EXPECT_NE(html.find("it's"), std::string::npos) << html;
    for (const char* hostile : {"<script", "onerror", "onclick", "javascript:", "<object", "<iframe", "hacked"})
        EXPECT_EQ(html.find(hostile), std::string::npos) << hostile << " in " << html;
    EXPECT_EQ(run("String(window.hacked)"), "undefined");
    EXPECT_EQ(frame("String(window.hacked)"), "undefined");
    // In the size of the text before the caret: 16 points, written as their pixels.
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelector('b').parentElement.closest('span').style.fontSize"),
              "21px");

    // A whole page copied from a browser: its text, with addresses linked.
    run("tinymce.activeEditor.setContent('<p>Start</p>')");
    caretAfter("Start");
    putArchive("<!DOCTYPE html><html><body onload=\"window.hacked=5\"><p>ignored</p></body></html>",
               "Visit https://example.com/a?b=1 <img src=x onerror=window.hacked=6> now");
    clipboard.paste();
    settle();
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelector('a.linkified').getAttribute('href')"),
              "https://example.com/a?b=1");
    // The page's text is flattened: what reads as a tag in it goes.
    EXPECT_NE(bodyText().find("Visit https://example.com/a?b=1"), std::string::npos) << bodyText();
    EXPECT_EQ(bodyHTML().find("hacked"), std::string::npos) << bodyHTML();
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('img').length"), "0");
    EXPECT_EQ(bodyText().find("ignored"), std::string::npos);

    // Plain text, rich and plain paste: escaped; the plain paste also drops
    // comment marks and keeps line breaks.
    run("tinymce.activeEditor.setContent('<p>Start</p>')");
    caretAfter("Start");
    pasteboard.setString(u" 1 < 2 & <script>window.hacked=7</script>");
    clipboard.paste();
    settle();
    EXPECT_NE(bodyText().find("1 < 2 & <script>window.hacked=7</script>"), std::string::npos) << bodyText();
    pasteboard.setString(u"A\uFEFF[\U0001F4AC]B\nC<i>'\\");
    clipboard.paste2();
    settle();
    EXPECT_NE(bodyText().find("ABC<i>'\\"), std::string::npos) << bodyText();
    EXPECT_EQ(bodyHTML().find("\U0001F4AC"), std::string::npos);
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('script, i').length"), "0");
    EXPECT_EQ(run("String(window.hacked)"), "undefined");

    // A picture is fitted for the page before it goes to the inserter.
    ASSERT_TRUE(pasteboard.setImage(*picture(1300, 650)));
    clipboard.paste();
    ASSERT_EQ(insertedPictures.size(), 1u);
    EXPECT_LE(insertedPictures[0].size.width, 650);
    EXPECT_FALSE(insertedPictures[0].autoResize);
}

TEST_F(QVEditingToolsWebTest, replacingWithTextThatHoldsTheSearchReplacesEachMatchOnce)
{
    FindCommander& find = tools->find();
    find.findOnPage(u"cat");
    ASSERT_TRUE(waitFor([&] { return find.nTotalResults() == 3; })) << find.nTotalResults();
    EXPECT_EQ(toUtf8(find.bar().countLabel()), "1/3");
    find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
    EXPECT_EQ(toUtf8(find.bar().countLabel()), "2/3");
    find.nextprevResultsFindOnPage(SearchReplaceBar::kPreviousSegment);
    find.nextprevResultsFindOnPage(SearchReplaceBar::kPreviousSegment);
    EXPECT_EQ(toUtf8(find.bar().countLabel()), "3/3") << "previous wraps to the last match";
    EXPECT_EQ(run("tinymce.activeEditor.getBody().innerHTML.indexOf('highlight')"), "-1")
        << "matches are marked outside the text";

    // One replacement: the current match only, and the count goes down.
    find.findOnPage(u"cat");
    ASSERT_TRUE(waitFor([&] { return find.bar().countLabel() == u"1/3"; }));
    find.bar().replaceOnPage->setText(u"cats");
    find.replaceOnPage();
    settle();
    EXPECT_EQ(bodyText().substr(0, 39), "The cats sat on the cat mat with a cat.");
    EXPECT_EQ(toUtf8(find.bar().countLabel()), "1/2 1R");

    // All: each remaining match once, never the text a replacement brought.
    find.findOnPage(u"cat");
    ASSERT_TRUE(waitFor([&] { return find.bar().countLabel() == u"1/3"; })) << "\"cats\" holds the term";
    find.bar().replaceOnPage->setText(u"cats");
    find.replaceAll();
    ASSERT_TRUE(waitFor([&] { return lastAlert() != nullptr; }));
    EXPECT_EQ(toUtf8(lastAlert()->message()), "3 items replaced.");
    EXPECT_EQ(bodyText().substr(0, 42), "The catss sat on the cats mat with a cats.")
        << "each match found, the one inside \"cats\" too, replaced once";
    EXPECT_GT(dirtyCount, 0);

    // Nothing searched for: nothing is replaced.
    std::string before = bodyHTML();
    presented.clear();
    // The search indicator turns while a search or a replace-all is on its
    // way, and stops once it has been handled.
    auto handled = [&] { return waitFor([&] { return !find.bar().searchIndicator->isAnimating(); }); };
    find.findOnPage(u"");
    ASSERT_TRUE(handled()) << "the empty search was never handled";
    find.bar().replaceOnPage->setText(u"dog");
    find.replaceOnPage();
    find.replaceAll();
    ASSERT_TRUE(handled()) << "the replace-all was never handled";
    settle();
    EXPECT_EQ(bodyHTML(), before);
}

// Ctrl+F's search and replace is TinyMCE's own: the same holds for it.
TEST_F(QVEditingToolsWebTest, tinyMCEsReplaceAllReplacesEachMatchOnceAndNothingForAnEmptySearch)
{
    tools->showFindOnPage();
    ASSERT_TRUE(waitFor([&] { return run("document.querySelectorAll('.tox-dialog').length") == "1"; }));
    EXPECT_EQ(run("tinymce.activeEditor.plugins.searchreplace.find('cat', false, false)"), "3");
    run("tinymce.activeEditor.plugins.searchreplace.replace('cats', true, true)");
    run("tinymce.activeEditor.plugins.searchreplace.done()");
    EXPECT_EQ(bodyText().substr(0, 41), "The cats sat on the cats mat with a cats.");
    std::string before = bodyHTML();
    // The dialog's own buttons with an empty search: nothing is found, and
    // replacing stays off.
    auto button = [&](const std::string& title) {
        return "Array.from(document.querySelectorAll('.tox-dialog button')).filter(b => b.textContent === '" + title +
               "')[0]";
    };
    run(button("Find") + ".click()");
    EXPECT_EQ(run(button("Replace") + ".disabled"), "1");
    EXPECT_EQ(run(button("Replace all") + ".disabled"), "1");
    run(button("Replace all") + ".click()");
    EXPECT_EQ(bodyHTML(), before);
    run("tinymce.activeEditor.windowManager.close()");
}

TEST_F(QVEditingToolsWebTest, textDragsMarkTheDocumentAndDroppedPicturesGoToTheInserter)
{
    ClipboardCommander& clipboard = tools->clipboard();
    std::shared_ptr<View> view = editor->view();
    tools->prepareWebViewText(*view);
    EXPECT_EQ(view->dropDelegate(), &clipboard);

    EXPECT_FALSE(clipboard.dropInteractionCanHandleSession(DropSession{{DropItem{{"public.png"}, {}}}}));
    EXPECT_EQ(dirtyCount, 0);
    EXPECT_TRUE(clipboard.dropInteractionCanHandleSession(DropSession{{DropItem{{"public.text"}, {}}}}));
    EXPECT_EQ(dirtyCount, 1) << "text dragged over the page marks the document at once";
    EXPECT_EQ(clipboard.dropInteractionSessionDidUpdate(DropSession{}).operation, DropOperation::Copy);

    // Text dropped from another program goes to the editor, which makes it
    // safe as it makes a paste, and puts it where it was dropped.
    auto dropOnSecondLine = [&](const std::string& html, const std::string& text) {
        run("(function(){var d=new DataTransfer();d.setData('text/html'," + ScriptValue(html).source() + ");"
            "d.setData('text/plain'," + ScriptValue(text).source() + ");var b=tinymce.activeEditor.getBody();"
            "var r=b.lastChild.getBoundingClientRect();b.lastChild.dispatchEvent(new DragEvent('drop',{dataTransfer:d,"
            "bubbles:true,cancelable:true,clientX:r.right-2,clientY:r.top+4}));})()");
    };
    ASSERT_FALSE(document->hasUnsavedChanges());
    dropOnSecondLine("<p>dropped <b>words</b><img src=x onerror=\"window.hacked=1\"><script>window.hacked=2</script>"
                     "<a href=\"javascript:window.hacked=3\">l</a></p>",
                     "dropped words");
    ASSERT_TRUE(waitFor([&] { return bodyHTML().find("dropped") != std::string::npos; }));
    std::string html = bodyHTML();
    EXPECT_NE(html.find("Second line here<span"), std::string::npos) << "where it was dropped: " << html;
    EXPECT_NE(html.find("<b>words</b>"), std::string::npos) << html;
    for (const char* hostile : {"onerror", "<script", "javascript:", "hacked"})
        EXPECT_EQ(html.find(hostile), std::string::npos) << hostile << " in " << html;
    EXPECT_TRUE(document->hasUnsavedChanges());
    dropOnSecondLine("", "1 < 2 <i>plain</i>");
    ASSERT_TRUE(waitFor([&] { return bodyText().find("1 < 2 <i>plain</i>") != std::string::npos; })) << bodyHTML();

    const std::string path = folder.path("dropped.jpg");
    std::vector<std::uint8_t> jpeg = picture(900, 700)->jpegData(0.9).value();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
    DropItem photo{{"public.jpeg"}, [&](const std::string&) { return std::optional<std::string>(path); }};
    DropItem broken{{"public.jpeg"}, [&](const std::string&) { return std::optional<std::string>(folder.path("none.jpg")); }};
    clipboard.dropInteractionPerformDrop(DropSession{{broken, photo}});
    ASSERT_EQ(insertedPictures.size(), 1u) << "a file that holds no picture is skipped";
    EXPECT_EQ(insertedPictures[0].size.width, 900);
    EXPECT_TRUE(insertedPictures[0].autoResize);
}

TEST_F(QVEditingToolsWebTest, footnotesAndCommentsAreInsertedEditedDeletedAndRenumbered)
{
    NotesCommander& notes = tools->notes();
    auto marks = [&] {
        return frame("Array.from(document.querySelectorAll('object.footnote')).map(n => n.textContent).join()");
    };
    caretAfter("Second line");
    notes.insertNewFootnote();
    caretAfter("The cat");
    notes.insertNewFootnote();
    settle();
    ASSERT_EQ(frame("document.querySelectorAll('object.footnote').length"), "2") << bodyHTML();
    EXPECT_EQ(marks(), "[1],[2]") << "numbered in document order";

    std::string firstId = frame("document.querySelectorAll('object.footnote')[0].id");
    std::string secondId = frame("document.querySelectorAll('object.footnote')[1].id");
    EXPECT_EQ(firstId.rfind("footnote_", 0), 0u);
    EXPECT_NE(firstId, secondId);

    // Edited through its popover: the page has every keystroke.
    notes.showFootnoteWithId(secondId, {100, 100});
    std::shared_ptr<NoteEditorController> noteEditor = notes.openEditor();
    ASSERT_NE(noteEditor, nullptr);
    EXPECT_TRUE(notes.isHTMLObjectPopoverVisible());
    int before = dirtyCount;
    noteEditor->contentView()->insertText(u"It's a note\nover 'two' lines");
    settle();
    EXPECT_EQ(frame("document.getElementById('" + secondId + "').getAttribute('data-content')"),
              "It's a note\nover 'two' lines ");
    EXPECT_GT(dirtyCount, before);
    noteEditor->doneButton();
    EXPECT_FALSE(notes.isHTMLObjectPopoverVisible());

    // Deleted through its popover: the rest is numbered again, and no empty
    // holder stays behind.
    notes.showFootnoteWithId(firstId, {100, 100});
    noteEditor = notes.openEditor();
    ASSERT_NE(noteEditor, nullptr);
    noteEditor->deleteNote();
    auto sheet = std::dynamic_pointer_cast<AlertController>(noteEditor->presentedViewController());
    ASSERT_NE(sheet, nullptr);
    sheet->tapActionWithTitle(u"Delete Footnote");
    settle();
    ASSERT_EQ(frame("document.querySelectorAll('object.footnote').length"), "1");
    EXPECT_EQ(frame("document.getElementById('" + secondId + "').textContent"), "[1]");

    // A copy carrying its original's id gets one of its own.
    frame("var copy=document.getElementById('" + secondId + "').cloneNode(true);"
          "document.body.lastChild.appendChild(copy);");
    frame("updateFootnoteIndex();");
    EXPECT_EQ(marks(), "[1],[2]");
    EXPECT_EQ(frame("new Set(Array.from(document.querySelectorAll('object.footnote')).map(n => n.id)).size"), "2");
    EXPECT_EQ(frame("document.querySelectorAll('object.footnote')[0].id"), secondId) << "the original keeps its id";

    // Deleted by typing: the page numbers the rest again by itself.
    frame("var gone=document.querySelectorAll('object.footnote')[0];gone.parentNode.removeChild(gone);");
    run("tinymce.activeEditor.fire('input')");
    EXPECT_EQ(marks(), "[1]");

    // The list of footnotes, and a comment with its author and date.
    caretAfter("mat");
    notes.insertFootnoteTable();
    settle();
    EXPECT_EQ(frame("document.querySelectorAll('#divfootnotetable p').length"), "1");
    EXPECT_EQ(frame("document.querySelector('#divfootnotetable p').textContent"), "[1] It's a note over 'two' lines");
    caretAfter("sat");
    notes.insertNewAnnotation();
    settle();
    ASSERT_EQ(frame("document.querySelectorAll('object.annotation').length"), "1") << bodyHTML();
    EXPECT_EQ(frame("document.querySelector('object.annotation').id.indexOf('note_')"), "0");
    EXPECT_EQ(frame("document.querySelector('object.annotation').getAttribute('data-author')"), "Folio User");
    std::string date = toUtf8(localizedStringFromDate(std::chrono::system_clock::from_time_t(1700000000),
                                                      DateFormatterStyle::Long, DateFormatterStyle::Short));
    EXPECT_EQ(frame("document.querySelector('object.annotation').getAttribute('data-content')"), "\n\n[" + date + "]");
    EXPECT_EQ(frame("document.querySelector('object.annotation').textContent"), "[\U0001F4AC]");

    // No footnotes: the list is refused with an alert.
    run("tinymce.activeEditor.setContent('<p>Plain</p>')");
    presented.clear();
    notes.insertFootnoteTable();
    ASSERT_NE(lastAlert(), nullptr);
    EXPECT_EQ(toUtf8(lastAlert()->title()), "Insert Footnotes Table");
    EXPECT_EQ(frame("document.querySelectorAll('#divfootnotetable').length"), "0");
}

// The editor's own tools, reached as the page and the keyboard reach them.
TEST_F(QVEditingToolsWebTest, theEditorAnswersThePagesPasteItsNoteTapsAndItsKeys)
{
    // The page's paste: the editor inserts the pasteboard's text, not what the
    // paste event carried.
    caretAfter("Second line here");
    Pasteboard::general().setString(u"<i>from the pasteboard</i>");
    run("(function(){var d=new DataTransfer();d.setData('text/html','<b onclick=\"x()\">evil</b>');"
        "tinymce.activeEditor.getBody().dispatchEvent(new ClipboardEvent('paste',{clipboardData:d,bubbles:true,"
        "cancelable:true}));})()");
    ASSERT_TRUE(waitFor([&] { return bodyText().find("<i>from the pasteboard</i>") != std::string::npos; }))
        << bodyHTML();
    EXPECT_EQ(bodyHTML().find("evil"), std::string::npos) << bodyHTML();
    EXPECT_TRUE(editor->respondsToAction("paste:"));

    // A tap on a footnote's mark opens its editor.
    caretAfter("The cat");
    editor->editingTools().notes().insertNewFootnote();
    settle();
    std::string id = frame("document.querySelector('object.footnote').id");
    frame("document.querySelector('object.footnote').click()");
    ASSERT_TRUE(waitFor([&] { return editor->editingTools().notes().openEditor() != nullptr; }));
    EXPECT_EQ(editor->editingTools().notes().openEditor()->noteId(), id);
    editor->editingTools().notes().openEditor()->doneButton();

    // Ctrl+F opens TinyMCE's own search and replace.
    std::shared_ptr<KeyCommand> findKey;
    for (const std::shared_ptr<KeyCommand>& command : editor->keyCommands()) {
        if (command->input() == "f" && command->modifierFlags() == KeyModifierCommand)
            findKey = command;
    }
    ASSERT_NE(findKey, nullptr);
    findKey->perform();
    EXPECT_TRUE(waitFor([&] { return run("document.querySelectorAll('.tox-dialog').length") == "1"; }));
    EXPECT_EQ(run("document.querySelector('.tox-dialog__title').textContent"), "Find and Replace");
}

// Notes saved with a document are notes again when it opens: numbered,
// tappable and saved back as they were.
class QVSavedNotesWebTest : public QVEditingToolsWebTest {
protected:
    std::string initialPage() const override
    {
        return "<p>Saved<span contenteditable=\"false\"><sup><object id=\"footnote_A1\" class=\"footnote\" "
               "data-content=\"Kept\">[7]</object></sup></span> and <span contenteditable=\"false\"><object "
               "id=\"note_B2\" class=\"annotation\" data-author=\"Folio User\" data-content=\"Said\">"
               "[\U0001F4AC]</object></span></p>";
    }
};

TEST_F(QVSavedNotesWebTest, savedNotesOpenAsNotes)
{
    EXPECT_EQ(frame("document.querySelectorAll('object.footnote, object.annotation').length"), "2") << bodyHTML();
    frame("document.getElementById('note_B2').click()");
    ASSERT_TRUE(waitFor([&] { return editor->editingTools().notes().openEditor() != nullptr; }));
    EXPECT_EQ(editor->editingTools().notes().openEditor()->noteId(), "note_B2");
    EXPECT_EQ(toUtf8(editor->editingTools().notes().openEditor()->contentView()->text()), "Said");
    editor->editingTools().notes().openEditor()->doneButton();

    std::string saved = run("tinymce.activeEditor.getContent()");
    EXPECT_NE(saved.find("<object id=\"footnote_A1\" class=\"footnote\" data-content=\"Kept\">"), std::string::npos) << saved;
    EXPECT_NE(saved.find("data-content=\"Said\">[\U0001F4AC]</object>"), std::string::npos) << saved;
}

} // namespace
} // namespace folio
