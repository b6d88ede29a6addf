#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/web/WebView.h"
#include "richtext/ParagraphStyleCommander.h"
#include "richtext/RichTextStyling.h"
#include "richtext/StylePresetCommander.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/TextViewController.h"
#include "tools/textstyle/FontChoice.h"
#include "webeditor/CaretSelectionCommander.h"
#include "webeditor/NotesCommander.h"
#include "support/DocumentTestSupport.h"
#include "platform/gtk/GtkRealKeys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

// An eight-pixel red square.
constexpr const char* kPictureHex =
    "89504e470d0a1a0a0000000d49484452000000080000000808020000004b6d29dc0000001249444154789c63f8cfc0801561171db4"
    "120028ff3fc16eecdf610000000049454e44ae426082";

std::string featureRTF()
{
    return std::string("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fnil\\fcharset0 Helvetica;}\n"
                       "{\\*\\listtable{\\list\\listtemplateid1\\listhybrid{\\listlevel\\levelnfc23\\levelnfcn23"
                       "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1\\levelspace360\\levelindent0"
                       "{\\*\\levelmarker \\{disc\\}}{\\leveltext\\leveltemplateid1\\'01\\uc0\\u8226 ;}"
                       "{\\levelnumbers;}\\fi-360\\li720\\lin720}{\\listname ;}\\listid1}}\n"
                       "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
                       "\\pard\\f0\\fs24 Start with {\\b Strong words} here.\\\n"
                       "A sentence with a note{\\*\\footnote {\\chftn} The note text.} in it.\\\n"
                       "\\pard\\tx220\\tx720\\li720\\fi-720\\ls1\\ilvl0{\\listtext\t\\uc0\\u8226 \t}First item\\\n"
                       "{\\listtext\t\\uc0\\u8226 \t}Second item\\\n"
                       "\\pard A picture: {{\\pict\\pngblip\\picw8\\pich8\\picwgoal120\\pichgoal120\n")
        + kPictureHex + "\n}} after it.}";
}

// The whole editor in a real web view: an RTF file opens, takes typing
// through its page, saves and opens again with everything it had.
class RichTextEditorWebTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    void SetUp() override
    {
        // Selections here are the page's own: no page beside it may take them.
        test::usePrivateDisplay();
        EditorMakers::registerMaker(EditorKind::RichText, [this](TextDocument& document) {
            return std::make_shared<TextViewController>(document, TextViewController::WebViewFactory{},
                                                        [this](const std::string& url) { links.push_back(url); });
        });
    }
    void TearDown() override { EditorMakers::unregisterAll(); }

    std::shared_ptr<TextDocument> open(const std::string& path)
    {
        auto document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path));
        document->makeDocumentViewController();
        return document;
    }

    static TextViewController& editorOf(TextDocument& document)
    {
        auto* editor = dynamic_cast<TextViewController*>(document.currentTextViewController().get());
        EXPECT_NE(editor, nullptr);
        return *editor;
    }

    // The document's editor once its page is ready; null if it never is.
    TextViewController* pageReadyEditorOf(TextDocument& document)
    {
        TextViewController& editor = editorOf(document);
        editor.loadViewIfNeeded();
        return RunLoop::main().runUntil([&] { return editor.isPageReady(); }, kEngineWaitSeconds) ? &editor : nullptr;
    }

    static bool save(TextDocument& document)
    {
        auto result = std::make_shared<std::optional<bool>>();
        document.saveToURL(document.fileURL(), DKDocument::SaveOperation::ForOverwriting,
                           [result](bool success) { *result = success; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return result->has_value(); }, kEngineWaitSeconds));
        return result->value_or(false);
    }

    ScratchFolder folder{"rich-text-editor"};
    std::vector<std::string> links;
};

TEST_F(RichTextEditorWebTest, opensTakesTypingSavesAndReopensWithEverything)
{
    const std::string path = folder.path("Features.rtf");
    writeFile(path, featureRTF());
    auto document = open(path);
    TextViewController& editor = editorOf(*document);
    editor.loadViewIfNeeded();
    ASSERT_TRUE(editor.pageError() == std::nullopt) << editor.pageError()->message;
    EXPECT_FALSE(editor.content().ok()) << "no content to save before the page is ready";
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor.isPageReady(); }, kEngineWaitSeconds));
    WebView& page = *editor.webView();

    // The template has no doctype: the page runs in quirks mode.
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.compatMode"), "BackCompat");
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.getElementById('content').isContentEditable"), "1");

    EXPECT_FALSE(document->hasUnsavedChanges());
    page.stringByEvaluatingJavaScript(
        "(function(){var p=document.getElementById('paragraph');var r=document.createRange();"
        "r.setStart(p.firstChild,0);r.collapse(true);var s=getSelection();s.removeAllRanges();s.addRange(r);"
        "document.getElementById('content').focus();})()");
    page.executeEditingCommand("InsertText", "Typed first. ");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds))
        << "typing did not change the document";

    auto shot = std::make_shared<std::optional<Result<Image::Pointer>>>();
    page.takeSnapshot(WebView::SnapshotRegion::Visible, [shot](Result<Image::Pointer> image) { *shot = std::move(image); });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return shot->has_value(); }, kEngineWaitSeconds));
    if (**shot) {
        if (Result<std::vector<std::uint8_t>> png = (***shot)->pngData()) {
            std::filesystem::create_directories(std::filesystem::temp_directory_path() / "folio-screenshots");
            writeFile((std::filesystem::temp_directory_path() / "folio-screenshots" / "rich-text-editor.png").string(),
                      std::string(png->begin(), png->end()));
        }
    }

    ASSERT_TRUE(save(*document));
    std::string saved = readFile(path);
    document->closeWithCompletionHandler({});
    document.reset();

    auto reopened = open(path);
    std::string html = toUtf8(reopened->text());
    EXPECT_NE(html.find("Typed first."), std::string::npos) << saved;
    EXPECT_NE(html.find("Strong words"), std::string::npos);
    EXPECT_NE(saved.find("\\b"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\footnote"), std::string::npos) << saved;
    EXPECT_NE(saved.find("The note text."), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\pict"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\ls1"), std::string::npos) << saved;
    EXPECT_NE(saved.find("First item"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Second item"), std::string::npos) << saved;
}

// Closes the document and waits until it has closed.
bool closeDocument(TextDocument& document)
{
    std::optional<bool> closed;
    document.closeWithCompletionHandler([&](bool success) { closed = success; });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, 60));
    return closed.value_or(false);
}

TEST_F(RichTextEditorWebTest, anUntouchedDocumentClosesAsTheSameFileWhateverItHolds)
{
    const std::vector<std::pair<std::string, std::string>> documents = {
        {"Features", featureRTF()},
        {"Formatting", "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}{\\colortbl;\\red200\\green0\\blue0;}\\f0\\fs24 "
                       "\\pard\\qc {\\uldb Double} {\\strike struck} {\\super up} {\\cf1 red}\\par"
                       "\\pard\\li720\\fi360\\sb240 {\\field{\\*\\fldinst HYPERLINK \"http://example.com\"}"
                       "{\\fldrslt a link}} then\\page a new page\\par}"},
        {"Table", "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 \\pard Before\\par"
                  "\\trowd\\cellx2000\\cellx4000\\pard\\intbl Cell A\\cell Cell B\\cell\\row\\pard After\\par}"},
    };
    for (const auto& [name, bytes] : documents) {
        SCOPED_TRACE(name);
        const std::string path = folder.path(name + ".rtf");
        writeFile(path, bytes);
        auto document = open(path);
        TextViewController& editor = editorOf(*document);
        editor.loadViewIfNeeded();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor.isPageReady(); }, kEngineWaitSeconds));
        // The page's own set-up is no change of the document. An answer from
        // the page comes after every message it sent before.
        editor.webView()->stringByEvaluatingJavaScript("document.readyState");
        EXPECT_FALSE(document->hasUnsavedChanges());
        EXPECT_TRUE(closeDocument(*document));
        EXPECT_EQ(readFile(path), bytes);
    }
}

TEST_F(RichTextEditorWebTest, aTableDocumentTakesNoTypingAndIsNeverSaved)
{
    const std::string path = folder.path("Tables.rtf");
    const std::string bytes = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 \\pard Before the table\\par"
                              "\\trowd\\cellx2000\\cellx4000\\pard\\intbl Cell A\\cell Cell B\\cell\\row"
                              "\\pard After the table\\par}";
    writeFile(path, bytes);
    auto document = open(path);
    TextViewController& editor = editorOf(*document);
    editor.loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor.isPageReady(); }, kEngineWaitSeconds));
    WebView& page = *editor.webView();
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.getElementById('content').isContentEditable"), "0");
    auto alert = std::dynamic_pointer_cast<AlertController>(editor.presentedViewController());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"Read Only Document");
    alert->tapActionWithTitle(u"OK");

    const std::string shown = page.stringByEvaluatingJavaScript("document.getElementById('content').innerText");
    page.stringByEvaluatingJavaScript("document.getElementById('content').focus();");
    page.executeEditingCommand("InsertText", "Typed into a table document");
    page.executeEditingCommand("Delete", "");
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.getElementById('content').innerText"), shown);
    EXPECT_FALSE(document->hasUnsavedChanges());

    // However the save is asked for, the file stays as it was.
    EXPECT_FALSE(save(*document));
    std::optional<bool> done;
    editor.saveCurrentDocument([&] { done = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done.has_value(); }, kEngineWaitSeconds));
    EXPECT_TRUE(closeDocument(*document));
    EXPECT_EQ(readFile(path), bytes);
}

// Numbered paragraphs, each "Paragraph N ends here."
std::string longRTF(int paragraphs)
{
    std::string bytes = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 ";
    for (int i = 0; i < paragraphs; ++i)
        bytes += "\\pard Paragraph " + std::to_string(i) + " ends here.\\par\n";
    return bytes + "}";
}

// A long document's page lays out its beginning first and the rest after it
// is ready: a save right then still writes every paragraph, and no mark of
// the page's own.
TEST_F(RichTextEditorWebTest, aLongDocumentSavedRightAfterItIsReadyIsSavedWhole)
{
    const int paragraphs = 2000;
    const std::string path = folder.path("Long.rtf");
    writeFile(path, longRTF(paragraphs));
    auto document = open(path);
    TextViewController& editor = editorOf(*document);
    editor.loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor.isPageReady(); }, kEngineWaitSeconds));
    WebView& page = *editor.webView();
    ASSERT_EQ(page.stringByEvaluatingJavaScript("isWholeDocumentShown()"), "0")
        << "the page laid the whole document out before it was ready";

    page.stringByEvaluatingJavaScript(
        "(function(){var p=document.getElementById('paragraph');var r=document.createRange();"
        "r.setStart(p.firstChild,0);r.collapse(true);var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    page.executeEditingCommand("InsertText", "Typed first. ");
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    ASSERT_TRUE(save(*document));
    const std::string saved = readFile(path);
    std::size_t count = 0;
    for (std::size_t at = saved.find(" ends here."); at != std::string::npos; at = saved.find(" ends here.", at + 1))
        ++count;
    EXPECT_EQ(count, std::size_t(paragraphs));
    EXPECT_NE(saved.find("Paragraph 1999 ends here."), std::string::npos);
    EXPECT_NE(saved.find("Typed first. Paragraph 0 ends here."), std::string::npos);
    EXPECT_TRUE(closeDocument(*document));
    document.reset();

    // What exports, copy-out, print and the word counter read: the content
    // value with its plain text, asked for right after the page is ready.
    auto reopened = open(path);
    TextViewController& again = editorOf(*reopened);
    again.loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return again.isPageReady(); }, kEngineWaitSeconds));
    ASSERT_EQ(again.webView()->stringByEvaluatingJavaScript("isWholeDocumentShown()"), "0");
    Result<EditorContent> content = again.content(EditorContent::Parts::WithPlainText);
    ASSERT_TRUE(content.ok()) << content.error().message;
    EXPECT_EQ(content->bodyHTML.find("data-folio-held"), std::string::npos);
    EXPECT_NE(content->bodyHTML.find("Paragraph 1999 ends here."), std::string::npos);
    ASSERT_TRUE(content->plainText.has_value());
    EXPECT_NE(toUtf8(*content->plainText).find("Paragraph 1998 ends here.\nParagraph 1999 ends here."),
              std::string::npos);
    EXPECT_TRUE(closeDocument(*reopened));
}

TEST_F(RichTextEditorWebTest, theEndOfALongDocumentIsItsRealEndRightAfterItIsReady)
{
    const std::string path = folder.path("Long.rtf");
    writeFile(path, longRTF(2000));
    auto document = open(path);
    TextViewController& editor = editorOf(*document);
    editor.loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor.isPageReady(); }, kEngineWaitSeconds));
    WebView& page = *editor.webView();
    ASSERT_EQ(page.stringByEvaluatingJavaScript("isWholeDocumentShown()"), "0");
    page.stringByEvaluatingJavaScript("document.getElementById('content').focus()");
    editor.caret().moveToEndOfDoc();
    EXPECT_NE(page.stringByEvaluatingJavaScript("getSelection().anchorNode && getSelection().anchorNode.textContent")
                  .find("Paragraph 1999"),
              std::string::npos);
    EXPECT_TRUE(closeDocument(*document));
}

TEST_F(RichTextEditorWebTest, thePageFillsItsViewWithRoomForListNumbersAndNoSidewaysScrolling)
{
    std::string items;
    for (int i = 1; i <= 12; ++i)
        items += "{\\listtext\\tab " + std::to_string(i) + ".\\tab}Item " + std::to_string(i) + "\\par\n";
    // A list without an indent of its own, and a picture far wider than the page.
    const std::string path = folder.path("Layout.rtf");
    writeFile(path, std::string("{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}"
                                "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1"
                                "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid1}}"
                                "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\\f0\\fs24 "
                                "\\pard Words before the list.\\par\\pard\\ls1\\ilvl0 ")
                        + items + "\\pard {\\pict\\pngblip\\picw8\\pich8\\picwgoal40000\\pichgoal400\n" + kPictureHex
                        + "\n}\\par}");
    auto document = open(path);
    TextViewController& editor = editorOf(*document);
    editor.loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor.isPageReady(); }, kEngineWaitSeconds));
    WebView& page = *editor.webView();
    auto number = [&](const std::string& script) { return std::stod("0" + page.stringByEvaluatingJavaScript(script)); };

    // The editable element reaches the bottom of the view: no blank band under it.
    EXPECT_EQ(number("Math.round(document.getElementById('content').getBoundingClientRect().bottom)"),
              number("window.innerHeight"));
    EXPECT_EQ(number("document.documentElement.scrollHeight"), number("window.innerHeight"));
    // Nothing is wider than the page.
    EXPECT_LE(number("document.getElementById('content').scrollWidth"),
              number("document.getElementById('content').clientWidth"));
    // The text keeps off the window's edge, and two-digit numbers fit in front of their items.
    EXPECT_GE(number("document.querySelector('#paragraph div').getBoundingClientRect().left"), 16);
    EXPECT_GE(number("(function(){var li=document.querySelectorAll('#content li')[11];"
                     "var c=document.getElementById('content').getBoundingClientRect();"
                     "var r=document.createRange();r.selectNodeContents(li);"
                     "return r.getClientRects()[0].left-c.left;})()"),
              40);
    EXPECT_TRUE(closeDocument(*document));
}

// The paragraph panel's spacing and indents, and a font chosen in the
// picker, reach the paragraph at the caret on the page and in the saved
// RTF, and no other paragraph.
TEST_F(RichTextEditorWebTest, theParagraphPanelsSpacingAndIndentsReachTheCaretsParagraphAndTheSavedFile)
{
    const std::string path = folder.path("Spacing.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\pard\\f0\\fs24 First paragraph\\par\n"
                    "\\pard Second paragraph\\par}");
    auto document = open(path);
    TextViewController* ready = pageReadyEditorOf(*document);
    ASSERT_NE(ready, nullptr) << "the page never became ready";
    TextViewController& editor = *ready;
    auto run = [&](const std::string& script) { return editor.webView()->stringByEvaluatingJavaScript(script); };
    // The block that holds `word`, and one of its styles.
    auto blockStyle = [&](const std::string& word, const std::string& property) {
        return run("(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
                   "for(var n=w.nextNode();n;n=w.nextNode())if(n.data.indexOf('" + word + "')>=0)"
                   "return n.parentElement.closest('div[dir]').style." + property + ";return 'none';})()");
    };
    run("(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
        "for(var n=w.nextNode();n;n=w.nextNode())if(n.data.indexOf('Second')>=0){var r=document.createRange();"
        "r.setStart(n,0);r.setEnd(n,6);var s=getSelection();s.removeAllRanges();s.addRange(r);break;}"
        "document.getElementById('content').focus();})()");
    ASSERT_EQ(run("getSelection().toString()"), "Second");

    ParagraphStyleCommander& paragraphs = editor.styling().paragraphs();
    // The panel reads back the points it set.
    paragraphs.setCurrenParagraphSpacing(6);
    EXPECT_EQ(run("getCurrentParagraphSpacing()"), "6") << run("document.getElementById('content').innerHTML");
    paragraphs.paragraphSpacingBeforeChanged(4);
    EXPECT_EQ(run("getCurrentParagraphSpacingBefore()"), "4");
    paragraphs.setCurrentParagraphIndent(40);
    paragraphs.setCurrentParagraphIndent(-20);
    EXPECT_EQ(blockStyle("Second", "marginLeft"), "20px") << "a step from where the paragraph stands";
    paragraphs.setCurrentFirstLineIndent(1.26);
    EXPECT_EQ(blockStyle("Second", "textIndent"), "1.3cm") << "the panel's indent is kept to a millimetre";
    paragraphs.firstLineIndentChanged(1.25);
    EXPECT_EQ(blockStyle("Second", "textIndent"), "1.25cm");
    for (const char* property : {"marginBottom", "marginTop", "marginLeft", "textIndent"})
        EXPECT_EQ(blockStyle("First", property), "") << "the other paragraph keeps its " << property;
    paragraphs.userSelectedFont(FontChoice{"Georgia-Bold", 12});
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds));

    ASSERT_TRUE(save(*document));
    const std::string saved = readFile(path);
    const std::size_t second = saved.find("Second");
    ASSERT_NE(second, std::string::npos) << saved;
    // What stands between the first paragraph's words and the second's.
    const std::size_t paragraph = saved.find("First paragraph");
    ASSERT_LT(paragraph, second) << saved;
    const std::string controls = saved.substr(paragraph, second - paragraph);
    // Six and four points; twenty of the page's pixels, at its scale of a
    // file's \\li300 to 21.9 pixels; 1.25 cm.
    for (const char* control : {"\\sa120", "\\sb80", "\\li274", "\\fi709"})
        EXPECT_NE(controls.find(control), std::string::npos) << control << " not in " << controls;
    EXPECT_NE(saved.find("Georgia-Bold"), std::string::npos) << saved;
    EXPECT_EQ(saved.substr(0, paragraph).find("\\sa120"), std::string::npos) << "only the second: " << saved;
    closeDocument(*document);
}

// The caret keys and taps move the caret and grow or shrink the selection
// on the page as their names say, and the forward delete takes the
// character after the caret out of the saved file.
TEST_F(RichTextEditorWebTest, theCaretCommandsMoveTheCaretAndTheSelectionOnThePage)
{
    const std::string path = folder.path("Caret.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\pard\\f0\\fs24 Alpha bravo charlie delta.\\par}");
    auto document = open(path);
    TextViewController* ready = pageReadyEditorOf(*document);
    ASSERT_NE(ready, nullptr) << "the page never became ready";
    TextViewController& editor = *ready;
    auto run = [&](const std::string& script) { return editor.webView()->stringByEvaluatingJavaScript(script); };
    // Selects from `start` to `end` of the text; the selection's text and
    // where its ends stand in the text.
    auto select = [&](int start, int end) {
        run("(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
            "var n=w.nextNode();while(n&&n.data.indexOf('Alpha')<0)n=w.nextNode();var r=document.createRange();"
            "r.setStart(n," + std::to_string(start) + ");r.setEnd(n," + std::to_string(end) + ");"
            "var s=getSelection();s.removeAllRanges();s.addRange(r);document.getElementById('content').focus();})()");
    };
    auto selection = [&] {
        return run("(function(){var s=getSelection();return s.anchorOffset+'-'+s.focusOffset+' '+s.toString();})()");
    };
    CaretSelectionCommander& caret = editor.caret();

    select(6, 11);
    ASSERT_EQ(selection(), "6-11 bravo");
    caret.cursorForward();
    EXPECT_EQ(selection(), "6-12 bravo ") << "a selection grows by a character at its focus";
    caret.cursorBack();
    caret.cursorBack();
    EXPECT_EQ(selection(), "6-10 brav");

    select(6, 6);
    caret.cursorForward();
    EXPECT_EQ(selection(), "7-7 ") << "a caret moves by a character";
    caret.cursorBack();
    EXPECT_EQ(selection(), "6-6 ");
    caret.magicCursorRight2Tap();
    EXPECT_EQ(selection(), "11-11 ") << "a word to the right: the end of bravo";
    caret.magicCursorLeft2Tap();
    EXPECT_EQ(selection(), "6-6 ") << "a word to the left: its start again";

    select(14, 14);
    caret.magicCursor2Tap();
    EXPECT_EQ(run("getSelection().toString()"), "charlie") << "the double tap selects the word at the caret";
    caret.magicCursor2Tap();
    EXPECT_EQ(selection(), "12-12 ") << "and the next one leaves the caret at its start";

    caret.moveToBeginOfDocument();
    EXPECT_EQ(selection(), "0-0 ");
    caret.deleteForwardKey();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds));
    ASSERT_TRUE(save(*document));
    const std::string saved = readFile(path);
    EXPECT_NE(saved.find("lpha bravo charlie delta."), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Alpha"), std::string::npos) << saved;
    closeDocument(*document);
}

// A paste on the page, and the menus' pastes, put the pasteboard's text in
// as words, markup in it too; a cut takes the selection to the pasteboard
// and out of the page; undo takes typing back: the saved file holds the
// outcome.
TEST_F(RichTextEditorWebTest, pastesCutAndUndoChangeThePageAndTheSavedFileAsTheySay)
{
    const std::string path = folder.path("Clipboard.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\pard\\f0\\fs24 Keep these. Cut words here.\\par}");
    auto document = open(path);
    TextViewController* ready = pageReadyEditorOf(*document);
    ASSERT_NE(ready, nullptr) << "the page never became ready";
    TextViewController& editor = *ready;
    auto run = [&](const std::string& script) { return editor.webView()->stringByEvaluatingJavaScript(script); };
    auto text = [&] { return run("document.getElementById('content').textContent"); };
    auto select = [&](const std::string& words, bool collapseToEnd) {
        run("(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
            "for(var n=w.nextNode();n;n=w.nextNode()){var i=n.data.indexOf('" + words + "');if(i<0)continue;"
            "var r=document.createRange();r.setStart(n,i);r.setEnd(n,i+" + std::to_string(words.size()) + ");"
            + (collapseToEnd ? "r.collapse(false);" : "") +
            "var s=getSelection();s.removeAllRanges();s.addRange(r);break;}document.getElementById('content').focus();})()");
    };

    select("Cut words", false);
    run("document.getElementById('content').dispatchEvent(new Event('cut',{bubbles:true,cancelable:true}))");
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return text().find("Cut words") == std::string::npos; }, kEngineWaitSeconds))
        << text();
    EXPECT_EQ(Pasteboard::general().string(), std::optional<std::u16string>(u"Cut words"));

    Pasteboard::general().setString(u"pasted <words>");
    select("Keep these.", true);
    run("document.getElementById('content').dispatchEvent(new Event('paste',{bubbles:true,cancelable:true}))");
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return text().find("Keep these.pasted <words>") != std::string::npos; },
                                         kEngineWaitSeconds))
        << text();
    EXPECT_TRUE(editor.performAction("paste:", nullptr));
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return text().find("pasted <words>pasted <words>") != std::string::npos; }, kEngineWaitSeconds))
        << text();
    EXPECT_EQ(run("String(document.getElementById('content').getElementsByTagName('words').length)"), "0")
        << "pasted text stays words";

    select("here.", true);
    editor.webView()->executeEditingCommand("InsertText", " Typed");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return text().find("here. Typed") != std::string::npos; }, kEngineWaitSeconds))
        << text();
    editor.undoAction();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return text().find("Typed") == std::string::npos; }, kEngineWaitSeconds))
        << text();

    ASSERT_TRUE(save(*document));
    const std::string saved = readFile(path);
    EXPECT_NE(saved.find("Keep these.pasted <words>pasted <words>"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Cut words"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Typed"), std::string::npos) << saved;
    closeDocument(*document);
}

// A stored user style reaches the selected words on the page and in the
// saved RTF: its font, colour and highlight; a line spacing stored as the
// old marker is single spacing.
TEST_F(RichTextEditorWebTest, aUserStyleReachesTheSelectedWordsAndTheSavedFile)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setString("defaultFont1", "Courier");
    defaults.setFloat("defaultFontSize1", 14);
    defaults.setString("defaultFontColor1", "navy");
    defaults.setString("defaultBackColor1", "yellow");
    defaults.setFloat("defaultLineSpacing1", 500);
    const std::string path = folder.path("UserStyle.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\pard\\f0\\fs24 Plain words here.\\par}");
    auto document = open(path);
    TextViewController* ready = pageReadyEditorOf(*document);
    ASSERT_NE(ready, nullptr) << "the page never became ready";
    TextViewController& editor = *ready;
    auto run = [&](const std::string& script) { return editor.webView()->stringByEvaluatingJavaScript(script); };
    run("(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
        "for(var n=w.nextNode();n;n=w.nextNode()){var i=n.data.indexOf('words');if(i<0)continue;"
        "var r=document.createRange();r.setStart(n,i);r.setEnd(n,i+5);var s=getSelection();s.removeAllRanges();"
        "s.addRange(r);break;}document.getElementById('content').focus();})()");
    ASSERT_EQ(run("getSelection().toString()"), "words");
    auto styleOf = [&](const std::string& word, const std::string& property) {
        return run("(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
                   "for(var n=w.nextNode();n;n=w.nextNode())if(n.data.indexOf('" + word + "')>=0)"
                   "return getComputedStyle(n.parentElement)." + property + ";return '';})()");
    };
    editor.styling().presets().setUserStyle(1);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return styleOf("words", "backgroundColor") == "rgb(255, 255, 0)"; },
                                         kEngineWaitSeconds))
        << run("document.getElementById('content').innerHTML");
    EXPECT_EQ(styleOf("words", "color"), "rgb(0, 0, 128)");
    EXPECT_NE(styleOf("words", "fontFamily").find("Courier"), std::string::npos) << styleOf("words", "fontFamily");
    EXPECT_EQ(styleOf("Plain", "backgroundColor"), "rgba(0, 0, 0, 0)") << "only the selected words";
    EXPECT_EQ(run("getCurrentLineSpacing()"), "1") << "the old marker is single spacing";

    ASSERT_TRUE(save(*document));
    const std::string saved = readFile(path);
    EXPECT_NE(saved.find("Courier"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\red0\\green0\\blue128"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\red255\\green255\\blue0"), std::string::npos) << saved;
    closeDocument(*document);
    for (const char* key : {"defaultFont1", "defaultFontSize1", "defaultFontColor1", "defaultBackColor1",
                            "defaultLineSpacing1"})
        defaults.removeObjectForKey(key);
}

// Footnotes inserted at the caret each get an id of their own and are
// numbered in the order they stand; a comment is no footnote and takes no
// number. The saved RTF holds both footnotes.
TEST_F(RichTextEditorWebTest, insertedFootnotesAreNumberedInOrderAndSaved)
{
    const std::string path = folder.path("Notes.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\pard\\f0\\fs24 Alpha bravo charlie.\\par}");
    auto document = open(path);
    TextViewController* ready = pageReadyEditorOf(*document);
    ASSERT_NE(ready, nullptr) << "the page never became ready";
    TextViewController& editor = *ready;
    auto run = [&](const std::string& script) { return editor.webView()->stringByEvaluatingJavaScript(script); };
    auto caretAfter = [&](const std::string& word) {
        run("(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
            "for(var n=w.nextNode();n;n=w.nextNode()){var i=n.data.indexOf('" + word + "');if(i<0)continue;"
            "var r=document.createRange();r.setStart(n,i+" + std::to_string(word.size()) + ");r.collapse(true);"
            "var s=getSelection();s.removeAllRanges();s.addRange(r);break;}document.getElementById('content').focus();})()");
    };
    auto notes = [&] {
        return run("Array.prototype.map.call(document.querySelectorAll('#content object.footnote'),"
                   "function(o){return o.textContent}).join(' ')");
    };
    NotesCommander& commander = editor.editingTools().notes();
    caretAfter("charlie");
    commander.insertNewFootnote();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return notes() == "[1]"; }, kEngineWaitSeconds)) << notes();
    caretAfter("Alpha");
    commander.insertNewFootnote();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return notes() == "[1] [2]"; }, kEngineWaitSeconds))
        << "the note put before the other is the first: " << notes();
    const std::string ids = run("Array.prototype.map.call(document.querySelectorAll('#content object.footnote'),"
                                "function(o){return o.id}).join(' ')");
    EXPECT_TRUE(std::regex_match(ids, std::regex("footnote_[0-9A-F-]{36} footnote_[0-9A-F-]{36}"))) << ids;
    EXPECT_NE(ids.substr(0, ids.find(' ')), ids.substr(ids.find(' ') + 1));
    caretAfter("bravo");
    commander.insertNewAnnotation();
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return run("String(document.querySelectorAll('#content object.annotation').length)") == "1"; },
        kEngineWaitSeconds));
    EXPECT_EQ(notes(), "[1] [2]") << "a comment takes no number";

    ASSERT_TRUE(save(*document));
    const std::string saved = readFile(path);
    std::size_t footnotes = 0;
    for (std::size_t at = saved.find("\\footnote"); at != std::string::npos; at = saved.find("\\footnote", at + 1))
        ++footnotes;
    EXPECT_EQ(footnotes, 2u) << saved;
    closeDocument(*document);
}

} // namespace
} // namespace folio
