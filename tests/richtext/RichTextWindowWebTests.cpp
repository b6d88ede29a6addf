#include "documents/EditorMakers.h"
#include "formats/rtf/DKRTFReader.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkKeyEvents.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkPrimarySelection.h"
#include "platform/gtk/GtkRealKeys.h"
#include "richtext/CharacterStyleCommander.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextStyling.h"
#include "richtext/StyleToolbar.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "webeditor/CaretSelectionCommander.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

// The rich-text editor in a real window, typed into with key events as a
// person types: what reaches the file is what the person typed.
class RichTextWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-window") {}

    // The caret after the first paragraph's last word, as a click at the end
    // of its line puts it.
    void caretAfterTheFirstParagraphsWords()
    {
        run("(function(){var p=document.getElementById('paragraph');var r=document.createRange();"
            "r.selectNodeContents(p);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);"
            "document.getElementById('content').focus();})()");
    }
};

TEST_F(RichTextWindowTest, aSpaceTypedAfterABoldRunSavesAsAnOrdinarySpace)
{
    std::string path = folder.path("Bold.rtf");
    writeFile(path, "{\\rtf1\\ansi Start\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    // The caret after the last word, as a click at the end of the text puts it.
    caretAfterTheFirstParagraphsWords();

    press(GDK_KEY_b, GDK_CONTROL_MASK);
    type("bold");
    press(GDK_KEY_b, GDK_CONTROL_MASK);
    type(" x");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return run("document.getElementById('content').textContent").find("x") != std::string::npos; },
        kEngineWaitSeconds))
        << "the keys did not reach the page";
    std::string page = run("document.getElementById('content').innerHTML");
    // What the engine made of the typing: a no-break space after the bold
    // run, which only kept the space visible while it ended the line.
    EXPECT_NE(page.find("bold</span>&nbsp;x"), std::string::npos) << page;

    ASSERT_TRUE(save());
    std::string rtf = readFile(path);
    EXPECT_EQ(rtf.find("\\'a0"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\~"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\b bold\\"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\b0  x"), std::string::npos) << "an ordinary space after the bold run: " << rtf;
}

// The size a run carries in the saved RTF: the last "\fs" before its text, in points.
int savedPointsBefore(const std::string& rtf, const std::string& text)
{
    std::size_t at = rtf.find(text);
    std::size_t size = at == std::string::npos ? std::string::npos : rtf.rfind("\\fs", at);
    if (size == std::string::npos)
        return -1;
    return std::atoi(rtf.c_str() + size + 3) / 2;
}

// The size "+" pressed at a bare caret sizes the text typed there, as the
// page shows it and in the file; the next size change, made elsewhere,
// leaves that text as it is.
TEST_F(RichTextWindowTest, aSizeChosenAtABareCaretIsTheSizeOfWhatIsTypedThereInTheFile)
{
    std::string path = folder.path("Size.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl{\\f0 Helvetica;}}\\f0\\fs24 Start\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    caretAfterTheFirstParagraphsWords();
    StyleToolbar& bar = editor->styling().toolbar();
    ASSERT_TRUE(bar.styleFontSizeIncrease->tap());
    const int first = std::stoi(toUtf8(bar.styleFontSize->titleForState(ControlState::Normal)));
    // The caret's size, as the bar's poll reads it, is the one armed there,
    // so a second "+" goes one further rather than repeating the first.
    EXPECT_EQ(std::stoi(run("getCurrentFontSize()")), first + 6);
    ASSERT_TRUE(bar.styleFontSizeIncrease->tap());
    const int chosen = std::stoi(toUtf8(bar.styleFontSize->titleForState(ControlState::Normal)));
    EXPECT_EQ(chosen, first + 1);
    type(" Big");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return run("document.getElementById('content').textContent").find("Big") != std::string::npos; },
        kEngineWaitSeconds))
        << "the keys did not reach the page";
    // The page shows the typed text at the chosen size (page pixels run six
    // above the points the bar shows).
    const std::string typedSize = "(function(){var w=document.createTreeWalker(document.getElementById('content'),"
                                  "NodeFilter.SHOW_TEXT);for(var t=w.nextNode();t;t=w.nextNode())if(t.data.indexOf('Big')>=0)"
                                  "return getComputedStyle(t.parentElement).fontSize;return '';})()";
    EXPECT_EQ(run(typedSize), std::to_string(chosen + 6) + "px");

    ASSERT_TRUE(save());
    std::string rtf = readFile(path);
    EXPECT_EQ(savedPointsBefore(rtf, "Start"), 12) << rtf;
    EXPECT_EQ(savedPointsBefore(rtf, "Big"), chosen) << rtf;

    // Smaller for the first word only.
    run("(function(){var c=document.getElementById('content');c.focus();var w=document.createTreeWalker(c,"
        "NodeFilter.SHOW_TEXT);var t=w.nextNode();var r=document.createRange();r.setStart(t,0);r.setEnd(t,5);"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    ASSERT_TRUE(bar.styleFontSizeDecrease->tap());
    const int smaller = std::stoi(toUtf8(bar.styleFontSize->titleForState(ControlState::Normal)));
    ASSERT_NE(smaller, chosen);
    EXPECT_EQ(run(typedSize), std::to_string(chosen + 6) + "px") << "the typed text keeps its size";
    ASSERT_TRUE(save());
    rtf = readFile(path);
    EXPECT_EQ(savedPointsBefore(rtf, "Start"), smaller) << rtf;
    EXPECT_EQ(savedPointsBefore(rtf, "Big"), chosen) << rtf;
}

// A comment inserted at the end of a line, then a space and a word typed
// after it: the word follows the comment, not inside it, and the file holds
// ordinary spaces there.
TEST_F(RichTextWindowTest, aSpaceAndAWordTypedAfterAnInsertedCommentSaveAfterIt)
{
    std::string path = folder.path("Comment.rtf");
    writeFile(path, "{\\rtf1\\ansi Start\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    caretAfterTheFirstParagraphsWords();
    editor->editingTools().notes().insertNewAnnotation();
    ASSERT_EQ(run("document.querySelectorAll('object.annotation').length"), "1");
    type(" after");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return run("document.getElementById('content').textContent").find("after") != std::string::npos; },
        kEngineWaitSeconds))
        << "the keys did not reach the page";
    EXPECT_EQ(run("document.querySelector('object.annotation').textContent"), "[\xF0\x9F\x92\xAC]")
        << "nothing typed went into the comment";

    ASSERT_TRUE(save());
    std::string rtf = readFile(path);
    EXPECT_EQ(rtf.find("\\'a0"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\~"), std::string::npos) << rtf;
    std::size_t comment = rtf.find("annotation");
    ASSERT_NE(comment, std::string::npos) << "the comment is saved: " << rtf;
    EXPECT_NE(rtf.find(" after", comment), std::string::npos) << "the typed word after it: " << rtf;
}

// What another program offers on the desktop clipboard.
struct OfferedClipboard {
    std::string html;
    std::string text;

    static void provide(GtkClipboard*, GtkSelectionData* selection, guint info, gpointer self)
    {
        auto* offered = static_cast<OfferedClipboard*>(self);
        const std::string& value = info == 0 ? offered->html : offered->text;
        gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
                               reinterpret_cast<const guchar*>(value.data()), static_cast<gint>(value.size()));
    }
    static void cleared(GtkClipboard*, gpointer) {}
};

std::string clipboardTarget(const char* target)
{
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    GtkSelectionData* data = gtk_clipboard_wait_for_contents(clipboard, gdk_atom_intern(target, FALSE));
    if (!data)
        return {};
    gint length = 0;
    const guchar* bytes = gtk_selection_data_get_data_with_length(data, &length);
    std::string value = bytes && length > 0 ? std::string(reinterpret_cast<const char*>(bytes), length) : std::string();
    gtk_selection_data_free(data);
    return value;
}

TEST_F(RichTextWindowTest, ctrlCPutsTheSelectionOnTheDesktopClipboardAsHTMLAndText)
{
    std::string path = folder.path("Copy.rtf");
    writeFile(path, "{\\rtf1\\ansi Plain {\\b Strong} end\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    Pasteboard::general().setItems({});
    run("(function(){var r=document.createRange();r.selectNodeContents(document.getElementById('paragraph'));"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    press(GDK_KEY_c, GDK_CONTROL_MASK);
    ASSERT_TRUE(RunLoop::main().runUntil([] { return Pasteboard::general().hasStrings(); }, kEngineWaitSeconds))
        << "the copy did not reach the pasteboard";

    // Read as another program reads it: by target name from the clipboard.
    std::string html = clipboardTarget("text/html");
    EXPECT_NE(html.find("Strong"), std::string::npos) << html;
    EXPECT_TRUE(html.find("bold") != std::string::npos || html.find("<b>") != std::string::npos) << html;
    std::string text = clipboardTarget("text/plain");
    EXPECT_NE(text.find("Plain Strong end"), std::string::npos) << text;
    EXPECT_NE(run("document.getElementById('content').textContent").find("Strong"), std::string::npos)
        << "copy deletes nothing";
}

TEST_F(RichTextWindowTest, ctrlVInsertsAnotherProgramsHTMLWithoutItsScripts)
{
    std::string path = folder.path("Paste.rtf");
    writeFile(path, "{\\rtf1\\ansi Start\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    caretAfterTheFirstParagraphsWords();
    OfferedClipboard offered{"<i>pasted words</i><script>document.title='pwned'</script>"
                             "<img src=x onerror=\"document.title='pwned'\">",
                             "pasted words"};
    GtkTargetEntry targets[] = {{const_cast<gchar*>("text/html"), 0, 0},
                                {const_cast<gchar*>("text/plain"), 0, 1}};
    ASSERT_TRUE(gtk_clipboard_set_with_data(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), targets, 2,
                                            OfferedClipboard::provide, OfferedClipboard::cleared, &offered));
    GtkPresenter::processPendingEvents();
    press(GDK_KEY_v, GDK_CONTROL_MASK);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return run("document.getElementById('content').innerHTML").find("pasted words") != std::string::npos; },
        kEngineWaitSeconds))
        << "the paste did not reach the page";
    std::string page = run("document.getElementById('content').innerHTML");
    EXPECT_NE(page.find("<i>pasted words</i>"), std::string::npos) << page;
    EXPECT_EQ(page.find("script"), std::string::npos) << page;
    EXPECT_EQ(page.find("onerror"), std::string::npos) << page;
    EXPECT_NE(run("document.title"), "pwned");
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
}

// Words pasted into 24 point text, and words typed after them, are 24
// point in the file, and the blanks the clipboard held around them are
// there too; a picture the paste may not load leaves no empty picture
// behind, in the page or in the file.
TEST_F(RichTextWindowTest, pastedWordsTakeTheSizeAroundTheCaretAndAnUnloadablePictureLeavesNothing)
{
    std::string path = folder.path("PasteSize.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs48 Alpha Bravo\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    caretAfterTheFirstParagraphsWords();
    OfferedClipboard offered{" <b>Kilo</b> Lima<img src=\"https://example.com/p.png\" alt=\"P\"> November ",
                             " Kilo Lima November "};
    GtkTargetEntry targets[] = {{const_cast<gchar*>("text/html"), 0, 0},
                                {const_cast<gchar*>("text/plain"), 0, 1}};
    ASSERT_TRUE(gtk_clipboard_set_with_data(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), targets, 2,
                                            OfferedClipboard::provide, OfferedClipboard::cleared, &offered));
    GtkPresenter::processPendingEvents();
    press(GDK_KEY_v, GDK_CONTROL_MASK);
    auto shows = [&](const char* word) {
        return run("document.getElementById('content').textContent").find(word) != std::string::npos;
    };
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return shows("November"); }, kEngineWaitSeconds))
        << "the paste did not reach the page";
    type("Mike");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return shows("Mike"); }, kEngineWaitSeconds))
        << "the keys did not reach the page";
    EXPECT_EQ(run("document.querySelectorAll('#content img').length"), "0");
    // The clipboard's blanks at both ends keep the pasted words apart from
    // the page's and from what is typed next.
    EXPECT_NE(run("document.getElementById('content').textContent.replace(/\\u00a0/g,' ')").find("Bravo Kilo Lima November Mike"),
              std::string::npos)
        << run("document.getElementById('content').innerHTML");
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));

    ASSERT_TRUE(save());
    std::string rtf = readFile(path);
    for (const char* word : {"Alpha", "Kilo", "Lima", "November", "Mike"})
        EXPECT_EQ(savedPointsBefore(rtf, word), 24) << word << " in " << rtf;
    EXPECT_EQ(rtf.find("\\pict"), std::string::npos) << rtf;
    Result<DKRTFReadResult> saved = DKRTFReader::read(toUtf16(rtf));
    ASSERT_TRUE(saved.ok());
    EXPECT_NE(toUtf8(saved->text.string()).find("Alpha Bravo Kilo Lima November Mike"), std::string::npos)
        << toUtf8(saved->text.string());
}

TEST_F(RichTextWindowTest, wordMovesAndTheWordSelectionWorkOnTheRealPage)
{
    std::string path = folder.path("Words.rtf");
    writeFile(path, "{\\rtf1\\ansi alpha beta gamma\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    run("(function(){var p=document.getElementById('paragraph');var r=document.createRange();"
        "r.setStart(p.firstChild.nodeType===3?p.firstChild:p.firstChild.firstChild,0);r.collapse(true);"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    ASSERT_EQ(run("typeof rangy"), "object") << "the selection library is loaded";
    editor->caret().magicCursorRight2Tap();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return run("getSelection().anchorOffset") != "0"; }, kEngineWaitSeconds));
    EXPECT_EQ(run("getSelection().anchorOffset"), "5") << "after the first word";

    editor->caret().magicCursorRight2Tap();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return run("getSelection().anchorOffset") != "5"; }, kEngineWaitSeconds));
    EXPECT_EQ(run("getSelection().anchorOffset"), "10") << "after the second word";

    // A caret inside a word widens to the whole word.
    run("getSelection().collapse(getSelection().anchorNode, 7)");
    editor->caret().selectWord();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !run("getSelection().toString()").empty(); }, kEngineWaitSeconds));
    EXPECT_EQ(run("getSelection().toString()"), "beta");
}

// Selecting text in another program takes the desktop's primary selection.
// WebKit then either collapses the page's selection to a caret after the
// words or leaves them selected, depending on the moment; either way the
// next command formats the words the person selected, which are shown
// selected again, and reach the file: whether the page had the keyboard
// from its opening or was clicked into.
enum class PageKeyboard { FromTheStart, ClickedInto };

class RichTextPrimarySelectionTest : public RichTextWindowTest {
protected:
    void expectBoldFindsTheWords(PageKeyboard order)
    {
        std::string path = folder.path("Primary.rtf");
        writeFile(path, "{\\rtf1\\ansi Plain words here\\par}");
        show(path, {800, 600}, Root::Editor);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(waitFor([&] { return editor->isPageReady(); }));
        ASSERT_EQ(gtk_window_get_focus(GTK_WINDOW(toplevel)), pageWidget) << "the page has the keyboard on opening";
        ASSERT_TRUE(test::focusWindow(toplevel));
        if (order == PageKeyboard::ClickedInto) {
            gtk_window_set_focus(GTK_WINDOW(toplevel), nullptr);
            ASSERT_TRUE(waitFor([&] { return run("String(document.hasFocus())") == "false"; }));
            // The page gains the keyboard before the button's press has
            // reached the page: the words are selected only once the press
            // has placed the click's caret, as a person selects after
            // clicking, or that caret would land over them.
            ASSERT_EQ(run("(function(){document.__folioPressed=false;document.addEventListener('mousedown',"
                          "function(){document.__folioPressed=true;},true);return 'watching';})()"),
                      "watching");
            ASSERT_TRUE(test::clickWidget(pageWidget));
            ASSERT_TRUE(waitFor([&] {
                return run("(function(){var s=getSelection(),c=document.getElementById('content');"
                           "return String(document.__folioPressed===true&&document.hasFocus()&&s.rangeCount>0"
                           "&&s.isCollapsed&&c.contains(s.anchorNode));})()") == "true";
            })) << "the click reached the page and put a caret in its text: "
                << run("(function(){var s=getSelection();return 'pressed '+document.__folioPressed+', focused '"
                       "+document.hasFocus()+', ranges '+s.rangeCount+', collapsed '+s.isCollapsed+', in '"
                       "+(s.anchorNode&&s.anchorNode.nodeName);})()");
        }
        ASSERT_EQ(run("(function(){var c=document.getElementById('content');c.focus();"
                      "var w=document.createTreeWalker(c,NodeFilter.SHOW_TEXT);for(var t=w.nextNode();t;t=w.nextNode()){"
                      "var at=t.data.indexOf('words');if(at<0)continue;var r=document.createRange();"
                      "r.setStart(t,at);r.setEnd(t,at+5);var s=getSelection();"
                      "s.removeAllRanges();s.addRange(r);return s.toString();}return '';})()"),
                  "words");
        GtkPresenter::processPendingEvents();
        ASSERT_EQ(run("getSelection().toString()"), "words") << "the words are still selected when the other program acts";
        ASSERT_EQ(run(std::string(test::kWatchForCollapsedSelection) + "(document)"), "watching");
        auto collapsed = [&] { return run(std::string(test::kSelectionWasCollapsed) + "(document)") == "true"; };
        ASSERT_TRUE(test::anotherProgramTakesThePrimarySelection(collapsed, [&] { run("1"); }, "words",
                                                                 kEngineWaitSeconds))
            << "the page kept taking the primary selection back";
        // What the page shows now: the words still selected, or the caret
        // right after them.
        std::string shown = run("(function(){var s=getSelection();if(!s.isCollapsed)return s.toString();"
                                "var n=s.anchorNode;return n&&n.nodeType===3&&n.data.slice(0,s.anchorOffset)"
                                ".endsWith('words')?'caret after words':'caret elsewhere';})()");
        EXPECT_TRUE(shown == "words" || shown == "caret after words") << shown;

        // Bold goes through the engine's own command, outside the page's scripts.
        editor->styling().characters().boldExecCommand();
        EXPECT_TRUE(waitFor([&] { return run("getSelection().toString()") == "words"; }))
            << "the words the person selected are shown selected again";
        std::string page = run("document.getElementById('content').innerHTML");
        EXPECT_NE(page.find("Plain <span style=\"font-weight: bold;\">words</span> here"), std::string::npos) << page;

        ASSERT_TRUE(save());
        std::string rtf = readFile(path);
        EXPECT_NE(rtf.find("\\b words"), std::string::npos) << rtf;
    }
};

TEST_F(RichTextPrimarySelectionTest, boldFindsTheSelectedWordsAfterAnotherProgramTookThePrimarySelection)
{
    expectBoldFindsTheWords(PageKeyboard::FromTheStart);
}

TEST_F(RichTextPrimarySelectionTest, boldFindsTheWordsSelectedInAPageClickedIntoAfterAnotherProgramTookThePrimarySelection)
{
    expectBoldFindsTheWords(PageKeyboard::ClickedInto);
}

} // namespace
} // namespace folio
