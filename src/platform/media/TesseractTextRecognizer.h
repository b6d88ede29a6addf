#pragma once

#include "platform/foundation/Error.h"

#include <string>
#include <vector>

namespace folio {

// Text recognition on tesseract and leptonica (TextRecognizer's engine).
class TesseractTextRecognizer {
public:
    TesseractTextRecognizer() = delete;

    static bool isAvailable(const std::string& language);
    static Result<std::vector<std::u16string>> recognizeLines(const std::string& picturePath,
                                                              const std::string& language);
};

} // namespace folio
