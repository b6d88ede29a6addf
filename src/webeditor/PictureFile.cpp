#include "webeditor/PictureFile.h"

#include "foundation/graphics/ImageResize.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"

namespace folio {

Result<Image::Pointer> PictureFile::read(const std::string& path, double side)
{
    Result<Data> bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return bytes.error();
    Result<Image::Pointer> decoded = Image::imageWithData(bytes->vector());
    if (!decoded)
        return decoded.error();
    Image::Pointer picture = *decoded;
    if (side > 0) {
        Result<Image::Pointer> fitted = ImageResize::resizedImageToFitInSize(picture, {side, side}, false);
        if (fitted)
            picture = *fitted;
    }
    return picture;
}

std::shared_ptr<AlertController> PictureFile::notAPictureAlert(const std::string& reason)
{
    auto alert = AlertController::make(toUtf16(Localization::localizedString("The file is not a picture")),
                                       toUtf16(Localization::localizedString(
                                           "Only PNG and JPEG pictures can be inserted.")
                                               + "\n" + reason));
    alert->addAction(AlertAction::make(toUtf16(Localization::localizedString("OK")), AlertActionStyle::Default));
    return alert;
}

} // namespace folio
