#include "platform/foundation/ScriptLiteral.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AlertController.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "support/OfferedHTMLClipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::writeFile;

// The rich-text page in a real window holds the document's content, and is
// an editor's page: it loads its own scripts and style sheet, the
// document's pictures and inline pictures, and nothing else of this
// machine's files.
class RichTextEditorPageWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextEditorPageWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-editor-page") {}

    static std::string pngFile(const std::string& path)
    {
        std::vector<std::uint8_t> png =
            *(*Image::imageWithPixels(30, 20, std::vector<std::uint8_t>(30 * 20 * 4, 0xC0)))->pngData();
        writeFile(path, std::string(png.begin(), png.end()));
        return std::string(png.begin(), png.end());
    }

    // The width a picture of that source shows at in the page once it has
    // loaded or failed; "" when it never settles.
    std::string shownWidth(const std::string& source)
    {
        run("(function(){var i=new Image();i.id='probe';i.src=" + ScriptLiteral::quote(source)
            + ";document.body.appendChild(i);})()");
        std::string width;
        waitFor([&] {
            width = run("(function(){var i=document.getElementById('probe');"
                        "return i.complete?String(i.naturalWidth):'';})()");
            return !width.empty();
        });
        run("document.getElementById('probe').remove()");
        return width;
    }
};

TEST_F(RichTextEditorPageWindowTest, thePageLoadsItsOwnFilesAndTheDocumentsPicturesAndNoOtherFile)
{
    const std::string path = folder.path("Picture.rtf");
    std::string hex;
    for (unsigned char c : pngFile(folder.path("inside.png")))
        hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 Before {\\pict\\pngblip\\picw30\\pich20 " + hex
                        + "} after\\par}");
    const std::string outside = folder.path("outside.png");
    pngFile(outside);
    open(path);
    if (HasFatalFailure())
        return;

    // Its own style sheet, read by its own scripts.
    EXPECT_NE(run("Array.prototype.some.call(document.styleSheets,function(s){"
                  "return /richtext-page\\.css$/.test(s.href||'')&&s.cssRules.length>0})"),
              "0")
        << "the page's style sheet did not load";
    // The document's picture, as the page was given it.
    ASSERT_TRUE(waitFor([&] {
        return run("(function(){var i=document.querySelector('#content img');"
                   "return !!i&&i.complete&&i.naturalWidth>0})()") == "1";
    })) << "the document's picture does not show";
    EXPECT_EQ(shownWidth("data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQG"
                         "AhKmMIQAAAABJRU5ErkJggg=="),
              "1");

    // A picture elsewhere on this machine, by its file URL or read by script.
    EXPECT_EQ(shownWidth(URL::fileURLWithPath(outside).absoluteString()), "0");
    EXPECT_EQ(run("(function(){try{var r=new XMLHttpRequest();r.open('GET',"
                  + ScriptLiteral::quote(URL::fileURLWithPath(outside).absoluteString())
                  + ",false);r.send();return String(r.responseText.length)}catch(e){return 'refused'}})()"),
              "refused");
}

// Pictures pasted by their files: one of the document's own pictures stays
// and is saved; one elsewhere on this machine is neither shown nor saved,
// and the paste says so; the words around them come in either way.
TEST_F(RichTextEditorPageWindowTest, aPastedPictureOfAFileOutsideTheDocumentIsLeftOutWithAWord)
{
    const std::string path = folder.path("Paste.rtf");
    std::string hex;
    for (unsigned char c : pngFile(folder.path("inside.png")))
        hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 Before {\\pict\\pngblip\\picw30\\pich20 " + hex
                        + "} after\\par}");
    const std::string outside = folder.path("outside.png");
    pngFile(outside);
    open(path);
    if (HasFatalFailure())
        return;
    const std::string own = run("document.querySelector('#content img').getAttribute('src')");
    ASSERT_FALSE(own.empty()) << "the document's picture names no file";

    press(GDK_KEY_End, GDK_CONTROL_MASK);
    {
        test::OfferedHTMLClipboard offered{
            "Kilo <img class=\"outside\" src=\"" + URL::fileURLWithPath(outside).absoluteString() + "\"> Lima "
                "<img class=\"outside\" src=\"" + outside + "\"> Mike <img class=\"own\" src=\"" + own + "\"> November",
            "Kilo Lima Mike November"};
        ASSERT_TRUE(offered.offer());
        GtkPresenter::processPendingEvents();
        press(GDK_KEY_v, GDK_CONTROL_MASK);
        ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("November")
                                             != std::string::npos; }))
            << "the paste did not reach the page";
    }
    EXPECT_EQ(run("document.querySelectorAll('#content img.outside').length"), "0");
    ASSERT_TRUE(waitFor([&] {
        return run("(function(){var i=document.querySelector('#content img.own');"
                   "return !!i&&i.complete&&i.naturalWidth>0})()") == "1";
    })) << "the document's own picture was not pasted";
    auto alert = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
    ASSERT_NE(alert, nullptr) << "nothing said that pictures were left out";
    EXPECT_EQ(alert->title(), u"Pictures Not Pasted");
    editor->dismissViewControllerAnimated(false);

    type(" Oscar");
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("Oscar")
                                     != std::string::npos; }));
    ASSERT_TRUE(save());
    const std::string rtf = testing_support::readFile(path);
    std::size_t pictures = 0;
    for (std::size_t at = rtf.find("\\pict"); at != std::string::npos; at = rtf.find("\\pict", at + 1))
        ++pictures;
    EXPECT_EQ(pictures, 2u) << "the document's picture and its pasted copy, no other";
    for (const char* word : {"Kilo", "Lima", "Mike", "November", "Oscar"})
        EXPECT_NE(rtf.find(word), std::string::npos) << word;
}

} // namespace
} // namespace folio
