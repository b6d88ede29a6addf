#include "platform/foundation/ScriptLiteral.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

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

} // namespace
} // namespace folio
