#include "platform/services/TextRecognizer.h"

#include "platform/services/MediaServices.h"

namespace folio {

bool TextRecognizer::isAvailable(const std::string& language)
{
    return MediaServices::shared().isTextRecognitionAvailable(language);
}

Result<std::vector<std::u16string>> TextRecognizer::recognizeLines(const std::string& picturePath, const std::string& language)
{
    return MediaServices::shared().recognizeTextLines(picturePath, language);
}

} // namespace folio
