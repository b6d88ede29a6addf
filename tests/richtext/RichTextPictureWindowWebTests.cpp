#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/graphics/Image.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/PicturePicker.h"
#include "platform/ui/UserResizableView.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "richtext/RichTextImageEditor.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "tools/crop/ImageCropInterface.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "platform/gtk/GtkPagePoints.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

class ChosenPicture : public PicturePicker {
public:
    explicit ChosenPicture(std::string path) : m_path(std::move(path)) {}
    void pickPicture(const std::u16string&, Completion completion) override
    {
        RunLoop::main().post([completion, path = m_path] { completion(path); });
    }

private:
    std::string m_path;
};

// A 400 x 200 picture: red on the left half, blue on the right.
void writeTwoColourPicture(const std::string& path)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 400; ++x)
            pixels.insert(pixels.end(), {std::uint8_t(x < 200 ? 255 : 0), 0, std::uint8_t(x < 200 ? 0 : 255), 255});
    }
    std::vector<std::uint8_t> png = Image::imageWithPixels(400, 200, std::move(pixels)).value()->pngData().value();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
}

Rect parseBox(const std::string& text)
{
    std::vector<std::string> parts = componentsSeparatedByString(text, ",");
    if (parts.size() != 4)
        return {};
    return makeRect(floatValue(parts[0]), floatValue(parts[1]), floatValue(parts[2]), floatValue(parts[3]));
}

// The rich-text editor in a real window: the picture's frame and the crop
// are drawn over the page and follow the real pointer.
class RichTextPictureWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextPictureWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-picture-window") {}

    void TearDown() override
    {
        EditorWindowTest::TearDown();
        PicturePicker::setShared(nullptr);
    }

    // The document opened in a window, with the picture inserted and framed.
    void openAndFramePicture(const std::string& name, const std::string& rtf)
    {
        std::string path = folder.path(name);
        writeFile(path, rtf);
        open(path);
        if (HasFatalFailure())
            return;
        insertAndFramePicture();
    }

    // Text, then the picture inserted at its end, scrolled so that the
    // page's scroll offset matters; then the picture is tapped.
    void insertAndFramePicture()
    {
        std::string picture = folder.path("two colours.png");
        writeTwoColourPicture(picture);
        PicturePicker::setShared(std::make_shared<ChosenPicture>(picture));
        run("(function(){var p=document.getElementById('paragraph');var r=document.createRange();"
            "r.selectNodeContents(p);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);"
            "document.getElementById('content').focus();})()");
        editor->imageOptionSelected(0);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return run("document.querySelectorAll('#content img').length") == "1"; },
                                             kEngineWaitSeconds));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return run("document.querySelector('#content img').complete ? 1 : 0") == "1"; },
                                             kEngineWaitSeconds));
        // The scroll reaches the editor before the tap, which it would cancel.
        run("window.folioScrolled=0;document.addEventListener('scroll',function(){window.folioScrolled=1;},"
            "{capture:true,once:true});document.querySelector('#content img').scrollIntoView({block:'center'})");
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return run("window.folioScrolled") == "1"; }, kEngineWaitSeconds));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isEditorScrollingView(); }, kEngineWaitSeconds));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !editor->isEditorScrollingView(); }, kEngineWaitSeconds));
        run("document.querySelector('#content img').click()");
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->imageEditor().isEditingImage(); }, kEngineWaitSeconds));
        GtkPresenter::processPendingEvents();
    }

    // Where the page draws the picture under edit: its bounding box less the
    // padding the page gives every picture (and any border).
    Rect pictureOnPage()
    {
        return parseBox(run("(function(){var e=document.getElementById('marquent_555');var r=e.getBoundingClientRect();"
                            "var s=getComputedStyle(e);function v(n){return parseFloat(s[n])||0;}"
                            "var l=v('paddingLeft')+v('borderLeftWidth'),t=v('paddingTop')+v('borderTopWidth');"
                            "return [r.left+l,r.top+t,r.width-l-v('paddingRight')-v('borderRightWidth'),"
                            "r.height-t-v('paddingBottom')-v('borderBottomWidth')].join(',');})()"));
    }
    // The picture the frame shows, in the page view's points.
    Rect framedPicture()
    {
        const std::shared_ptr<UserResizableView>& frame = editor->imageEditor().currentlyEditingView();
        return frame ? frame->convertRectToView(frame->contentView()->frame(), editor->pageView().get()) : Rect{};
    }
    bool frameIsOverPicture()
    {
        Rect page = pictureOnPage();
        Rect shown = framedPicture();
        return std::abs(shown.minX() - page.minX()) < 0.5 && std::abs(shown.minY() - page.minY()) < 0.5
            && std::abs(shown.width() - page.width()) < 0.5 && std::abs(shown.height() - page.height()) < 0.5;
    }
    double pageScroll()
    {
        return floatValue(run("window.pageYOffset + document.body.scrollTop + document.documentElement.scrollTop"
                              " + document.getElementById('content').scrollTop"));
    }
    // The pointer's events come from another client, xdotool: they and the
    // page's answers may arrive a little after it exits.
    bool arrives(const std::function<bool()>& done)
    {
        return RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return done();
            },
            kEngineWaitSeconds);
    }

    bool comesInFromAfar(Point point) { return test::pointerComesInFromAfar(toplevel, pageWidget, point); }

    // A point of the page view, in the window's picture and on the screen.
    Point inWindow(Point point) { return test::pagePointInWindow(toplevel, pageWidget, point); }
    Point onScreen(Point point) { return test::pagePointOnScreen(toplevel, pageWidget, point); }
    unsigned pixel(Point point, const char* name) { return test::pagePixel(toplevel, pageWidget, point, name); }
    unsigned pixelBecomes(Point point, unsigned expected, const char* name)
    {
        return test::pagePixelBecomes(toplevel, pageWidget, point, expected, name);
    }
    bool release()
    {
        bool done = test::runXdotool({"mouseup", "1"});
        GtkPresenter::processPendingEvents();
        return done;
    }
    bool pointer(std::vector<std::string> actions, Point point)
    {
        Point at = onScreen(point);
        std::vector<std::string> arguments{"mousemove", "--sync", std::to_string(int(std::lround(at.x))),
                                           std::to_string(int(std::lround(at.y)))};
        arguments.insert(arguments.end(), actions.begin(), actions.end());
        bool done = test::runXdotool(arguments);
        GtkPresenter::processPendingEvents();
        return done;
    }

};

std::string longText()
{
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 ";
    for (int line = 1; line <= 40; ++line)
        rtf += "Line " + std::to_string(line) + "\\par ";
    return rtf + "A picture:}";
}

TEST_F(RichTextPictureWindowTest, theFramedPictureLiesExactlyOverThePicturesPlaceInTheScrolledPage)
{
    openAndFramePicture("Framed.rtf", longText());
    if (HasFatalFailure())
        return;
    EXPECT_GT(floatValue(run("window.pageYOffset + document.body.scrollTop + document.documentElement.scrollTop + document.getElementById('content').scrollTop")), 0)
        << "the page is scrolled";
    const std::shared_ptr<UserResizableView>& frame = editor->imageEditor().currentlyEditingView();
    ASSERT_NE(frame->superview(), nullptr);
    EXPECT_EQ(frame->superview().get(), editor->pageView().get()) << "the frame stands on the page";
    Rect box = pictureOnPage();
    EXPECT_EQ(run("getComputedStyle(document.getElementById('marquent_555')).paddingLeft"), "20px")
        << "the page pads its pictures, which the frame must not count as picture";
    Rect shown = frame->convertRectToView(frame->contentView()->frame(), editor->pageView().get());
    EXPECT_NEAR(shown.minX(), box.minX(), 0.5);
    EXPECT_NEAR(shown.minY(), box.minY(), 0.5);
    EXPECT_NEAR(shown.width(), box.width(), 0.5);
    EXPECT_NEAR(shown.height(), box.height(), 0.5);
    // The padding goes around the picture, not into it: the picture keeps its
    // 2:1 proportions on the page, as it prints.
    EXPECT_NEAR(box.width() / box.height(), 2.0, 0.02) << box.width() << " x " << box.height();

    // Drawn over the page: the picture's two halves in the frame (the page
    // hides its own), the frame's blue line just outside it.
    unsigned red = pixelBecomes({shown.minX() + 20, shown.midY()}, 0xFF0000u, "rich-text-framed-picture");
    EXPECT_EQ(red, 0xFF0000u) << std::hex << red;
    EXPECT_EQ(pixel({shown.maxX() - 20, shown.midY()}, "rich-text-framed-picture"), 0x0000FFu);
    unsigned line = pixel({shown.minX() - 1, shown.midY()}, "rich-text-framed-picture");
    EXPECT_GT(line & 0xFF, ((line >> 8) & 0xFF) + 60) << "the frame's line: " << std::hex << line;
}

// The page, not the pointer, decides where a dragged picture lands (at a
// text position), and a scroll moves the picture under the frame: each
// time the frame goes back over the picture where the page draws it.
TEST_F(RichTextPictureWindowTest, theFrameFollowsItsPictureAfterTheUserMovesItAndAfterTheUserScrolls)
{
    openAndFramePicture("Followed.rtf", longText());
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(frameIsOverPicture());
    Rect before = framedPicture();

    // Dragged by its middle up and left, into the text above it: the
    // pointer lets go where no text position is. A hand moves the frame
    // along with it: each step waits for the frame to follow, so that the
    // pointer is still over the frame when it lets go, however busy the
    // machine (a release over the bare page would end the editing).
    Point grab{before.midX(), before.midY()};
    ASSERT_TRUE(comesInFromAfar(grab));
    ASSERT_TRUE(pointer({"mousedown", "1"}, grab));
    for (Point step : {Point{grab.x - 10, grab.y - 40}, Point{grab.x - 37, grab.y - 83}}) {
        ASSERT_TRUE(pointer({}, step));
        ASSERT_TRUE(arrives([&] {
            Rect shown = framedPicture();
            return std::abs(shown.midX() - step.x) < 1.5 && std::abs(shown.midY() - step.y) < 1.5;
        })) << "the frame did not follow the pointer to " << step.x << "," << step.y;
    }
    ASSERT_TRUE(release());
    EXPECT_TRUE(arrives([&] { return !(pictureOnPage().origin == before.origin) && frameIsOverPicture(); }))
        << "the picture did not move, or its frame stayed where the pointer let go: frame at " << framedPicture().minX()
        << "," << framedPicture().minY() << ", picture at " << pictureOnPage().minX() << "," << pictureOnPage().minY();
    ASSERT_TRUE(editor->imageEditor().isEditingImage());

    // The wheel scrolls the page back up beside the frame; the picture goes down with it.
    Rect moved = framedPicture();
    double scrolled = pageScroll();
    // Above or below the frame and its handles, whichever has room.
    // Inside the scrolling page, left of the text.
    double pageLeft = std::atof(run("document.getElementById('content').getBoundingClientRect().left").c_str());
    Point beside{pageLeft + 14, moved.minY() > 80 ? 30 : moved.maxY() + 50};
    ASSERT_GT(scrolled, 10) << "the page is scrolled";
    ASSERT_TRUE(pointer({"click", "--repeat", "3", "4"}, beside));
    ASSERT_TRUE(arrives([&] { return pageScroll() < scrolled - 10; })) << "the wheel did not scroll the page";
    EXPECT_TRUE(arrives([&] { return !editor->isEditorScrollingView() && frameIsOverPicture(); }))
        << "the frame stayed where it was: at " << framedPicture().minY() << ", the picture at " << pictureOnPage().minY();
    EXPECT_GT(framedPicture().minY(), moved.minY() + 10) << "the frame went down with the page";
}

TEST_F(RichTextPictureWindowTest, aCropHandleDraggedWithThePointerCutsWhatTheUserChose)
{
    openAndFramePicture("Cropped.rtf", longText());
    if (HasFatalFailure())
        return;
    RichTextImageEditor& images = editor->imageEditor();
    ASSERT_TRUE(editor->performAction("cropImage:", nullptr));
    ASSERT_TRUE(images.isCropping());
    GtkPresenter::processPendingEvents();
    std::shared_ptr<ImageCropInterface> cropper = images.cropper();
    const std::shared_ptr<View> pageView = editor->pageView();
    Rect crop = cropper->convertRectToView(cropper->cropRect(), pageView.get());
    Rect over = cropper->convertRectToView(Rect{{0, 0}, cropper->bounds().size}, pageView.get());
    // The crop's shadow darkens the picture around the rectangle, in red.
    unsigned inside = pixelBecomes({crop.maxX() - 20, crop.midY()}, 0x0000FFu, "rich-text-crop");
    EXPECT_EQ(inside, 0x0000FFu) << "the picture shows inside the rectangle: " << std::hex << inside;
    // The picture is blue there too: the shadow may come a frame later.
    unsigned shadow = test::pagePixelOnceDrawn(
        toplevel, pageWidget, {crop.maxX() - 20, crop.minY() - 6}, [](unsigned value) { return value != 0x0000FFu; },
        "rich-text-crop");
    EXPECT_NE(shadow, 0x0000FFu) << "and darkened around it: " << std::hex << shadow;

    // The top left corner is dragged inwards, over the picture.
    Point target{crop.minX() + 30, crop.minY() + 20};
    ASSERT_TRUE(comesInFromAfar({crop.minX() - 3, crop.minY() - 3}));
    ASSERT_TRUE(pointer({"mousedown", "1"}, {crop.minX() - 3, crop.minY() - 3}));
    ASSERT_TRUE(pointer({}, {crop.minX() + 5, crop.minY() + 4}));
    ASSERT_TRUE(pointer({}, target));
    ASSERT_TRUE(release());
    Rect chosen = cropper->convertRectToView(cropper->cropRect(), pageView.get());
    EXPECT_NEAR(chosen.minX(), target.x, 1);
    EXPECT_NEAR(chosen.minY(), target.y, 1);
    EXPECT_NEAR(chosen.maxX(), crop.maxX(), 0.01) << "the opposite corner stays";
    EXPECT_NEAR(chosen.maxY(), crop.maxY(), 0.01);
    Rect inImage = cropper->cropRectForFrame(cropper->cropRect());
    // The blue half shows inside the dragged rectangle and is darkened above it.
    unsigned insideDragged = pixelBecomes({chosen.maxX() - 20, chosen.minY() + 20}, 0x0000FFu, "rich-text-crop-dragged");
    EXPECT_EQ(insideDragged, 0x0000FFu) << std::hex << insideDragged;
    unsigned above = pixel({chosen.maxX() - 20, chosen.minY() - 8}, "rich-text-crop-dragged");
    EXPECT_NE(above, 0x0000FFu) << std::hex << above;
    EXPECT_GT(above & 0xFF, 0x40u) << "the shadow lets the picture through: " << std::hex << above;
    // The picture (400 x 200) is shown aspect-fit over the frame's picture.
    double scale = std::min(over.width() / 400, over.height() / 200);

    std::string before = run("document.getElementById('marquent_555').getAttribute('src')");
    ASSERT_TRUE(editor->performAction("executeCropImage:", nullptr));
    EXPECT_FALSE(images.isCropping());
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            return run("(function(){var i=document.querySelector('#content img');"
                       "return i && i.getAttribute('src') !== " + std::string("'") + before + "' && i.complete ? 1 : 0;})()") == "1";
        },
        kEngineWaitSeconds));
    // The new file holds exactly the part the user chose, in the picture's own pixels.
    EXPECT_NEAR(std::stod(run("document.querySelector('#content img').naturalWidth")), inImage.width(), 1);
    EXPECT_NEAR(std::stod(run("document.querySelector('#content img').naturalHeight")), inImage.height(), 1);
    EXPECT_NEAR(inImage.width(), (crop.maxX() - target.x) / scale, 3) << "cut at the picture's own size";
    EXPECT_NEAR(inImage.height(), (crop.maxY() - target.y) / scale, 3);
}

// Border and Crop put a new picture in place of the framed one, which the
// page shows once the frame is gone: not a blank where the picture was.
class RichTextReplacedPictureTest : public RichTextPictureWindowTest,
                                    public ::testing::WithParamInterface<const char*> {};

TEST_P(RichTextReplacedPictureTest, thePictureIsDrawnOnceTheFrameIsGone)
{
    openAndFramePicture("Replaced.rtf", longText());
    if (HasFatalFailure())
        return;
    std::string before = run("document.getElementById('marquent_555').getAttribute('src')");
    std::string action = GetParam();
    if (action == "cropImage:") {
        ASSERT_TRUE(editor->performAction("cropImage:", nullptr));
        action = "executeCropImage:";
    }
    ASSERT_TRUE(editor->performAction(action, nullptr));
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            return run("(function(){var i=document.querySelector('#content img');return i && i.getAttribute('src') !== '"
                       + before + "' && i.complete && i.naturalWidth > 0 ? 1 : 0;})()") == "1";
        },
        kEngineWaitSeconds))
        << "no new picture came in";
    EXPECT_FALSE(editor->imageEditor().isEditingImage());
    // The left half of the picture where the page draws it, away from a new border.
    Rect box = parseBox(run("(function(){var r=document.querySelector('#content img').getBoundingClientRect();"
                            "return [r.left,r.top,r.width,r.height].join(',');})()"));
    unsigned drawn = pixelBecomes({box.minX() + box.width() / 4, box.midY()}, 0xFF0000u, "rich-text-replaced-picture");
    EXPECT_EQ(drawn, 0xFF0000u) << "the new picture is not drawn: " << std::hex << drawn;
}

INSTANTIATE_TEST_SUITE_P(BorderAndCrop, RichTextReplacedPictureTest, ::testing::Values("borderImage:", "cropImage:"));

TEST_F(RichTextPictureWindowTest, theRulerIsDrawnAcrossTheWindowAfterAResize)
{
    std::string path = folder.path("Ruler.rtf");
    writeFile(path, "{\\rtf1\\ansi Text\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    const std::shared_ptr<RulerRangeSlider> ruler = std::dynamic_pointer_cast<RulerRangeSlider>(
        std::shared_ptr<View>(editor->margins().sliderView()));
    ASSERT_NE(ruler, nullptr);
    gtk_window_resize(GTK_WINDOW(toplevel), 1100, 640);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return gtk_widget_get_allocated_width(pageWidget) >= 1000;
        },
        kEngineWaitSeconds));
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(ruler->frame().width(), gtk_widget_get_allocated_width(pageWidget)) << "the ruler follows the window's width";
    gtk_window_resize(GTK_WINDOW(toplevel), 700, 640);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return gtk_widget_get_allocated_width(pageWidget) <= 720;
        },
        kEngineWaitSeconds));
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(ruler->frame().width(), gtk_widget_get_allocated_width(pageWidget)) << "also when it narrows";
}

} // namespace
} // namespace folio

namespace folio {
namespace {

// The crop's own menu, as the window shows it: Crop and Cancel, and Cancel
// leaves the picture as it was.
TEST_F(RichTextPictureWindowTest, theCropMenuOffersCropAndCancelAndCancelKeepsThePicture)
{
    openAndFramePicture("Cancelled.rtf", longText());
    if (HasFatalFailure())
        return;
    std::string before = run("document.getElementById('marquent_555').getAttribute('src')");
    ASSERT_TRUE(editor->performAction("cropImage:", nullptr));
    auto rowsShown = [&] {
        std::vector<std::string> rows;
        GtkWidget* menu = presenter->editMenu();
        if (!menu || !gtk_widget_get_mapped(menu))
            return rows;
        for (GtkWidget* button : test::descendants(menu, GTK_TYPE_BUTTON)) {
            if (gtk_widget_get_mapped(button))
                for (const std::string& text : test::labelTexts(button))
                    rows.push_back(text);
        }
        return rows;
    };
    std::vector<std::string> rows;
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return (rows = rowsShown()).size() >= 2;
        },
        kEngineWaitSeconds));
    EXPECT_EQ(rows, (std::vector<std::string>{"Crop", "Cancel"}));
    GtkWidget* cancel = nullptr;
    for (GtkWidget* button : test::descendants(presenter->editMenu(), GTK_TYPE_BUTTON)) {
        for (const std::string& text : test::labelTexts(button))
            cancel = text == "Cancel" ? button : cancel;
    }
    ASSERT_NE(cancel, nullptr);
    int x = 0;
    int y = 0;
    EXPECT_TRUE(test::waitUntilStill(cancel, x, y)) << "Cancel is not on screen";
    ASSERT_TRUE(test::clickWidget(cancel));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !editor->imageEditor().isCropping(); }, kEngineWaitSeconds));
    EXPECT_EQ(run("document.querySelector('#content img').getAttribute('src')"), before);
}

} // namespace
} // namespace folio
