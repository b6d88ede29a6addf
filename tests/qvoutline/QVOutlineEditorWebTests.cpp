#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/web/WebView.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/ui/Action.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/Menu.h"
#include "qvoutline/QVOutlinePictures.h"
#include "qvtext/QVTextAssistant.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVParagraphStyleCommander.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextTools.h"
#include "qvtext/QVTextZoom.h"
#include "platform/foundation/Data.h"
#include "tools/assistant/WritingAssistant.h"
#include "qvoutline/QVOutlineViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorPageTest.h"
#include "OutlineTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace folio {
namespace {

using test::branch;
using test::treeOf;
using testing_support::ScratchFolder;
using testing_support::writeFile;

// The outline editor on the real page, with TinyMCE and jQuery UI, in a real
// web view.
class QVOutlineEditorWebTest : public test::EditorPageTest<QVOutlineViewController> {
protected:
    QVOutlineEditorWebTest() : EditorPageTest(EditorKind::QVOutline, "qvoutline-editor") {}

    static std::string storedPage(const std::string& path)
    {
        return EditorPageTest::storedPage(path, DocumentKind::QVOutline);
    }

    // An outline of the given branches, dated, written as the editor stores it.
    std::string writeOutline(const std::string& name, const std::string& branches)
    {
        const std::string path = folder.path(name);
        writeFile(path, std::string(DocumentSeeds::compressedPage("<div id='noteDate'>Mar 5, 2024</div><ul id='left-tree'>" +
                                                                  branches + "</ul>")
                                        ->stringView()));
        return path;
    }

    std::string writeSeed(const std::string& name)
    {
        const std::string path = folder.path(name);
        Result<std::string> seed = DocumentSeeds::outlineSeedPage(std::chrono::system_clock::now(), "en_US");
        EXPECT_TRUE(seed.ok());
        writeFile(path, std::string(DocumentSeeds::compressedPage(seed ? *seed : "")->stringView()));
        return path;
    }
};

TEST_F(QVOutlineEditorWebTest, treeCommandsKeepEveryParentAndLevelAndAreSavedAsTheTree)
{
    const std::string path =
        writeOutline("Plan.qvoutline", branch(1, 0, 1, "Alpha") + branch(2, 0, 1, "Beta") + branch(3, 0, 1, "Gamma"));
    auto document = open(path);
    if (HasFailure())
        return;
    auto caretIn = [&](int id) {
        run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('" + std::to_string(id) +
            "'),true);e.selection.collapse(false);})()");
    };
    auto command = [&](const std::string& name) { return run("String(leftSortable." + name + "())"); };

    caretIn(2);
    EXPECT_EQ(command("indentBranch"), "true");
    caretIn(3);
    EXPECT_EQ(command("indentBranch"), "true");
    EXPECT_EQ(command("indentBranch"), "true") << "Gamma hangs under Beta";
    EXPECT_EQ(command("indentBranch"), "false") << "no deeper than one below the branch before";
    caretIn(1);
    EXPECT_EQ(command("indentBranch"), "false") << "the first branch has nothing to hang under";
    EXPECT_EQ(command("outdentBranch"), "false");
    caretIn(2);
    EXPECT_EQ(command("outdentBranch"), "true") << "Beta goes back out and takes Gamma with it";
    caretIn(1);
    EXPECT_EQ(command("addBranch"), "[object HTMLLIElement]");
    run("tinymce.activeEditor.insertContent('Delta')");
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds));

    ASSERT_TRUE(save(*document));
    EXPECT_EQ(treeOf(storedPage(path)),
              (std::vector<std::string>{"1/0/1 Alpha", "4/0/1 Delta", "2/0/1 Beta", "3/2/2 Gamma"}))
        << storedPage(path);
    EXPECT_NE(storedPage(path).find("<div id=\"noteDate\">Mar 5, 2024</div>"), std::string::npos);

    // Moving a branch takes what hangs below it along.
    caretIn(2);
    EXPECT_EQ(command("moveBranchUp"), "true");
    EXPECT_EQ(command("moveBranchUp"), "true");
    EXPECT_EQ(command("moveBranchUp"), "false");
    caretIn(4);
    EXPECT_EQ(command("moveBranchDown"), "false") << "Delta is the last at its level";
    ASSERT_TRUE(save(*document));
    EXPECT_EQ(treeOf(storedPage(path)),
              (std::vector<std::string>{"2/0/1 Beta", "3/2/2 Gamma", "1/0/1 Alpha", "4/0/1 Delta"}));

    // Folding hides what hangs below and keeps it in the document.
    caretIn(2);
    EXPECT_EQ(command("toggleBranch"), "true");
    EXPECT_EQ(run("getComputedStyle(document.querySelector('[data-id=\"3\"]')).display"), "none");
    EXPECT_EQ(command("toggleBranch"), "true");
    EXPECT_EQ(run("getComputedStyle(document.querySelector('[data-id=\"3\"]')).display"), "list-item");
    document->closeWithCompletionHandler({});
}

TEST_F(QVOutlineEditorWebTest, aDraggedBranchTakesWhatHangsBelowItAndIsNeverLostOutsideTheTree)
{
    const std::string path = folder.path("Drag.qvoutline");
    writeFile(path, std::string(DocumentSeeds::compressedPage(
                                    "<div id='noteDate'>Mar 5, 2024</div><ul id='left-tree'>" + branch(1, 0, 1, "Alpha") +
                                    branch(2, 0, 1, "Beta") + branch(3, 2, 2, "Gamma") + branch(4, 0, 1, "Delta") +
                                    "</ul>")
                                    ->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    // A drag as the mouse does it: press on the branch's handle, move in
    // steps to the point, release there.
    auto drag = [&](int id, const std::string& toX, const std::string& toY) {
        return run("(function(){var h=document.querySelector('[data-id=\"" + std::to_string(id) +
                   "\"] .branch-drag-handler');var r=h.getBoundingClientRect();var x=r.left+4,y=r.top+4;"
                   "function fire(t,target,px,py){target.dispatchEvent(new MouseEvent(t,{bubbles:true,cancelable:true,"
                   "view:window,button:0,buttons:1,clientX:px,clientY:py}));}"
                   "fire('mousedown',h,x,y);var tx=" + toX + ",ty=" + toY +
                   ";for(var i=1;i<=20;++i)fire('mousemove',document,x+(tx-x)*i/20,y+(ty-y)*i/20);"
                   "fire('mouseup',document,tx,ty);return document.querySelectorAll('#left-tree li').length;})()");
    };
    auto bottomOf = [](int id) {
        return "document.querySelector('[data-id=\"" + std::to_string(id) + "\"]').getBoundingClientRect().bottom";
    };
    auto topOf = [](int id) {
        return "document.querySelector('[data-id=\"" + std::to_string(id) + "\"]').getBoundingClientRect().top";
    };

    EXPECT_EQ(drag(2, "x", bottomOf(4) + "+10"), "4");
    ASSERT_TRUE(save(*document));
    EXPECT_EQ(treeOf(storedPage(path)),
              (std::vector<std::string>{"1/0/1 Alpha", "4/0/1 Delta", "2/0/1 Beta", "3/2/2 Gamma"}))
        << storedPage(path);

    // A branch dropped first hangs from nothing.
    EXPECT_EQ(drag(3, "x", topOf(1) + "-10"), "4");
    ASSERT_TRUE(save(*document));
    EXPECT_EQ(treeOf(storedPage(path)),
              (std::vector<std::string>{"3/0/1 Gamma", "1/0/1 Alpha", "4/0/1 Delta", "2/0/1 Beta"}))
        << storedPage(path);

    // Released far outside the page: every branch is still in the tree.
    EXPECT_EQ(drag(1, "5000", "-3000"), "4");
    ASSERT_TRUE(save(*document));
    std::vector<std::string> tree = treeOf(storedPage(path));
    EXPECT_EQ(tree.size(), 4u) << storedPage(path);
    for (const std::string& kept : {"3/0/1 Gamma", "1/0/1 Alpha", "4/0/1 Delta", "2/0/1 Beta"})
        EXPECT_NE(std::find(tree.begin(), tree.end(), kept), tree.end()) << kept;
    EXPECT_EQ(run("document.querySelectorAll('.children-bus li').length"), "0") << "nothing stays in a drag's bus";
    // What the drag put on the page stays out of the document.
    for (const char* dragMark : {"ui-sortable\"", "ui-sortable ", "ui-sortable-helper", "position: absolute", "sortable-placeholder"})
        EXPECT_EQ(storedPage(path).find(dragMark), std::string::npos) << dragMark << ": " << storedPage(path);
    document->closeWithCompletionHandler({});
}

TEST_F(QVOutlineEditorWebTest, anInsertedPictureIsTheOnlyOneSelected)
{
    auto document = open(writeSeed("Pictures.qvoutline"));
    if (HasFailure())
        return;
    const std::string picture = "<img id=\"imageSelected_555\" src=\"data:image/gif;base64,R0lGODlhAQABAAAAACw=\">";
    auto insert = [&] {
        run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
            "e.selection.collapse(false);e.insertContent('" + picture + "');})()");
    };
    insert();
    insert();
    insert();
    EXPECT_EQ(run("String(document.querySelectorAll('#left-tree img').length)"), "3");
    EXPECT_EQ(run("String(document.querySelectorAll('[id=\"imageSelected_555\"]').length)"), "1");
    EXPECT_EQ(run("String(document.querySelectorAll('[id=\"imageSelected_444\"]').length)"), "2");
    // A touched picture becomes the selected one, and only it.
    run("document.querySelectorAll('#left-tree img')[0].dispatchEvent(new MouseEvent('click',{bubbles:true}))");
    EXPECT_EQ(run("document.querySelectorAll('#left-tree img')[0].id"), "imageSelected_555");
    EXPECT_EQ(run("String(document.querySelectorAll('[id=\"imageSelected_555\"]').length)"), "1");
    document->closeWithCompletionHandler({});
}

TEST_F(QVOutlineEditorWebTest, aPictureIsPlacedUneditableWithAParagraphInThePagesDirectionAndTheOnlyOneSelected)
{
    auto document = open(writeSeed("Placed.qvoutline"));
    if (HasFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(false);})()");
    const std::string pixel = "R0lGODlhAQABAAAAACw=";
    run(QVOutlinePictures::insertionScript(QVOutlinePictures::elementHTML(pixel, std::nullopt, Size{40, 30}, true)));
    EXPECT_EQ(run("document.querySelector('#left-tree img').parentNode.nextElementSibling.style.textAlign"), "right")
        << "a right-to-left page goes on in a right-aligned paragraph";
    run(QVOutlinePictures::insertionScript(QVOutlinePictures::elementHTML(pixel, std::string("{\"s\":1}"), {}, false)));
    EXPECT_EQ(run("document.querySelectorAll('#left-tree img')[1].parentNode.nextElementSibling.style.textAlign"), "left");
    EXPECT_EQ(run("String(document.querySelectorAll('#left-tree img').length)"), "2");
    EXPECT_EQ(run("String(document.querySelectorAll('#left-tree img[contenteditable=\"false\"]').length)"), "2")
        << "neither picture is editable in place";
    EXPECT_EQ(run("String(document.querySelectorAll('[id=\"imageSelected_555\"]').length)"), "1")
        << "two insertions never leave two pictures with the selected id";
    EXPECT_EQ(run("document.querySelectorAll('#left-tree img')[1].id"), "imageSelected_555");
    EXPECT_EQ(run("document.querySelectorAll('#left-tree img')[1].getAttribute('data-sketch')"), "{\"s\":1}");
    EXPECT_EQ(run("document.querySelectorAll('#left-tree img')[0].style.width"), "40px");
    EXPECT_EQ(run("document.querySelectorAll('#left-tree img')[1].style.width"), "100%") << "a sketch spans the page";
    // The pictures are kept in the document itself.
    ASSERT_TRUE(save(*document));
    const std::string stored = storedPage(document->fileURL());
    size_t first = stored.find("src=\"data:image/jpeg;base64," + pixel + "\"");
    ASSERT_NE(first, std::string::npos) << stored;
    EXPECT_NE(stored.find("src=\"data:image/jpeg;base64," + pixel + "\"", first + 1), std::string::npos) << stored;
    EXPECT_EQ(stored.find("blob:"), std::string::npos) << stored;
    document->closeWithCompletionHandler({});
}

TEST_F(QVOutlineEditorWebTest, theAssistantsAnswerWithTheKeyboardDownBecomesABranchAndUndoFollowsThePage)
{
    const std::string path = writeOutline("Answer.qvoutline", branch(1, 0, 1, "Alpha"));
    auto document = open(path);
    if (HasFailure())
        return;
    EXPECT_FALSE(editor->undoBarButtonItem()->isEnabled());
    editor->rememberEditingBeforeAssistant();
    editor->AI_LeafcraftViewController_insertText("It's done", "", 0);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds))
        << "the page's own dirty event marks the change";
    // The page is asked what it can undo a few seconds after the change.
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return editor->undoBarButtonItem()->isEnabled(); }, kEngineWaitSeconds));
    EXPECT_FALSE(editor->redoBarButtonItem()->isEnabled());
    ASSERT_TRUE(save(*document));
    EXPECT_EQ(treeOf(storedPage(path)), (std::vector<std::string>{"1/0/1 Alpha", "2/0/1 It's done"})) << storedPage(path);
    document->closeWithCompletionHandler({});
}

TEST_F(QVOutlineEditorWebTest, theEditorsSelectionScriptsRunOnTheOutlinePageItself)
{
    auto document = open(writeSeed("Scripts.qvoutline"));
    if (HasFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(false);e.insertContent('Plan');e.selection.select(e.dom.get('1'),true);})()");
    EXPECT_EQ(run("folioInEditorFrame('document.getElementById(\"1\").textContent')"), "Plan");
    EXPECT_EQ(run("folioInEditorFrame('String(rangy.getSelection(window))')"), "Plan");
    EXPECT_EQ(run("folioInEditorFrame('typeof rangy.getSelection(window).move')"), "function")
        << "the text-range module is there for the caret's word moves";
    document->closeWithCompletionHandler({});
}

TEST_F(QVOutlineEditorWebTest, theTextZoomShowsTheOutlineLargerAndIsNotSaved)
{
    auto document = open(writeSeed("Zoom.qvoutline"));
    if (HasFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(false);e.insertContent('Plan');})()");
    const std::string before = run("String(document.getElementById('1').getBoundingClientRect().height)");
    editor->zoom().zoomIn();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return run("String(!!document.getElementById('folioViewZoom'))") == "true"; },
                                         kEngineWaitSeconds));
    EXPECT_GT(std::stod(run("String(document.getElementById('1').getBoundingClientRect().height)")), std::stod(before))
        << "the branches are drawn larger";
    EXPECT_EQ(run("String(document.querySelector('#left-tree li').getBoundingClientRect().right <= window.innerWidth)"),
              "true") << "and stay within the window";
    ASSERT_TRUE(save(*document));
    EXPECT_EQ(storedPage(document->fileURL()).find("zoom"), std::string::npos) << storedPage(document->fileURL());
    document->closeWithCompletionHandler({});
}

// The assistant as this system's would answer if it could.
struct AnsweringAssistant : WritingAssistant {
    bool isAvailable() const override { return true; }
    Status open(ViewController&, std::weak_ptr<WritingAssistantDelegate> to, SourceFileType, const std::u16string&) override
    {
        delegate = std::move(to);
        return Status::success();
    }
    void answer(const std::u16string& text, WritingAssistantInsertion insertion)
    {
        if (auto listener = delegate.lock())
            listener->writingAssistantInsertText(text, u"", insertion);
    }
    std::weak_ptr<WritingAssistantDelegate> delegate;
};

TEST_F(QVOutlineEditorWebTest, theAssistantOpenedFromTheBarAnswersIntoTheTreeOfTheRealPage)
{
    auto service = std::make_shared<AnsweringAssistant>();
    WritingAssistant::setShared(service);
    const std::string path = writeOutline("Assistant.qvoutline", branch(1, 0, 1, "Alpha"));
    auto document = open(path);
    if (HasFailure()) {
        WritingAssistant::setShared(nullptr);
        return;
    }
    QVTextAssistant& assistant = editor->tools().assistant();
    // Opened while the outline is not being edited: the answer is a new branch.
    assistant.showWisperant();
    EXPECT_EQ(run("String(wasWebEditorFocusedBeforePrompt)"), "false");
    service->answer(u"It's <b>new</b>", WritingAssistantInsertion::ReplaceSelection);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds));
    EXPECT_EQ(run("document.getElementById('2').textContent"), "It's <b>new</b>") << "the answer is text";

    // Opened while a title is being edited: the answer goes after the
    // selection the assistant was opened on.
    run("(function(){var e=tinymce.activeEditor;e.focus();var t=e.dom.get('1').firstChild;var r=document.createRange();"
        "r.setStart(t,0);r.setEnd(t,5);e.selection.setRng(r);})()");
    run("document.getElementById('1').dispatchEvent(new KeyboardEvent('keydown', {bubbles: true}))");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isEditing(); }, kEngineWaitSeconds));
    assistant.showWisperant();
    EXPECT_EQ(run("String(wasWebEditorFocusedBeforePrompt)"), "true");
    run("(function(){var e=tinymce.activeEditor;e.selection.select(e.dom.get('2'),true);})()");
    service->answer(u" and more", WritingAssistantInsertion::AfterSelection);
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return run("document.getElementById('1').textContent") == "Alpha and more"; }, kEngineWaitSeconds))
        << run("document.getElementById('1').textContent");

    // Text left while no editor was open: a branch with the text of its markup,
    // nothing of which loads or runs.
    ASSERT_TRUE(Data::fromString("<p>Drafted <img src=\"missing.png\" onerror=\"document.title='ran'\">plan</p>")
                    .writeToFile(QVTextAssistant::waitingFilePath())
                    .ok());
    assistant.addContentFromWisperant();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return run("String(document.querySelectorAll('#left-tree > li').length)") == "3"; },
                                         kEngineWaitSeconds));
    EXPECT_EQ(run("document.getElementById('3').textContent"), "Drafted plan");
    EXPECT_EQ(run("String(document.querySelectorAll('#left-tree img').length)"), "0");
    EXPECT_NE(run("document.title"), "ran");
    ASSERT_TRUE(save(*document));
    EXPECT_EQ(treeOf(storedPage(path)),
              (std::vector<std::string>{"1/0/1 Alpha and more", "3/0/1 Drafted plan", "2/0/1 It's &lt;b&gt;new&lt;/b&gt;"}))
        << "a new branch comes after the branch of the caret: " << storedPage(path);
    document->closeWithCompletionHandler({});
    WritingAssistant::setShared(nullptr);
}

// WebKit collapses the page's selection to its end, with no input, when
// another program takes the desktop's primary selection: TinyMCE's
// formatting finds the lost selection again, while what is inserted or
// comes after a click goes where the caret shows.
TEST_F(QVOutlineEditorWebTest, aSelectionCollapsedWithoutInputIsFoundAgainOnlyByFormatting)
{
    const std::string path = writeOutline("Lost.qvoutline", branch(1, 0, 1, "Plain words here"));
    auto document = open(path);
    if (HasFailure())
        return;
    // Selection changes are told a moment later: each step lets them arrive.
    auto selectThenLose = [&](const std::string& word) {
        run("(function(){var e=tinymce.activeEditor;e.focus();var t=e.dom.get('1').lastChild;"
            "var at=t.data.indexOf('" + word + "');var r=document.createRange();r.setStart(t,at);"
            "r.setEnd(t,at+" + std::to_string(word.size()) + ");e.selection.setRng(r);})()");
        run("1");
        run("getSelection().collapseToEnd()");
        run("1");
        return run("String(getSelection().isCollapsed)");
    };
    ASSERT_EQ(selectThenLose("here"), "true");
    run("tinymce.activeEditor.execCommand('mceInsertContent', false, '!')");
    EXPECT_EQ(run("document.getElementById('1').textContent"), "Plain words here!")
        << "what is inserted goes where the caret shows, never over the lost words";

    ASSERT_EQ(selectThenLose("Plain"), "true");
    run("document.getElementById('1').dispatchEvent(new MouseEvent('mousedown', {bubbles: true}))");
    run("tinymce.activeEditor.execCommand('Italic')");
    EXPECT_EQ(run("String(getSelection().isCollapsed)"), "true")
        << "a click placed the caret: the lost words are not selected again";

    ASSERT_EQ(selectThenLose("words"), "true");
    editor->styling().characters().boldExecCommand();
    EXPECT_EQ(run("getSelection().toString()"), "words");
    EXPECT_NE(run("document.getElementById('1').innerHTML").find("<strong>words</strong>"), std::string::npos)
        << run("document.getElementById('1').innerHTML");
    document->closeWithCompletionHandler({});
}

// The style bar's alignment choices align the branch the caret is in, on
// the page and in the saved file.
TEST_F(QVOutlineEditorWebTest, theStyleBarsAlignmentChoicesAlignTheCaretsBranch)
{
    const std::string path = writeOutline("Aligned.qvoutline", branch(1, 0, 1, "Alpha") + branch(2, 0, 1, "Beta"));
    auto document = open(path);
    if (HasFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('2'),true);"
        "e.selection.collapse(false);})()");
    std::shared_ptr<Menu> menu = editor->styling().showAlignKeyMenuActions();
    ASSERT_EQ(menu->children().size(), 4u);
    auto alignment = [&](const char* id) {
        return run(std::string("getComputedStyle(document.getElementById('") + id + "')).textAlign");
    };
    std::dynamic_pointer_cast<Action>(menu->children()[1])->perform();
    EXPECT_TRUE(waitFor([&] { return alignment("2") == "center"; })) << alignment("2");
    EXPECT_NE(alignment("1"), "center") << "only the caret's branch";
    ASSERT_TRUE(save(*document));
    const std::string stored = storedPage(path);
    const std::size_t beta = stored.find("Beta");
    ASSERT_NE(beta, std::string::npos) << stored;
    EXPECT_NE(stored.rfind("text-align: center", beta), std::string::npos) << stored;
    EXPECT_EQ(stored.find("text-align: center"), stored.rfind("text-align: center")) << stored;

    std::dynamic_pointer_cast<Action>(menu->children()[3])->perform();
    EXPECT_TRUE(waitFor([&] { return alignment("2") == "left"; })) << alignment("2");
    document->closeWithCompletionHandler({});
}

// Numbered and Bulleted List make the selected branch's words a list inside
// that branch, switch it from one kind to the other, and take it away again:
// the tree keeps every branch and its words, in the page and in the file.
TEST_F(QVOutlineEditorWebTest, aListMadeInABranchStaysInsideItAndTheTreeKeepsEveryBranch)
{
    const std::string path = writeOutline("Listed.qvoutline",
                                          branch(1, 0, 1, "Alpha") + branch(2, 0, 1, "Beta words") + branch(3, 0, 1, "Gamma"));
    auto document = open(path);
    if (HasFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();var t=e.dom.get('2').firstChild;var r=e.dom.createRng();"
        "r.setStart(t,5);r.setEnd(t,10);e.selection.setRng(r);})()");
    const std::string listInBeta = "(function(){var l=document.querySelector('#left-tree > li[data-id=\"2\"] .branch-title > ol, "
                                   "#left-tree > li[data-id=\"2\"] .branch-title > ul');return l?l.tagName+' '+l.textContent:'none';})()";
    const std::string trees = "document.querySelectorAll('#left-tree').length+' '+"
                              "document.querySelectorAll('#left-tree > li.tree-branch').length";
    QVParagraphStyleCommander& paragraphs = editor->styling().paragraphs();
    const std::vector<std::pair<QVParagraphStyleCommander::Row, std::string>> steps{
        {QVParagraphStyleCommander::NumberedList, "OL Beta words"},
        {QVParagraphStyleCommander::BulletedList, "UL Beta words"},
        {QVParagraphStyleCommander::BulletedList, "none"},
    };
    for (const auto& step : steps) {
        const std::string& expected = step.second;
        paragraphs.otherStyleTextTask(step.first);
        EXPECT_TRUE(waitFor([&] { return run(listInBeta) == expected; })) << expected << ": " << run(listInBeta);
        EXPECT_EQ(run(trees), "1 3") << expected;
        EXPECT_EQ(run("getSelection().toString()"), "words") << "the selection stays on the words";
    }
    paragraphs.otherStyleTextTask(QVParagraphStyleCommander::NumberedList);
    ASSERT_TRUE(waitFor([&] { return run(listInBeta) == "OL Beta words"; }));
    ASSERT_TRUE(save(*document));
    // The file's tree holds the three branches, Beta's words a list in its title.
    std::string stored = storedPage(path);
    stored.erase(std::remove(stored.begin(), stored.end(), '\n'), stored.end());
    EXPECT_EQ(treeOf(stored), (std::vector<std::string>{"1/0/1 Alpha", "2/0/1 <ol><li>Beta words</li></ol>", "3/0/1 Gamma"}))
        << stored;
    // One undo takes the list away again, words and tree kept.
    run("tinymce.activeEditor.undoManager.undo()");
    EXPECT_TRUE(waitFor([&] { return run(listInBeta) == "none"; })) << run(listInBeta);
    EXPECT_EQ(run(trees), "1 3");
    document->closeWithCompletionHandler({});
}

// Whatever width a new size and the device give the outline's body, it
// fills the room the page leaves it: no branch is cut at the right and the
// page never scrolls sideways.
TEST_F(QVOutlineEditorWebTest, aNewSizeLeavesTheOutlineBodyWithinThePageOnEveryDevice)
{
    auto document = open(writeSeed("Width.qvoutline"));
    if (HasFailure())
        return;
    Device& device = Device::current();
    struct Case {
        UserInterfaceIdiom idiom;
        DeviceOrientation orientation;
        Size size;
    };
    for (const Case& c : {Case{UserInterfaceIdiom::Phone, DeviceOrientation::LandscapeLeft, {844, 390}},
                          Case{UserInterfaceIdiom::Pad, DeviceOrientation::LandscapeLeft, {1400, 390}},
                          Case{UserInterfaceIdiom::Phone, DeviceOrientation::Portrait, {390, 844}}}) {
        device.setUserInterfaceIdiom(c.idiom);
        device.setOrientation(c.orientation);
        editor->transitionToSize(c.size);
        EXPECT_EQ(run("(function(){var b=tinymce.activeEditor.getBody().getBoundingClientRect(),"
                      "c=document.querySelector('.container');"
                      "return Math.round(b.right)<=c.clientWidth&&c.scrollWidth<=c.clientWidth})()"),
                  "1")
            << c.size.width << "x" << c.size.height;
    }
    device.setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
    device.setOrientation(DeviceOrientation::LandscapeLeft);
    document->closeWithCompletionHandler({});
}

// The assistant's answer, and what the dictation assistant hands over, go
// into new branches as text: markup in them stays words.
TEST_F(QVOutlineEditorWebTest, theAssistantsAnswersBecomeBranchesWhoseMarkupStaysWords)
{
    const std::string path = writeOutline("Answers.qvoutline", branch(1, 0, 1, "Alpha"));
    auto document = open(path);
    if (HasFailure())
        return;
    editor->rememberEditingBeforeAssistant();
    editor->AI_LeafcraftViewController_insertText("It's a <b> & c", "", 2);
    ASSERT_TRUE(waitFor([&] { return run("String(document.querySelectorAll('#left-tree .branch-title').length)") == "2"; }))
        << "no branch for the answer";
    EXPECT_EQ(run("document.querySelectorAll('#left-tree .branch-title')[1].textContent"), "It's a <b> & c");
    EXPECT_EQ(run("String(document.querySelectorAll('#left-tree .branch-title b').length)"), "0");
    editor->addContentFromWisperant("Waiting");
    ASSERT_TRUE(waitFor([&] { return run("String(document.querySelectorAll('#left-tree .branch-title').length)") == "3"; }))
        << "no branch for the dictation";
    EXPECT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    ASSERT_TRUE(save(*document));
    EXPECT_EQ(treeOf(storedPage(path)),
              (std::vector<std::string>{"1/0/1 Alpha", "2/0/1 It's a &lt;b&gt; &amp; c", "3/0/1 Waiting"}))
        << storedPage(path);
    document->closeWithCompletionHandler({});
}

} // namespace
} // namespace folio
