#include "qvtext/QVPictureCommands.h"

#include "foundation/markup/TEBase64Coding.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PicturePicker.h"
#include "platform/ui/UserResizableView.h"
#include "tools/crop/ImageCropInterface.h"
#include "webeditor/CameraPhotoTaker.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"
#include "webeditor/PictureFile.h"

#include <array>
#include <charconv>
#include <utility>

namespace folio {

namespace {

constexpr const char* kErrorDomain = "QVPictureCommands";
enum ErrorCode { NoPicture = 1, NotAPicture = 2, NoSelection = 3, NoCrop = 4 };

constexpr const char* kSelectDelaySelector = "delayedTapInImage:";
constexpr const char* kMenuSelector = "showImageMenuTask";
constexpr double kHalvingThreshold = 200;
constexpr double kOverlayLeftShift = 16;
constexpr double kOverlayTopShift = 12;
constexpr double kOverlayGrowth = 36;
constexpr double kFrameGrowth = 45;
constexpr double kFrameInset = 25;

// Every picture that still carries the selected id gives it up, so that a
// new picture is never the second one with it.
constexpr const char* kReleaseSelectedIdsScript =
    "(function(){var marked=tinymce.activeEditor.getDoc().querySelectorAll('[id=\"imageSelected_555\"]');"
    "for(var i=0;i<marked.length;++i)marked[i].id='imageUnSelected_444';})();";
constexpr const char* kReleaseSelectedIdScript =
    "tinymce.activeEditor.dom.setAttrib('imageSelected_555','id', 'imageUnSelected_444');";
// The size comes as "w_h": the page's size object has no string form.
constexpr const char* kSizeScript =
    "(function(){var s=tinymce.activeEditor.dom.getSize('imageSelected_555');return s.w+'_'+s.h;})()";
constexpr const char* kLeftScript =
    "tinymce.activeEditor.getDoc().getElementById('imageSelected_555').getBoundingClientRect().left";
constexpr const char* kTopScript =
    "tinymce.activeEditor.getDoc().getElementById('imageSelected_555').getBoundingClientRect().top";
constexpr const char* kPictureBoxScript = "selectedPictureBox();";
constexpr const char* kWidthStyleScript = "tinymce.activeEditor.dom.getStyle('imageSelected_555', 'width');";
constexpr const char* kHeightStyleScript = "tinymce.activeEditor.dom.getStyle('imageSelected_555', 'height');";
constexpr const char* kSizeStylesScript = "tinymce.activeEditor.dom.setStyle('imageSelected_555', 'width', '{}px');"
                                          "tinymce.activeEditor.dom.setStyle('imageSelected_555', 'height', '{}px');";

struct MenuEntry {
    const char* title;
    const char* action;
};
constexpr std::array<MenuEntry, 9> kImageMenu{{
    {"Delete", "deleteImage:"},
    {"Wrap Right", "wrapRightImage:"},
    {"Wrap Left", "wrapLeftImage:"},
    {"No Wrap", "wrapNoneImage:"},
    {"Left", "leftImage:"},
    {"Right", "rightImage:"},
    {"Center", "centerImage:"},
    {"Crop", "cropImage:"},
    {"Settings", "settingsImage:"},
}};

// The edit-menu actions that need a selected picture.
constexpr std::array<const char*, 12> kSelectedPictureActions{
    "copyImage:",   "deleteImage:",  "cropImage:",     "borderImage:",    "leftImage:",      "rightImage:",
    "centerImage:", "replaceImage:", "wrapLeftImage:", "wrapRightImage:", "wrapNoneImage:", "settingsImage:"};

// The page's numbers in the C locale; 0 when there is none.
double leadingNumber(const std::string& text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string fixed(double value)
{
    return formatInCLocale("%f", value);
}

std::string sizeStyles(double width, double height)
{
    std::string script = kSizeStylesScript;
    script.replace(script.find("{}"), 2, fixed(width));
    script.replace(script.find("{}"), 2, fixed(height));
    return script;
}

Result<std::string> jpegBase64(const Image& image)
{
    Result<std::vector<std::uint8_t>> jpeg = image.jpegData(QVPictureCommands::kJPEGQuality);
    if (!jpeg)
        return jpeg.error();
    return base64Encode(*jpeg, false);
}

Result<Image::Pointer> imageFromDataURL(const std::string& url)
{
    std::size_t comma = url.find(',');
    if (comma == std::string::npos || comma + 1 >= url.size())
        return Error{kErrorDomain, NotAPicture, "The page gave no picture data"};
    return Image::imageWithData(base64Decode(std::string_view(url).substr(comma + 1)));
}

} // namespace

QVPictureCommands::QVPictureCommands(PageConnection& page, Host host) : m_page(page), m_host(std::move(host))
{
    CameraPhotoTaker::Host camera;
    camera.presentAlert = m_host.presentAlert;
    camera.insertPictureFile = [this](const std::string& path) { return insertPictureFile(path); };
    m_camera = std::make_unique<CameraPhotoTaker>(std::move(camera));
}

QVPictureCommands::~QVPictureCommands()
{
    cancelPendingTasks();
}

void QVPictureCommands::cancelPendingTasks()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void QVPictureCommands::dirty()
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

Size QVPictureCommands::displaySize(Size points)
{
    float width = static_cast<float>(points.width);
    float height = static_cast<float>(points.height);
    if (width > kHalvingThreshold && height > kHalvingThreshold) {
        width = width * 50 / 100;
        height = height * 50 / 100;
    }
    return {width, height};
}

std::string QVPictureCommands::pictureHTML(const std::string& base64, Size size, bool rightToLeft)
{
    std::string picture = rightToLeft ? "<img id=\"imageSelected_555\" src=\"data:image/jpeg;base64,"
                                      : "<img id=\"imageSelected_555\" contenteditable=false src=\"data:image/jpeg;base64,";
    picture += base64 + "\" style=\"width:" + fixed(size.width) + "px;height:" + fixed(size.height) + "px\">";
    return "<p></p><p style=\"text-align:center;\">" + picture + "</p><p style=\"text-align:"
        + (rightToLeft ? "right" : "left") + ";\"></p>";
}

std::vector<MenuItem> QVPictureCommands::imageMenuItems()
{
    std::vector<MenuItem> items;
    for (const MenuEntry& entry : kImageMenu)
        items.push_back({toUtf16(Localization::localizedString(entry.title)), entry.action});
    return items;
}

Status QVPictureCommands::insertImage(const Image::Pointer& image)
{
    if (!image)
        return Error{kErrorDomain, NoPicture, "No picture"};
    Result<std::string> base64 = jpegBase64(*image);
    if (!base64)
        return base64.error();
    Size size = displaySize(image->size());
    bool rightToLeft = m_page.readBool("tinymce.activeEditor.rtl", false);
    m_page.send(kReleaseSelectedIdsScript);
    std::string html =
        m_host.pictureHTML ? m_host.pictureHTML(*base64, size, rightToLeft) : pictureHTML(*base64, size, rightToLeft);
    m_page.read(PageScript::fill("tinymce.activeEditor.execCommand('insertHTML', false, {});"
                                 "tinymce.activeEditor.selection.getNode().scrollIntoViewIfNeeded(false);",
                                 {html}));
    if (m_host.endEditing)
        m_host.endEditing();
    if (!m_host.selectsInsertedPicture || m_host.selectsInsertedPicture())
        scheduleSelection();
    return {};
}

void QVPictureCommands::scheduleSelection()
{
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kSelectDelaySelector);
    loop.performSelectorAfterDelay(this, kSelectDelaySelector, {}, kSelectDelaySeconds, [this] { delayedTapInImage(); });
}

Status QVPictureCommands::insertPictureFile(const std::string& path)
{
    Result<Image::Pointer> picture = PictureFile::read(path, m_host.viewWidth ? m_host.viewWidth() / 2 : 0);
    if (!picture) {
        if (m_host.presentAlert)
            m_host.presentAlert(PictureFile::notAPictureAlert(picture.error().message));
        return Error{kErrorDomain, NotAPicture, picture.error().message};
    }
    return insertImage(*picture);
}

void QVPictureCommands::attachImage()
{
    PicturePicker* picker = PicturePicker::shared();
    if (!picker)
        return;
    picker->pickPicture(toUtf16(Localization::localizedString("Insert Picture")),
                        [this](std::optional<std::string> path) {
                            if (path)
                                (void)insertPictureFile(*path);
                        });
}

void QVPictureCommands::takePhoto()
{
    m_camera->takeAndInsertPhoto();
}

void QVPictureCommands::replaceImage()
{
    PicturePicker* picker = PicturePicker::shared();
    if (!picker || !m_overlay)
        return;
    picker->pickPicture(toUtf16(Localization::localizedString("Replace Picture")),
                        [this](std::optional<std::string> path) {
                            if (!path)
                                return;
                            Result<Image::Pointer> picture =
                                PictureFile::read(*path, m_host.viewWidth ? m_host.viewWidth() / 2 : 0);
                            if (!picture) {
                                if (m_host.presentAlert)
                                    m_host.presentAlert(PictureFile::notAPictureAlert(picture.error().message));
                                return;
                            }
                            (void)replaceSelectedPicture(*picture);
                        });
}

Status QVPictureCommands::replaceSelectedPicture(const Image::Pointer& image)
{
    if (!image)
        return Error{kErrorDomain, NoPicture, "No picture"};
    if (!m_page.readBool("!!tinymce.activeEditor.dom.get('imageSelected_555')", false))
        return Error{kErrorDomain, NoSelection, "No picture is selected"};
    Result<std::string> base64 = jpegBase64(*image);
    if (!base64)
        return base64.error();
    Size size = displaySize(image->size());
    // The picture keeps its place, its id and its alignment; only what it
    // shows and its size change.
    m_page.read(PageScript::fill("tinymce.activeEditor.dom.setAttrib('imageSelected_555', 'src', {});",
                                 {"data:image/jpeg;base64," + *base64})
                + sizeStyles(size.width, size.height));
    dirty();
    scheduleSelection();
    return {};
}

void QVPictureCommands::delayedTapInImage()
{
    RunLoop::main().cancelPreviousPerformRequests(this, kSelectDelaySelector);
    if (m_host.isPhoneInLandscape && m_host.isPhoneInLandscape())
        return;
    if (m_host.ignoresTouch && m_host.ignoresTouch())
        return;
    std::string size = m_page.readString(kSizeScript);
    std::size_t split = size.find('_');
    if (split == std::string::npos)
        return;
    double w = leadingNumber(size.substr(0, split));
    double h = leadingNumber(size.substr(split + 1));
    if (w <= 0 || h <= 0)
        return;
    double left = m_page.readDouble(kLeftScript, 0);
    double top = m_page.readDouble(kTopScript, 0);
    double visible = m_host.visibleHeight ? m_host.visibleHeight() : 0;
    if (visible >= 1 && top > visible)
        top = static_cast<double>(static_cast<long long>(top) % static_cast<long long>(visible));
    if (m_overlay)
        m_overlay->removeFromSuperview();
    auto overlay = UserResizableView::make(makeRect(left - kOverlayLeftShift, top, w, h));
    // The picture in the frame covers the page's own where the page draws
    // it (inside TinyMCE's frame, scrolled, zoomed); a page that cannot say
    // gets the frame at the picture's reported corner.
    if (std::optional<Rect> box = pictureBox())
        overlay->setFrame(UserResizableView::frameForContent(*box));
    else
        overlay->setFrame(makeRect(left - kOverlayLeftShift, top - kOverlayTopShift, w + kOverlayGrowth, h + kOverlayGrowth));
    UserResizableView::Delegate delegate;
    delegate.didBeginEditing = [this](UserResizableView& view) {
        m_initialPointOfImage = view.frame().origin;
    };
    delegate.didTranslate = [this](UserResizableView& view) {
        Point origin = view.frame().origin;
        m_page.send(PageScript::call("moveImageAtTo", {m_initialPointOfImage.x, m_initialPointOfImage.y, origin.x, origin.y}));
    };
    delegate.didMoveEditing = [this](UserResizableView& view) {
        Size content = view.contentView()->frame().size;
        m_page.read(sizeStyles(content.width, content.height));
        // The frame follows the picture to where the page lays it out.
        if (std::optional<Rect> box = pictureBox()) {
            view.setFrame(UserResizableView::frameForContent(*box));
        } else {
            double newLeft = m_page.readDouble(kLeftScript, 0);
            double newTop = m_page.readDouble(kTopScript, 0);
            Rect frame = view.frame();
            view.setFrame(makeRect(newLeft - kOverlayLeftShift, newTop - kOverlayTopShift, frame.width(), frame.height()));
        }
        dirty();
    };
    delegate.didEndEditing = [this](UserResizableView&) {
        // A dragged picture lands at a text position of the page, not
        // where the pointer let go of its frame.
        followPicture();
        RunLoop& loop = RunLoop::main();
        loop.cancelPreviousPerformRequests(this, kMenuSelector);
        loop.performSelectorAfterDelay(this, kMenuSelector, {}, kMenuDelaySeconds, [this] { showImageMenu(); });
    };
    overlay->setDelegate(std::move(delegate));
    if (std::shared_ptr<View> parent = m_host.overlayParent ? m_host.overlayParent() : nullptr)
        parent->addSubview(overlay);
    overlay->showEditingHandles();
    m_overlay = overlay;
    showImageMenu();
}

std::optional<Rect> QVPictureCommands::pictureBox()
{
    std::vector<std::string> parts = componentsSeparatedByString(m_page.readString(kPictureBoxScript), ",");
    if (parts.size() != 4)
        return std::nullopt;
    Rect box = makeRect(floatValue(parts[0]), floatValue(parts[1]), floatValue(parts[2]), floatValue(parts[3]));
    if (box.isEmpty())
        return std::nullopt;
    return box;
}

void QVPictureCommands::followPicture()
{
    if (!m_overlay)
        return;
    if (std::optional<Rect> box = pictureBox())
        m_overlay->setFrame(UserResizableView::frameForContent(*box));
}

void QVPictureCommands::showImageMenu()
{
    RunLoop::main().cancelPreviousPerformRequests(this, kMenuSelector);
    if (m_host.becomeFirstResponder)
        m_host.becomeFirstResponder();
    if (!m_overlay || (m_host.isClosing && m_host.isClosing()))
        return;
    std::vector<MenuItem> items = m_host.imageMenuItems ? m_host.imageMenuItems() : imageMenuItems();
    MenuController& menu = MenuController::shared();
    menu.setMenuItems(std::move(items));
    Rect frame = m_overlay->frame();
    std::shared_ptr<View> parent = m_host.overlayParent ? m_host.overlayParent() : nullptr;
    if (parent)
        menu.showMenuFromView(parent, makeRect(frame.minX() - 16, frame.minY(), frame.width() + 32, frame.height() + 32));
}

void QVPictureCommands::removeResizableView()
{
    if (m_cropper) {
        if (m_overlay)
            m_overlay->contentView()->setAlpha(1.0);
        m_cropper->removeFromSuperview();
        m_cropper.reset();
    }
    if (m_overlay) {
        m_page.send(kReleaseSelectedIdScript);
        m_overlay->removeFromSuperview();
        m_overlay.reset();
        m_wasEditingImage = true;
        // The picture's menu goes with its frame, as a pending one does.
        RunLoop::main().cancelPreviousPerformRequests(this, kMenuSelector);
        MenuController::shared().hideMenu();
    }
}

void QVPictureCommands::runImageScript(const std::string& script)
{
    // TinyMCE's own handles follow the picture once it hears of the change.
    m_page.read(script + "tinymce.activeEditor.nodeChanged();");
    removeResizableView();
    dirty();
}

void QVPictureCommands::deleteImage()
{
    runImageScript(
        "tinymce.activeEditor.selection.select(tinymce.activeEditor.dom.get('imageSelected_555'));"
        "tinymce.activeEditor.execCommand('delete');");
}

void QVPictureCommands::leftImage()
{
    runImageScript("tinymce.activeEditor.dom.setStyle('imageSelected_555', 'float', 'none'); "
                   "tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.getDoc().getElementById('imageSelected_555')."
                   "parentNode, 'textAlign', 'left');");
}

void QVPictureCommands::rightImage()
{
    runImageScript("tinymce.activeEditor.dom.setStyle('imageSelected_555', 'float', 'right');"
                   "tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.dom.get('imageSelected_555').parentNode, "
                   "'textAlign', 'right');");
}

void QVPictureCommands::centerImage()
{
    runImageScript("tinymce.activeEditor.dom.setStyle('imageSelected_555', 'float', 'none'); "
                   "tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.getDoc().getElementById('imageSelected_555')."
                   "parentNode, 'textAlign', 'center');");
}

void QVPictureCommands::wrapLeftImage()
{
    runImageScript("tinymce.activeEditor.dom.setStyle('imageSelected_555', 'float', 'left');");
}

void QVPictureCommands::wrapRightImage()
{
    runImageScript("tinymce.activeEditor.dom.setStyle('imageSelected_555', 'float', 'right');");
}

void QVPictureCommands::wrapNoneImage()
{
    runImageScript("tinymce.activeEditor.dom.setStyle('imageSelected_555', 'float', 'none');");
}

void QVPictureCommands::settingsImage()
{
    if (m_overlay)
        m_overlay->setAlpha(0);
    m_page.send("tinymce.activeEditor.execCommand('mceImage');");
    dirty();
}

Result<Image::Pointer> QVPictureCommands::selectedPicture()
{
    double width = m_page.readDouble(kWidthStyleScript, 0);
    double height = m_page.readDouble(kHeightStyleScript, 0);
    // A picture another program wrote is sized by its attributes or not at
    // all, with no width in its style: drawn at a size of 0 it would come
    // back blank, and a crop, copy or border would put that in its place.
    std::string url = m_page.readString(PageScript::fill(
        "(function(){var img = tinymce.activeEditor.dom.get('imageSelected_555'); if (!img) return '';"
        "var c = document.createElement('CANVAS'); c.width = img.width; c.height = img.height;"
        "var ctx = c.getContext('2d');ctx.drawImage(img, 0, 0, ({})||img.width,({})||img.height);"
        " return c.toDataURL();})()",
        {width, height}));
    return imageFromDataURL(url);
}

Status QVPictureCommands::copyImage()
{
    Result<Image::Pointer> picture = selectedPicture();
    if (!picture)
        return picture.error();
    Status copied = Pasteboard::general().setImage(**picture);
    removeResizableView();
    dirty();
    return copied;
}

Status QVPictureCommands::cropImage()
{
    if (!m_overlay)
        return Error{kErrorDomain, NoSelection, "No picture is selected"};
    m_overlay->hideEditingHandles();
    m_overlay->contentView()->setAlpha(0);
    // The picture is read while it still carries the selected id.
    Result<Image::Pointer> picture = selectedPicture();
    if (!picture) {
        m_overlay->contentView()->setAlpha(1);
        m_overlay->showEditingHandles();
        TELog(TELogLevelWarning, "The picture to crop could not be read: " + picture.error().message);
        return picture.error();
    }
    // The crop lies over the picture itself, inside the frame's handles.
    m_cropper = ImageCropInterface::make(m_overlay->contentView()->frame(), *picture);
    m_cropper->setShadowColor(Color::colorWithRed(1, 0, 0, 0.6));
    m_cropper->setBorderColor(Color::colorWithRed(1, 0, 0));
    m_overlay->addSubview(m_cropper);
    MenuController& menu = MenuController::shared();
    menu.setMenuItems({{toUtf16(Localization::localizedString("Crop")), "executeCropImage:"},
                       {toUtf16(Localization::localizedString("Cancel")), "removeResizableView"}});
    if (std::shared_ptr<View> parent = m_host.overlayParent ? m_host.overlayParent() : nullptr)
        menu.showMenuFromView(parent, m_overlay->frame());
    return {};
}

Status QVPictureCommands::executeCropImage()
{
    if (!m_cropper || !m_overlay)
        return Error{kErrorDomain, NoCrop, "No crop is in progress"};
    m_overlay->contentView()->setAlpha(1);
    Result<Image::Pointer> cropped = m_cropper->getCroppedImage(m_host.screenScale ? m_host.screenScale() : 1);
    m_cropper->removeFromSuperview();
    m_cropper.reset();
    if (!cropped) {
        removeResizableView();
        return cropped.error();
    }
    // The cropped picture takes the place of the one it was cut from, which
    // still carries the selected id; nothing else of the page moves.
    return replaceSelectedPicture(*cropped);
}

Result<Image::Pointer> QVPictureCommands::generatePhotoStackWithImage(const Image::Pointer& image)
{
    if (!image)
        return Error{kErrorDomain, NoPicture, "No picture"};
    Size size = image->size();
    Result<std::unique_ptr<GraphicsContext>> context =
        GraphicsContext::imageContext({size.width + kFrameGrowth, size.height + kFrameGrowth}, image->scale());
    if (!context)
        return context.error();
    GraphicsContext& canvas = **context;
    canvas.setShadow({0, 0}, 10, Color::colorWithWhite(0, 0.5));
    canvas.beginTransparencyLayer();
    Rect picture = makeRect(kFrameInset, kFrameInset, size.width, size.height);
    canvas.drawImage(*image, picture);
    canvas.setStrokeColor(Color::colorWithWhite(1));
    canvas.setLineWidth(8);
    canvas.moveToPoint({picture.minX(), picture.minY()});
    canvas.addLineToPoint({picture.maxX(), picture.minY()});
    canvas.addLineToPoint({picture.maxX(), picture.maxY()});
    canvas.addLineToPoint({picture.minX(), picture.maxY()});
    canvas.closePath();
    canvas.strokePath();
    canvas.endTransparencyLayer();
    return canvas.makeImage();
}

Status QVPictureCommands::borderImage()
{
    Result<Image::Pointer> picture = selectedPicture();
    if (!picture)
        return picture.error();
    Result<Image::Pointer> framed = generatePhotoStackWithImage(*picture);
    if (!framed)
        return framed.error();
    return insertImage(*framed);
}

std::optional<bool> QVPictureCommands::canPerformAction(const std::string& action) const
{
    if (m_cropper)
        return action == "executeCropImage:" || action == "removeResizableView";
    bool pictureAction = action == "editImage:";
    for (const char* name : kSelectedPictureActions)
        pictureAction = pictureAction || action == name;
    if (m_overlay) {
        if (action == "editImage:")
            return m_page.readBool("var element = tinymce.activeEditor.getDoc().getElementById('imageSelected_555');"
                                   "element.hasAttribute('data-sketch');",
                                   false);
        return pictureAction;
    }
    if (pictureAction && action != "settingsImage:")
        return false;
    return std::nullopt;
}

bool QVPictureCommands::performAction(const std::string& action)
{
    static const std::array<std::pair<const char*, void (QVPictureCommands::*)()>, 10> kCommands{{
        {"deleteImage:", &QVPictureCommands::deleteImage},
        {"leftImage:", &QVPictureCommands::leftImage},
        {"rightImage:", &QVPictureCommands::rightImage},
        {"centerImage:", &QVPictureCommands::centerImage},
        {"wrapLeftImage:", &QVPictureCommands::wrapLeftImage},
        {"wrapRightImage:", &QVPictureCommands::wrapRightImage},
        {"wrapNoneImage:", &QVPictureCommands::wrapNoneImage},
        {"settingsImage:", &QVPictureCommands::settingsImage},
        {"removeResizableView", &QVPictureCommands::removeResizableView},
        {"replaceImage:", &QVPictureCommands::replaceImage},
    }};
    for (const auto& [name, command] : kCommands) {
        if (action == name) {
            (this->*command)();
            return true;
        }
    }
    auto report = [&action](Status status) {
        if (!status)
            TELog(TELogLevelWarning, action + " failed: " + status.error().message);
        return true;
    };
    if (action == "copyImage:")
        return report(copyImage());
    if (action == "cropImage:")
        return report(cropImage());
    if (action == "executeCropImage:")
        return report(executeCropImage());
    if (action == "borderImage:")
        return report(borderImage());
    return false;
}

} // namespace folio
