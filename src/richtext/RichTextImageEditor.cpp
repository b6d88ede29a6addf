#include "richtext/RichTextImageEditor.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/UserResizableView.h"
#include "tools/crop/ImageCropInterface.h"
#include "webeditor/PageScript.h"

#include <filesystem>

namespace folio {

namespace {

constexpr const char* kTapSelector = "delayedTapInImage:";
constexpr const char* kMenuSelector = "showImageMenuTask";
constexpr const char* kElement = "var elem = document.getElementById('marquent_555');";
// The page hid the picture under the frame (hideImageAt); it shows again
// however the editing ends, a new picture from Crop included.
constexpr const char* kEndEditingScript =
    "var element = document.getElementById('marquent_555');element.style.opacity=1.0;element.style.visibility='';"
    "element.id = 'marquent_444';";
constexpr const char* kCopySourceScript =
    "var element = document.getElementById('marquent_555');element.style.opacity=1.0;element.src;";
constexpr const char* kPictureBoxScript = "selectedPictureBox();";

std::u16string imageEditorText(const char* key)
{
    return toUtf16(Localization::localizedString(key));
}

} // namespace

RichTextImageEditor::RichTextImageEditor(Host host) : m_host(std::move(host)) {}

RichTextImageEditor::~RichTextImageEditor()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

double RichTextImageEditor::readNumber(const char* property) const
{
    return m_host.readString ? floatValue(m_host.readString(std::string(kElement) + "elem." + property)) : 0;
}

std::optional<Rect> RichTextImageEditor::pictureBox() const
{
    std::string box = m_host.readString ? m_host.readString(kPictureBoxScript) : std::string();
    std::vector<std::string> parts = componentsSeparatedByString(box, ",");
    if (parts.size() != 4)
        return std::nullopt;
    Rect rect = makeRect(floatValue(parts[0]), floatValue(parts[1]), floatValue(parts[2]), floatValue(parts[3]));
    if (rect.isEmpty())
        return std::nullopt;
    return rect;
}

void RichTextImageEditor::imageTouched(std::optional<Point> point)
{
    cancelPendingTap();
    RunLoop::main().performSelectorAfterDelay(this, kTapSelector, {}, kTapDelaySeconds,
                                              [this, point] { delayedTapInImage(point); });
}

void RichTextImageEditor::cancelPendingTap()
{
    RunLoop::main().cancelPreviousPerformRequests(this, kTapSelector);
}

void RichTextImageEditor::applyInitialPointRule(double x, double y, double width, const std::string& align)
{
    if (align == "left")
        m_initialPoint = Point{x + 10, y + 10};
    else if (align == "right")
        m_initialPoint = Point{x + width - 10, y + 10};
    else if (align == "center")
        m_initialPoint = Point{x + width * 0.5, y + 10};
}

std::optional<std::string> RichTextImageEditor::pictureFileForSource(const std::string& source, const std::string& folder)
{
    std::optional<URL> url = URL::URLWithString(source);
    std::string name = url ? url->lastPathComponent() : std::string();
    // Only a file of the document's own picture folder, whatever the page says.
    if (name.empty() || name == "/" || name == "." || name == ".." || name.find('/') != std::string::npos)
        return std::nullopt;
    return (std::filesystem::path(folder) / name).string();
}

void RichTextImageEditor::delayedTapInImage(std::optional<Point> point)
{
    cancelPendingTap();
    // The first tap after an edit only ends that state.
    if (isCropping() || m_wasEditingImage || !(m_host.hasDocument && m_host.hasDocument())) {
        m_wasEditingImage = false;
        return;
    }
    if (m_host.isPhoneInLandscape && m_host.isPhoneInLandscape())
        return;
    std::string source = m_host.readString ? m_host.readString(std::string(kElement) + "elem.src;") : std::string();
    if (source.find(".png") == std::string::npos && source.find(".jpg") == std::string::npos) {
        removeImageEditing();
        return;
    }
    m_initialPoint = point.value_or(Point{0, 0});
    double width = readNumber("width");
    double height = readNumber("height");
    double x = readNumber("x");
    double y = readNumber("y");
    std::string align = m_host.readString ? m_host.readString(std::string(kElement) + "elem.parentNode.style.textAlign") : "";
    if (align.empty())
        align = "left";
    if (m_host.sendScript)
        m_host.sendScript(PageScript::call("hideImageAt", {x, y}));
    applyInitialPointRule(x, y, width, align);

    if (m_overlay && m_host.removeOverlay)
        m_host.removeOverlay(m_overlay);
    m_align = align == "right" || align == "center" ? align : "left";
    // The picture in the frame covers the page's own, wherever the page is
    // scrolled and however it is zoomed.
    Rect picture = pictureBox().value_or(makeRect(x, y, width, height));
    m_overlay = UserResizableView::make(UserResizableView::frameForContent(picture));
    Image::Pointer shown;
    if (std::optional<std::string> file = pictureFileForSource(source, m_host.pictureFolder ? m_host.pictureFolder() : "")) {
        if (Result<Image::Pointer> read = Image::imageWithContentsOfFile(*file))
            shown = *read;
    }
    m_overlayImage = m_overlay->contentView();
    m_overlayImage->setImage(shown);
    // Drawn to fill its place, as the page draws a picture in its box.
    m_overlayImage->setContentMode(ContentMode::ScaleToFill);
    m_overlay->setDelegate(UserResizableView::Delegate{
        .didTranslate = [this](UserResizableView& view) { userResizableViewDidTranslate(view); },
        .didMoveEditing = [this](UserResizableView& view) { userResizableViewDidMoveEditing(view); },
        .didEndEditing = [this](UserResizableView&) { userResizableViewDidEndEditing(); },
    });
    m_overlay->showEditingHandles();
    if (m_host.showOverlay)
        m_host.showOverlay(m_overlay);
    showImageMenuAtPoint();
}

void RichTextImageEditor::userResizableViewDidEndEditing()
{
    // A dragged picture lands at a text position of the page, not where
    // the pointer let go of its frame.
    followPicture();
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kMenuSelector);
    loop.performSelectorAfterDelay(this, kMenuSelector, {}, kMenuDelaySeconds, [this] { showImageMenuAtPoint(); });
}

void RichTextImageEditor::userResizableViewDidTranslate(UserResizableView& view)
{
    if (m_host.readString)
        m_host.readString(PageScript::call("moveImageAtTo", {m_initialPoint.x, m_initialPoint.y, view.frame().minX(),
                                                              view.frame().minY()}));
}

void RichTextImageEditor::userResizableViewDidMoveEditing(UserResizableView& view)
{
    double x = readNumber("x");
    double y = readNumber("y");
    double width = readNumber("width");
    std::string align = m_host.readString ? m_host.readString(std::string(kElement) + "elem.parentNode.style.textAlign") : "";
    applyInitialPointRule(x, y, width, align);
    // The picture takes the size it has in the frame, and the frame
    // follows the picture to where the page lays it out at that size.
    Size size = UserResizableView::contentForFrame(view.frame()).size;
    if (m_host.sendScript)
        m_host.sendScript(PageScript::call("resizeImageAtTo", {x, y, size.width, size.height}));
    if (std::optional<Rect> picture = pictureBox())
        view.setFrame(UserResizableView::frameForContent(*picture));
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void RichTextImageEditor::followPicture()
{
    if (!m_overlay)
        return;
    if (std::optional<Rect> picture = pictureBox())
        m_overlay->setFrame(UserResizableView::frameForContent(*picture));
}

void RichTextImageEditor::showImageMenuAtPoint()
{
    if (m_host.endEditing)
        m_host.endEditing();
    RunLoop::main().cancelPreviousPerformRequests(this, kMenuSelector);
    if (!m_overlay || (m_host.isClosing && m_host.isClosing()) || !m_host.showMenu)
        return;
    m_host.showMenu({{imageEditorText("Delete"), "deleteImage:"},
                     {imageEditorText("Wrap Right"), "wrapRightImage:"},
                     {imageEditorText("Wrap Left"), "wrapLeftImage:"},
                     {imageEditorText("No Wrap"), "wrapNoneImage:"},
                     {imageEditorText("Crop"), "cropImage:"},
                     {imageEditorText("Border"), "borderImage:"},
                     {imageEditorText("Left"), "leftImage:"},
                     {imageEditorText("Right"), "rightImage:"},
                     {imageEditorText("Center"), "centerImage:"}},
                    m_overlay->frame());
}

void RichTextImageEditor::runAndEnd(std::initializer_list<const char*> scripts)
{
    for (const char* script : scripts) {
        if (m_host.readString)
            m_host.readString(script);
    }
    removeImageEditing();
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

bool RichTextImageEditor::performAction(const std::string& action)
{
    if (action == "deleteImage:")
        deleteImage();
    else if (action == "leftImage:")
        runAndEnd({"wrapNoneImage();", "leftImage();"});
    else if (action == "rightImage:")
        runAndEnd({"wrapNoneImage();", "rightImage();"});
    else if (action == "centerImage:")
        runAndEnd({"wrapNoneImage();", "centerImage();"});
    else if (action == "wrapLeftImage:")
        runAndEnd({"wrapLeftImage();"});
    else if (action == "wrapRightImage:")
        runAndEnd({"wrapRightImage();"});
    else if (action == "wrapNoneImage:")
        runAndEnd({"wrapNoneImage();"});
    else if (action == "copyImage:")
        (void)copyImage();
    else if (action == "borderImage:")
        borderImage();
    else if (action == "cropImage:")
        cropImage();
    else if (action == "executeCropImage:")
        executeCropImage();
    else if (action == "removeImageEditing")
        removeImageEditing();
    else if (action == "editImage:" || action == "doubleTapAction:")
        ; // Nothing: the frame itself is the editing.
    else
        return false;
    return true;
}

void RichTextImageEditor::deleteImage()
{
    runAndEnd({"deleteImage();"});
}

Status RichTextImageEditor::copyImage()
{
    std::string source = m_host.readString ? m_host.readString(kCopySourceScript) : std::string();
    std::optional<std::string> file = pictureFileForSource(source, m_host.pictureFolder ? m_host.pictureFolder() : "");
    Status copied = Error{"RichTextImageEditor", 1, "The picture's file is not in the document's folder"};
    if (file) {
        Result<Image::Pointer> read = Image::imageWithContentsOfFile(*file);
        if (!read)
            copied = read.error();
        else
            copied = m_host.copyToPasteboard ? m_host.copyToPasteboard(**read) : Status::success();
    }
    removeImageEditing();
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
    return copied;
}

Image::Pointer RichTextImageEditor::overlayImage() const
{
    if (!m_overlayImage || !m_overlayImage->image())
        return nullptr;
    return std::const_pointer_cast<Image>(m_overlayImage->image());
}

Result<Image::Pointer> RichTextImageEditor::generatePhotoStackWithImage(const Image& image)
{
    Size size = image.size();
    Result<std::unique_ptr<GraphicsContext>> made =
        GraphicsContext::imageContext(Size{size.width + 45, size.height + 45}, image.scale());
    if (!made)
        return made.error();
    GraphicsContext& context = **made;
    Rect picture{{25, 25}, size};
    context.setShadow(Size{0, 0}, 10, Color::colorWithWhite(0, 0.5));
    context.beginTransparencyLayer();
    context.drawImage(image, picture);
    context.setStrokeColor(Color::colorWithWhite(1));
    context.setLineWidth(8);
    context.moveToPoint(picture.origin);
    context.addLineToPoint(Point{picture.maxX(), picture.minY()});
    context.addLineToPoint(Point{picture.maxX(), picture.maxY()});
    context.addLineToPoint(Point{picture.minX(), picture.maxY()});
    context.closePath();
    context.strokePath();
    context.endTransparencyLayer();
    return context.makeImage();
}

void RichTextImageEditor::borderImage()
{
    Image::Pointer picture = overlayImage();
    if (!picture) {
        removeImageEditing();
        return;
    }
    Result<Image::Pointer> framed = generatePhotoStackWithImage(*picture);
    if (framed && m_host.insertImage)
        (void)m_host.insertImage(*framed, false);
    removeImageEditing();
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void RichTextImageEditor::cropImage()
{
    Image::Pointer picture = overlayImage();
    if (!m_overlay || !picture)
        return;
    m_overlay->hideEditingHandles();
    m_overlayImage->setAlpha(0);
    // The crop lies over the picture itself, inside the frame's handles.
    m_cropper = ImageCropInterface::make(m_overlayImage->frame(), picture);
    m_cropper->setShadowColor(Color::colorWithRed(1, 0, 0, 0.6));
    m_cropper->setBorderColor(Color::colorWithRed(1, 0, 0, 1));
    m_overlay->addSubview(m_cropper);
    if (m_host.showMenu)
        m_host.showMenu({{imageEditorText("Crop"), "executeCropImage:"}, {imageEditorText("Cancel"), "removeImageEditing"}}, m_overlay->frame());
}

void RichTextImageEditor::executeCropImage()
{
    if (!m_cropper)
        return;
    m_overlayImage->setAlpha(1);
    Result<Image::Pointer> cropped = m_cropper->getCroppedImage();
    m_cropper->removeFromSuperview();
    m_cropper.reset();
    if (!cropped) {
        removeImageEditing();
        return;
    }
    Size size = (*cropped)->size();
    if (m_host.sendScript) {
        m_host.sendScript(PageScript::fill(std::string(kElement) + "elem.width={}", {size.width}));
        m_host.sendScript(PageScript::fill(std::string(kElement) + "elem.height={}", {size.height}));
    }
    if (m_host.insertImage)
        (void)m_host.insertImage(*cropped, true);
    removeImageEditing();
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void RichTextImageEditor::removeImageEditing()
{
    if (m_cropper) {
        if (m_overlayImage)
            m_overlayImage->setAlpha(1);
        m_cropper->removeFromSuperview();
        m_cropper.reset();
    }
    if (!m_overlay)
        return;
    if (m_host.sendScript)
        m_host.sendScript(kEndEditingScript);
    if (m_host.removeOverlay)
        m_host.removeOverlay(m_overlay);
    m_overlay.reset();
    m_overlayImage.reset();
    m_wasEditingImage = true;
}

} // namespace folio
