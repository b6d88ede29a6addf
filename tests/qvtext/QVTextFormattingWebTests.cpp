#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/Button.h"
#include "platform/graphics/Color.h"
#include "platform/web/WebView.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVParagraphStyleCommander.h"
#include "qvtext/QVStyleMonitor.h"
#include "qvtext/QVStyleState.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextViewController.h"
#include "qvtext/QVPaper.h"
#include "qvtext/QVViewModes.h"
#include "platform/ui/TextField.h"
#include "qvtext/QVTextInsertions.h"
#include "qvtext/QVTextLinkBar.h"
#include "qvtext/QVTextTools.h"
#include "platform/gtk/GtkPrimarySelection.h"
#include "platform/gtk/GtkRealKeys.h"
#include "support/DecimalCommaLocale.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorPageTest.h"
#include "tools/textstyle/TSColourSelectTableViewController.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "tools/textstyle/TSUpDownControl.h"
#include "webeditor/PageScript.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// The QV text editor's formatting commands on the real TinyMCE.
class QVTextFormattingWebTest : public test::EditorPageTest<QVTextViewController> {
protected:
    QVTextFormattingWebTest() : EditorPageTest(EditorKind::QVText, "qvtext-formatting") {}

    // Selects the characters from `start` to `end` of the first paragraph's text.
    std::string select(int start, int end)
    {
        run(PageScript::fill("(function(){var e=tinymce.activeEditor;e.focus();var r=e.dom.createRng();"
                             "var t=e.getBody().firstChild.firstChild;r.setStart(t,{});r.setEnd(t,{});"
                             "e.selection.setRng(r);})()",
                             {start, end}));
        return run("tinymce.activeEditor.selection.getContent({format:'text'})");
    }

    // Another program selects text; WebKit may collapse the page's selection.
    bool anotherProgramTakesThePrimarySelection()
    {
        run(std::string(test::kWatchForCollapsedSelection) + "(tinymce.activeEditor.getDoc())");
        return test::anotherProgramTakesThePrimarySelection(
            [&] {
                return run(std::string(test::kSelectionWasCollapsed) + "(tinymce.activeEditor.getDoc())") == "true";
            },
            [&] { run("1"); }, run("tinymce.activeEditor.getWin().getSelection().toString()"), kEngineWaitSeconds);
    }

    // Selects the first `word` of the text, wherever it stands.
    std::string selectWord(const std::string& word)
    {
        run(PageScript::fill("(function(){var e=tinymce.activeEditor;e.focus();var w=e.getDoc().createTreeWalker("
                             "e.getBody(),NodeFilter.SHOW_TEXT);for(var n=w.nextNode();n;n=w.nextNode()){"
                             "var i=n.data.indexOf({});if(i>=0){var r=e.dom.createRng();r.setStart(n,i);"
                             "r.setEnd(n,i+{});e.selection.setRng(r);return;}}})()",
                             {word, int(word.size())}));
        return run("tinymce.activeEditor.selection.getContent({format:'text'})");
    }

    std::string content() { return run("tinymce.activeEditor.getContent()"); }

    static std::string saved(const std::string& path) { return storedPage(path, DocumentKind::QVText); }

    // Sent commands go without waiting; a read behind them returns once the
    // page has run them.
    void settle() { run("1"); }

};

TEST_F(QVTextFormattingWebTest, boldAndASizeChangeReachTheSavedContentAndReadBackInPoints)
{
    const std::string path = folder.path("Format.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Plain words here</p>")->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    ASSERT_EQ(select(6, 11), "words");

    QVTextStyling& styling = editor->styling();
    styling.characters().boldExecCommand();
    styling.characters().changeFontSizeByPoints(18, false);
    settle();

    QVStyleState state = styling.styleState();
    EXPECT_TRUE(state.bold);
    EXPECT_FALSE(state.italic);
    EXPECT_EQ(state.fontSize, 18) << "the size sent in points reads back as the same points";
    EXPECT_EQ(styling.characters().getBiggestRealFontSizeInPointsFromSelection(), 18);
    // The page's content is what the save stores: the formatting is in it,
    // not only on the caret.
    std::string page = content();
    EXPECT_NE(page.find("<strong>"), std::string::npos) << page;
    EXPECT_NE(page.find("18pt"), std::string::npos) << page;

    styling.characters().changeFontSizeByPoints(1, true);
    settle();
    EXPECT_EQ(styling.characters().currentFontSizeTextValue(), "19") << "a step goes from the size read back";
    page = content();
    EXPECT_NE(page.find("19pt"), std::string::npos) << "the step reaches the page: " << page;

    ASSERT_TRUE(save(*document));
    std::string stored = saved(path);
    EXPECT_NE(stored.find("<strong>"), std::string::npos) << stored;
    EXPECT_NE(stored.find("font-size: 19pt;"), std::string::npos) << stored;
    EXPECT_NE(stored.find("words"), std::string::npos) << stored;
    document->closeWithCompletionHandler({});
}

// Selecting text in another program takes the desktop's primary selection,
// and WebKit may then collapse the page's selection by itself: the commands
// still format the words the user selected, and they reach the saved page.
TEST_F(QVTextFormattingWebTest, formattingReachesTheSelectedWordsAfterAnotherProgramTookThePrimarySelection)
{
    const std::string path = folder.path("Primary.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Plain words here</p>")->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    ASSERT_EQ(select(6, 11), "words");
    ASSERT_TRUE(anotherProgramTakesThePrimarySelection()) << "the page kept taking the primary selection back";

    QVTextStyling& styling = editor->styling();
    styling.characters().boldExecCommand();
    styling.characters().changeFontSizeByPoints(18, false);
    styling.characters().changeFontSizeByPoints(1, true);
    settle();
    std::string page = content();
    EXPECT_NE(page.find("<strong>"), std::string::npos) << page;
    EXPECT_NE(page.find("19pt"), std::string::npos) << page;
    EXPECT_NE(page.find("<p>Plain <"), std::string::npos) << "only the selected words: " << page;
    EXPECT_NE(page.find(">words</"), std::string::npos) << page;
    EXPECT_NE(page.find("> here</p>"), std::string::npos) << page;

    // The style bar's poll runs while the page is up and reads the same.
    EXPECT_TRUE(styling.styleMonitor().isRunning());
    std::optional<QVStyleMonitor::Snapshot> polled =
        QVStyleMonitor::snapshotFromAnswer(run(QVStyleMonitor::pollScript()));
    ASSERT_TRUE(polled);
    EXPECT_TRUE(polled->style.bold);
    EXPECT_FALSE(polled->style.italic);
    EXPECT_EQ(polled->style.fontSize, 19);
    EXPECT_TRUE(polled->textSelected);
    EXPECT_TRUE(polled->canUndo);

    // A selection the user moves is the one formatted, never the kept one.
    ASSERT_EQ(select(0, 5), "Plain");
    styling.characters().italicExecCommand();
    settle();
    page = content();
    EXPECT_NE(page.find("<em>Plain</em>"), std::string::npos) << page;
    EXPECT_EQ(page.find("<em><strong>"), std::string::npos) << page;

    // A click after another program took the selection places the caret:
    // the words selected before are not formatted again.
    ASSERT_EQ(select(0, 5), "Plain");
    ASSERT_TRUE(anotherProgramTakesThePrimarySelection());
    // The click is after the last word, where TinyMCE formats no word.
    run("(function(){var e=tinymce.activeEditor,d=e.getDoc();d.dispatchEvent(new MouseEvent('mousedown',{bubbles:true}));"
        "var w=d.createTreeWalker(e.getBody(),NodeFilter.SHOW_TEXT),t=null;for(var n=w.nextNode();n;n=w.nextNode())t=n;"
        "e.getWin().getSelection().collapse(t,t.data.length);})()");
    styling.characters().underlineExecCommand();
    settle();
    page = content();
    EXPECT_EQ(page.find("underline;\"><em>Plain"), std::string::npos) << page;

    ASSERT_TRUE(save(*document));
    std::string stored = saved(path);
    EXPECT_NE(stored.find("font-size: 19pt;"), std::string::npos) << stored;
    EXPECT_NE(stored.find("<strong>"), std::string::npos) << stored;
    document->closeWithCompletionHandler({});
    EXPECT_FALSE(editor && editor->styling().styleMonitor().isRunning()) << "no poll after closing";
}

// The text-style popover opens on the style at the caret, and what the user
// changes in it reaches the page's selection.
TEST_F(QVTextFormattingWebTest, theTextStylePopoverShowsTheCaretStyleAndItsChangesReachThePage)
{
    const std::string path = folder.path("Popover.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage(
                        "<p>Plain <span style=\"font-size: 20pt; color: blue;\">words</span> here</p>")
                        ->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();var r=e.dom.createRng();"
        "var t=e.getBody().firstChild.childNodes[1].firstChild;r.setStart(t,0);r.setEnd(t,5);e.selection.setRng(r);})()");
    ASSERT_EQ(run("tinymce.activeEditor.selection.getContent({format:'text'})"), "words");

    QVTextStyling& styling = editor->styling();
    styling.showTextStylePicker();
    std::shared_ptr<TSTextStylePickerViewController> picker = styling.textStylePicker();
    ASSERT_TRUE(picker);
    picker->loadViewIfNeeded();
    EXPECT_EQ(picker->selectedFont().pointSize, 20);
    EXPECT_EQ(picker->selectedTextColour(), "blue");
    ASSERT_TRUE(picker->fontSizeControl());
    EXPECT_EQ(picker->fontSizeControl()->value(), 20);

    // The size stepper's upper half, pressed and let go.
    TSUpDownControl& size = *picker->fontSizeControl();
    Point upper{size.bounds().width() / 2, 1};
    ASSERT_TRUE(size.beginTrackingWithTouch(upper));
    size.endTrackingWithTouch(upper);
    TSColourSelectTableViewController colours;
    picker->colourSelectTableViewControllerDidSelectColour(colours, "red");
    settle();

    std::string page = content();
    EXPECT_NE(page.find("21pt"), std::string::npos) << page;
    EXPECT_NE(page.find("red"), std::string::npos) << page;
    EXPECT_EQ(styling.styleState().fontSize, 21);
    EXPECT_EQ(page.rfind("<p>Plain <", 0), 0u) << "the words around keep their style: " << page;
    EXPECT_NE(page.find(">words</"), std::string::npos) << page;
    EXPECT_NE(page.find("> here</p>"), std::string::npos) << page;

    // A second opening replaces the first.
    styling.showTextStylePicker();
    EXPECT_NE(styling.textStylePicker(), picker);
    EXPECT_EQ(styling.textStylePicker()->selectedFont().pointSize, 21);
    document->closeWithCompletionHandler({});
}

TEST_F(QVTextFormattingWebTest, aUserStyleAndRightToLeftReachTheSavedPage)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setString("defaultFont1", "Courier");
    defaults.setFloat("defaultFontSize1", 14);
    defaults.setString("defaultFontColor1", "darkblue");
    const std::string path = folder.path("Styled.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>One two three</p>")->stringView()));
    auto document = open(path);
    if (!HasFailure()) {
        run("(function(){var e=tinymce.activeEditor;e.focus();var r=e.dom.createRng();"
            "var t=e.getBody().firstChild.firstChild;r.setStart(t,4);r.setEnd(t,7);e.selection.setRng(r);})()");
        QVTextStyling& styling = editor->styling();
        styling.optionSelected(1);
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return run("tinymce.activeEditor.getContent()").find("14pt") !=
                                                          std::string::npos; },
                                             kEngineWaitSeconds));
        EXPECT_EQ(styling.styleState().fontFamily, "Courier");
        EXPECT_EQ(styling.styleState().fontSize, 14);
        styling.alignSelected(4);
        settle();
        EXPECT_TRUE(styling.isRTLLanguage());

        ASSERT_TRUE(save(*document));
        Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVText);
        ASSERT_TRUE(stored.ok());
        std::string saved = toUtf8(*stored);
        EXPECT_NE(saved.find("font-size: 14pt;"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Courier"), std::string::npos) << saved;
        EXPECT_NE(saved.find("direction: rtl;"), std::string::npos) << "the body's direction is kept: " << saved;
        EXPECT_NE(saved.find("text-align: right;"), std::string::npos) << saved;
        document->closeWithCompletionHandler({});
    }
    for (const char* key : {"defaultFont1", "defaultFontSize1", "defaultFontColor1"})
        defaults.removeObjectForKey(key);
}

// Each character command of the style bar, on a word of its own: the page
// and the saved file hold the formatting on that word and no other.
TEST_F(QVTextFormattingWebTest, eachCharacterCommandFormatsTheSelectedWordOnThePageAndInTheFile)
{
    using Commander = QVCharacterStyleCommander;
    struct Row {
        const char* word;
        std::function<void(Commander&)> command;
        // The element or style around the word, as the page writes it.
        const char* opening;
    };
    const std::vector<Row> rows = {
        {"alpha", [](Commander& c) { c.underlineExecCommand(); }, "<span style=\"text-decoration: underline;\">alpha"},
        {"bravo", [](Commander& c) { c.strikeExecCommand(); }, "<s>bravo"},
        {"charlie", [](Commander& c) { c.superscriptExecCommand(); }, "<sup>charlie"},
        {"delta", [](Commander& c) { c.subscriptExecCommand(); }, "<sub>delta"},
        {"echo", [](Commander& c) { c.boldExecCommand(); }, "<strong>echo"},
        {"foxtrot", [](Commander& c) { c.italicExecCommand(); }, "<em>foxtrot"},
        {"golf", [](Commander& c) { c.sizeSelected("96"); }, "<span style=\"font-size: 96pt;\">golf"},
        {"hotel", [](Commander& c) { c.highlightYellowTextSelection(); }, "<span style=\"background-color: yellow;\">hotel"},
    };
    std::string words;
    for (const Row& row : rows)
        words += std::string(words.empty() ? "" : " ") + row.word;
    const std::string path = folder.path("Commands.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>" + words + "</p>")->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    Commander& characters = editor->styling().characters();
    for (const Row& row : rows) {
        ASSERT_EQ(selectWord(row.word), row.word);
        row.command(characters);
        settle();
        EXPECT_NE(content().find(row.opening), std::string::npos) << row.word << ": " << content();
    }
    ASSERT_TRUE(save(*document));
    const std::string stored = saved(path);
    for (const Row& row : rows)
        EXPECT_NE(stored.find(row.opening), std::string::npos) << row.word << ": " << stored;
    EXPECT_EQ(stored.find("<strong>alpha"), std::string::npos) << "only its own word: " << stored;

    // The highlight toggles off again; clearing the style takes the bold away.
    run("(function(){var e=tinymce.activeEditor;var n=e.getBody().querySelector('strong');e.selection.select(n);})()");
    characters.removeStyle();
    settle();
    EXPECT_EQ(content().find("<strong>"), std::string::npos) << content();
    run("(function(){var e=tinymce.activeEditor;var n=e.getBody().querySelector('span[style*=\"yellow\"]');"
        "e.selection.select(n);})()");
    characters.highlightYellowTextSelection();
    settle();
    EXPECT_EQ(content().find("yellow"), std::string::npos) << content();
    document->closeWithCompletionHandler({});
}

// A size step reads the page's size, in pixels, as points: twelve points
// step to thirteen, and no step goes below four points.
TEST_F(QVTextFormattingWebTest, aSizeStepGoesFromThePagesSizeInPointsAndStaysWithinTheLimits)
{
    const std::string path = folder.path("Steps.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage(
                                    "<p>Plain <span style=\"font-size: 12pt;\">words</span> "
                                    "<span style=\"font-size: 7pt;\">small</span></p>")
                                    ->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    QVCharacterStyleCommander& characters = editor->styling().characters();
    ASSERT_EQ(selectWord("words"), "words");
    characters.changeFontSizeByPoints(1, true);
    settle();
    EXPECT_NE(content().find("font-size: 13pt;\">words"), std::string::npos) << content();
    EXPECT_EQ(characters.currentFontSizeTextValue(), "13");

    ASSERT_EQ(selectWord("small"), "small");
    characters.changeFontSizeByPoints(-10, true);
    settle();
    EXPECT_NE(content().find("font-size: 4pt;\">small"), std::string::npos) << content();
    EXPECT_FALSE(characters.isDecreaseEnabled());

    // A colour chosen for the next size goes with it, once.
    ASSERT_EQ(selectWord("words"), "words");
    characters.setPendingFontColor("darkred");
    characters.changeFontSizeByPoints(20, false);
    settle();
    std::string page = content();
    EXPECT_NE(page.find("darkred"), std::string::npos) << page;
    EXPECT_NE(page.find("20pt"), std::string::npos) << page;
    EXPECT_FALSE(characters.pendingColorChangeExists());
    ASSERT_EQ(selectWord("small"), "small");
    characters.changeFontSizeByPoints(21, false);
    settle();
    page = content();
    EXPECT_EQ(page.find("darkred"), page.rfind("darkred")) << "the colour went with the first size only: " << page;
    document->closeWithCompletionHandler({});
}

// The tools' pickers and insertions act on the words at the caret: what
// they change is on the page and in the saved file.
TEST_F(QVTextFormattingWebTest, theToolsPickersAndInsertionsReachThePageAndTheSavedFile)
{
    const std::string path = folder.path("Tools.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>First line</p><p>Second line</p><p>Third line</p>")
                                    ->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    QVTextTools& tools = editor->tools();
    auto paragraph = [&](int index, const std::string& property) {
        return run("tinymce.activeEditor.getBody().children[" + std::to_string(index) + "].style." + property);
    };
    auto blockOf = [&](const std::string& word) {
        return run("(function(){var b=tinymce.activeEditor.getBody();for(var i=0;i<b.children.length;i++)"
                   "if(b.children[i].textContent.indexOf('" + word + "')>=0)return b.children[i].tagName;return ''})()");
    };

    // The line spacing goes over the whole text, wherever the caret is.
    ASSERT_EQ(selectWord("First"), "First");
    tools.miscToolsPickerOptionSelected(2);
    EXPECT_TRUE(waitFor([&] { return paragraph(0, "lineHeight") == "2" && paragraph(2, "lineHeight") == "2"; }))
        << content();
    // An indent, a list and an alignment go to the caret's paragraph.
    ASSERT_EQ(selectWord("Second"), "Second");
    tools.miscToolsPickerOptionSelected(10);
    EXPECT_TRUE(waitFor([&] { return paragraph(1, "marginLeft") == "40px"; })) << content();
    EXPECT_NE(paragraph(0, "marginLeft"), "40px");
    ASSERT_EQ(selectWord("Third"), "Third");
    tools.alignSelected(1);
    EXPECT_TRUE(waitFor([&] { return paragraph(2, "textAlign") == "center"; })) << content();
    ASSERT_EQ(selectWord("First"), "First");
    tools.optionSelected(4);
    EXPECT_TRUE(waitFor([&] { return blockOf("First") == "OL"; })) << content();
    EXPECT_EQ(blockOf("Third"), "P");

    // What is inserted is text: markup in it stays words.
    ASSERT_EQ(selectWord("Third"), "Third");
    run("tinymce.activeEditor.selection.collapse(false)");
    tools.specialCharsOptionSelected(u"<\u00E9", false);
    tools.insertions().insertTextInDocument(u" a<b\nc");
    EXPECT_TRUE(waitFor([&] {
        return run("tinymce.activeEditor.getBody().children[2].textContent") == "Third<\u00E9 a<bc line";
    })) << content();
    EXPECT_NE(content().find("a&lt;b<br>c"), std::string::npos) << "its line break stays one: " << content();
    EXPECT_EQ(run("String(tinymce.activeEditor.getBody().querySelectorAll('b').length)"), "0");
    QVTextLinkBar& links = tools.linkBar();
    ASSERT_EQ(selectWord("line"), "line");
    run("tinymce.activeEditor.selection.collapse(false)");
    links.showInsertLinkToolbar({});
    links.insertLink()->setText(u"example.org/a?b=\"c\"&d<");
    links.insertLinkInText();
    EXPECT_TRUE(waitFor([&] { return run("String(tinymce.activeEditor.getBody().querySelectorAll('a').length)") == "1"; }))
        << content();
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelector('a').getAttribute('href')"),
              "http://example.org/a?b=\"c\"&d<");
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelector('a').textContent"), "example.org/a?b=\"c\"&d<");

    ASSERT_TRUE(save(*document));
    const std::string stored = saved(path);
    for (const char* held : {"line-height: 2;", "margin-left: 40px;", "text-align: center;", "<ol>", "a&lt;b<br>c",
                             "href=\"http://example.org/a?b=&quot;c&quot;&amp;d&lt;\""})
        EXPECT_NE(stored.find(held), std::string::npos) << held << " not in " << stored;
    EXPECT_TRUE(stored.find("&lt;\u00E9") != std::string::npos || stored.find("&lt;&eacute;") != std::string::npos)
        << stored;

    // The link under the caret is taken off, its words kept.
    run("(function(){var e=tinymce.activeEditor;e.selection.select(e.getBody().querySelector('a'));})()");
    links.showInsertLinkToolbar(u"http://example.org/");
    links.unLinkText();
    EXPECT_TRUE(waitFor([&] { return run("String(tinymce.activeEditor.getBody().querySelectorAll('a').length)") == "0"; }))
        << content();
    EXPECT_NE(content().find("example.org/a?b="), std::string::npos) << content();
    document->closeWithCompletionHandler({});
}

// The default style takes the styles still on the selected words off
// through their toggles and sets the stored style, whose missing keys
// answer the factory values: the page and the saved file hold it.
TEST_F(QVTextFormattingWebTest, theDefaultStyleTakesTheWordsOwnStylesOffAndSetsTheStoredOne)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setString("defaultFont", "Georgia");
    defaults.setFloat("defaultParagraphSpacing", 6);
    defaults.setFloat("defaultFirstLineIndent", 1.25f);
    const std::string path = folder.path("Default.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage(
                                    "<p>Plain <strong><span style=\"text-decoration: underline;\">loud</span></strong> "
                                    "words</p>")
                                    ->stringView()));
    auto document = open(path);
    if (!HasFailure()) {
        ASSERT_EQ(selectWord("loud"), "loud");
        editor->styling().optionSelected(0);
        EXPECT_TRUE(waitFor([&] {
            std::string page = content();
            return page.find("<strong>") == std::string::npos && page.find("underline") == std::string::npos
                && page.find("12pt") != std::string::npos;
        })) << content();
        std::string page = content();
        EXPECT_NE(page.find("Georgia"), std::string::npos) << page;
        EXPECT_EQ(run("tinymce.activeEditor.getBody().firstElementChild.style.lineHeight"), "1.2") << page;
        EXPECT_EQ(run("tinymce.activeEditor.getBody().firstElementChild.style.marginBottom"), "6pt") << page;
        EXPECT_EQ(run("tinymce.activeEditor.getBody().style.textIndent"), "1.25cm");
        EXPECT_EQ(run("getComputedStyle(tinymce.activeEditor.getBody().querySelector('span')).color"), "rgb(0, 0, 0)");
        ASSERT_TRUE(save(*document));
        const std::string stored = saved(path);
        for (const char* held : {"font-size: 12pt", "Georgia", "line-height: 1.2;", "margin-bottom: 6pt;"})
            EXPECT_NE(stored.find(held), std::string::npos) << held << " not in " << stored;
        EXPECT_EQ(stored.find("<strong>"), std::string::npos) << stored;
        document->closeWithCompletionHandler({});
    }
    for (const char* key : {"defaultFont", "defaultParagraphSpacing", "defaultFirstLineIndent"})
        defaults.removeObjectForKey(key);
}

// A user style's fractions reach the page as numbers, whatever the
// process's locale writes as a decimal point.
TEST_F(QVTextFormattingWebTest, aUserStylesFractionsReachThePageInAnyLocale)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setString("defaultFont1", "Courier");
    defaults.setFloat("defaultLineSpacing1", 1.5f);
    defaults.setFloat("defaultFirstLineIndent1", 0.5f);
    const std::string path = folder.path("Locale.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>One two three</p>")->stringView()));
    auto document = open(path);
    if (!HasFailure()) {
        test::DecimalCommaLocale comma;
        ASSERT_EQ(selectWord("two"), "two");
        editor->styling().optionSelected(1);
        EXPECT_TRUE(waitFor([&] { return run("tinymce.activeEditor.getBody().style.textIndent") == "0.5cm"; }))
            << run("tinymce.activeEditor.getBody().style.textIndent");
        EXPECT_TRUE(waitFor([&] {
            return run("tinymce.activeEditor.getBody().firstElementChild.style.lineHeight") == "1.5";
        })) << content();
        document->closeWithCompletionHandler({});
    }
    for (const char* key : {"defaultFont1", "defaultLineSpacing1", "defaultFirstLineIndent1"})
        defaults.removeObjectForKey(key);
}

// The style bar's buttons, its size steps, its alignment menu and the
// keyboard's language reach the words at the caret on the real page.
TEST_F(QVTextFormattingWebTest, theStyleBarsButtonsAndAlignmentMenuReachTheWordsAtTheCaret)
{
    using Button = QVTextStyling::StyleButton;
    const std::string path = folder.path("Bar.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>alpha bravo charlie delta</p><p>echo</p><p>foxtrot</p>")
                                    ->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    QVTextStyling& styling = editor->styling();
    const struct {
        const char* word;
        Button button;
        const char* opening;
    } rows[] = {{"alpha", Button::Underline, "<span style=\"text-decoration: underline;\">alpha"},
                {"bravo", Button::Strike, "<s>bravo"},
                {"charlie", Button::Superscript, "<sup>charlie"},
                {"delta", Button::Subscript, "<sub>delta"}};
    for (const auto& row : rows) {
        ASSERT_EQ(selectWord(row.word), row.word);
        styling.styleToolbarButtonPressed(row.button);
        EXPECT_TRUE(waitFor([&] { return content().find(row.opening) != std::string::npos; }))
            << row.word << ": " << content();
    }
    ASSERT_EQ(selectWord("echo"), "echo");
    styling.styleToolbarButtonPressed(Button::FontSizeIncrease);
    EXPECT_TRUE(waitFor([&] { return content().find("font-size: 13pt;\">echo") != std::string::npos; })) << content();
    styling.styleToolbarButtonPressed(Button::FontSizeDecrease);
    EXPECT_TRUE(waitFor([&] { return content().find("font-size: 12pt;\">echo") != std::string::npos; })) << content();

    ASSERT_EQ(selectWord("foxtrot"), "foxtrot");
    std::shared_ptr<Menu> menu = styling.showAlignKeyMenuActions();
    ASSERT_EQ(menu->children().size(), 6u);
    std::dynamic_pointer_cast<Action>(menu->children()[3])->perform();
    EXPECT_TRUE(waitFor([&] { return run("tinymce.activeEditor.getBody().children[2].style.textAlign") == "center"; }))
        << content();
    EXPECT_EQ(run("tinymce.activeEditor.getBody().children[1].style.textAlign"), "");
    auto direction = [&] { return run("tinymce.activeEditor.getBody().style.direction"); };
    ASSERT_NE(direction(), "rtl");
    std::dynamic_pointer_cast<Action>(menu->children()[1])->perform();
    EXPECT_TRUE(waitFor([&] { return direction() == "rtl"; })) << "Right To Left turns the text";

    run("tinymce.activeEditor.getBody().style.direction='ltr'");
    KeyboardService::shared().setInputLanguage("he-IL");
    EXPECT_TRUE(waitFor([&] { return direction() == "rtl"; })) << "a right-to-left keyboard turns the text";
    KeyboardService::shared().setInputLanguage("en-US");

    ASSERT_TRUE(save(*document));
    const std::string stored = saved(path);
    for (const auto& row : rows)
        EXPECT_NE(stored.find(row.opening), std::string::npos) << row.word << ": " << stored;
    EXPECT_NE(stored.find("direction: rtl;"), std::string::npos) << "the text stays turned: " << stored;
    document->closeWithCompletionHandler({});
}

// A new blank document shows the stored default style and margins on its
// page, a stored paper colour that is no colour changing nothing; an
// opened document keeps its own margins.
TEST_F(QVTextFormattingWebTest, aNewBlankDocumentShowsTheStoredDefaultStyleAndMargins)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.removeObjectForKey("isNewBlankDocument");
    defaults.setString("defaultFont", "Georgia");
    defaults.setDouble("defaultFontSize", 15.6);
    defaults.setString("defaultPaperColor", "ivory');alert('x");
    defaults.setDouble("QVdefaultPageMarginLeft", 1.5);
    auto body = [&](const std::string& property) { return run("tinymce.activeEditor.getBody().style." + property); };
    for (bool blank : {true, false}) {
        const std::string path = folder.path(blank ? "Blank.qvtext" : "Opened.qvtext");
        writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Words</p>")->stringView()));
        auto document = std::make_shared<TextDocument>(path);
        ASSERT_TRUE(document->readFromURL(path).ok());
        document->setIsNewBlankDocument(blank);
        document->makeDocumentViewController();
        editor = dynamic_cast<QVTextViewController*>(document->currentTextViewController().get());
        ASSERT_NE(editor, nullptr);
        editor->loadViewIfNeeded();
        ASSERT_TRUE(waitFor([&] { return editor->isPageReady(); })) << "the editor's page did not come up";
        settle();
        if (blank) {
            EXPECT_EQ(body("fontSize"), "15pt");
            EXPECT_EQ(body("fontFamily"), "Georgia");
            EXPECT_EQ(body("marginTop"), "2.54cm");
            EXPECT_EQ(body("marginLeft"), "1.5cm");
        } else {
            EXPECT_EQ(body("marginTop"), "") << "an opened document keeps its own margins";
        }
        EXPECT_EQ(body("backgroundColor").find("ivory"), std::string::npos) << "no colour came of that value";
        document->closeWithCompletionHandler({});
    }
    for (const char* key : {"isNewBlankDocument", "defaultFont", "defaultFontSize", "defaultPaperColor",
                            "QVdefaultPageMarginLeft"})
        defaults.removeObjectForKey(key);
}

// The paragraph commands align the caret's paragraph, turn the text's
// direction, and highlight the selected words, toggling a highlight off
// only on its own colour.
TEST_F(QVTextFormattingWebTest, theParagraphCommandsAlignTurnAndHighlightOnThePage)
{
    using R = QVParagraphStyleCommander;
    const std::string path = folder.path("Paragraphs.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage(
                                    "<p>alpha</p><p>bravo</p><p>charlie</p><p>delta</p><p>echo foxtrot</p>")
                                    ->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    R& paragraphs = editor->styling().paragraphs();
    const struct {
        const char* word;
        long option;
        const char* alignment;
    } rows[] = {{"alpha", R::Justify, "justify"}, {"bravo", R::Center, "center"}, {"charlie", R::Right, "right"},
                {"delta", R::Left, "left"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        ASSERT_EQ(selectWord(rows[i].word), rows[i].word);
        paragraphs.alignTextTask(rows[i].option);
        const std::string script =
            "tinymce.activeEditor.getBody().children[" + std::to_string(i) + "].style.textAlign";
        EXPECT_TRUE(waitFor([&] { return run(script) == rows[i].alignment; })) << rows[i].word << ": " << content();
    }
    auto direction = [&] { return run("tinymce.activeEditor.getBody().style.direction"); };
    paragraphs.alignTextTask(R::RightToLeft);
    EXPECT_TRUE(waitFor([&] { return direction() == "rtl"; }));
    paragraphs.alignTextTask(R::LeftToRight);
    EXPECT_TRUE(waitFor([&] { return direction() == "ltr"; }));

    auto background = [&](const std::string& word) {
        return run("(function(){var w=tinymce.activeEditor.getDoc().createTreeWalker(tinymce.activeEditor.getBody(),"
                   "NodeFilter.SHOW_TEXT);for(var n=w.nextNode();n;n=w.nextNode())if(n.data.indexOf('" + word
                   + "')>=0)return tinymce.activeEditor.getWin().getComputedStyle(n.parentElement).backgroundColor;"
                     "return '';})()");
    };
    ASSERT_EQ(selectWord("echo"), "echo");
    paragraphs.otherStyleTextTask(R::HighlightGreen);
    EXPECT_TRUE(waitFor([&] { return background("echo") == "rgb(152, 251, 152)"; })) << content();
    EXPECT_EQ(background("foxtrot"), "rgba(0, 0, 0, 0)") << "only the selected words";
    ASSERT_EQ(selectWord("echo"), "echo");
    paragraphs.otherStyleTextTask(R::HighlightYellow);
    EXPECT_TRUE(waitFor([&] { return background("echo") == "rgb(255, 255, 0)"; })) << "another colour replaces it";
    ASSERT_EQ(selectWord("echo"), "echo");
    paragraphs.otherStyleTextTask(R::HighlightYellow);
    EXPECT_TRUE(waitFor([&] { return background("echo") == "rgba(0, 0, 0, 0)"; })) << "its own colour toggles off: "
                                                                                    << content();
    document->closeWithCompletionHandler({});
}

// The night papers, the full-screen mode and the paper colours show on the
// real page; a colour name holding a quote paints nothing.
TEST_F(QVTextFormattingWebTest, theNightPapersFullScreenAndPaperColoursShowOnThePage)
{
    const std::string path = folder.path("Modes.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Words</p>")->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    auto paper = [&] { return run("getComputedStyle(tinymce.activeEditor.getBody()).backgroundColor"); };
    auto shows = [&](const std::string& colour) { return waitFor([&] { return paper() == colour; }); };
    QVViewModes& modes = editor->viewModes();
    modes.toggleNightMode(true);
    EXPECT_TRUE(shows("rgb(245, 239, 220)")) << paper();
    modes.toggleNightMode(true);
    EXPECT_TRUE(shows("rgb(255, 255, 255)")) << paper();
    modes.toggleDarkNightMode(true);
    EXPECT_TRUE(shows("rgb(208, 208, 208)")) << paper();
    EXPECT_NE(run("getComputedStyle(document.documentElement).webkitFilter || getComputedStyle(document.documentElement).filter")
                  .find("invert(1)"),
              std::string::npos)
        << "the dark page is the light one inverted";
    modes.leaveNightModes();
    EXPECT_TRUE(shows("rgb(255, 255, 255)")) << paper();

    modes.fullScreenDocumentMode();
    EXPECT_TRUE(waitFor([&] { return run("tinymce.activeEditor.getBody().isContentEditable") == "0"; }))
        << "the full-screen page is read-only";
    modes.exitFullScreenMode()->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_TRUE(waitFor([&] { return run("tinymce.activeEditor.getBody().isContentEditable") == "1"; }));

    QVPaper& colours = editor->paper();
    colours.setPaperColor("gainsboro");
    EXPECT_TRUE(shows("rgb(220, 220, 220)")) << paper();
    colours.setCurrentBackgroundDocumentColor(Color::colorWithRed(1, 0.99, 0.99));
    EXPECT_TRUE(shows("rgb(255, 250, 250)")) << "the nearest named colour, snow: " << paper();
    colours.setPaperColor("red';document.title='escaped';'");
    settle();
    EXPECT_EQ(paper(), "rgb(255, 250, 250)") << "no colour came of that name";
    EXPECT_NE(run("document.title"), "escaped") << "the name stayed in its string";
    document->closeWithCompletionHandler({});
}

} // namespace
} // namespace folio
