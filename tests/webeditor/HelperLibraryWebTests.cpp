#include "webeditor/WebPageFixture.h"

#include "platform/foundation/Unicode.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageContent.h"
#include "webeditor/PageScript.h"

#include <regex>

namespace folio {
namespace {

// The rich-text page's shape: an editable "content" holding "paragraph".
constexpr const char* kBody
    = "<div id='content' contenteditable=true style='height:300px;overflow-y:scroll;font-family:Helvetica;"
      "font-size:18px'><div id='paragraph' style='font-size:18px'>"
      "<p id='first'>The quick brown fox jumps over the lazy fox.</p>"
      "<p id='second'>A <a id='link' href='https://example.test/a b?c=1'>linked fox</a> and <b>bold</b> text.</p>"
      "<p id='third'>Notes<span contenteditable=false><sup><object id='footnote_B' class='footnote' "
      "data-content='second note'>[0]</object></sup></span> here<span contenteditable=false><sup>"
      "<object id='footnote_A' class='footnote' data-content=' first note '>[7]</object></sup></span>.</p>"
      "<p id='pictures'><img id='marquent_555' src='data:image/gif;base64,R0lGODlhAQABAAAAACw='>"
      "<img id='marquent_555' class='second' src='data:image/gif;base64,R0lGODlhAQABAAAAACw='></p>"
      "</div></div>";

class HelperLibraryTest : public test::WebPageFixture {
protected:
    void SetUp() override
    {
        WebPageFixture::SetUp();
        ASSERT_TRUE(view);
        std::string html = "<html><head><meta charset='UTF-8'>"
                           + scriptTag(PageResources::componentURL("rangy/lib/rangy-core.js"))
                           + scriptTag(PageResources::componentURL("rangy/lib/rangy-textrange.js"))
                           + scriptTag(PageResources::helperLibraryURL()) + "</head><body onload='initXEditor()'>"
                           + kBody + "</body></html>";
        load(html, "file:///folio-page-test/");
        // A test's own way to put the caret: into the text of an element.
        run("function caretIn(id, offset, length) { var node = document.getElementById(id).firstChild;"
            "var r = document.createRange(); r.setStart(node, offset); r.setEnd(node, offset + (length || 0));"
            "var s = window.getSelection(); s.removeAllRanges(); s.addRange(r); }");
        messages.clear();
    }
};

TEST_F(HelperLibraryTest, fontSizesArePixelsAndSpacingRoundTripsInItsUnits)
{
    run("caretIn('first', 4)");
    EXPECT_EQ(run("getCurrentFontSize()"), "18");
    EXPECT_EQ(run("getFontFamilies()"), "Helvetica");

    run("caretIn('first', 4, 5); changeFont(24)");
    EXPECT_EQ(run("document.getElementById('first').querySelectorAll('[style*=\"24px\"]').length"), "1");
    EXPECT_EQ(run("document.getElementById('first').querySelectorAll('font[size]').length"), "0");
    run("var sized = document.querySelector('#first [style*=\"24px\"]').firstChild;"
        "window.getSelection().setBaseAndExtent(sized, 1, sized, 1)");
    EXPECT_EQ(run("getCurrentFontSize()"), "24");
    run("window.getSelection().setBaseAndExtent(sized, 0, sized, 5); increaseFontSize();"
        "sized = document.querySelector('#first [style*=\"25px\"]').firstChild;"
        "window.getSelection().setBaseAndExtent(sized, 1, sized, 1)");
    EXPECT_EQ(run("getCurrentFontSize()"), "25");

    run("caretIn('first', 1)");
    EXPECT_EQ(run("getCurrentLineSpacing()"), "1");
    run(PageScript::call("modifyLineSpacing", {1.5}));
    run(PageScript::call("modifyParagraphSpacing", {ScriptValue::fixed(12.5, 2)}));
    run(PageScript::call("modifyParagraphSpacingBefore", {6}));
    run(PageScript::call("modifyFirstLineIndent", {1.25}));
    EXPECT_EQ(run("getCurrentLineSpacing()"), "1.5");
    EXPECT_EQ(run("getCurrentParagraphSpacing()"), "12.5");
    EXPECT_EQ(run("getCurrentParagraphSpacingBefore()"), "6");
    EXPECT_EQ(run("getCurrentFirstLineIndent()"), "1.25");
    // Only the caret's paragraph changed.
    EXPECT_EQ(run("var s = document.getElementById('second').style; s.marginBottom + s.marginTop + s.textIndent + s.lineHeight"), "");

    run("caretIn('first', 1); modifyLeftIndent(40); modifyLeftIndent(40)");
    EXPECT_EQ(run("document.getElementById('first').style.marginLeft"), "80px");
    run("modifyLeftIndent(-40); modifyLeftIndent(-40); modifyLeftIndent(-40)");
    EXPECT_EQ(run("document.getElementById('first').style.marginLeft"), "0px");

    run("modifyLanguageDirection('rtl'); modifyLanguageDirection('sideways')");
    EXPECT_EQ(run("document.getElementById('first').getAttribute('dir')"), "rtl");
}

TEST_F(HelperLibraryTest, selectAllSpacingReachesEveryParagraph)
{
    run("caretIn('second', 1); document.execCommand('selectAll'); modifyLineSpacing(2.00); document.execCommand('unselect')");
    for (const char* id : {"first", "second", "third", "pictures"})
        EXPECT_EQ(run(std::string("document.getElementById('") + id + "').style.lineHeight"), "2") << id;
}

TEST_F(HelperLibraryTest, footnotesAreRenumberedInDocumentOrderAndListed)
{
    EXPECT_EQ(run("hasFootnotes()"), "YES");
    run("updateFootnoteIndex()");
    EXPECT_EQ(run("document.getElementById('footnote_B').textContent"), "[1]");
    EXPECT_EQ(run("document.getElementById('footnote_A').textContent"), "[2]");
    EXPECT_EQ(run("insertFootnoteTable()"), "<p>[1] second note</p><p>[2] first note</p>");

    run("var notes = document.querySelectorAll('object.footnote'); notes.forEach(n => n.remove())");
    EXPECT_EQ(run("hasFootnotes()"), "NO");
    EXPECT_EQ(run("insertFootnoteTable()"), "NoFootnotes");
}

// Documents are loaded with each mark in a superscript between spaces; the
// marks that already show their number are not touched, and a renumbered
// one keeps its superscript.
TEST_F(HelperLibraryTest, footnoteMarksAsLoadedAreLeftAloneUnlessTheirNumberChanges)
{
    run("document.getElementById('third').innerHTML = 'A<object id=\"n1\" class=\"footnote\" data-content=\"a\">"
        "<sup>  [1] </sup></object> b<object id=\"n2\" class=\"footnote\" data-content=\"b\"><sup>  [2] </sup>"
        "</object> c<object id=\"n3\" class=\"footnote\" data-content=\"c\"><sup>  [7] </sup></object>.';"
        "window.noteWrites = [];"
        "window.noteWatcher = new MutationObserver(function (records) { records.forEach(function (r) {"
        "  var note = (r.target.nodeType === 1 ? r.target : r.target.parentNode).closest('object');"
        "  if (note) noteWrites.push(note.id); }); });"
        "noteWatcher.observe(document.getElementById('third'), {childList: true, subtree: true, characterData: true});"
        "document.getElementById('n1').firstChild.kept = true;");
    run("updateFootnoteIndex()");
    run("noteWatcher.takeRecords().forEach(function (r) {"
        "  noteWrites.push((r.target.nodeType === 1 ? r.target : r.target.parentNode).closest('object').id); })");
    EXPECT_EQ(run("Array.from(new Set(noteWrites)).join(',')"), "n3") << "only the mark whose number changed is written";
    EXPECT_EQ(run("document.getElementById('n1').firstChild.kept === true"), "1");
    EXPECT_EQ(run("document.getElementById('n2').innerHTML"), "<sup>  [2] </sup>");
    EXPECT_EQ(run("document.getElementById('n3').innerHTML"), "<sup>[3]</sup>");
}

TEST_F(HelperLibraryTest, findMarksNothingInTheDocument)
{
    std::string before = run("document.getElementById('content').innerHTML");
    EXPECT_EQ(run("searchCodeLoaded"), "0");
    run("if (!searchCodeLoaded) JSL.main();");
    EXPECT_EQ(run("searchCodeLoaded"), "1");
    EXPECT_EQ(run("JSL.setKW('FOX')"), "3");
    EXPECT_EQ(run("CSS.highlights.get('folio-find').size"), "3");
    run("JSL.next(1, true)");
    run("JSL.next(1, true)");
    EXPECT_EQ(run("window.getSelection().toString()"), "fox");
    EXPECT_EQ(run("window.getSelection().anchorNode.parentNode.id"), "first");
    run("JSL.next(1, true)");
    EXPECT_EQ(run("window.getSelection().anchorNode.parentNode.id"), "link");
    run("JSL.next(1, true)");
    EXPECT_EQ(run("window.getSelection().anchorNode.parentNode.id"), "first") << "wraps to the first match";
    run("JSL.next(-1, true)");
    EXPECT_EQ(run("window.getSelection().anchorNode.parentNode.id"), "link") << "wraps back to the last";
    EXPECT_EQ(run("document.getElementById('content').innerHTML"), before);
    EXPECT_EQ(run(PageScript::call("JSL.setKW", {"'); x('</script>"})), "0");
    run("JSL.clear()");
    EXPECT_EQ(run("CSS.highlights.has('folio-find')"), "0");
    EXPECT_EQ(run("document.getElementById('content').innerHTML"), before);
}

TEST_F(HelperLibraryTest, replaceGoesThroughUndoAndMovesOn)
{
    std::string before = run("document.getElementById('content').innerHTML");
    run("JSL.main(); JSL.setKW('fox'); JSL.next(1, true)");
    run("JSL.replace('cat')");
    EXPECT_EQ(run("window.getSelection().toString()"), "cat");
    run("JSL.nextReplace(1)");
    EXPECT_EQ(run("window.getSelection().toString()"), "fox");
    EXPECT_EQ(run("document.getElementById('first').textContent"), "The quick brown cat jumps over the lazy fox.");
    run("document.execCommand('undo')");
    EXPECT_EQ(run("document.getElementById('content').innerHTML"), before);
}

TEST_F(HelperLibraryTest, pasteHtmlAtCaretKeepsUndo)
{
    std::string before = run("document.getElementById('content').innerHTML");
    run("caretIn('first', 4)");
    run(PageScript::call("pasteHtmlAtCaret", {"<i id='pasted'>new</i>", false}));
    EXPECT_EQ(run("document.getElementById('first').textContent.replace(/\\u00a0/g, ' ')"),
              "The newquick brown fox jumps over the lazy fox.");
    EXPECT_EQ(run("document.getElementById('pasted').tagName"), "I");
    EXPECT_EQ(run("document.queryCommandEnabled('undo')"), "1");
    run("document.execCommand('undo')");
    EXPECT_EQ(run("document.getElementById('content').innerHTML"), before);

    run("caretIn('first', 4)");
    run(PageScript::call("pasteHtmlAtCaret", {"<b>sel</b>", true}));
    EXPECT_EQ(run("window.getSelection().toString()"), "sel");
}

TEST_F(HelperLibraryTest, onlyOnePictureCarriesTheSelectedId)
{
    // The page came with two pictures marked selected; attaching released both.
    EXPECT_EQ(run("document.querySelectorAll('[id=marquent_555]').length"), "0");
    run("document.querySelector('img').click()");
    EXPECT_EQ(run("document.querySelectorAll('[id=marquent_555]').length"), "1");
    run("document.querySelector('img.second').click()");
    EXPECT_EQ(run("document.querySelectorAll('[id=marquent_555]').length"), "1");
    EXPECT_EQ(run("document.getElementById('marquent_555').className"), "second");
    EXPECT_EQ(run("document.querySelector('img').id"), "marquent_444");
    ASSERT_TRUE(waitForMessage("rte://imageTouchedEvent"));

    run("resizeImageAtTo(0, 0, 120, 80); centerImage()");
    EXPECT_EQ(run("var p = document.getElementById('marquent_555'); p.style.width + ' ' + p.style.height + ' '"
                  "+ p.style.marginLeft + ' ' + p.style.marginRight"),
              "120px 80px auto auto");
    run("wrapLeftImage()");
    EXPECT_EQ(run("document.getElementById('marquent_555').style.cssFloat"), "left");
    run("wrapNoneImage(); hideImageAt(1, 1)");
    EXPECT_EQ(run("var p = document.getElementById('marquent_555'); p.style.cssFloat + ' ' + p.style.visibility"),
              "none hidden");
    run("replaceImage('data:image/gif;base64,R0lGODlhAQABAAAAACw=', 10, 0); deleteImage()");
    EXPECT_EQ(run("document.querySelectorAll('img').length"), "1");
    run("deleteImage()");
    EXPECT_EQ(run("document.querySelectorAll('img').length"), "1") << "nothing is selected any more";
}

TEST_F(HelperLibraryTest, caretSelectionAndLinkAnswers)
{
    run("caretIn('first', 4, 5)");
    EXPECT_TRUE(std::regex_match(run("getCaretEditorPosition()"), std::regex(R"(\{-?\d+, -?\d+\})")));
    std::smatch size;
    std::string coords = run("getSelectionCoords()");
    ASSERT_TRUE(std::regex_match(coords, size, std::regex(R"(\{\{-?\d+, -?\d+\}, \{(\d+), (\d+)\}\})"))) << coords;
    EXPECT_GT(std::stoi(size[1]), 10);
    EXPECT_GT(std::stoi(size[2]), 5);
    EXPECT_EQ(run("getSelectionHtml()"), "quick");

    run("saveCaretSelection(); caretIn('second', 0)");
    run("restoreCaretSelection()");
    EXPECT_EQ(run("window.getSelection().toString()"), "quick");

    run("caretIn('link', 2)");
    EXPECT_EQ(run("isALink()"), "https://example.test/a b?c=1");
    run("caretIn('first', 2)");
    EXPECT_EQ(run("isALink()"), "");

    run("caretIn('first', 5); moveCursorEndWord()");
    EXPECT_EQ(run("window.getSelection().anchorOffset"), "9");
    run("rangy.getSelection().move('word', 1)");
    EXPECT_EQ(run("window.getSelection().anchorOffset"), "15");

    run("var tall = document.getElementById('paragraph'); for (var i = 0; i < 60; ++i)"
        "tall.insertAdjacentHTML('beforeend', '<p>line</p>'); var last = tall.lastChild;"
        "window.getSelection().collapse(last.firstChild, 1); scrollToView()");
    EXPECT_GT(std::stoi(run("document.getElementById('content').scrollTop")), 100);
    EXPECT_EQ(run("var r = window.getSelection().getRangeAt(0).getBoundingClientRect();"
                  "var b = document.getElementById('content').getBoundingClientRect(); r.bottom <= b.bottom"),
              "1")
        << "the caret is inside the visible part of the page";

    run("caretIn('first', 4); jumpCaretToTop()");
    EXPECT_EQ(run("document.getElementById('content').scrollTop"), "0");
    EXPECT_EQ(run("window.getSelection().anchorNode.id"), "content");
}

TEST_F(HelperLibraryTest, pageEventsArriveAsMessages)
{
    run("document.getElementById('first').dispatchEvent(new KeyboardEvent('keydown', {bubbles: true, keyCode: 65}))");
    run("document.getElementById('first').dispatchEvent(new InputEvent('input', {bubbles: true}))");
    run("caretIn('first', 3); document.dispatchEvent(new KeyboardEvent('keydown', {bubbles: true, keyCode: 9}))");
    // A plain click edits a link's words; Ctrl with the click opens it.
    run("document.getElementById('link').dispatchEvent(new MouseEvent('click', {bubbles: true, cancelable: true, ctrlKey: true}))");
    run("document.getElementById('footnote_A').click()");
    run("document.getElementById('first').click()");
    ASSERT_TRUE(waitForMessage("rte://noImageTouchedEvent"));
    ASSERT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages[0], "rte://onkeydownEvent");
    EXPECT_EQ(messages[1], "rte://dirtyEvent");
    EXPECT_EQ(messages[2], "rte://insertTabEvent");
    EXPECT_EQ(messages[3], "rte://linkTouchedEvent#https%3A%2F%2Fexample.test%2Fa%20b%3Fc%3D1");
    EXPECT_TRUE(std::regex_match(messages[4], std::regex(R"(rte://showFootnote#x_A_\d+_\d+)"))) << messages[4];

    messages.clear();
    run("updateEditorScrollOffsets()");
    ASSERT_TRUE(waitFor([&] { return !messages.empty(); }));
    EXPECT_TRUE(std::regex_match(messages[0], std::regex(R"(rte://endScrollEvent#0_\d+)"))) << messages[0];
}

TEST_F(HelperLibraryTest, smartQuotesFollowTheirSide)
{
    // Typing goes through the engine's own command, as a key would; its
    // effect is waited for, since commands and scripts travel separately.
    auto typeAt = [&](int offset, const std::string& text) {
        run("document.getElementById('content').focus(); caretIn('first', " + std::to_string(offset) + ")");
        std::string before = run("document.getElementById('first').textContent");
        view->executeEditingCommand("InsertText", text);
        return waitFor([&] { return run("document.getElementById('first').textContent") != before; }, kEngineWaitSeconds);
    };
    ASSERT_TRUE(typeAt(4, "\""));
    EXPECT_EQ(run("document.getElementById('first').textContent.substring(0, 6)"), "The \"q") << "off by default";
    run("document.execCommand('undo'); smartQuotesEnabled = true");
    ASSERT_TRUE(typeAt(4, "\""));
    ASSERT_TRUE(typeAt(10, "'"));
    EXPECT_EQ(run("document.getElementById('first').textContent.substring(0, 17)"),
              "The \u201Cquick\u2019 brown");
}

TEST_F(HelperLibraryTest, objectsEditabilityAndPreWrap)
{
    run("makeObjectsEditable('false')");
    EXPECT_EQ(run("Array.from(document.querySelectorAll('#content img, #content object'))"
                  ".every(e => e.getAttribute('contenteditable') === 'false')"),
              "1");
    run("makeObjectsEditable('true')");
    EXPECT_EQ(run("document.querySelector('img').getAttribute('contenteditable')"), "true");

    run("document.getElementById('second').style.whiteSpace = 'pre-wrap';"
        "document.getElementById('paragraph').insertAdjacentHTML('beforeend', "
        "'<pre id=code style=\"white-space: pre-wrap\">x</pre><img id=empty>'); whiteSpacePreWrapOff(); "
        "stripRTFfromObjects()");
    EXPECT_EQ(run("document.getElementById('second').style.whiteSpace"), "");
    EXPECT_EQ(run("document.getElementById('code').style.whiteSpace"), "pre-wrap");
    EXPECT_EQ(run("document.getElementById('empty') === null"), "1");
    EXPECT_EQ(run("document.querySelector('img').style.maxWidth"), "100%");
}

// A long body comes over in slices: put together, they are the body as the
// page holds it, a character outside the BMP across a slice's edge included.
TEST_F(HelperLibraryTest, aLongContentComesWholeThoughReadInSlices)
{
    // The first slice ends 2^20 units into the answer; the pair is put
    // across that edge, wherever the JSON before the body ends.
    run("document.getElementById('content').innerHTML = '<p>x</p>'");
    const std::string json = run("folioEditorContent(false).split('\\n')[0]");
    ASSERT_FALSE(json.empty());
    const long before = (1L << 20) - long(json.size()) - 1 - long(std::string("<p>").size()) - 1;
    run("var n = " + std::to_string(before) + "; document.getElementById('content').innerHTML = '<p>'"
        " + 'word '.repeat(Math.floor(n / 5)) + 'a'.repeat(n % 5) + '\\uD83D\\uDE00' + ' more'.repeat(300000)"
        " + '\\u00E9</p>'");
    const std::string body = run("document.getElementById('content').innerHTML");
    ASSERT_GT(body.size(), 2500000u);
    PageConnection connection{view.get()};
    Result<PageContent::Reply> reply = PageContent::fetch(connection, EditorContent::Parts::Document);
    ASSERT_TRUE(reply.ok()) << reply.error().message;
    EXPECT_EQ(reply->content.bodyHTML.size(), body.size());
    EXPECT_TRUE(reply->content.bodyHTML == body) << "the slices put together are not the body";
    EXPECT_NE(reply->content.bodyHTML.find("\U0001F600 more"), std::string::npos);
    // A kept answer is read once: asking for it again gives nothing.
    EXPECT_EQ(run("folioAnswerSlice('1')"), "");
    EXPECT_EQ(run("folioEditorContent(false).charCodeAt(0)"), "1") << "a long answer is kept, not sent";
}

TEST_F(HelperLibraryTest, theContentCallAnswersTheWholePageInOneReply)
{
    run("var c = document.getElementById('content'); c.style.lineHeight = 1.5; c.style.textIndent = '1.25cm';"
        "document.body.style.backgroundColor = 'rgb(255, 128, 0)';"
        "var h = document.createElement('div'); h.id = 'pageHeader'; h.setAttribute('data-topMargin', '0.5');"
        "h.setAttribute('data-enabled', 'YES'); h.style.fontFamily = 'Georgia'; h.style.fontSize = '12px';"
        "h.style.textAlign = 'right'; h.style.color = 'black'; h.textContent = 'Head: page [pagenumber]';"
        "document.body.insertBefore(h, c)");
    // What the markup must escape or keep as it stands, beside the blocks:
    // text and a comment straight in the wrapper, a non-breaking space,
    // characters outside Latin-1, a line break and an empty block.
    run("var w = document.getElementById('paragraph');"
        "w.insertBefore(document.createTextNode('a < b & c\\u00a0\\u201Cq\\u201D \\uD83D\\uDE00\\n'), w.firstChild);"
        "w.appendChild(document.createComment(' kept -- '));"
        "w.insertAdjacentHTML('beforeend', '<p title=\"x &amp; &quot;y&quot;\">t<br></p><div></div>last');");
    std::string before = run("document.getElementById('content').innerHTML");
    ASSERT_NE(before.find("a &lt; b &amp; c&nbsp;\u201Cq\u201D \U0001F600\n<p"), std::string::npos) << before;
    Result<PageContent::Reply> reply = PageContent::read(run(PageContent::script(EditorContent::Parts::WithPlainText)));
    ASSERT_TRUE(reply.ok()) << reply.error().message;
    const EditorContent& content = reply->content;
    EXPECT_EQ(content.bodyHTML, before);
    EXPECT_EQ(content.lineHeight, 1.5);
    EXPECT_EQ(content.firstLineIndent, 1.25);
    EXPECT_EQ(content.paperColor, "FF8000");
    EXPECT_EQ(content.header, "Georgia::12px::right::black::0.5::YES::Head: page [pagenumber]");
    EXPECT_EQ(content.footer, std::nullopt);
    ASSERT_TRUE(content.plainText.has_value());
    EXPECT_NE(toUtf8(*content.plainText).find("\nThe quick brown fox jumps over the lazy fox."), std::string::npos);
    // The wrapper holds the whole body: what it holds is the document.
    ASSERT_TRUE(reply->wrapperOpening.has_value());
    EXPECT_EQ(PageContent::unwrappedHTML(*reply).rfind("a &lt; b", 0), 0u);
    EXPECT_EQ(run("document.getElementById('content').innerHTML"), before) << "asking changes nothing";

    // Text beside the wrapper is the user's too: the whole body is kept then.
    run("document.getElementById('content').appendChild(document.createTextNode('typed outside'))");
    reply = PageContent::read(run(PageContent::script(EditorContent::Parts::Document)));
    ASSERT_TRUE(reply.ok());
    EXPECT_FALSE(reply->wrapperOpening.has_value());
    EXPECT_FALSE(reply->content.plainText.has_value()) << "made only when asked for";
    EXPECT_EQ(reply->content.bodyHTML, run("document.getElementById('content').innerHTML"));
    EXPECT_NE(PageContent::unwrappedHTML(*reply).find("typed outside"), std::string::npos);
}

// WebKit collapses the page's selection to its end, with no input, when
// another program takes the desktop's primary selection. Formatting finds
// the lost selection again; typing, inserting and a click go where the
// caret shows.
TEST_F(HelperLibraryTest, aSelectionCollapsedWithoutInputIsFoundAgainOnlyByFormatting)
{
    // Selection changes are told a moment later: each step lets them arrive.
    auto selectThenLose = [&](const std::string& id, int offset, int length) {
        run("caretIn('" + id + "', " + std::to_string(offset) + ", " + std::to_string(length) + ")");
        run("1");
        run("window.getSelection().collapseToEnd()");
        run("1");
        return run("String(window.getSelection().isCollapsed)");
    };
    ASSERT_EQ(selectThenLose("first", 4, 5), "true");
    run("document.execCommand('bold')");
    EXPECT_EQ(run("window.getSelection().toString()"), "quick");
    EXPECT_EQ(run("document.getElementById('first').innerHTML"), "The <b>quick</b> brown fox jumps over the lazy fox.");

    ASSERT_EQ(selectThenLose("second", 0, 1), "true");
    run("modifyLineSpacing(2)");
    EXPECT_EQ(run("window.getSelection().toString()"), "A") << "the page's own formatting finds it as well";

    // Typed or inserted text goes where the caret shows.
    ASSERT_EQ(run("(function(){caretIn('first', 0, 3);return window.getSelection().toString();})()"), "The");
    run("1");
    run("window.getSelection().collapseToEnd()");
    run("1");
    run("document.execCommand('insertText', false, '!')");
    EXPECT_EQ(run("document.getElementById('first').textContent.replace(/\\u00a0/g, ' ')"),
              "The! quick brown fox jumps over the lazy fox.");

    // A click places the caret: the lost selection is not formatted again.
    ASSERT_EQ(run("(function(){caretIn('third', 0, 5);return window.getSelection().toString();})()"), "Notes");
    run("1");
    run("window.getSelection().collapseToEnd()");
    run("1");
    run("document.getElementById('third').dispatchEvent(new MouseEvent('mousedown', {bubbles: true}))");
    run("document.execCommand('italic')");
    EXPECT_EQ(run("document.getElementById('third').querySelectorAll('i').length"), "0");
}

} // namespace
} // namespace folio
