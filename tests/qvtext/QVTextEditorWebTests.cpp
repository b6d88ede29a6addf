#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/web/WebView.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorPageTest.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// A page saved with a blank document's placeholder before its style, a
// style with quotes, and text that would end the page's text area.
constexpr const char* kStoredPage =
    "<p>First &lt;/textarea&gt; &amp;lt;b&amp;gt; line</p><p>Second line</p>"
    "<p><img id=\"imageSelected_555\" src=\"data:image/gif;base64,R0lGODlhAQABAAAAACw=\"></p>"
    "<span id=\"bodyStyle\" style=\"visibility: hidden;display: none;\"></span>"
    "<div id=\"bodyStyle\" style=\"visibility: hidden;display: none;margin-top: 2cm; "
    "font-family: &quot;Courier New&quot;;\"></div>";

// The QV text editor on the real TinyMCE in a real web view.
class QVTextEditorWebTest : public test::EditorPageTest<QVTextViewController> {
protected:
    QVTextEditorWebTest() : EditorPageTest(EditorKind::QVText, "qvtext-editor") {}

    static std::string storedPage(const std::string& path) { return EditorPageTest::storedPage(path, DocumentKind::QVText); }
};

TEST_F(QVTextEditorWebTest, tinyMCEComesUpWithThePagesOptionsPluginsAndTheStoredStyle)
{
    const std::string path = folder.path("Stored.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage(kStoredPage)->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;

    EXPECT_EQ(run("tinymce.activeEditor.options.get('entity_encoding')"), "raw");
    EXPECT_EQ(run("tinymce.activeEditor.options.get('remove_trailing_brs')"), "0");
    EXPECT_EQ(run("tinymce.activeEditor.options.get('pagebreak_separator')"),
              "<div style=\"page-break-before:always;\"></div>");
    EXPECT_EQ(run("Object.keys(tinymce.activeEditor.plugins).sort().join(' ')"),
              "advlist anchor autolink autoresize checklist codesample directionality image insertdatetime link lists "
              "media nonbreaking pagebreak searchreplace table wordcount");
    EXPECT_EQ(run("tinymce.activeEditor.getDoc().compatMode"), "CSS1Compat");

    // The text area held the text exactly: nothing in it became markup.
    EXPECT_EQ(run("tinymce.activeEditor.getBody().firstChild.textContent"), "First </textarea> &lt;b&gt; line");
    // The last stored style is the body's, and no stored element stays.
    std::string style = run("tinymce.activeEditor.getBody().getAttribute('style')");
    EXPECT_NE(style.find("margin-top: 2cm;"), std::string::npos) << style;
    EXPECT_NE(style.find("font-family: \"Courier New\";"), std::string::npos) << style;
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('[id=bodyStyle]').length"), "0");
    EXPECT_EQ(run("tinymce.activeEditor.undoManager.hasUndo()"), "0") << "undo never brings the element back";
    EXPECT_FALSE(document->hasUnsavedChanges());

    // A picture saved while selected opens released, as the page marks them.
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelector('img').id"), "imageSelected_444");

    // The helpers work on TinyMCE's document, not on the page around it.
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.getBody().childNodes[1]);})()");
    EXPECT_EQ(run("getSelectionHtml()"), "<p>Second line</p>");

    ASSERT_TRUE(save(*document));
    std::string saved = storedPage(path);
    EXPECT_EQ(saved.find("<span id=\"bodyStyle\""), std::string::npos) << saved;
    EXPECT_EQ(saved.find("id=\"bodyStyle\""), saved.rfind("id=\"bodyStyle\"")) << "one element: " << saved;
    EXPECT_NE(saved.find("<p>First &lt;/textarea&gt; &amp;lt;b&amp;gt; line</p>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<div id=\"bodyStyle\" style=\"visibility: hidden;display: none;"), std::string::npos);
    EXPECT_NE(saved.find("margin-top: 2cm;"), std::string::npos) << saved;
    EXPECT_NE(saved.find("font-family: &quot;Courier New&quot;;"), std::string::npos) << saved;
    document->closeWithCompletionHandler({});
}

TEST_F(QVTextEditorWebTest, aClickOnACheckListBoxTicksItAsOneUndoableChange)
{
    const std::string path = folder.path("List.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage(
                                    "<ul class=\"tox-checklist\"><li>Milk</li><li class=\"tox-checklist--hidden\">"
                                    "Bread</li></ul>")
                                    ->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    // The box is drawn inside the editing document.
    EXPECT_NE(run("getComputedStyle(tinymce.activeEditor.getBody().querySelector('li'), '::before').content")
                  .find("data:image/svg+xml"),
              std::string::npos);

    auto clickBox = [&](int item) {
        return run("(function(){var li=tinymce.activeEditor.getBody().querySelectorAll('li')[" + std::to_string(item) +
                   "];var r=li.getBoundingClientRect();li.dispatchEvent(new MouseEvent('click',{bubbles:true,"
                   "cancelable:true,clientX:r.left-8,clientY:r.top+4}));return li.className;})()");
    };
    EXPECT_EQ(clickBox(0), "tox-checklist--checked");
    EXPECT_EQ(clickBox(1), "tox-checklist--hidden") << "a hidden item has no box";
    EXPECT_EQ(run("(function(){var li=tinymce.activeEditor.getBody().querySelector('li');var r=li."
                  "getBoundingClientRect();li.dispatchEvent(new MouseEvent('click',{bubbles:true,clientX:r.left+20,"
                  "clientY:r.top+4}));return li.className;})()"),
              "tox-checklist--checked")
        << "a click in the text only places the caret";
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds));
    editor->undoAction();
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelector('li').className"), "");

    EXPECT_EQ(clickBox(0), "tox-checklist--checked");
    // A paragraph becomes a check list by the plugin's command, and back.
    EXPECT_EQ(run("(function(){var e=tinymce.activeEditor;e.dom.add(e.getBody(),'p',{},'Eggs');"
                  "e.selection.select(e.getBody().lastChild,true);e.execCommand('InsertChecklist');"
                  "var list=e.getBody().lastChild;return list.nodeName+' '+list.className+' '+list.textContent;})()"),
              "UL tox-checklist Eggs");
    EXPECT_EQ(run("(function(){var e=tinymce.activeEditor;e.execCommand('InsertChecklist');"
                  "return e.getBody().lastChild.nodeName;})()"),
              "P");
    ASSERT_TRUE(save(*document));
    EXPECT_NE(storedPage(path).find("<li class=\"tox-checklist--checked\">Milk</li>"), std::string::npos)
        << storedPage(path);
    document->closeWithCompletionHandler({});
}


// The selected picture's id is the editor's selection, not the document's: a
// save while a picture is selected writes it released and leaves it selected.
TEST_F(QVTextEditorWebTest, aPictureSavedWhileSelectedIsWrittenReleasedAndStaysSelected)
{
    const std::string path = folder.path("Picture.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage(
                                    "<p>Text</p><p><img src=\"data:image/gif;base64,R0lGODlhAQABAAAAACw=\" "
                                    "style=\"width:20px;height:20px\"></p><p><img src=\"data:image/gif;base64,"
                                    "R0lGODlhAQABAAAAACw=\" style=\"width:30px;height:30px\"></p>")
                                    ->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    // A click on the second picture selects it, as the page takes a click.
    ASSERT_EQ(run("(function(){var img=tinymce.activeEditor.getBody().querySelectorAll('img')[1];"
                  "img.dispatchEvent(new MouseEvent('click',{bubbles:true,cancelable:true}));return img.id;})()"),
              "imageSelected_555");
    run("tinymce.activeEditor.dom.setStyle('imageSelected_555', 'width', '40px');");
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    ASSERT_TRUE(save(*document));
    std::string saved = storedPage(path);
    EXPECT_EQ(saved.find("imageSelected_555"), std::string::npos) << saved;
    EXPECT_NE(saved.find("id=\"imageSelected_444\""), saved.rfind("id=\"imageSelected_444\"")) << "both released: " << saved;
    EXPECT_NE(saved.find("width: 40px"), std::string::npos) << "the change to the selected picture is saved: " << saved;
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('img')[1].id"), "imageSelected_555")
        << "the picture is still the selected one";
    document->closeWithCompletionHandler({});
}

} // namespace
} // namespace folio
