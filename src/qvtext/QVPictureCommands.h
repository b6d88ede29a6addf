#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/MenuController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class AlertController;
class CameraPhotoTaker;
class ImageCropInterface;
class PageConnection;
class UserResizableView;
class View;

// Pictures in the QV text page. Each picture lives in the document itself,
// as an `img` whose source is a JPEG data URL. The page marks the picture
// the user touched with the selected id; this class puts a resizable frame
// over it and offers the picture menu (delete, wrap, align, crop, settings),
// resizes and moves it, crops it, frames it, copies it and replaces it.
class QVPictureCommands {
public:
    static constexpr const char* kSelectedId = "imageSelected_555";
    static constexpr const char* kUnselectedId = "imageUnSelected_444";
    static constexpr double kSelectDelaySeconds = 0.5;
    static constexpr double kMenuDelaySeconds = 0.8;
    static constexpr double kJPEGQuality = 0.5;

    struct Host {
        std::function<void()> documentIsDirty{};
        std::function<void(std::shared_ptr<AlertController>)> presentAlert{};
        // The view the frame stands in (the page's view), and its height
        // that one screen of the page takes.
        std::function<std::shared_ptr<View>()> overlayParent{};
        std::function<double()> visibleHeight{};
        // Pictures are fitted into a square of this side.
        std::function<double()> viewWidth{};
        std::function<bool()> isPhoneInLandscape{};
        std::function<bool()> isClosing{};
        std::function<void()> endEditing{};
        // The screen's scale, at which a crop keeps its pixels.
        std::function<double()> screenScale{};
        // The editor takes the menu's commands.
        std::function<void()> becomeFirstResponder{};
        // Where another editor on this road places pictures its own way:
        // its picture markup, its menu, whether an inserted picture comes
        // up selected, and whether a touch waits for the page to stop
        // scrolling. Empty means the QV text editor's way.
        std::function<std::string(const std::string& base64, Size size, bool rightToLeft)> pictureHTML{};
        std::function<std::vector<MenuItem>()> imageMenuItems{};
        std::function<bool()> selectsInsertedPicture{};
        std::function<bool()> ignoresTouch{};
    };

    QVPictureCommands(PageConnection& page, Host host);
    ~QVPictureCommands();
    QVPictureCommands(const QVPictureCommands&) = delete;
    QVPictureCommands& operator=(const QVPictureCommands&) = delete;

    // A picture file the user chose, inserted at the caret (`attachImage`);
    // what is not a picture is refused with an alert.
    Status insertPictureFile(const std::string& path);
    // Asks the desktop's picture chooser, then inserts.
    void attachImage();
    // Camera access checked, then the camera's picture inserted (or the
    // user told there is no camera or how to allow it).
    void takePhoto();
    CameraPhotoTaker& cameraPhotoTaker() { return *m_camera; }
    // Asks for a picture and puts it in place of the selected one.
    void replaceImage();
    Status replaceSelectedPicture(const Image::Pointer& image);

    // Inserts at the caret; the new picture comes up selected half a
    // second later.
    Status insertImage(const Image::Pointer& image);
    // Selects the picture the page marked: the frame over it, and the menu.
    void delayedTapInImage();
    // The page marked a touched picture: it is selected half a second later.
    void scheduleSelection();
    void showImageMenu();
    void removeResizableView();
    // The page has moved the selected picture (a drag let go, a scroll):
    // the frame goes back over it, where the page now draws it.
    void followPicture();

    // The picture menu's commands.
    void deleteImage();
    void leftImage();
    void rightImage();
    void centerImage();
    void wrapLeftImage();
    void wrapRightImage();
    void wrapNoneImage();
    void settingsImage();
    Status copyImage();
    Status cropImage();
    Status executeCropImage();
    Status borderImage();

    // Whether an edit-menu action may run now, for the picture actions;
    // nothing for actions this class does not decide.
    std::optional<bool> canPerformAction(const std::string& action) const;
    // Runs a picture action sent by the edit menu; false for any other.
    bool performAction(const std::string& action);

    const std::shared_ptr<UserResizableView>& currentlyImageResizableView() const { return m_overlay; }
    const std::shared_ptr<ImageCropInterface>& cropper() const { return m_cropper; }
    bool wasEditingImage() const { return m_wasEditingImage; }

    // Half of each side when both exceed 200 points.
    static Size displaySize(Size points);
    // The HTML of a new picture on its own centred line.
    static std::string pictureHTML(const std::string& base64, Size size, bool rightToLeft);
    // The picture menu's rows, in order.
    static std::vector<MenuItem> imageMenuItems();
    // A framed copy: the picture on a transparent sheet 45 points larger,
    // with a soft shadow and a white border.
    static Result<Image::Pointer> generatePhotoStackWithImage(const Image::Pointer& image);

    void cancelPendingTasks();

private:
    void runImageScript(const std::string& script);
    Result<Image::Pointer> selectedPicture();
    // Where the page draws the selected picture, in the page view's points.
    std::optional<Rect> pictureBox();
    void dirty();

    PageConnection& m_page;
    Host m_host;
    std::shared_ptr<UserResizableView> m_overlay;
    std::shared_ptr<ImageCropInterface> m_cropper;
    Point m_initialPointOfImage;
    std::unique_ptr<CameraPhotoTaker> m_camera;
    bool m_wasEditingImage = false;
};

} // namespace folio
