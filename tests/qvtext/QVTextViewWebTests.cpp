#include "documents/DocumentSeeds.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/UserResizableView.h"
#include "platform/ui/View.h"
#include "platform/web/WebView.h"
#include "qvtext/QVMarginRuler.h"
#include "qvtext/QVPageNavigator.h"
#include "qvtext/QVPaper.h"
#include "qvtext/QVPictureCommands.h"
#include "qvtext/QVTextViewController.h"
#include "qvtext/QVTextZoom.h"
#include "qvtext/QVViewModes.h"
#include "support/DocumentTestSupport.h"
#include "tools/crop/ImageCropInterface.h"
#include "tools/ruler/RulerRangeSlider.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// A picture of one colour, or of a red left half and a blue right half.
Image::Pointer picture(int width, int height, bool halves)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!halves || x < width / 2)
                pixels.insert(pixels.end(), {230, 20, 20, 255});
            else
                pixels.insert(pixels.end(), {20, 20, 230, 255});
        }
    return *Image::imageWithPixels(width, height, std::move(pixels));
}

// The QV text editor's view commands on the real TinyMCE page.
class QVTextViewWebTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    void SetUp() override
    {
        EditorMakers::registerMaker(EditorKind::QVText, [](TextDocument& document) {
            return std::make_shared<QVTextViewController>(document);
        });
    }
    void TearDown() override
    {
        if (document)
            document->closeWithCompletionHandler({});
        EditorMakers::unregisterAll();
    }

    void open(const std::string& page)
    {
        std::string path = folder.path("View.qvtext");
        writeFile(path, std::string(DocumentSeeds::compressedPage(page)->stringView()));
        document = std::make_shared<TextDocument>(path);
        ASSERT_TRUE(document->readFromURL(path).ok());
        document->makeDocumentViewController();
        editor = dynamic_cast<QVTextViewController*>(document->currentTextViewController().get());
        ASSERT_NE(editor, nullptr);
        editor->loadViewIfNeeded();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds))
            << "TinyMCE did not come up";
    }

    std::string run(const std::string& script) { return editor->webView()->stringByEvaluatingJavaScript(script); }

    // Waits until the page answers the script with `expected`.
    bool pageSays(const std::string& script, const std::string& expected)
    {
        return RunLoop::main().runUntil([&] { return run(script) == expected; }, kEngineWaitSeconds);
    }

    std::string selectedPicture(const std::string& property)
    {
        return run("(function(){var p=tinymce.activeEditor.dom.get('imageSelected_555');return p?" + property + ":'';})()");
    }

    // The colour at the middle of the selected picture, as "r,g,b".
    std::string middleColour()
    {
        return run("(function(){var p=tinymce.activeEditor.dom.get('imageSelected_555');if(!p)return '';"
                   "var c=document.createElement('canvas');c.width=p.naturalWidth;c.height=p.naturalHeight;"
                   "var g=c.getContext('2d');g.drawImage(p,0,0);"
                   "var d=g.getImageData(Math.floor(c.width/2),Math.floor(c.height/2),1,1).data;"
                   "return (d[0]>128?'r':'-')+(d[2]>128?'b':'-');})()");
    }

    int pictureCount() { return std::stoi("0" + run("tinymce.activeEditor.getBody().querySelectorAll('img').length")); }

    ScratchFolder folder{"qvtext-view"};
    std::shared_ptr<TextDocument> document;
    QVTextViewController* editor = nullptr;
};

TEST_F(QVTextViewWebTest, rulerValuesBecomeTheTextColumnsMarginsAndComeBackOnSave)
{
    open("<p>Ruled text</p>");
    RulerRangeSlider& slider = editor->margins().slider();
    slider.setLowerValue(2.0f);
    slider.setUpperValue(19.59f);
    editor->margins().rulerMarginValuesChangedNoDocumentDirty();
    // A full tablet screen in landscape shows 1.215 page centimetres for each
    // ruler centimetre.
    EXPECT_TRUE(pageSays("document.getElementById('content').style.marginLeft", "2.43cm"));
    EXPECT_EQ(run("document.getElementById('content').style.marginRight"), "2.43cm");
    EXPECT_EQ(run("Math.round(document.getElementById('content').getBoundingClientRect().left)"), "92");
    EXPECT_FALSE(editor->margins().topAlertBar()->text().empty());

    editor->margins().paperMarginChanged(0, 3.0);
    editor->margins().paperMarginChanged(2, 1.5);
    EXPECT_TRUE(pageSays("tinymce.activeEditor.getBody().style.marginLeft", "3cm"));
    EXPECT_DOUBLE_EQ(editor->margins().currentDocumentPageLeftMargin(), 3.0);
    EXPECT_DOUBLE_EQ(editor->margins().currentDocumentPageTopMargin(), 1.5);
    EXPECT_DOUBLE_EQ(editor->margins().currentDocumentPageBottomMargin(), 0.0);

    editor->documentWillSave();
    EXPECT_EQ(document->docLeftMargin(), "2.00");
    EXPECT_EQ(document->docRightMargin(), "19.59");
}

TEST_F(QVTextViewWebTest, theZoomSliceAndKeysShowTheTextLargerAndSmaller)
{
    open("<p>Zoomed text that is long enough to wrap once the page is shown larger than it was.</p>");
    std::string before = run("tinymce.activeEditor.getBody().scrollHeight");
    editor->documentViewZoomModified(200);
    EXPECT_TRUE(pageSays("tinymce.activeEditor.getDoc().documentElement.style.zoom", "200%"));
    EXPECT_EQ(editor->zoom().previousPercent(), 200);
    // The frame grows with the text it shows.
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return std::stoi("0" + run("tinymce.activeEditor.iframeElement.offsetHeight")) > 2 * std::stoi("0" + before) - 10; },
        10));

    editor->zoom().zoomOut();
    EXPECT_TRUE(pageSays("tinymce.activeEditor.getDoc().documentElement.style.zoom", "150%"));
    editor->zoom().zoomToNormalSize();
    EXPECT_TRUE(pageSays("tinymce.activeEditor.getDoc().documentElement.style.zoom", "100%"));
    // The desktop zoom is the view's, never the document's.
    EXPECT_EQ(run("tinymce.activeEditor.getBody().style.zoom"), "");
}

TEST_F(QVTextViewWebTest, viewModesAndPaperColoursChangeThePage)
{
    open("<p>Paper</p>");
    editor->paper().setPaperColor("gainsboro");
    EXPECT_TRUE(pageSays("getComputedStyle(tinymce.activeEditor.getBody()).backgroundColor", "rgb(220, 220, 220)"));
    ASSERT_TRUE(editor->view()->backgroundColor());
    EXPECT_EQ(*editor->view()->backgroundColor(), Color::colorWithRed(220 / 255.0, 220 / 255.0, 220 / 255.0));

    editor->viewModes().toggleNightMode(true);
    EXPECT_TRUE(pageSays("getComputedStyle(tinymce.activeEditor.getBody()).backgroundColor", "rgb(245, 239, 220)"));
    editor->viewModes().toggleDarkNightMode(true);
    EXPECT_TRUE(pageSays("getComputedStyle(document.documentElement).webkitFilter", "invert(1) hue-rotate(180deg)"));
    // A paper the user picks ends both night modes.
    editor->paper().userSelectedBackgroundColor("lavender");
    EXPECT_TRUE(pageSays("getComputedStyle(tinymce.activeEditor.getBody()).backgroundColor", "rgb(230, 230, 250)"));
    EXPECT_EQ(run("getComputedStyle(document.documentElement).webkitFilter"), "invert(0) hue-rotate(360deg)");
    EXPECT_FALSE(UserDefaults::standardUserDefaults().boolForKey("nightMode").value_or(false));

    editor->viewModes().fullScreenDocumentMode();
    EXPECT_TRUE(pageSays("tinymce.activeEditor.mode.get()", "readonly"));
    editor->viewModes().closeFullScreenDocumentMode();
    EXPECT_TRUE(pageSays("tinymce.activeEditor.mode.get()", "design"));

    editor->viewModes().typewriterMode();
    EXPECT_TRUE(pageSays("tinymce.activeEditor.getContentAreaContainer().style.height", "108px"));
    EXPECT_TRUE(editor->pages().pageUpDownView()->isHidden());
    editor->viewModes().exitTypeWriterMode();
    EXPECT_TRUE(pageSays("tinymce.activeEditor.getContentAreaContainer().style.height", ""));

    bool quotes = UserDefaults::standardUserDefaults().boolForKey("smartQuotesEnabled").value_or(false);
    editor->viewModes().toggleSmartQuotes();
    EXPECT_TRUE(pageSays("String(smartQuotesEnabled)", quotes ? "false" : "true"));
}

TEST_F(QVTextViewWebTest, pageUpDownAndJumpMoveByVirtualPagesAndTheCounterNeverPassesTheTotal)
{
    std::string text;
    for (int line = 0; line < 160; ++line)
        text += "<p>Line " + std::to_string(line) + " of a text several pages long.</p>";
    open(text);
    QVPageNavigator& pages = editor->pages();
    ASSERT_EQ(pages.counter().pageHeight(), 735);
    pages.updateEditorScrollHeightAndOffset();
    pages.updatePageUpDownControl();
    int total = pages.counter().totalPages();
    ASSERT_GE(total, 3);
    EXPECT_EQ(pages.pageTotal()->text(), toUtf16(std::to_string(total)));
    EXPECT_EQ(pages.pageNumber()->text(), u"1");
    EXPECT_FALSE(pages.pageUpControl()->isEnabled());

    pages.pageDownControl()->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_TRUE(pageSays("folioPageScrollState().split('_')[0]", "735"));
    EXPECT_EQ(pages.pageNumber()->text(), u"2");

    pages.jumpToPageNumber(u"3");
    EXPECT_TRUE(pageSays("folioPageScrollState().split('_')[0]", "1470"));

    for (int press = 0; press < total + 2; ++press) {
        pages.updateEditorScrollHeightAndOffset();
        pages.updatePageUpDownControl();
        pages.pageDownButtonDelayed();
        ASSERT_LE(std::stoi(toUtf8(pages.pageNumber()->text())), total);
    }
    EXPECT_EQ(pages.pageNumber()->text(), toUtf16(std::to_string(total)));
    EXPECT_FALSE(pages.pageDownControl()->isEnabled());

    pages.pageUpButtonDelayed();
    EXPECT_EQ(pages.pageNumber()->text(), toUtf16(std::to_string(total - 1)));
    pages.jumpCaretToTop();
    EXPECT_TRUE(pageSays("folioPageScrollState().split('_')[0]", "0"));
}

TEST_F(QVTextViewWebTest, picturesAreInsertedSelectedResizedCroppedFramedAndReplacedInThePage)
{
    open("<p>Before the pictures</p>");
    QVPictureCommands& pictures = editor->pictures();
    run("tinymce.activeEditor.focus();tinymce.activeEditor.selection.select(tinymce.activeEditor.getBody(), true);"
        "tinymce.activeEditor.selection.collapse(false);");

    ASSERT_TRUE(pictures.insertImage(picture(300, 300, false)).ok());
    ASSERT_TRUE(pageSays("tinymce.activeEditor.getBody().querySelectorAll('img').length", "1"));
    EXPECT_EQ(selectedPicture("p.style.width"), "150px") << "both sides over 200 points are halved";
    // The document keeps the picture itself, whatever the page shows it from.
    std::string stored = run("tinymce.activeEditor.getContent()");
    EXPECT_NE(stored.find("id=\"imageSelected_555\""), std::string::npos) << stored.substr(0, 200);
    EXPECT_NE(stored.find("src=\"data:image/jpeg;base64,"), std::string::npos) << stored.substr(0, 200);
    EXPECT_EQ(middleColour(), "r-");

    // A second picture: only the new one carries the selected id.
    ASSERT_TRUE(pictures.insertImage(picture(300, 150, true)).ok());
    ASSERT_TRUE(pageSays("tinymce.activeEditor.getBody().querySelectorAll('img').length", "2"));
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('[id=imageSelected_555]').length"), "1");
    EXPECT_EQ(selectedPicture("p.style.width"), "300px");

    // Half a second later it comes up with its frame.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return pictures.currentlyImageResizableView() != nullptr; }, kEngineWaitSeconds));
    std::shared_ptr<UserResizableView> frame = pictures.currentlyImageResizableView();
    EXPECT_EQ(frame->frame().width(), 300 + 36);

    // Dragging the frame's corner resizes the picture.
    Rect box = frame->frame();
    frame->touchBegan({box.maxX() - 5, box.maxY() - 5});
    frame->touchMoved({box.maxX() - 105, box.maxY() - 55});
    frame->touchEnded();
    EXPECT_EQ(selectedPicture("p.style.width"), "200px");
    EXPECT_EQ(selectedPicture("p.style.height"), "100px");
    EXPECT_TRUE(document->hasUnsavedChanges());

    // Crop to the left half: the picture is cut in place, all red now.
    std::string uncropped = selectedPicture("p.src");
    ASSERT_TRUE(pictures.cropImage().ok());
    ASSERT_TRUE(pictures.cropper());
    Rect whole = pictures.cropper()->bounds();
    pictures.cropper()->setCropRect(makeRect(0, 0, whole.width() / 2 - 20, whole.height()));
    ASSERT_TRUE(pictures.executeCropImage().ok());
    EXPECT_EQ(pictureCount(), 2);
    EXPECT_NE(selectedPicture("p.src"), uncropped);
    EXPECT_LT(std::stod("0" + selectedPicture("parseFloat(p.style.width)")), 200);
    EXPECT_EQ(middleColour(), "r-");
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('[id=imageSelected_555]').length"), "1");

    // A framed copy is 45 points larger.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return pictures.currentlyImageResizableView() != nullptr; }, kEngineWaitSeconds));
    double croppedWidth = std::stod("0" + selectedPicture("parseFloat(p.style.width)"));
    ASSERT_TRUE(pictures.borderImage().ok());
    ASSERT_TRUE(pageSays("tinymce.activeEditor.getBody().querySelectorAll('img').length", "3"));
    EXPECT_DOUBLE_EQ(std::stod("0" + selectedPicture("parseFloat(p.style.width)")), croppedWidth + 45);

    // Replacing keeps the place and the count; the picture shows the new one.
    ASSERT_TRUE(pictures.replaceSelectedPicture(picture(120, 90, true)).ok());
    EXPECT_EQ(pictureCount(), 3);
    EXPECT_EQ(selectedPicture("p.style.width"), "120px");
    EXPECT_EQ(selectedPicture("p.naturalWidth"), "120");

    // Copying puts the picture on the pasteboard as PNG and ends the selection.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return pictures.currentlyImageResizableView() != nullptr; }, kEngineWaitSeconds));
    ASSERT_TRUE(pictures.copyImage().ok());
    std::shared_ptr<const Image> copied = Pasteboard::general().image();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->size(), (Size{120, 90}));
    EXPECT_EQ(pictures.currentlyImageResizableView(), nullptr);
    pictures.scheduleSelection();
    run("tinymce.activeEditor.getBody().querySelectorAll('img')[2].id='imageSelected_555'");

    // Deleting takes the selected one away and ends the selection.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return pictures.currentlyImageResizableView() != nullptr; }, kEngineWaitSeconds));
    pictures.deleteImage();
    EXPECT_EQ(pictureCount(), 2);
    EXPECT_EQ(pictures.currentlyImageResizableView(), nullptr);
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('[id=imageSelected_555]').length"), "0");

    // A click on a picture selects it as a touch does.
    run("tinymce.activeEditor.getBody().querySelectorAll('img')[0].click()");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return pictures.currentlyImageResizableView() != nullptr; }, kEngineWaitSeconds));
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('img')[0].id"), "imageSelected_555");
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('[id=imageSelected_555]').length"), "1");
}

} // namespace
} // namespace folio
