#include "platform/foundation/RunLoop.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageContent.h"
#include "webeditor/PageResources.h"
#include "webeditor/WebPageFixture.h"

#include <string>

namespace folio {
namespace {

// The rich-text page's own scripts and style sheet on a page of the editor's
// shape, holding `blocks` numbered blocks: a long page shows its beginning
// first and holds the rest back, and nothing that reads the page may see it
// cut short.
class RichTextLongPageTest : public test::WebPageFixture {
protected:
    static std::string blockMarkup(int blocks, const std::string& words)
    {
        std::string markup;
        for (int i = 0; i < blocks; ++i) {
            // Text between the blocks as a page holds it, and one block with
            // a class of its own, which must come back as it was.
            markup += i == 120 ? "<div class=\"kept\">Block " + std::to_string(i) + words + " <b>bold</b></div>\n"
                               : "<div>Block " + std::to_string(i) + words + "</div>\n";
        }
        return markup;
    }

    void openPage(int blocks, const std::string& words = "")
    {
        markup = blockMarkup(blocks, words);
        std::string html = "<html><head><meta charset='UTF-8'>"
                           "<link rel='stylesheet' href='" + PageResources::pageFileURL("richtext-page.css").value_or("")
                           + "'>" + scriptTag(PageResources::componentURL("rangy/lib/rangy-core.js"))
                           + scriptTag(PageResources::componentURL("rangy/lib/rangy-textrange.js"))
                           + scriptTag(PageResources::helperLibraryURL())
                           + scriptTag(PageResources::pageFileURL("richtext-long-page.js"))
                           + scriptTag(PageResources::pageFileURL("richtext-saved-markup.js"))
                           + "</head><body onload='initXEditor()'><div id='content' contenteditable=true style='overflow-y:scroll'>"
                             "<div id='paragraph'>" + markup + "</div></div></body></html>";
        load(html, "file:///folio-long-page-test/");
    }

    std::string displayOfBlock(int index)
    {
        return run("getComputedStyle(document.getElementById('paragraph').children[" + std::to_string(index)
                   + "]).display");
    }

    std::string markup;
};

TEST_F(RichTextLongPageTest, aLongPageLaysOutItsBeginningAndGivesBackItsMarkupWhole)
{
    openPage(400);
    if (HasFatalFailure())
        return;
    ASSERT_EQ(run("isWholeDocumentShown()"), "0") << "the later blocks are held back";
    EXPECT_EQ(displayOfBlock(79), "block");
    EXPECT_EQ(displayOfBlock(80), "none");
    EXPECT_EQ(displayOfBlock(399), "none");
    // The markup as it was loaded: every block, in order, without a mark.
    EXPECT_EQ(run("document.getElementById('paragraph').innerHTML"), markup);
    EXPECT_EQ(run("isWholeDocumentShown()"), "1");
    EXPECT_EQ(displayOfBlock(399), "block");
}

TEST_F(RichTextLongPageTest, longParagraphsAreShownFirstAsFarAsTheyFillTheViewNotEightyOfThem)
{
    std::string words;
    while (words.size() < 1500)
        words += " amber lantern copper kettle";
    openPage(400, words);
    if (HasFatalFailure())
        return;
    const int shown = std::stoi(run("document.querySelectorAll('#paragraph > :not([data-folio-held])').length"));
    const double view = std::stod(run("innerHeight"));
    // Where the last shown block ends, read without bringing the rest out.
    const double shownBottom = std::stod(run("document.querySelectorAll('#paragraph > :not([data-folio-held])')["
                                             + std::to_string(shown - 1) + "].getBoundingClientRect().bottom"));
    EXPECT_LT(shown, 80);
    EXPECT_GE(shownBottom, view) << "the view is filled";
    EXPECT_LE(shownBottom, 4 * view) << shown << " blocks laid out first";
    EXPECT_EQ(run("isWholeDocumentShown()"), "0");
    EXPECT_EQ(run("document.getElementById('paragraph').innerHTML"), markup);
}

TEST_F(RichTextLongPageTest, aShortPageHoldsNothingBack)
{
    openPage(80);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run("isWholeDocumentShown()"), "1");
    EXPECT_EQ(run("document.querySelectorAll('[data-folio-held]').length"), "0");
    EXPECT_EQ(displayOfBlock(79), "block");
}

TEST_F(RichTextLongPageTest, whatNeedsTheWholePageBringsItAllOutFirst)
{
    struct Reader {
        const char* script;
        const char* answerHolds;
    };
    const Reader readers[] = {
        {"document.getElementById('content').innerText", "Block 399"},
        {"document.getElementById('content').outerHTML", "Block 399</div>"},
        {"String(document.getElementById('content').scrollHeight > 6000)", "true"},
        {"document.getElementById('content').focus(); document.execCommand('selectAll');"
         "document.execCommand('bold');"
         "String(document.querySelectorAll('#paragraph b, #paragraph [style*=bold]').length > 300)",
         "true"},
        {"document.dispatchEvent(new KeyboardEvent('keydown', {key: 'End', ctrlKey: true})); 'pressed'", "pressed"},
        {"var r = document.createRange(); r.selectNodeContents(document.getElementById('paragraph').children[300]);"
         "getSelection().removeAllRanges(); getSelection().addRange(r); getSelection().toString()",
         "Block 300"},
        // What the editor runs before the engine's own formatting commands.
        {"folioRestoreLostSelection(); 'restored'", "restored"},
        // The save's answer.
        {"folioEditorContent(false)", "Block 399</div>"},
        {"document.getElementById('paragraph').innerHTML = '<div>replaced</div>';"
         "document.getElementById('paragraph').innerText",
         "replaced"},
    };
    for (const Reader& reader : readers) {
        SCOPED_TRACE(reader.script);
        openPage(400);
        if (HasFatalFailure())
            return;
        ASSERT_EQ(run("isWholeDocumentShown()"), "0");
        std::string answer = run(reader.script);
        EXPECT_NE(answer.find(reader.answerHolds), std::string::npos) << answer;
        EXPECT_EQ(run("isWholeDocumentShown()"), "1");
        EXPECT_EQ(run("document.querySelectorAll('[data-folio-held]').length"), "0");
    }
}

TEST_F(RichTextLongPageTest, aScrollPositionBringsOutTheBlocksAboveItAndAViewBelowIt)
{
    openPage(1000);
    if (HasFatalFailure())
        return;
    ASSERT_EQ(run("isWholeDocumentShown()"), "0");
    EXPECT_EQ(run("var c = document.getElementById('content'); c.scrollTop = 3000; c.scrollTop"), "3000");
    // The block at the bottom of the view is laid out; blocks far below wait.
    EXPECT_EQ(run("var b = document.getElementById('paragraph').children; var h = b[1].offsetTop - b[0].offsetTop;"
                  "getComputedStyle(b[Math.ceil((3000 + document.getElementById('content').clientHeight) / h)])"
                  ".display"),
              "block");
    EXPECT_EQ(displayOfBlock(999), "none");
    EXPECT_EQ(run("isWholeDocumentShown()"), "0");
    // Past the end of the document: everything, and the end.
    EXPECT_EQ(run("var c = document.getElementById('content'); c.scrollTop = 1e7;"
                  "c.scrollTop + c.clientHeight >= c.scrollHeight - 1"),
              "1");
    EXPECT_EQ(run("isWholeDocumentShown()"), "1");
}

TEST_F(RichTextLongPageTest, whatNeedsNoMoreThanTheShownPartLeavesTheRestHeld)
{
    openPage(400);
    if (HasFatalFailure())
        return;
    run("document.execCommand('styleWithCSS', false, true)");
    run("var loose = document.createElement('div'); loose.innerHTML = '<b>x</b>'; loose.innerHTML + loose.innerText");
    run("document.getElementById('paragraph').children[3].innerHTML");
    run("document.getElementById('paragraph').children[3].scrollHeight");
    run("var r = document.createRange(); r.selectNodeContents(document.getElementById('paragraph').children[2]);"
        "getSelection().removeAllRanges(); getSelection().addRange(r)");
    EXPECT_EQ(run("isWholeDocumentShown()"), "0");
}

TEST_F(RichTextLongPageTest, theHeldBlocksComeOutInBatchesAndLeaveNothingBehind)
{
    openPage(400);
    if (HasFatalFailure())
        return;
    ASSERT_EQ(run("isWholeDocumentShown()"), "0");
    run("showHeldBlocksInBatches()");
    // Batches leave the page between them: a read in between may see them
    // under way, never the markup changed.
    ASSERT_TRUE(waitFor([&] { return run("isWholeDocumentShown()") == "1"; })) << "the batches did not finish";
    EXPECT_EQ(displayOfBlock(399), "block");
    EXPECT_EQ(run("document.getElementById('paragraph').innerHTML"), markup);
    // The page reads as any page once everything is out.
    EXPECT_EQ(run("/\\[native code\\]/.test(Object.getOwnPropertyDescriptor(Element.prototype, 'innerHTML').get)"),
              "1");
    EXPECT_EQ(run("/\\[native code\\]/.test(Document.prototype.execCommand)"), "1");
    EXPECT_EQ(run("/\\[native code\\]/.test(Selection.prototype.addRange)"), "1");
}

TEST_F(RichTextLongPageTest, theSelectionLibraryIsSetUpAtItsFirstUse)
{
    openPage(400);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run("rangy.initialized"), "0") << "not set up while the page loads";
    run("var t = document.getElementById('paragraph').children[1].firstChild;"
        "getSelection().collapse(t, 0)");
    run("rangy.getSelection().move('word', 1)");
    EXPECT_EQ(run("rangy.initialized"), "1");
    EXPECT_EQ(run("getSelection().anchorOffset"), "5") << "after the first word";
}

// Once the whole document is shown and has changed, the page serialises its
// blocks by itself, a few at a time, so that the first save after the change
// does not serialise them all at once; that save's answer is still the
// page's markup. A document only read keeps no markup.
TEST_F(RichTextLongPageTest, theBlocksAreSerialisedAheadOfTheFirstSaveOnceTheDocumentChanged)
{
    openPage(400);
    if (HasFatalFailure())
        return;
    // Counted below the long page's own guards, which stand on Element.
    run("window.blocksRead = 0; Object.defineProperty(HTMLElement.prototype, 'outerHTML', {configurable: true,"
        "get: function () { if (this.parentNode && this.parentNode.id === 'paragraph') ++blocksRead;"
        "return Object.getOwnPropertyDescriptor(Element.prototype, 'outerHTML').get.call(this); }})");
    run("showHeldBlocksInBatches()");
    ASSERT_TRUE(waitFor([&] { return run("isWholeDocumentShown()") == "1"; }));
    // A timer of the page's own, set longer than the page waits before it
    // starts serialising: the page's timers run in order, so once it has
    // fired, a serialising the page had started would have begun.
    run("window.pastFirstFill = false; setTimeout(function () { window.pastFirstFill = true; }, 1000)");
    ASSERT_TRUE(waitFor([&] { return run("window.pastFirstFill ? '1' : '0'") == "1"; }));
    EXPECT_EQ(run("blocksRead"), "0") << "a document not changed kept its markup";

    run("var t = document.getElementById('paragraph').children[200].firstChild;"
        "getSelection().collapse(t, t.length); document.execCommand('insertText', false, '!')");
    ASSERT_TRUE(waitFor([&] { return run("blocksRead >= 400") == "1"; })) << run("blocksRead");
    run("blocksRead = 0; var a = folioEditorContent(false);"
        "window.answerBody = a.substring(a.indexOf('\\n') + 1)");
    EXPECT_EQ(run("blocksRead"), "0") << "the first save serialised blocks again";
    EXPECT_EQ(run("answerBody === document.getElementById('content').innerHTML"), "1");
    EXPECT_NE(run("answerBody").find("Block 399</div>"), std::string::npos);
    EXPECT_NE(run("answerBody").find("Block 200!</div>"), std::string::npos);
}

// A save's answer longer than a slice comes over in slices joined from the
// blocks' kept markup: put together they are the page's markup, with a
// character outside the BMP across a slice's edge, and again after an edit.
TEST_F(RichTextLongPageTest, aLongAnswerComesWholeThroughSlicesOfTheKeptBlocks)
{
    openPage(400);
    if (HasFatalFailure())
        return;
    // The answer's first slice ends 2^20 units in: the pair's first half is
    // put just before that edge, in a block of its own after the first few.
    const std::string json = run("var a = folioEditorContent(false); a.charCodeAt(0) === 1 ? '' : a.split('\\n')[0]");
    ASSERT_FALSE(json.empty());
    const std::string fill = "var b = document.getElementById('paragraph').children[10]; b.textContent = 'x'.repeat(n)"
                             " + '\\uD83D\\uDE00' + ' after';"
                             "for (var i = 20; i < 400; ++i) document.getElementById('paragraph').children[i]"
                             ".textContent = 'Block ' + i + ' ' + '\\u00E9 words'.repeat(800);";
    run("var n = 1000;" + fill);
    const long at = std::stol(run("String(document.getElementById('content').innerHTML.indexOf('\\uD83D'))"));
    const long edge = (1L << 20) - 1 - long(json.size()) - 1;
    run("var n = " + std::to_string(1000 + edge - at) + ";" + fill);
    ASSERT_EQ(run("String(document.getElementById('content').innerHTML.indexOf('\\uD83D'))"), std::to_string(edge));

    PageConnection connection{view.get()};
    for (const char* edit : {"", "document.getElementById('paragraph').children[300].textContent = 'Edited';"}) {
        SCOPED_TRACE(edit);
        run(edit);
        const std::string body = run("document.getElementById('content').innerHTML");
        ASSERT_GT(body.size(), 2u << 20);
        Result<PageContent::Reply> reply = PageContent::fetch(connection, EditorContent::Parts::Document);
        ASSERT_TRUE(reply.ok()) << reply.error().message;
        EXPECT_EQ(reply->content.bodyHTML.size(), body.size());
        EXPECT_TRUE(reply->content.bodyHTML == body) << "the slices put together are not the page's markup";
        EXPECT_NE(reply->content.bodyHTML.find("\U0001F600 after"), std::string::npos);
    }
}

} // namespace
} // namespace folio
