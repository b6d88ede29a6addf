#include "engine/model/TEAttributeKeys.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// Deletions with real keys around the items of a word processor's list
// numbered in words of its own ("a)"), in a real window: what the page shows
// and what the saved file says.
class RichTextListDeletionWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextListDeletionWindowTest() : EditorWindowTest(EditorKind::RichText, "list-deletion-window") {}

    // A file with a list numbered "a)", "b)", ... from its first item's
    // letter: its paragraphs are items where they start with a marker
    // ("b) Second"), with the indents given.
    void openLettered(const std::vector<std::string>& paragraphs, const std::string& indents = "\\li720\\fi-360")
    {
        std::string body;
        char start = 0;
        for (const std::string& paragraph : paragraphs) {
            const bool item = paragraph.size() > 3 && paragraph[1] == ')';
            start = start || !item ? start : paragraph[0];
            body += item ? "\\pard\\ls1\\ilvl0" + indents + "{\\listtext " + paragraph.substr(0, 2) + "\\tab}" +
                    paragraph.substr(3) + "\\par\n"
                         : "\\pard " + paragraph + "\\par\n";
        }
        const std::string header = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                   "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc4\\levelstartat";
        const std::string table = "{\\leveltext \\'02\\'00);}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}\n"
                                  "{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n";
        m_path = folder.path("list.rtf");
        writeFile(m_path, header + std::to_string(start - 'a' + 1) + table + body + "}");
        open(m_path);
    }

    // Selects from one point to another, each the start or the end of some
    // words on the page, and gives the page the keyboard.
    void select(const std::string& from, bool fromEnd, const std::string& to, bool toEnd)
    {
        run("(function(){function at(words,end){var w=document.createTreeWalker(document.getElementById('content'),"
            "NodeFilter.SHOW_TEXT);while(w.nextNode()){var t=w.currentNode;var i=t.data.indexOf(words);"
            "if(i>=0)return [t,end?i+words.length:i];}}var a=at('" + from + "'," + (fromEnd ? "true" : "false") +
            "),b=at('" + to + "'," + (toEnd ? "true" : "false") + ");var r=document.createRange();r.setStart(a[0],a[1]);"
            "r.setEnd(b[0],b[1]);var s=getSelection();s.removeAllRanges();s.addRange(r);"
            "document.getElementById('content').focus();})()");
    }

    void caretAt(const std::string& words, bool end) { select(words, end, words, end); }

    // The page's items, as a person reads them: each one's marker and text
    // (the caret placeholders show nothing).
    std::string items()
    {
        return run("Array.prototype.map.call(document.querySelectorAll('#content li'),function(li){"
                   "return li.textContent.replace(/\\uFEFF/g,'').replace(/\\u00A0/g,' ');}).join('|')");
    }

    bool showsItems(const std::string& expected)
    {
        return RunLoop::main().runUntil([&] { return items() == expected; }, 10);
    }

    // Whether the page's paragraphs, each ended by "|", come to include the
    // given ones.
    bool showsLines(const std::string& lines)
    {
        return RunLoop::main().runUntil([&] {
            return run("document.getElementById('content').innerText.replace(/\\n+/g,'|')").find(lines) !=
                std::string::npos;
        }, 10);
    }

    // Ctrl+Z as a keyboard sends it, the Control key let go at the end: the
    // page takes no further key before it is.
    void undo()
    {
        press(GDK_KEY_z, GDK_CONTROL_MASK);
        press(GDK_KEY_Control_L, GDK_CONTROL_MASK);
    }

    bool autosave()
    {
        auto done = std::make_shared<std::optional<bool>>();
        document->autosaveWithCompletionHandler([done](bool success) { *done = success; });
        EXPECT_TRUE(waitFor([&] { return done->has_value(); }));
        return done->value_or(false);
    }

    // The saved file read back, each item with the marker the file gives it
    // ("b) Text") and a caret placeholder anywhere else shown as "#".
    std::string savedParagraphs()
    {
        const std::string rtf = readFile(m_path);
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
        EXPECT_TRUE(read.ok()) << rtf;
        const std::u16string text = read.ok() ? read->text.string() : u"";
        std::string lines;
        std::size_t marker = 0;
        for (std::size_t at = 0; at < text.size(); ++at) {
            const bool startsItem = (at == 0 || text[at - 1] == u'\n') && text[at] == u'\uFEFF' &&
                read->text.attributesAtIndex(at)->containsKey(TETextIsListAttribute);
            if (startsItem && (marker = rtf.find("{\\listtext ", marker)) != std::string::npos) {
                marker += 11;
                lines += rtf.substr(marker, rtf.find("\\tab", marker) - marker) + " ";
            } else {
                lines += text[at] == u'\uFEFF' ? std::string("#") : toUtf8(text.substr(at, 1));
            }
        }
        return lines;
    }

    std::string m_path;
};

// Backspace at the very start of an item's text, or in its words, joins the
// item to what stands before it, as it does in any list on the page, and
// Delete at the end of what stands before does the same; the words go with
// the item and the items after it are lettered on. One undo gives the item
// back with its words.
TEST_F(RichTextListDeletionWindowTest, deletingAtAnItemsWordsJoinsTheItemToWhatStandsBefore)
{
    openLettered({"Opening.", "a) First", "b) Second", "c) Third", "d) Fourth", "e) Fifth", "Closing."});
    if (HasFatalFailure())
        return;
    ASSERT_EQ(items(), "a) First|b) Second|c) Third|d) Fourth|e) Fifth");

    caretAt("Second", false);
    press(GDK_KEY_BackSpace);
    EXPECT_TRUE(showsItems("a) FirstSecond|b) Third|c) Fourth|d) Fifth")) << items();
    undo();
    EXPECT_TRUE(showsItems("a) First|b) Second|c) Third|d) Fourth|e) Fifth")) << items();

    // The caret in the words themselves, where Home or a click leaves it.
    select("c) ", false, "c) ", false);
    press(GDK_KEY_BackSpace);
    EXPECT_TRUE(showsItems("a) First|b) SecondThird|c) Fourth|d) Fifth")) << items();
    caretAt("Fourth", true);
    press(GDK_KEY_Delete);
    EXPECT_TRUE(showsItems("a) First|b) SecondThird|c) FourthFifth")) << items();
    // The first item joins the paragraph before the list.
    caretAt("First", false);
    press(GDK_KEY_BackSpace);
    EXPECT_TRUE(showsItems("a) SecondThird|b) FourthFifth")) << items();
    // A selection that ends in an item's words takes them whole.
    select("Secon", true, "b) ", false);
    press(GDK_KEY_BackSpace);
    EXPECT_TRUE(showsItems("a) SeconFourthFifth")) << items();
    ASSERT_TRUE(autosave());
    closeDocument();

    EXPECT_EQ(savedParagraphs(), "Opening.First\na) SeconFourthFifth\nClosing.\n") << readFile(m_path);
}

// Where an item's first line does not hang, its words stand at the start
// of its text, and are no more text to delete there.
TEST_F(RichTextListDeletionWindowTest, wordsAtTheStartOfAnItemsTextAreNoTextToDelete)
{
    openLettered({"Opening.", "a) First", "b) Second", "c) Third", "Closing."}, "\\li720\\fi0");
    if (HasFatalFailure())
        return;
    caretAt("Second", false);
    press(GDK_KEY_BackSpace);
    press(GDK_KEY_BackSpace);
    EXPECT_TRUE(showsItems("a) FirsSecond|b) Third")) << items();
    ASSERT_TRUE(autosave());
    closeDocument();

    EXPECT_EQ(savedParagraphs(), "Opening.\na) FirsSecond\nb) Third\nClosing.\n") << readFile(m_path);
}

// Deleting the whole first part of a list that comes back starts the part
// after it afresh, as Word does: the page and the saved markers letter it
// from the list's start. Undo numbers it on from the first part again.
TEST_F(RichTextListDeletionWindowTest, deletingTheFirstPartOfAListThatComesBackStartsTheNextAfresh)
{
    openLettered({"Opening.", "c) First", "d) Second", "Between.", "e) Third", "f) Fourth", "Closing."});
    if (HasFatalFailure())
        return;
    ASSERT_EQ(items(), "c) First|d) Second|e) Third|f) Fourth");

    select("Opening.", true, "Second", true);
    press(GDK_KEY_BackSpace);
    EXPECT_TRUE(showsItems("c) Third|d) Fourth")) << items();
    undo();
    EXPECT_TRUE(showsItems("c) First|d) Second|e) Third|f) Fourth")) << items();

    select("Opening.", true, "Second", true);
    press(GDK_KEY_BackSpace);
    EXPECT_TRUE(showsItems("c) Third|d) Fourth")) << items();
    ASSERT_TRUE(autosave());
    closeDocument();

    EXPECT_EQ(savedParagraphs(), "Opening.\nBetween.\nc) Third\nd) Fourth\nClosing.\n") << readFile(m_path);
}

// The caret never rests in an item's words, as it cannot enter an ordinary
// item's number: Up and Down leave it at the start of the item's text, and
// End and typing work on that text; Left goes on to what stands before.
TEST_F(RichTextListDeletionWindowTest, arrowsLeaveTheCaretAtTheStartOfAnItemsTextNotInItsWords)
{
    openLettered({"Opening.", "a) First", "b) Second", "c) Third", "Closing."});
    if (HasFatalFailure())
        return;
    caretAt("Opening.", false);
    press(GDK_KEY_Down);
    type("Y");
    EXPECT_TRUE(showsItems("a) YFirst|b) Second|c) Third")) << items();
    caretAt("Closing.", false);
    press(GDK_KEY_Up);
    press(GDK_KEY_End);
    type("Z");
    EXPECT_TRUE(showsItems("a) YFirst|b) Second|c) ThirdZ")) << items();
    // Left from the start of an item's text goes on past its words.
    caretAt("Second", false);
    press(GDK_KEY_Left);
    type("W");
    EXPECT_TRUE(showsItems("a) YFirstW|b) Second|c) ThirdZ")) << items();
    ASSERT_TRUE(autosave());
    closeDocument();

    EXPECT_EQ(savedParagraphs(), "Opening.\na) YFirstW\nb) Second\nc) ThirdZ\nClosing.\n") << readFile(m_path);
}

// Ctrl+Left and Ctrl+Right go from word to word across the items as they
// do in any list, whether the words hang or not: an item's words are passed
// over, not stopped at. Ctrl+Shift+Left selects back over them as well.
TEST_F(RichTextListDeletionWindowTest, wordMovesPassOverAnItemsWords)
{
    for (const char* indents : {"\\li720\\fi-360", "\\li720\\fi0"}) {
        openLettered({"Opening.", "a) First", "b) Second", "c) Third", "Closing."}, indents);
        if (HasFatalFailure())
            return;
        caretAt("Second", false);
        press(GDK_KEY_Left, GDK_CONTROL_MASK);
        type("W");
        EXPECT_TRUE(showsItems("a) WFirst|b) Second|c) Third")) << indents << " " << items();
        caretAt("Second", true);
        press(GDK_KEY_Right, GDK_CONTROL_MASK);
        type("V");
        EXPECT_TRUE(showsItems("a) WFirst|b) Second|c) ThirdV")) << indents << " " << items();
        caretAt("Third", false);
        press(GDK_KEY_Left, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
        press(GDK_KEY_BackSpace);
        EXPECT_TRUE(showsItems("a) WFirst|b) ThirdV")) << indents << " " << items();
        ASSERT_TRUE(autosave());
        closeDocument();

        EXPECT_EQ(savedParagraphs(), "Opening.\na) WFirst\nb) ThirdV\nClosing.\n") << readFile(m_path);
    }
}

// Return in an item with nothing but its words leaves the list, as it does
// in an empty ordinary item, whether the words hang or not.
TEST_F(RichTextListDeletionWindowTest, returnInAnItemWithOnlyItsWordsLeavesTheList)
{
    for (const char* indents : {"\\li720\\fi-360", "\\li720\\fi0"}) {
        openLettered({"Opening.", "a) First", "b) Second", "Closing."}, indents);
        if (HasFatalFailure())
            return;
        caretAt("Second", true);
        press(GDK_KEY_Return);
        EXPECT_TRUE(showsItems("a) First|b) Second|c) ")) << items();
        press(GDK_KEY_Return);
        type("After");
        EXPECT_TRUE(showsLines("Second|After|Closing.")) << indents;
        EXPECT_EQ(items(), "a) First|b) Second") << indents;
        ASSERT_TRUE(autosave());
        closeDocument();

        EXPECT_EQ(savedParagraphs(), "Opening.\na) First\nb) Second\nAfter\nClosing.\n") << readFile(m_path);
    }
}

// Delete at the end of a paragraph on a page with such a list is one typing
// step with the words typed before and after it, as on any other page: one
// undo takes them all back.
TEST_F(RichTextListDeletionWindowTest, deleteAfterTypingIsUndoneWithTheTyping)
{
    openLettered({"Opening.", "Middle.", "a) First", "b) Second", "Closing."});
    if (HasFatalFailure())
        return;
    caretAt("Opening.", true);
    type("Z");
    press(GDK_KEY_Delete);
    type("Q");
    ASSERT_TRUE(showsLines("Opening.ZQMiddle.|"));
    undo();
    EXPECT_TRUE(showsLines("Opening.|Middle.|")) << run("document.getElementById('content').innerHTML");
    ASSERT_TRUE(autosave());
    closeDocument();

    EXPECT_EQ(savedParagraphs(), "Opening.\nMiddle.\na) First\nb) Second\nClosing.\n") << readFile(m_path);
}

} // namespace
} // namespace folio
