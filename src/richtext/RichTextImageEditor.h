#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class ImageCropInterface;
class ImageView;
class UserResizableView;

// Editing a picture of the rich-text page: a tap on it lays a resizable
// frame showing the same picture over it, exactly where the page draws it
// (the page hides its own), whose
// moves and resizes move and resize the picture in the page; its menu
// deletes, aligns, wraps, crops or frames it, and copy puts it on the
// clipboard. The picture under edit carries the id "marquent_555" and is
// renamed "marquent_444" when editing ends; the first tap on a picture
// after an edit ended only ends that state.
class RichTextImageEditor {
public:
    static constexpr double kTapDelaySeconds = 0.4;
    static constexpr double kMenuDelaySeconds = 0.8;

    struct Host {
        // A page answer, waited for.
        std::function<std::string(const std::string& script)> readString{};
        std::function<void(const std::string& script)> sendScript{};
        // The folder the document's pictures are stored in.
        std::function<std::string()> pictureFolder{};
        std::function<bool()> hasDocument{};
        std::function<bool()> isClosing{};
        std::function<bool()> isPhoneInLandscape{};
        // Puts the frame over the page at its frame, and takes it away.
        std::function<void(const std::shared_ptr<UserResizableView>&)> showOverlay{};
        std::function<void(const std::shared_ptr<UserResizableView>&)> removeOverlay{};
        // The edit menu with these items (title, action) at a rectangle of the frame.
        std::function<void(const std::vector<std::pair<std::u16string, std::string>>&, const Rect&)> showMenu{};
        std::function<Status(const Image&)> copyToPasteboard{};
        // A new file in place of the picture under edit; `autoResize` NO
        // keeps its displayed size.
        std::function<Status(const Image::Pointer&, bool autoResize)> insertImage{};
        std::function<void()> endEditing{};
        std::function<void()> documentIsDirty{};
    };

    explicit RichTextImageEditor(Host host);
    ~RichTextImageEditor();
    RichTextImageEditor(const RichTextImageEditor&) = delete;
    RichTextImageEditor& operator=(const RichTextImageEditor&) = delete;

    // The page's report of a tap on a picture: the edit starts a little
    // later, unless the page scrolls first.
    void imageTouched(std::optional<Point> point = std::nullopt);
    void cancelPendingTap();
    void delayedTapInImage(std::optional<Point> point);

    bool isEditingImage() const { return m_overlay != nullptr; }
    bool isCropping() const { return m_cropper != nullptr; }
    bool wasEditingImage() const { return m_wasEditingImage; }
    const std::shared_ptr<UserResizableView>& currentlyEditingView() const { return m_overlay; }
    const std::shared_ptr<ImageCropInterface>& cropper() const { return m_cropper; }
    Point initialPointOfImage() const { return m_initialPoint; }
    // Which side of the picture under edit stays put: "left", "right" or "center".
    const std::string& alignment() const { return m_align; }

    // The frame's reports.
    void userResizableViewDidEndEditing();
    void userResizableViewDidTranslate(UserResizableView& view);
    void userResizableViewDidMoveEditing(UserResizableView& view);
    void showImageMenuAtPoint();
    // The page has moved the picture under edit (a drag let go, a scroll):
    // the frame goes back over it, where the page now draws it.
    void followPicture();

    // Commands of the picture's menu, by their action names ("deleteImage:"
    // ...); answers whether the action is one of them.
    bool performAction(const std::string& action);
    void deleteImage();
    Status copyImage();
    void borderImage();
    void cropImage();
    void executeCropImage();
    void removeImageEditing();

    // The picture framed for "Border": 45 points wider and higher, drawn at
    // (25, 25) with a white 8-point line around it and a soft shadow.
    static Result<Image::Pointer> generatePhotoStackWithImage(const Image& image);
    // The file a picture's `src` names, looked for in the document's picture
    // folder; none for a `src` that names no file.
    static std::optional<std::string> pictureFileForSource(const std::string& source, const std::string& folder);

private:
    double readNumber(const char* property) const;
    // Where the page draws the picture under edit, in the page view's points.
    std::optional<Rect> pictureBox() const;
    void applyInitialPointRule(double x, double y, double width, const std::string& align);
    void runAndEnd(std::initializer_list<const char*> scripts);
    Image::Pointer overlayImage() const;

    Host m_host;
    std::shared_ptr<UserResizableView> m_overlay;
    std::shared_ptr<ImageView> m_overlayImage;
    std::shared_ptr<ImageCropInterface> m_cropper;
    Point m_initialPoint{};
    std::string m_align = "left";
    bool m_wasEditingImage = false;
};

} // namespace folio
