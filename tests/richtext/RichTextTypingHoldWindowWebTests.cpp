#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/TextField.h"
#include "platform/web/WebView.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "webeditor/FindCommander.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

using testing_support::occurrences;
using testing_support::readFile;
using testing_support::writeFile;

constexpr int kTypingHoldParagraphs = 2500;

// A long document in a real window, typed into with real keys while the page
// keeps the blocks far from the caret out of editing: whatever the page holds
// is still the document's, for a save, for commands that reach it and for
// undo.
class RichTextTypingHoldWindowWebTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextTypingHoldWindowWebTest() : EditorWindowTest(EditorKind::RichText, "rich-text-typing-hold") {}

    // Paragraph 5, the middle one and the last carry a word of their own.
    static std::string longRTF()
    {
        std::string bytes = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs24\n";
        for (int i = 0; i < kTypingHoldParagraphs; ++i) {
            const bool marked = i == 5 || i == kTypingHoldParagraphs / 2 || i == kTypingHoldParagraphs - 1;
            bytes += "\\pard Paragraph " + std::to_string(i) + (marked ? " amber" : "") + " ends here.\\par\n";
        }
        return bytes + "}";
    }

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        path = folder.path("Long.rtf");
        writeFile(path, longRTF());
        open(path);
    }

    // The caret at the end of paragraph `index`, in view, and the page
    // holding what is far from it.
    void caretInParagraphAndWaitForHolding(int index)
    {
        run("(function(){var p=document.getElementById('paragraph').children[" + std::to_string(index) + "];"
            "var w=document.createTreeWalker(p,NodeFilter.SHOW_TEXT);var t=w.nextNode(),n;while((n=w.nextNode()))t=n;"
            "var r=document.createRange();r.setStart(t,t.length);r.collapse(true);var s=getSelection();"
            "s.removeAllRanges();s.addRange(r);document.getElementById('content').focus();"
            "p.scrollIntoView({block:'center'});})()");
        ASSERT_TRUE(waitFor([&] { return run("isHoldingWhileTyping()") == "1"; }))
            << "the page never held the blocks far from the caret";
        ASSERT_EQ(editingOfLastParagraph(), "read-only");
    }

    // The three "amber"s found, and the far blocks read-only again while the
    // search stays on.
    void findAmberAndWaitForHolding(FindCommander& find)
    {
        find.findOnPage(u"amber");
        ASSERT_TRUE(waitFor([&] { return find.nTotalResults() == 3; })) << find.nTotalResults();
        ASSERT_TRUE(waitFor([&] { return run("isHoldingWhileTyping()") == "1"; }));
        EXPECT_EQ(editingOfLastParagraph(), "read-only");
    }

    std::string editingOfLastParagraph()
    {
        return run("getComputedStyle(document.getElementById('paragraph').lastElementChild).webkitUserModify");
    }
    std::string pageText() { return run("document.getElementById('paragraph').textContent.replace(/\\u00a0/g,' ')"); }
    bool pageTextBecomes(const std::function<bool(const std::string&)>& wanted)
    {
        return waitFor([&] { return wanted(pageText()); });
    }
    std::string savedText()
    {
        document->updateChangeCount(DKDocument::ChangeKind::Done);
        EXPECT_TRUE(save());
        return readFile(path);
    }

    std::string path;
};

TEST_F(RichTextTypingHoldWindowWebTest, aDocumentTypedIntoWhileBlocksAreHeldSavesWhole)
{
    caretInParagraphAndWaitForHolding(40);
    if (HasFatalFailure())
        return;

    ASSERT_TRUE(test::typeText(" Fresh words"));
    ASSERT_TRUE(test::pressKeys("Return"));
    ASSERT_TRUE(test::typeText("More"));
    ASSERT_TRUE(test::pressKeys("BackSpace"));
    ASSERT_TRUE(test::pressKeys("BackSpace"));
    ASSERT_TRUE(pageTextBecomes([](const std::string& text) {
        return text.find("Paragraph 40 ends here. Fresh wordsMoParagraph 41") != std::string::npos;
    })) << pageText().substr(0, 2000);
    EXPECT_EQ(run("isHoldingWhileTyping()"), "1") << "typing brought the held blocks out";
    EXPECT_EQ(editingOfLastParagraph(), "read-only");

    const std::string saved = savedText();
    EXPECT_EQ(occurrences(saved, " ends here."), std::size_t(kTypingHoldParagraphs));
    EXPECT_NE(saved.find("Paragraph 40 ends here. Fresh words"), std::string::npos);
    EXPECT_NE(saved.find("Mo"), std::string::npos);
    EXPECT_NE(saved.find("Paragraph 2499 amber ends here."), std::string::npos);
    EXPECT_EQ(occurrences(saved, "amber"), 3u);

}

// Moving the editable part restyles the whole page, which a key then waits
// for: the part reaches far enough that a writer moving on by a few screens
// stays inside it.
TEST_F(RichTextTypingHoldWindowWebTest, blocksFiveScreensFromTheCaretStayEditable)
{
    caretInParagraphAndWaitForHolding(kTypingHoldParagraphs / 2);
    if (HasFatalFailure())
        return;
    // The editing of the first block at least five screens below the caret's, and of the last at least as far above.
    const std::string editing = run(
        "(function(){var blocks=document.getElementById('paragraph').children;var at=blocks[" + std::to_string(kTypingHoldParagraphs / 2)
        + "].getBoundingClientRect().top;var reach=5*document.getElementById('content').clientHeight;var below=null,above=null;"
        "for(var i=0;i<blocks.length;++i){var top=blocks[i].getBoundingClientRect().top;if(top<=at-reach)above=blocks[i];"
        "if(!below&&top>=at+reach)below=blocks[i];}"
        "return getComputedStyle(above).webkitUserModify+' '+getComputedStyle(below).webkitUserModify;})()");
    EXPECT_EQ(editing, "read-write read-write");
    EXPECT_EQ(run("getComputedStyle(document.getElementById('paragraph').firstElementChild).webkitUserModify"), "read-only");
    EXPECT_EQ(editingOfLastParagraph(), "read-only");
}

TEST_F(RichTextTypingHoldWindowWebTest, selectAllAndDeleteReachHeldBlocksAndUndoBringsThemAllBack)
{
    caretInParagraphAndWaitForHolding(40);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::pressKeys("ctrl+a"));
    ASSERT_TRUE(test::pressKeys("Delete"));
    ASSERT_TRUE(pageTextBecomes([](const std::string& text) { return text.find("ends here") == std::string::npos; }))
        << pageText().substr(0, 2000);
    EXPECT_EQ(occurrences(savedText(), " ends here."), 0u);

    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    ASSERT_TRUE(pageTextBecomes([](const std::string& text) {
        return text.find("Paragraph 0 ends here.") != std::string::npos
            && text.find("Paragraph 2499 amber ends here.") != std::string::npos;
    })) << pageText().substr(0, 2000);
    const std::string saved = savedText();
    EXPECT_EQ(occurrences(saved, " ends here."), std::size_t(kTypingHoldParagraphs));
    EXPECT_EQ(occurrences(saved, "amber"), 3u);
}

TEST_F(RichTextTypingHoldWindowWebTest, findAndReplaceAllReachHeldBlocksAndUndoTakesEachReplacementBack)
{
    caretInParagraphAndWaitForHolding(5);
    if (HasFatalFailure())
        return;
    FindCommander& find = editor->editingTools().find();
    findAmberAndWaitForHolding(find);
    if (HasFatalFailure())
        return;
    find.bar().replaceOnPage->setText(u"cobalt");
    find.replaceAll();
    ASSERT_TRUE(pageTextBecomes([](const std::string& text) {
        return occurrences(text, "cobalt") == 3 && text.find("amber") == std::string::npos;
    })) << pageText().substr(0, 2000);
    std::string saved = savedText();
    EXPECT_EQ(occurrences(saved, "cobalt"), 3u);
    EXPECT_NE(saved.find("Paragraph 2499 cobalt"), std::string::npos);
    // Editing writes the blank after an insertion as a no-break space.
    EXPECT_EQ(occurrences(saved, "ends here."), std::size_t(kTypingHoldParagraphs));

    // The page's undo, as the editor's Undo button sends it, step by step
    // until every replacement is taken back.
    auto restored = [](const std::string& text) {
        return occurrences(text, "amber") == 3 && text.find("cobalt") == std::string::npos;
    };
    for (int step = 0; step < 12 && !restored(pageText()); ++step)
        run("document.execCommand('undo')");
    ASSERT_TRUE(restored(pageText())) << pageText().substr(0, 2000);
    saved = savedText();
    EXPECT_EQ(occurrences(saved, "amber"), 3u);
    EXPECT_EQ(occurrences(saved, " ends here."), std::size_t(kTypingHoldParagraphs));
}

TEST_F(RichTextTypingHoldWindowWebTest, aSearchKeepsFarBlocksHeldAndAMatchSteppedToThereIsReplacedAndSaved)
{
    caretInParagraphAndWaitForHolding(5);
    if (HasFatalFailure())
        return;
    FindCommander& find = editor->editingTools().find();
    findAmberAndWaitForHolding(find);
    if (HasFatalFailure())
        return;

    // From the first match to the third, in the last paragraph: it becomes
    // editable, and the replacement lands there.
    find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
    find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
    ASSERT_TRUE(waitFor([&] { return editingOfLastParagraph() != "read-only"; }));
    find.bar().replaceOnPage->setText(u"cobalt");
    find.replaceOnPage();
    ASSERT_TRUE(pageTextBecomes([](const std::string& text) {
        return text.find("Paragraph 2499 cobalt ends here.") != std::string::npos;
    })) << pageText().substr(pageText().size() - 200);
    const std::string saved = savedText();
    EXPECT_NE(saved.find("Paragraph 2499 cobalt"), std::string::npos);
    EXPECT_EQ(occurrences(saved, "amber"), 2u);
    EXPECT_EQ(occurrences(saved, "ends here."), std::size_t(kTypingHoldParagraphs));
}

TEST_F(RichTextTypingHoldWindowWebTest, aShiftSelectionToTheEndReachesHeldBlocksAndUndoBringsThemBack)
{
    caretInParagraphAndWaitForHolding(10);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::pressKeys("ctrl+shift+End"));
    ASSERT_TRUE(test::typeText("Z"));
    ASSERT_TRUE(pageTextBecomes([](const std::string& text) {
        return text.find("Paragraph 10 ends here.Z") != std::string::npos && text.find("Paragraph 11 ") == std::string::npos;
    })) << pageText().substr(0, 2000);
    std::string saved = savedText();
    EXPECT_EQ(occurrences(saved, " ends here."), 11u);
    EXPECT_EQ(saved.find("Paragraph 2499"), std::string::npos);

    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    ASSERT_TRUE(pageTextBecomes([](const std::string& text) {
        return text.find("Paragraph 2499 amber ends here.") != std::string::npos && text.find("here.Z") == std::string::npos;
    })) << pageText().substr(0, 2000);
    saved = savedText();
    EXPECT_EQ(occurrences(saved, " ends here."), std::size_t(kTypingHoldParagraphs));
    EXPECT_EQ(occurrences(saved, "amber"), 3u);
}

} // namespace
} // namespace folio
