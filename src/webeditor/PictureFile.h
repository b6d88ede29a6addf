#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"

#include <memory>
#include <string>

namespace folio {

class AlertController;

// A picture file the user chose for a web-view editor: decoded from its
// bytes, whatever its name says, turned upright and made to fit a square
// of the editor's width (never enlarged).
class PictureFile {
public:
    PictureFile() = delete;

    // `side` 0 or less keeps the picture's own size.
    static Result<Image::Pointer> read(const std::string& path, double side);
    // What the user is told when the file is not a picture.
    static std::shared_ptr<AlertController> notAPictureAlert(const std::string& reason);
};

} // namespace folio
