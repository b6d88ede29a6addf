#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/web/WebView.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextStyling.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorPageTest.h"
#include "webeditor/ClipboardCommander.h"
#include "webeditor/FindCommander.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

using testing_support::occurrences;
using testing_support::readFile;
using testing_support::writeFile;

constexpr int kSavedMarkupParagraphs = 2000;

// The page keeps each block's markup from the last save and serialises only
// the blocks changed since: after every kind of edit, the body a save gets
// must be the page's markup as a full serialisation gives it.
class RichTextSavedMarkupWebTest : public test::EditorPageTest<TextViewController> {
protected:
    RichTextSavedMarkupWebTest() : EditorPageTest(EditorKind::RichText, "rich-text-saved-markup") {}

    void SetUp() override
    {
        EditorPageTest::SetUp();
        path = folder.path("Long.rtf");
        std::string bytes = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 ";
        for (int i = 0; i < kSavedMarkupParagraphs; ++i)
            bytes += "\\pard Paragraph " + std::to_string(i) + (i == 7 ? " {\\b bold \\u233?}" : "")
                + (i == 5 || i == 1000 || i == 1998 ? " amber" : "") + " ends here.\\par\n";
        writeFile(path, bytes + "}");
        document = open(path);
    }
    void TearDown() override
    {
        if (document)
            document->closeWithCompletionHandler({});
        EditorPageTest::TearDown();
    }

    // Where the body of the page's save answer first differs from the content
    // element's innerHTML; when it is the same, "serialised " and the number
    // of elements serialised on their own to make the answer (-1 while
    // blocks held since the page opened are still to come out, whose guard
    // stands in the way of counting).
    std::string answerAgainstFullMarkup(const std::string& changeFirst)
    {
        return run(
            "(function(){" + changeFirst + "})();(function(){var c=document.getElementById('content');"
            "var d=Object.getOwnPropertyDescriptor(Element.prototype,'outerHTML');var n=-1,counting=isWholeDocumentShown();"
            "if(counting){n=0;Object.defineProperty(Element.prototype,'outerHTML',{configurable:true,get:function(){"
            "++n;return d.get.call(this);}});}var a;try{a=folioEditorContent(false);}finally{"
            "if(counting)Object.defineProperty(Element.prototype,'outerHTML',d);}"
            "if(a.charCodeAt(0)===1){var k=a.substring(1),s='+';a='';while(s.charAt(0)==='+'){"
            "s=folioAnswerSlice(k);a+=s.substring(1);}}"
            "var body=a.substring(a.indexOf('\\n')+1),full=c.innerHTML;if(body===full)return 'serialised '+n;"
            "var i=0;while(body.charAt(i)===full.charAt(i))++i;"
            "return 'differs at '+i+': answer ['+body.substr(Math.max(0,i-80),200)+'] full ['"
            "+full.substr(Math.max(0,i-80),200)+']';})()");
    }

    // The answer is the full markup, made by serialising at most `most`
    // elements; `changeFirst` runs just before it is asked for, in the same
    // task.
    void expectAnswerIsFullMarkup(const char* step, int most = kSavedMarkupParagraphs * 2, const std::string& changeFirst = "")
    {
        const std::string result = answerAgainstFullMarkup(changeFirst);
        const std::string prefix = "serialised ";
        ASSERT_EQ(result.substr(0, prefix.size()), prefix) << step << ": " << result;
        EXPECT_LE(std::stoi(result.substr(prefix.size())), most) << step;
    }

    void caretInParagraph(int index, bool atEnd)
    {
        run("(function(){var p=document.getElementById('paragraph').children[" + std::to_string(index) + "];"
            "var w=document.createTreeWalker(p,NodeFilter.SHOW_TEXT);var t=w.nextNode(),n;"
            + std::string(atEnd ? "while((n=w.nextNode()))t=n;" : "") +
            "var r=document.createRange();r.setStart(t," + (atEnd ? "t.length" : "0") + ");r.collapse(true);"
            "var s=getSelection();s.removeAllRanges();s.addRange(r);document.getElementById('content').focus();})()");
    }

    void selectParagraphs(int first, int last)
    {
        run("(function(){var b=document.getElementById('paragraph').children;var r=document.createRange();"
            "r.setStart(b[" + std::to_string(first) + "],0);r.setEnd(b[" + std::to_string(last) + "],b["
            + std::to_string(last) + "].childNodes.length);var s=getSelection();s.removeAllRanges();s.addRange(r);"
            "document.getElementById('content').focus();})()");
    }

    std::string pageText() { return run("document.getElementById('paragraph').textContent.replace(/\\u00a0/g,' ')"); }

    std::string path;
    std::shared_ptr<TextDocument> document;
};

TEST_F(RichTextSavedMarkupWebTest, theSaveAnswerIsTheFullMarkupAfterEveryKindOfEdit)
{
    ASSERT_TRUE(editor);
    WebView& page = *editor->webView();
    // The first answer serialises everything. The editor brings the blocks
    // held since the page opened out in batches once it is ready, so some
    // may still be held here or none: either way the answer is whole (a
    // page still holding them is the long-page tests' own case).
    expectAnswerIsFullMarkup("opened");
    ASSERT_EQ(run("isWholeDocumentShown()"), "1");
    EXPECT_EQ(run("document.querySelectorAll('[data-folio-held]').length"), "0");
    expectAnswerIsFullMarkup("unchanged", 2);

    // Typing, Return and a Backspace that joins two paragraphs: only the
    // blocks they touch are serialised again.
    caretInParagraph(40, true);
    page.executeEditingCommand("InsertText", " Fresh");
    expectAnswerIsFullMarkup("typed", 3);
    page.executeEditingCommand("InsertParagraph");
    page.executeEditingCommand("InsertText", "Split \xF0\x9F\x98\x80");
    expectAnswerIsFullMarkup("Return", 4);
    caretInParagraph(43, false);
    page.executeEditingCommand("DeleteBackward");
    expectAnswerIsFullMarkup("Backspace joining", 4);
    ASSERT_NE(pageText().find("Paragraph 41 ends here.Paragraph 42 ends here."), std::string::npos);

    // A paragraph copied and pasted elsewhere, then taken back and put again.
    selectParagraphs(7, 8);
    editor->clipboard().copySelection();
    caretInParagraph(60, true);
    editor->clipboard().paste();
    ASSERT_TRUE(waitFor([&] { return occurrences(pageText(), "Paragraph 7 bold") == 2; })) << "nothing was pasted";
    expectAnswerIsFullMarkup("paste");
    page.executeEditingCommand("Undo");
    expectAnswerIsFullMarkup("undo");
    page.executeEditingCommand("Undo");
    expectAnswerIsFullMarkup("undo again");
    page.executeEditingCommand("Redo");
    expectAnswerIsFullMarkup("redo");

    // Styles and lists over several paragraphs, and undone.
    selectParagraphs(100, 103);
    editor->styling().characters().boldExecCommand();
    expectAnswerIsFullMarkup("bold");
    run("document.execCommand('foreColor', false, '#cc0000')");
    expectAnswerIsFullMarkup("colour");
    run("document.execCommand('justifyCenter')");
    expectAnswerIsFullMarkup("centred");
    selectParagraphs(120, 124);
    run("document.execCommand('insertOrderedList')");
    ASSERT_NE(run("document.querySelector('#paragraph ol') !== null"), "0");
    expectAnswerIsFullMarkup("numbered list");
    run("document.execCommand('insertUnorderedList')");
    expectAnswerIsFullMarkup("bulleted list");
    run("document.execCommand('outdent')");
    expectAnswerIsFullMarkup("list taken off");
    page.executeEditingCommand("Undo");
    expectAnswerIsFullMarkup("list undone");

    // Find and replace all, then its undo.
    FindCommander& find = editor->editingTools().find();
    find.findOnPage(u"amber");
    ASSERT_TRUE(waitFor([&] { return find.nTotalResults() == 3; })) << find.nTotalResults();
    find.bar().replaceOnPage->setText(u"cobalt");
    find.replaceAll();
    ASSERT_TRUE(waitFor([&] { return occurrences(pageText(), "cobalt") == 3; }));
    expectAnswerIsFullMarkup("replace all");
    for (int step = 0; step < 12 && occurrences(pageText(), "amber") < 3; ++step)
        run("document.execCommand('undo')");
    ASSERT_EQ(occurrences(pageText(), "amber"), 3u);
    expectAnswerIsFullMarkup("replace all undone");

    // Everything selected and deleted, then brought back.
    run("document.getElementById('content').focus()");
    page.executeEditingCommand("SelectAll");
    page.executeEditingCommand("Delete");
    ASSERT_EQ(pageText().find("ends here"), std::string::npos);
    expectAnswerIsFullMarkup("select all and delete");
    page.executeEditingCommand("InsertText", "Alone");
    expectAnswerIsFullMarkup("typed into the emptied page");
    for (int step = 0; step < 4 && pageText().find("Paragraph 1999") == std::string::npos; ++step)
        page.executeEditingCommand("Undo");
    ASSERT_NE(pageText().find("Paragraph 1999"), std::string::npos);
    expectAnswerIsFullMarkup("select all undone");

    // The file a save writes carries the edits and every paragraph.
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    ASSERT_TRUE(save(*document));
    const std::string saved = readFile(path);
    EXPECT_NE(saved.find("Paragraph 40 ends here. Fresh"), std::string::npos);
    EXPECT_EQ(occurrences(saved, "Paragraph 1999 ends here."), 1u);
    EXPECT_GE(occurrences(saved, " ends here."), std::size_t(kSavedMarkupParagraphs - 1));
}

TEST_F(RichTextSavedMarkupWebTest, blocksChangedOutsideTheEditingCommandsAreSerialisedAgain)
{
    ASSERT_TRUE(editor);
    expectAnswerIsFullMarkup("opened");
    const char* const changes[] = {
        // A block moved, and one taken out, changed while out and put back.
        "var p=document.getElementById('paragraph');p.insertBefore(p.children[5],p.children[900]);"
        "var b=p.children[10];b.remove();b.firstChild.data='Changed while out';p.appendChild(b);",
        // Text between the blocks, straight in the wrapper, then changed.
        "var p=document.getElementById('paragraph');p.insertBefore(document.createTextNode('loose & <free>'),"
        "p.children[3]);",
        "var p=document.getElementById('paragraph');p.children[3].previousSibling.data='loose\\u00a0again';",
        // An attribute, and the style of a block.
        "document.getElementById('paragraph').children[20].setAttribute('class','kept');",
        "document.getElementById('paragraph').children[21].style.marginLeft='2em';",
        // The wrapper taken out, a block in it changed, and put back.
        "var c=document.getElementById('content'),p=document.getElementById('paragraph');p.remove();"
        "p.children[30].textContent='Changed with the wrapper out';c.appendChild(p);",
        // The wrapper gone: the blocks stand straight in the content element.
        "var c=document.getElementById('content'),p=document.getElementById('paragraph');"
        "while(p.firstChild)c.insertBefore(p.firstChild,p);p.remove();",
        "document.getElementById('content').children[50].textContent='Changed with no wrapper';",
        // A new wrapper around everything, as a page built anew has it.
        "document.getElementById('content').innerHTML='<div id=\"paragraph\"><div>New page</div><p>two</p></div>';",
    };
    // Each read right after the change, before the page has been told of it.
    for (const char* change : changes)
        expectAnswerIsFullMarkup(change, kSavedMarkupParagraphs * 2, change);

    // A wrapper and a block taken out, changed and put back, each step in a
    // task of its own: the page hears of the change only where they left.
    run("document.getElementById('content').innerHTML='<div id=\"paragraph\"><div>One</div><div>Two</div>"
        "<div>Three</div></div>'");
    expectAnswerIsFullMarkup("new page");
    run("window.out=document.getElementById('paragraph');out.remove()");
    run("out.children[1].textContent='Changed with the wrapper out'");
    expectAnswerIsFullMarkup("wrapper put back", 5, "document.getElementById('content').appendChild(out)");
    run("window.out=document.getElementById('paragraph').children[2];out.remove()");
    run("out.textContent='Changed while out'");
    expectAnswerIsFullMarkup("block put back", 5, "document.getElementById('paragraph').appendChild(out)");
}

} // namespace
} // namespace folio
