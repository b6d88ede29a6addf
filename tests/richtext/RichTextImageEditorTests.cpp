#include "richtext/RichTextImageEditor.h"

#include "platform/graphics/Image.h"
#include "platform/ui/UserResizableView.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "tools/crop/ImageCropInterface.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <map>

namespace folio {
namespace {

using testing_support::ScratchFolder;

constexpr const char* kElement = "var elem = document.getElementById('marquent_555');";

Image::Pointer filled(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), {red, green, blue, 255});
    return Image::imageWithPixels(width, height, std::move(pixels)).value();
}

class RichTextImageEditorTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        std::vector<std::uint8_t> png = filled(40, 20, 0, 0, 255)->pngData().value();
        std::ofstream(folder.path("image-1.png"), std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
        answers[std::string(kElement) + "elem.src;"] = "file:///elsewhere/Notes/image-1.png";
        answers[std::string(kElement) + "elem.width"] = "100";
        answers[std::string(kElement) + "elem.height"] = "50";
        answers[std::string(kElement) + "elem.x"] = "30";
        answers[std::string(kElement) + "elem.y"] = "40";
        answers[std::string(kElement) + "elem.parentNode.style.textAlign"] = "";
        // Where the page draws the picture in its view: scrolled up by 200.
        answers["selectedPictureBox();"] = "30,-160,100,50";
        answers["var element = document.getElementById('marquent_555');element.style.opacity=1.0;element.src;"] =
            "file:///elsewhere/Notes/image-1.png";
    }

    RichTextImageEditor::Host host()
    {
        RichTextImageEditor::Host h;
        h.readString = [this](const std::string& script) {
            reads.push_back(script);
            auto found = answers.find(script);
            return found == answers.end() ? std::string() : found->second;
        };
        h.sendScript = [this](const std::string& script) { sent.push_back(script); };
        h.pictureFolder = [this] { return folder.path(""); };
        h.hasDocument = [] { return true; };
        h.showOverlay = [this](const std::shared_ptr<UserResizableView>& view) { shown = view; };
        h.removeOverlay = [this](const std::shared_ptr<UserResizableView>&) { shown.reset(); };
        h.showMenu = [this](const std::vector<std::pair<std::u16string, std::string>>& items, const Rect&) { menu = items; };
        h.copyToPasteboard = [this](const Image& image) {
            copied = image.size();
            return Status::success();
        };
        h.insertImage = [this](const Image::Pointer& image, bool autoResize) {
            inserted.emplace_back(image, autoResize);
            return Status::success();
        };
        h.documentIsDirty = [this] { ++dirty; };
        return h;
    }
    std::vector<std::string> actions() const
    {
        std::vector<std::string> names;
        for (const auto& item : menu)
            names.push_back(item.second);
        return names;
    }

    ScratchFolder folder{"rich-text-image-editor"};
    std::map<std::string, std::string> answers;
    std::vector<std::string> reads;
    std::vector<std::string> sent;
    std::shared_ptr<UserResizableView> shown;
    std::vector<std::pair<std::u16string, std::string>> menu;
    std::optional<Size> copied;
    std::vector<std::pair<Image::Pointer, bool>> inserted;
    int dirty = 0;
    RichTextImageEditor editor{host()};
};

TEST_F(RichTextImageEditorTest, aTapFramesThePictureAndTheFirstTapAfterAnEditIsIgnored)
{
    editor.imageTouched();
    loop.advanceVirtualClock(RichTextImageEditor::kTapDelaySeconds / 2);
    EXPECT_FALSE(editor.isEditingImage());
    editor.cancelPendingTap();
    loop.advanceVirtualClock(1);
    EXPECT_FALSE(editor.isEditingImage()) << "a scroll cancels the tap";

    editor.imageTouched();
    loop.advanceVirtualClock(RichTextImageEditor::kTapDelaySeconds);
    ASSERT_TRUE(editor.isEditingImage());
    EXPECT_EQ(shown, editor.currentlyEditingView());
    EXPECT_EQ(shown->frame(), (Rect{{12, -178}, {136, 86}})) << "around where the page draws the picture";
    EXPECT_EQ(shown->contentView()->frame(), (Rect{{18, 18}, {100, 50}})) << "the picture in it covers the page's";
    EXPECT_EQ(editor.alignment(), "left");
    EXPECT_EQ(editor.initialPointOfImage(), (Point{40, 50}));
    EXPECT_EQ(sent.front(), "hideImageAt(30, 40);");
    EXPECT_EQ(actions(), (std::vector<std::string>{"deleteImage:", "wrapRightImage:", "wrapLeftImage:", "wrapNoneImage:",
                                                   "cropImage:", "borderImage:", "leftImage:", "rightImage:", "centerImage:"}));

    EXPECT_TRUE(editor.performAction("leftImage:"));
    EXPECT_FALSE(editor.isEditingImage());
    EXPECT_EQ(sent.back(), "var element = document.getElementById('marquent_555');element.style.opacity=1.0;"
                           "element.style.visibility='';element.id = 'marquent_444';");
    EXPECT_EQ(reads[reads.size() - 2], "wrapNoneImage();");
    EXPECT_EQ(reads.back(), "leftImage();");
    EXPECT_EQ(dirty, 1);
    EXPECT_EQ(shown, nullptr);

    editor.delayedTapInImage(std::nullopt);
    EXPECT_FALSE(editor.isEditingImage()) << "the first tap after an edit only ends that state";
    EXPECT_FALSE(editor.wasEditingImage());
    editor.delayedTapInImage(Point{5, 5});
    EXPECT_TRUE(editor.isEditingImage());
}

TEST_F(RichTextImageEditorTest, aPictureThatIsNeitherPNGNorJPEGIsNotEdited)
{
    answers[std::string(kElement) + "elem.src;"] = "data:image/gif;base64,R0lGOD";
    editor.delayedTapInImage(std::nullopt);
    EXPECT_FALSE(editor.isEditingImage());
    EXPECT_TRUE(sent.empty());
}

TEST_F(RichTextImageEditorTest, aResizedFrameResizesThePictureToWhatItShowsAndFollowsIt)
{
    editor.delayedTapInImage(std::nullopt);
    ASSERT_TRUE(shown);
    // A drag of the lower right corner by (74, 28): the picture in the frame is 174 x 78.
    shown->touchBegan(Point{140, -100});
    answers["selectedPictureBox();"] = "31,-159,174,78";
    shown->touchMoved(Point{214, -72});
    shown->touchEnded();
    EXPECT_EQ(sent.back(), "resizeImageAtTo(30, 40, 174, 78);") << "the size the user sees in the frame";
    EXPECT_EQ(shown->frame(), (Rect{{13, -177}, {210, 114}})) << "the frame follows the picture where the page lays it out";
    EXPECT_EQ(dirty, 1);
    loop.advanceVirtualClock(RichTextImageEditor::kMenuDelaySeconds);
    EXPECT_EQ(menu.size(), 9u) << "the menu comes back after the edit";

    // A drag inside the frame moves it.
    shown->touchBegan(Point{100, -150});
    shown->touchMoved(Point{110, -150});
    shown->touchEnded();
    EXPECT_NE(std::find(reads.begin(), reads.end(), "moveImageAtTo(40, 50, 23, -177);"), reads.end());
    // Let go, the picture is where the page put it at a text position: the
    // frame goes back over it.
    EXPECT_EQ(reads.back(), "selectedPictureBox();");
    EXPECT_EQ(shown->frame(), (Rect{{13, -177}, {210, 114}}));

    // A page that cannot say where the picture is leaves the frame where the user let it go.
    answers["selectedPictureBox();"] = "";
    Rect before = shown->frame();
    shown->touchBegan(Point{before.maxX() - 5, before.maxY() - 5});
    shown->touchMoved(Point{before.maxX() + 5, before.maxY() - 5});
    EXPECT_EQ(shown->frame().size, (Size{before.width() + 10, before.height()}));
}

TEST_F(RichTextImageEditorTest, copyReadsThePictureFileOfTheDocumentsFolderOnly)
{
    editor.delayedTapInImage(std::nullopt);
    ASSERT_TRUE(editor.copyImage());
    EXPECT_EQ(copied, (Size{40, 20}));
    EXPECT_FALSE(editor.isEditingImage());

    EXPECT_EQ(RichTextImageEditor::pictureFileForSource("file:///a/b/Why%3F%20x.png", "/pics"), "/pics/Why? x.png");
    EXPECT_EQ(RichTextImageEditor::pictureFileForSource("file:///a/b/..%2F..%2Fetc%2Fpasswd", "/pics"), std::nullopt);
    EXPECT_EQ(RichTextImageEditor::pictureFileForSource("", "/pics"), std::nullopt);
    answers["var element = document.getElementById('marquent_555');element.style.opacity=1.0;element.src;"] =
        "file:///elsewhere/Notes/missing.png";
    copied.reset();
    EXPECT_FALSE(editor.copyImage());
    EXPECT_FALSE(copied);
}

TEST_F(RichTextImageEditorTest, borderFramesThePictureInWhiteAndReplacesItAtItsSize)
{
    Result<Image::Pointer> framed = RichTextImageEditor::generatePhotoStackWithImage(*filled(40, 20, 0, 0, 255));
    ASSERT_TRUE(framed);
    EXPECT_EQ((*framed)->size(), (Size{85, 65}));
    Rgba8 middle = (*framed)->pixelAt(45, 35);
    EXPECT_EQ(middle.b, 255);
    EXPECT_EQ(middle.r, 0);
    Rgba8 line = (*framed)->pixelAt(25, 35);
    EXPECT_EQ(line.r, 255) << "the white line on the picture's edge";
    EXPECT_EQ(line.g, 255);
    EXPECT_EQ((*framed)->pixelAt(0, 0).a, 0) << "the corner beyond the shadow stays clear";
    // Outside the white line, the frame's shadow darkens a white page.
    for (Point beside : {Point{45, 18}, Point{18, 35}, Point{45, 52}, Point{72, 35}}) {
        Rgba8 shade = (*framed)->pixelAt(int(beside.x), int(beside.y));
        EXPECT_GT(shade.a, 20) << "no shadow at " << beside.x << "," << beside.y;
        EXPECT_LT(std::max({shade.r, shade.g, shade.b}), 100) << "the shadow is not dark at " << beside.x << "," << beside.y;
    }

    editor.delayedTapInImage(std::nullopt);
    EXPECT_TRUE(editor.performAction("borderImage:"));
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0].first->size(), (Size{85, 65}));
    EXPECT_FALSE(inserted[0].second) << "in place, at the picture's present size";
    EXPECT_FALSE(editor.isEditingImage());
}

TEST_F(RichTextImageEditorTest, cropLaysTheCropperOverTheFrameAndReplacesThePictureWithTheCut)
{
    editor.delayedTapInImage(std::nullopt);
    editor.cropImage();
    ASSERT_TRUE(editor.isCropping());
    EXPECT_EQ(actions(), (std::vector<std::string>{"executeCropImage:", "removeImageEditing"}));
    EXPECT_FALSE(shown->editingHandlesShown());
    editor.cropper()->setCropRect(editor.cropper()->cropRect());
    editor.executeCropImage();
    EXPECT_FALSE(editor.isCropping());
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_TRUE(inserted[0].second);
    Size cut = inserted[0].first->size();
    EXPECT_GT(cut.width, 0);
    EXPECT_LE(cut.width, 40);
    EXPECT_NE(std::find(sent.begin(), sent.end(), std::string(kElement) + "elem.width=" + std::to_string(int(cut.width))), sent.end());
    EXPECT_FALSE(editor.isEditingImage());

    // Cancel leaves the picture as it was.
    editor.delayedTapInImage(std::nullopt);
    editor.delayedTapInImage(std::nullopt);
    editor.cropImage();
    EXPECT_TRUE(editor.performAction("removeImageEditing"));
    EXPECT_FALSE(editor.isCropping());
    EXPECT_EQ(inserted.size(), 1u);
}

} // namespace
} // namespace folio
