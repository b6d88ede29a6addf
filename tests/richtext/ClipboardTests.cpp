#include "foundation/files/TEWebArchive.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/View.h"
#include "platform/web/FakeWebView.h"
#include "richtext/ScriptLiteralReader.h"
#include "support/VirtualClock.h"
#include "webeditor/ClipboardCommander.h"
#include "webeditor/ClipboardHTML.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

#include <fstream>

namespace folio {
namespace {

Image::Pointer picture(int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 0x80);
    return Image::imageWithPixels(width, height, std::move(pixels)).value();
}

class ClipboardTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        ProgressHUD::show();
        // The page answers every read on the next turn of the loop.
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
    }
    void TearDown() override { ProgressHUD::dismiss(); }

    ClipboardCommander::Host host()
    {
        ClipboardCommander::Host h;
        h.documentIsDirty = [this] { ++dirtyCount; };
        h.biggestFontSize = [] { return 17; };
        h.insertImage = [this](const Image::Pointer& image, bool autoResize) {
            inserted.push_back({image->size(), autoResize});
        };
        h.documentTitle = [] { return std::string("Notes"); };
        h.updateWordCounter = [this] { ++wordCounts; };
        h.updatePageUpDownControl = [this] { ++pageControls; };
        h.updateContextualMenu = [this] { ++menus; };
        return h;
    }

    void putItem(PasteboardItem item) { pasteboard.setItems({std::move(item)}); }
    void putArchive(const std::string& html, const std::string& plain)
    {
        PasteboardItem item;
        item[kPasteboardTypeWebArchive] =
            ClipboardCommander::webArchiveForHTML(html).data().value();
        item[kPasteboardTypeUTF8PlainText] = std::vector<std::uint8_t>(plain.begin(), plain.end());
        putItem(std::move(item));
    }

    // The HTML each insertion hands the page, read back from its literal.
    std::vector<std::string> insertions() const
    {
        std::vector<std::string> found;
        for (const std::string& script : view.scriptsMatching("insertHTML")) {
            std::optional<std::string> html = test::scriptLiteralAfter(script, "'insertHTML', false, ");
            EXPECT_TRUE(html.has_value()) << "not one literal: " << script;
            if (html)
                found.push_back(*html);
        }
        return found;
    }
    struct Insert {
        Size size;
        bool autoResize;
    };
    int dirtyCount = 0;
    int wordCounts = 0;
    int pageControls = 0;
    int menus = 0;
    std::vector<Insert> inserted;
    NotificationCenter center;
    Pasteboard pasteboard{center};
    FakeWebView view;
    PageConnection page{&view};
    ClipboardCommander clipboard{page, pasteboard, host()};
};

// --- copy and cut ------------------------------------------------------------

TEST_F(ClipboardTest, copyPutsOneItemWithTheArchiveItsFiveKeysTheTextAndHTML)
{
    view.answer("window.getSelection().toString()", "Hello world");
    view.answer("getSelectionHtml()", "<b>Hello</b> world");
    pasteboard.setString(u"old");
    clipboard.copySelection();

    ASSERT_EQ(pasteboard.numberOfItems(), 1u);
    EXPECT_EQ(pasteboard.string(), std::optional<std::u16string>(u"Hello world"));
    std::optional<std::vector<std::uint8_t>> html = pasteboard.dataForPasteboardType(kPasteboardTypeHTML);
    ASSERT_TRUE(html);
    EXPECT_EQ(std::string(html->begin(), html->end()), "<b>Hello</b> world");

    std::optional<std::vector<std::uint8_t>> bytes = pasteboard.dataForPasteboardType(kPasteboardTypeWebArchive);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 5), "<?xml") << "an XML property list";
    Result<PropertyList> archive = PropertyList::fromData(*bytes);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->keys(), std::vector<std::string>{"WebMainResource"});
    const PropertyList* resource = archive->objectForKey("WebMainResource");
    ASSERT_NE(resource, nullptr);
    std::vector<std::string> keys = resource->keys();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"WebResourceData", "WebResourceFrameName", "WebResourceMIMEType",
                                              "WebResourceTextEncodingName", "WebResourceURL"}));
    EXPECT_EQ(*resource->objectForKey("WebResourceFrameName")->stringValue(), "");
    EXPECT_EQ(*resource->objectForKey("WebResourceMIMEType")->stringValue(), "text/html");
    EXPECT_EQ(*resource->objectForKey("WebResourceTextEncodingName")->stringValue(), "UTF-8");
    EXPECT_EQ(*resource->objectForKey("WebResourceURL")->stringValue(), "about:blank");
    const Data* data = resource->objectForKey("WebResourceData")->dataValue();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data->vector().begin(), data->vector().end()), "<b>Hello</b> world");

    // The pasteboard's own reader finds the same archive.
    std::optional<TEWebArchive> read = TEWebArchive::webArchiveFromPasteboard(pasteboard);
    ASSERT_TRUE(read && read->mainResource());
    EXPECT_EQ(read->mainResource()->MIMEType, "text/html");

    EXPECT_TRUE(view.scriptsMatching("execCommand\\('delete'").empty()) << "copy deletes nothing";
    EXPECT_EQ(dirtyCount, 0);
}

TEST_F(ClipboardTest, cutDeletesAfterCopyingAndNothingSelectedLeavesTheClipboard)
{
    pasteboard.setString(u"kept");
    clipboard.cutSelection();
    EXPECT_EQ(pasteboard.string(), std::optional<std::u16string>(u"kept"));
    EXPECT_TRUE(view.scriptsMatching("execCommand\\('delete'").empty());

    view.answer("window.getSelection().toString()", "gone");
    view.answer("getSelectionHtml()", "gone");
    clipboard.cutSelection();
    EXPECT_EQ(pasteboard.string(), std::optional<std::u16string>(u"gone"));
    EXPECT_EQ(view.scriptsMatching("execCommand\\('delete', false, null\\)").size(), 1u);
    EXPECT_EQ(dirtyCount, 0) << "the page reports the deletion itself";
}

TEST_F(ClipboardTest, copiedHTMLLeavesForOtherProgramsWithoutAnythingThatRuns)
{
    view.answer("window.getSelection().toString()", "Hi");
    view.answer("getSelectionHtml()", "<b onclick=\"steal()\">Hi</b><script>steal()</script>");
    clipboard.copySelection();
    std::optional<std::vector<std::uint8_t>> html = pasteboard.dataForPasteboardType(kPasteboardTypeHTML);
    ASSERT_TRUE(html);
    std::string text(html->begin(), html->end());
    EXPECT_EQ(text.find("steal"), std::string::npos) << text;
    EXPECT_NE(text.find("<b>Hi</b>"), std::string::npos) << text;
}

// --- rich paste ----------------------------------------------------------------

TEST_F(ClipboardTest, richPasteOfAWholePageInsertsItsPlainTextFlattenedAndLinked)
{
    putArchive("<!DOCTYPE html><html><body><script>x()</script><p>Markup</p></body></html>",
               "Read https://example.org/a?b=1 & more\nnext <b>");
    view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "\"Georgia\"");
    view.answer("document.queryCommandValue('foreColor')", "rgb(1, 2, 3)");
    clipboard.pasteRichText2();

    std::vector<std::string> html = insertions();
    ASSERT_EQ(html.size(), 1u);
    EXPECT_EQ(html[0].find("Markup"), std::string::npos) << "the page's markup does not go in";
    EXPECT_NE(html[0].find("<span style=\"font-family:Georgia;font-size: 17px; color: rgb(1, 2, 3);\">"),
              std::string::npos)
        << html[0];
    EXPECT_NE(html[0].find("Read <a href=\"https://example.org/a?b=1\" class=\"linkified\">"
                           "https://example.org/a?b=1</a> &amp; more<br>next"),
              std::string::npos)
        << html[0];
    EXPECT_EQ(html[0].find("<b>"), std::string::npos) << "the text's own brackets stay text";
    EXPECT_EQ(wordCounts, 1);
    EXPECT_EQ(pageControls, 1);
    EXPECT_FALSE(ProgressHUD::isVisible());
}

TEST_F(ClipboardTest, richPasteOfCopiedHTMLKeepsItsFormattingAndDropsObjectsAndScripts)
{
    putArchive("<p style=\"color:red\">It's <b>bold</b> \\ back<object data=\"x.swf\">fallback</object>"
               "<script>alert(1)</script><img src=\"javascript:alert(2)\" onerror=\"alert(3)\"></p>",
               "ignored");
    view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "Helvetica");
    view.answer("document.queryCommandValue('foreColor')", "rgb(0, 0, 0)");
    clipboard.pasteRichText();

    std::vector<std::string> html = insertions();
    ASSERT_EQ(html.size(), 1u);
    const std::string& h = html[0];
    EXPECT_NE(h.find("font-family:Helvetica;font-size: 17px; color: rgb(0, 0, 0);"), std::string::npos) << h;
    EXPECT_NE(h.find("<b>bold</b>"), std::string::npos) << h;
    EXPECT_NE(h.find("It"), std::string::npos) << h;
    EXPECT_NE(h.find("color:red"), std::string::npos) << h;
    for (const char* gone : {"object", "fallback", "script", "alert", "onerror", "javascript"})
        EXPECT_EQ(h.find(gone), std::string::npos) << gone << " in " << h;
    // The apostrophe and backslash reach the page as characters, whichever way
    // the markup writes them.
    EXPECT_TRUE(h.find("It's") != std::string::npos || h.find("It&#39;s") != std::string::npos ||
                h.find("It&#039;s") != std::string::npos)
        << h;
    EXPECT_TRUE(h.find(" \\ back") != std::string::npos || h.find("&#92;") != std::string::npos) << h;
}

TEST_F(ClipboardTest, richPasteTakesHTMLFromAnotherProgramWhenThereIsNoArchive)
{
    std::string html = "<meta charset=\"utf-8\"><i>from the browser</i><iframe src=\"http://x.example\"></iframe>";
    PasteboardItem item;
    item[kPasteboardTypeHTML] = std::vector<std::uint8_t>(html.begin(), html.end());
    item[kPasteboardTypeUTF8PlainText] = {'t'};
    putItem(std::move(item));
    clipboard.pasteRichText2();
    std::vector<std::string> inserted = insertions();
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_NE(inserted[0].find("<i>from the browser</i>"), std::string::npos) << inserted[0];
    EXPECT_EQ(inserted[0].find("iframe"), std::string::npos) << inserted[0];
    EXPECT_EQ(inserted[0].find("meta"), std::string::npos) << inserted[0];
}

TEST_F(ClipboardTest, richPasteReadsWideHTMLAndSendsLineBreaksInsideTheLiteral)
{
    std::u16string wide = u"<p>first\nsecond\u2028third</p>";
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    for (char16_t unit : wide) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    PasteboardItem item;
    item[kPasteboardTypeHTML] = bytes;
    putItem(std::move(item));
    clipboard.pasteRichText2();

    std::vector<std::string> scripts = view.scriptsMatching("insertHTML");
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0].find('\n'), std::string::npos);
    EXPECT_EQ(scripts[0].find("\u2028"), std::string::npos) << "no raw separator ends the script's line";
    std::vector<std::string> html = insertions();
    ASSERT_EQ(html.size(), 1u);
    EXPECT_NE(html[0].find("<p>first\nsecond\u2028third</p>"), std::string::npos) << html[0];
}

TEST_F(ClipboardTest, richPasteOfAPictureFitsItInto650Points)
{
    ASSERT_TRUE(pasteboard.setImage(*picture(1300, 400)));
    clipboard.pasteRichText2();
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0].size, (Size{650, 200}));
    EXPECT_FALSE(inserted[0].autoResize);
    EXPECT_TRUE(insertions().empty());

    // A small picture keeps its size.
    ASSERT_TRUE(pasteboard.setImage(*picture(40, 30)));
    clipboard.pasteRichText2();
    ASSERT_EQ(inserted.size(), 2u);
    EXPECT_EQ(inserted[1].size, (Size{40, 30}));
}

TEST_F(ClipboardTest, richPasteOfPlainTextGoesThroughTheWriterEscaped)
{
    pasteboard.setString(u"a < b & 'c' \\ d\n<script>x()</script>");
    clipboard.pasteRichText2();
    std::vector<std::string> html = insertions();
    ASSERT_EQ(html.size(), 1u);
    EXPECT_EQ(html[0].rfind("<span style=\"font-size: 17px;\">", 0), 0u) << "the caret's size: " << html[0];
    EXPECT_NE(html[0].find("a &lt; b &amp; "), std::string::npos) << html[0];
    EXPECT_EQ(html[0].find("<script"), std::string::npos) << html[0];
    EXPECT_NE(html[0].find("&lt;script&gt;"), std::string::npos) << html[0];
}

// The page drops blanks at the ends of what it inserts; those of the
// clipboard's text stand in spans that keep them, also inside the lines the
// writer makes of it, and text without such blanks goes in as it was.
TEST(ClipboardHTMLTest, plainInsertionKeepsTheBlanksAtTheTextsEnds)
{
    const std::string keeper = "<span style=\"white-space:pre-wrap;\">";
    EXPECT_EQ(ClipboardHTML::plainInsertionSpan(u"<div> Kilo  Lima </div><div>x  </div>", std::nullopt),
              "<span><div>" + keeper + " </span>Kilo  Lima </div><div>x" + keeper + "  </span></div></span>");
    EXPECT_EQ(ClipboardHTML::plainInsertionSpan(u" a&lt;b", std::nullopt), "<span>" + keeper + " </span>a&lt;b</span>");
    EXPECT_EQ(ClipboardHTML::plainInsertionSpan(u"<div>  </div>", std::nullopt),
              "<span><div>" + keeper + "  </span></div></span>");
    EXPECT_EQ(ClipboardHTML::plainInsertionSpan(u"<div>Kilo</div>", std::nullopt), "<span><div>Kilo</div></span>");
    EXPECT_EQ(ClipboardHTML::plainInsertionSpan(u"", std::nullopt), "<span></span>");
}

// Pasted plain text takes the size of the text at the caret; a size the
// page could not tell leaves it to the page.
TEST(ClipboardHTMLTest, plainInsertionTakesTheCaretsSizeWhenThereIsOne)
{
    EXPECT_EQ(ClipboardHTML::plainInsertionSpan(u"Kilo ", 32),
              "<span style=\"font-size: 32px;\">Kilo<span style=\"white-space:pre-wrap;\"> </span></span>");
    EXPECT_EQ(ClipboardHTML::plainInsertionSpan(u"Kilo", 0), "<span>Kilo</span>");
    EXPECT_EQ(ClipboardHTML::plainInsertionSpan(u"Kilo", -3), "<span>Kilo</span>");
}

TEST_F(ClipboardTest, pasteOfAnEmptyPasteboardInsertsNothingButStillRefreshes)
{
    clipboard.paste();
    EXPECT_TRUE(insertions().empty());
    EXPECT_TRUE(inserted.empty());
    EXPECT_EQ(wordCounts, 1);
    EXPECT_EQ(pageControls, 1);
    EXPECT_FALSE(ProgressHUD::isVisible());
}

// --- plain paste -----------------------------------------------------------------

TEST_F(ClipboardTest, plainPasteEscapesAndSurvivesLineFeedsSeparatorsAndQuotes)
{
    pasteboard.setString(u"x\\y <i>\"q\" 'a'\r\nline\u2028two </script>\uFEFF[\U0001F4AC]end");
    clipboard.paste2();
    std::vector<FakeWebView::ScriptCall> calls;
    for (const FakeWebView::ScriptCall& call : view.scripts()) {
        if (call.script.find("insertHTML") != std::string::npos)
            calls.push_back(call);
    }
    ASSERT_EQ(calls.size(), 1u);
    const std::string& script = calls[0].script;
    EXPECT_EQ(script.find('\n'), std::string::npos);
    EXPECT_EQ(script.find("\u2028"), std::string::npos);
    EXPECT_EQ(script.find("</script"), std::string::npos);
    std::optional<std::string> html = test::scriptLiteralAfter(script, "'insertHTML', false, ");
    ASSERT_TRUE(html);
    EXPECT_EQ(html->rfind("<span style=\"font-size: 17px;\">x\\y &lt;i&gt;", 0), 0u)
        << "in the caret's size, one backslash, brackets escaped: " << *html;
    EXPECT_EQ(html->find("<i>"), std::string::npos);
    EXPECT_NE(html->find("<br><br>line\u2028two &lt;/script&gt;end</span>"), std::string::npos) << *html;
    EXPECT_EQ(html->find("\U0001F4AC"), std::string::npos) << "the comment marker goes";
    EXPECT_EQ(html->find("\"q\""), std::string::npos) << "quotes are escaped";
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(dirtyCount, 0);

    // The page up/down control follows 0.4 s later.
    loop.advanceVirtualClock(0.39);
    EXPECT_EQ(pageControls, 0);
    loop.advanceVirtualClock(0.02);
    EXPECT_EQ(pageControls, 1);
}

TEST_F(ClipboardTest, plainPasteOfAPictureInsertsItAndMarksTheDocument)
{
    ASSERT_TRUE(pasteboard.setImage(*picture(100, 1300)));
    clipboard.paste2();
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0].size, (Size{50, 650}));
    EXPECT_EQ(dirtyCount, 1);
    EXPECT_TRUE(insertions().empty());
}

// --- drop --------------------------------------------------------------------------

TEST_F(ClipboardTest, dragsOfTextMarkTheDocumentAndJPEGDropsInsertAutoResized)
{
    View pageView;
    clipboard.prepareWebViewText(pageView);
    EXPECT_EQ(pageView.dropDelegate(), &clipboard);

    DropSession pictureOnly{{DropItem{{"public.png"}, {}}}};
    EXPECT_FALSE(clipboard.dropInteractionCanHandleSession(pictureOnly));
    EXPECT_EQ(dirtyCount, 0);
    DropSession text{{DropItem{{"public.png"}, {}}, DropItem{{"public.text"}, {}}}};
    EXPECT_TRUE(clipboard.dropInteractionCanHandleSession(text));
    EXPECT_EQ(dirtyCount, 1) << "marked even if the drop is then cancelled";
    DropSession rich{{DropItem{{ClipboardCommander::kRichContentPasteType}, {}}}};
    EXPECT_TRUE(clipboard.dropInteractionCanHandleSession(rich));

    EXPECT_FALSE(clipboard.latestDropProposal());
    EXPECT_EQ(clipboard.dropInteractionSessionDidUpdate(text).operation, DropOperation::Copy);
    ASSERT_TRUE(clipboard.latestDropProposal());
    EXPECT_EQ(clipboard.latestDropProposal()->operation, DropOperation::Copy);

    test::ScratchFolder scratch;
    std::string photo = scratch.file("photo.jpg");
    std::vector<std::uint8_t> jpeg = picture(900, 700)->jpegData(0.9).value();
    std::ofstream(photo, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
    std::string notPicture = scratch.file("fake.jpg");
    std::ofstream(notPicture) << "not a picture";

    std::vector<std::string> asked;
    auto loader = [&asked](std::string path) {
        return [&asked, path](const std::string& type) -> std::optional<std::string> {
            asked.push_back(type);
            return path;
        };
    };
    DropSession drop{{DropItem{{"public.jpeg"}, loader(notPicture)}, DropItem{{"public.png"}, loader(photo)},
                      DropItem{{"public.jpeg"}, loader(photo)}, DropItem{{"public.jpeg"}, [](const std::string&) {
                                                                    return std::optional<std::string>();
                                                                }}}};
    EXPECT_TRUE(clipboard.dropInteractionPerformDrop(drop)) << "the JPEG picture was taken";
    EXPECT_EQ(asked, (std::vector<std::string>{"public.jpeg", "public.jpeg"})) << "only JPEG items are loaded";
    ASSERT_EQ(inserted.size(), 1u) << "a file without a picture inserts nothing";
    EXPECT_EQ(inserted[0].size, (Size{900, 700}));
    EXPECT_TRUE(inserted[0].autoResize);

    // Nothing the page takes: the drop is refused and nothing goes in.
    DropSession untaken{{DropItem{{"public.jpeg"}, loader(notPicture)}, DropItem{{"public.png"}, loader(photo)}}};
    EXPECT_FALSE(clipboard.dropInteractionPerformDrop(untaken));
    EXPECT_EQ(inserted.size(), 1u);
}

// What another program dropped, as the page describes it, goes in as a paste
// of the same content would; a description the page could not have meant
// inserts nothing and changes nothing.
TEST_F(ClipboardTest, aDropGoesInAsThePasteOfTheSameContentAndAnUnreadableOneInsertsNothing)
{
    putArchive("<p data-note=\"1\">Kilo <b>Lima</b><img src=\"http://elsewhere/x.png\" onerror=\"run()\"></p>",
               "Kilo Lima");
    clipboard.pasteRichText();
    ASSERT_EQ(insertions().size(), 1u);
    const std::string pasted = insertions()[0];

    EXPECT_TRUE(clipboard.dropDescribedByPage(R"({"html":"<p data-note=\"1\">Kilo <b>Lima</b>)"
                                              R"(<img src=\"http://elsewhere/x.png\" onerror=\"run()\"></p>",)"
                                              R"("text":"Kilo Lima"})"));
    ASSERT_EQ(insertions().size(), 2u);
    EXPECT_EQ(insertions()[1], pasted);
    EXPECT_NE(pasted.find("<b>Lima</b>"), std::string::npos) << pasted;
    for (const char* hostile : {"onerror", "elsewhere"})
        EXPECT_EQ(pasted.find(hostile), std::string::npos) << pasted;
    EXPECT_EQ(dirtyCount, 1);

    EXPECT_TRUE(clipboard.dropDescribedByPage(R"({"html":"","text":"1 < 2"})"));
    ASSERT_EQ(insertions().size(), 3u);
    EXPECT_NE(insertions()[2].find("1 &lt; 2"), std::string::npos) << insertions()[2];
    EXPECT_EQ(dirtyCount, 2);

    for (const char* unreadable : {"", "not a description", "[\"Kilo\"]", "{}", R"({"html":7,"text":null})"})
        EXPECT_FALSE(clipboard.dropDescribedByPage(unreadable)) << unreadable;
    EXPECT_EQ(insertions().size(), 3u);
    EXPECT_EQ(dirtyCount, 2);
}

// --- flattenHTML and linkify --------------------------------------------------------

TEST(ClipboardHTMLTest, flattenHTMLTurnsBlocksIntoBreaksAndTagsIntoBlanks)
{
    EXPECT_EQ(ClipboardHTML::flattenHTML(u"<p>One</p><p>Two</p>"), u"One<br><br> Two<br><br>");
    EXPECT_EQ(ClipboardHTML::flattenHTML(u"<div>a</div><div>b</div>"), u"a<br> b<br>");
    EXPECT_EQ(ClipboardHTML::flattenHTML(u"<ul><li>x</li><li>y</li></ul>"), u"<br><br> x <br><br> y");
    EXPECT_EQ(ClipboardHTML::flattenHTML(u"a<br class=\"Apple-interchange-newline\">b<br/>c<br>d"),
              u"a<br><br>b<br><br>c<br><br>d");
    EXPECT_EQ(ClipboardHTML::flattenHTML(u"\tFish & chips <3\t"), u"Fish &amp; chips &lt;3");
    EXPECT_EQ(ClipboardHTML::flattenHTML(u"caf\u00e9 \u2013 ok\r"), u"caf&eacute; &ndash; ok<br>");
    EXPECT_EQ(ClipboardHTML::flattenHTML(u"<span class=\"x\">in</span> out"), u"in  out");
    EXPECT_EQ(ClipboardHTML::flattenHTML(u""), u"");
}

TEST(ClipboardHTMLTest, linkifyLinksAddressesButNotAttributeValues)
{
    EXPECT_EQ(ClipboardHTML::stringByLinkifyingURLs(u"Visit http://example.com/a?b=1 now"),
              u"Visit <a href=\"http://example.com/a?b=1\" class=\"linkified\">http://example.com/a?b=1</a> now");
    EXPECT_EQ(ClipboardHTML::stringByLinkifyingURLs(u"See https://www.example.org/path."),
              u"See <a href=\"https://www.example.org/path\" class=\"linkified\">https://www.example.org/path</a>.");
    EXPECT_EQ(ClipboardHTML::stringByLinkifyingURLs(u"<a href=\"http://x.example\">t</a>"),
              u"<a href=\"http://x.example\">t</a>");
    EXPECT_EQ(ClipboardHTML::stringByLinkifyingURLs(u"http://localhost and ftp://a.example stay"),
              u"http://localhost and ftp://a.example stay");
    EXPECT_EQ(ClipboardHTML::stringByLinkifyingURLs(u"a http://a.b, b https://c.d"),
              u"a <a href=\"http://a.b\" class=\"linkified\">http://a.b</a>, b "
              u"<a href=\"https://c.d\" class=\"linkified\">https://c.d</a>");
}

// --- hostile HTML --------------------------------------------------------------------

// Known script-injection forms, written out by hand. None may reach the page
// in a form that runs, loads or styles anything from outside.
const char* const kHostileHTML[] = {
    "<script>alert(1)</script>",
    "<SCRIPT SRC=http://xss.example/x.js></SCRIPT>",
    "<scr<script>ipt>alert(1)</scr</script>ipt>",
    "<img src=x onerror=alert(1)>",
    "<IMG SRC=\"javascript:alert('XSS');\">",
    "<IMG SRC=JaVaScRiPt:alert('XSS')>",
    "<IMG SRC=&#106;&#97;&#118;&#97;&#115;&#99;&#114;&#105;&#112;&#116;&#58;&#97;&#108;&#101;&#114;&#116;&#40;&#39;&#88;&#83;&#83;&#39;&#41;>",
    "<IMG SRC=\"jav&#x09;ascript:alert('XSS');\">",
    "<a href=\"  javascript:alert(1)\">x</a>",
    "<a href=\"vbscript:msgbox(1)\">x</a>",
    "<a href=\"data:text/html;base64,PHNjcmlwdD5hbGVydCgxKTwvc2NyaXB0Pg==\">x</a>",
    "<body onload=alert(1)>",
    "<svg onload=alert(1)>",
    "<svg><script>alert(1)</script></svg>",
    "<svg><animate onbegin=alert(1) attributeName=x dur=1s>",
    "<iframe src=\"javascript:alert(1)\"></iframe>",
    "<iframe srcdoc=\"<script>alert(1)</script>\"></iframe>",
    "<object data=\"javascript:alert(1)\"></object>",
    "<embed src=\"javascript:alert(1)\">",
    "<meta http-equiv=\"refresh\" content=\"0;url=javascript:alert(1)\">",
    "<link rel=\"stylesheet\" href=\"http://xss.example/x.css\">",
    "<style>@import 'http://xss.example/x.css';</style>",
    "<style>body{background:url('javascript:alert(1)')}</style>",
    "<div style=\"background-image: url(javascript:alert(1))\">x</div>",
    "<div style=\"width: expression(alert(1));\">x</div>",
    "<template><script>alert(1)</script></template>",
    "<form action=\"javascript:alert(1)\"><input type=submit></form>",
    "<button formaction=\"javascript:alert(1)\">x</button>",
    "<details open ontoggle=alert(1)>",
    "<input autofocus onfocus=alert(1)>",
    "<video><source onerror=\"alert(1)\"></video>",
    "<math><mtext><table><mglyph><style><img src=x onerror=alert(1)></style></mglyph></table></mtext></math>",
    "<!--<img src=\"--><img src=x onerror=alert(1)//\">",
    "<base href=\"javascript:alert(1)//\">",
    "<a href=\"java\nscript:alert(1)\">x</a>",
    "<div onmouseover=\"alert(1)\" ONCLICK='alert(2)'>x</div>",
    "<p title=\"</p><script>alert(1)</script>\">x</p>",
};

bool containsFolded(std::string text, const std::string& needle)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text.find(needle) != std::string::npos;
}

TEST(ClipboardHTMLTest, hostileHTMLNeverReachesThePageInAFormThatRuns)
{
    ASSERT_GE(std::size(kHostileHTML), 30u);
    for (const char* hostile : kHostileHTML) {
        std::string html = ClipboardHTML::insertionSpan(ClipboardHTML::fragmentFromCopiedHTML(hostile), "Georgia",
                                                        16, "rgb(0, 0, 0)");
        for (const char* form : {"<script", "<iframe", "<object", "<embed", "<meta", "<link", "<style", "<template",
                                 "<base", "javascript:", "vbscript:", "data:text", "expression(", "@import",
                                 "http://xss"})
            EXPECT_FALSE(containsFolded(html, form)) << form << " survives " << hostile << " as " << html;
        // No event handler attribute: " on" followed by letters and "=" inside a tag.
        for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
            std::string tag = html.substr(at, html.find('>', at) - at);
            std::string lower = tag;
            std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
            for (std::size_t on = lower.find(" on"); on != std::string::npos; on = lower.find(" on", on + 1)) {
                std::size_t name = on + 3;
                while (name < lower.size() && std::isalpha(static_cast<unsigned char>(lower[name])))
                    ++name;
                EXPECT_FALSE(name < lower.size() && lower[name] == '=') << "handler in " << tag << " from " << hostile;
            }
        }
    }
}

TEST(ClipboardHTMLTest, theCaretStyleCannotBreakOutOfTheSpan)
{
    std::string html = ClipboardHTML::insertionSpan(u"x", "A\"><script>alert(1)</script>", 12,
                                                    "red;background:url(http://xss.example/p.png)");
    EXPECT_FALSE(containsFolded(html, "<script")) << html;
    EXPECT_FALSE(containsFolded(html, "http://xss")) << html;
    EXPECT_NE(html.find(">x</span>"), std::string::npos) << html;
}

} // namespace
} // namespace folio
