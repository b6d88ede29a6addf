#include "webeditor/WebPageFixture.h"

#include "webeditor/PageContent.h"

namespace folio {
namespace {

// A QV-style page: TinyMCE 6 from the installed components, with the plugins
// the QV pages ask for, and the helper library working on TinyMCE's iframe.
using PageComponentsTest = test::WebPageFixture;

TEST_F(PageComponentsTest, tinyMCEBootsFromInstalledComponentsWithoutNetwork)
{
    std::string html
        = "<!DOCTYPE html><html><head><meta charset='UTF-8'>" + scriptTag(PageResources::componentURL("tinymce/tinymce.min.js"))
        + scriptTag(PageResources::helperLibraryURL())
        + "<script>tinymce.init({selector: '#mytextarea', menubar: false, toolbar: false, statusbar: false,"
          "promotion: false, branding: false,"
          "plugins: 'autoresize advlist link lists nonbreaking pagebreak searchreplace image directionality "
          "codesample anchor autolink insertdatetime table wordcount media',"
          "content_style: \"body { font-size: 14pt; font-family: 'Helvetica'; }\","
          "setup: function (editor) { editor.on('init', function () {"
          "folioAttachEditor(editor.getDoc(), {contentId: '', events: false,"
          " selectedPictureId: 'imageSelected_555', releasedPictureId: 'imageSelected_444'});"
          "window.webkit.messageHandlers.rte.postMessage('rte://DOMLoaded'); }); }});</script>"
          "</head><body><textarea id='mytextarea'><p>Hello fox <b>and</b> fox</p></textarea></body></html>";
    load(html, "file:///folio-qv-page-test/");
    ASSERT_TRUE(waitForMessage("rte://DOMLoaded")) << "TinyMCE did not start";

    EXPECT_EQ(run("tinymce.majorVersion + '.' + tinymce.minorVersion.split('.')[0]"), "6.8");
    EXPECT_EQ(run("tinymce.activeEditor.getContent()"), "<p>Hello fox <strong>and</strong> fox</p>");
    // Every plugin and the skin came from the installed files.
    EXPECT_EQ(run("Object.keys(tinymce.activeEditor.plugins).length"), "16");
    // Every script and style sheet of the page and of the editing frame is an
    // installed file, and the skin did load.
    EXPECT_EQ(run("var docs = [document, tinymce.activeEditor.getDoc()]; var urls = [];"
                  "docs.forEach(d => d.querySelectorAll('script[src], link[href]').forEach("
                  "e => urls.push(e.src || e.href))); urls.length > 3 && urls.every(u => u.startsWith('file:'))"),
              "1");
    EXPECT_EQ(run("Array.from(document.styleSheets).some(s => s.href && s.href.endsWith('skin.min.css')"
                  " && s.cssRules.length > 100)"),
              "1");
    // The helpers work on the editing iframe's document.
    run("var body = tinymce.activeEditor.getBody(); var r = tinymce.activeEditor.getDoc().createRange();"
        "r.setStart(body.querySelector('p').firstChild, 2); r.collapse(true);"
        "tinymce.activeEditor.selection.setRng(r)");
    EXPECT_EQ(run("getCurrentFontSize()"), "19") << "14pt in whole pixels";
    run("JSL.main()");
    EXPECT_EQ(run("JSL.setKW('fox')"), "2");
    run("JSL.next(1, true)");
    EXPECT_EQ(run("tinymce.activeEditor.selection.getContent({format: 'text'})"), "fox");
    EXPECT_EQ(run("tinymce.activeEditor.getContent()"), "<p>Hello fox <strong>and</strong> fox</p>");

    // The content call answers TinyMCE's content and the editing body's own
    // style, in one reply the editor reads.
    run("tinymce.activeEditor.getBody().setAttribute('style', 'margin-top: 2cm; background-color: rgb(245, 239, 220);"
        " font-family: \"Times New Roman\"')");
    Result<PageContent::Reply> reply = PageContent::read(run(PageContent::script(EditorContent::Parts::WithPlainText)));
    ASSERT_TRUE(reply.ok()) << reply.error().message;
    EXPECT_EQ(reply->content.bodyHTML, "<p>Hello fox <strong>and</strong> fox</p>");
    EXPECT_EQ(reply->content.bodyStyle,
              "margin-top: 2cm; background-color: rgb(245, 239, 220); font-family: \"Times New Roman\"");
    EXPECT_EQ(reply->content.paperColor, "F5EFDC");
    EXPECT_EQ(reply->content.plainText, u"Hello fox and fox");
    EXPECT_FALSE(reply->wrapperOpening.has_value());
}

// The outline page's tree runs on jQuery UI's sortable lists.
TEST_F(PageComponentsTest, jQueryUISortableLoadsFromInstalledComponents)
{
    load("<html><head>" + scriptTag(PageResources::componentURL("jquery/dist/jquery.min.js"))
             + scriptTag(PageResources::componentURL("jquery-ui/dist/jquery-ui.min.js"))
             + "</head><body><ul id='tree'><li>one</li><li>two</li></ul></body></html>",
         "file:///folio-outline-page-test/");
    EXPECT_EQ(run("jQuery.fn.jquery.split('.')[0]"), "3");
    EXPECT_EQ(run("$('#tree').sortable(); $('#tree').hasClass('ui-sortable')"), "1");
    EXPECT_EQ(run("$('#tree').sortable('toArray', {attribute: 'class'}).length"), "2");
}

} // namespace
} // namespace folio
