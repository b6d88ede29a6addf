#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class AlertController;

// Puts pictures into the rich-text page: each is stored as a PNG file in the
// document's picture folder and shown by an `img` element, new at the caret
// or in place of the picture being edited. A chosen file is decoded from its
// bytes, whatever its name says; what is not a picture is refused with an
// alert and nothing is written.
class RichTextPictureInserter {
public:
    // The id of the picture being inserted or edited, and of one whose
    // editing has ended.
    static constexpr const char* kSelectedPictureId = "marquent_555";
    static constexpr const char* kEndedPictureId = "marquent_444";
    // The font of the line a picture sits on when the style names none.
    static constexpr const char* kDefaultFontName = "Helvetica";

    struct Host {
        std::function<void(const std::string& script)> sendScript{};
        // A number the page answers; none when it cannot.
        std::function<std::optional<double>(const std::string& script)> readNumber{};
        // The document's name: its file name without extension.
        std::function<std::string()> documentName{};
        // The current style's font name, and the bold, italic and underline
        // state of the style buttons.
        std::function<std::string()> currentStyleFontName{};
        std::function<bool()> isBold{};
        std::function<bool()> isItalic{};
        std::function<bool()> isUnderlined{};
        std::function<bool()> isRightToLeft{};
        // A picture is under edit: the new one replaces it.
        std::function<bool()> isEditingPicture{};
        std::function<void()> removeImageEditing{};
        std::function<void()> documentIsDirty{};
        std::function<void(std::shared_ptr<AlertController>)> presentAlert{};
        // The editor view's width: pictures are made to fit a square this wide.
        std::function<double()> viewWidth{};
        // A fresh unique string for file names.
        std::function<std::string()> makeUUID{};
    };

    explicit RichTextPictureInserter(Host host);

    // The picture file the user chose: its bytes are decoded (PNG or JPEG,
    // turned upright), scaled to fit the view and inserted.
    Status insertPictureFile(const std::string& path);
    // Stores the picture and puts it into the page. `autoResize` NO keeps the
    // size of the picture being replaced, as the page reports it.
    Status insertImage(const Image::Pointer& image, bool autoResize);

    // Half of each side when both exceed 200 points, else the full size.
    static Size displaySize(Size points);
    // A free "image-UUID.png" name in the folder, numbered on a clash.
    static std::string freeFileName(const std::string& folder, const std::function<std::string()>& makeUUID);
    // The `src` of a stored picture: a file URL, percent-encoded, so that a
    // folder named "Why?" or "50%" reads back as that folder.
    static std::string pictureSource(const std::string& path);
    // The HTML of a new picture on its own centred line.
    static std::string pictureHTML(const std::string& fontName, const std::string& style, const std::string& source,
                                   Size size, bool rightToLeft);
    // The message of the alert for a file that is not a picture.
    static std::shared_ptr<AlertController> notAPictureAlert(const std::string& reason);

private:
    std::string styleText() const;
    bool flag(const std::function<bool()>& answer) const { return answer && answer(); }

    Host m_host;
};

} // namespace folio
