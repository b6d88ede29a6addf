#pragma once

#include "platform/foundation/Error.h"

#include <string>
#include <vector>

namespace folio {

// Printed text found in a picture with tesseract, line by line, in reading
// order. Languages are tesseract's ("eng"); their data package must be
// installed.
class TextRecognizer {
public:
    TextRecognizer() = delete;

    static constexpr const char* kDefaultLanguage = "eng";

    static bool isAvailable(const std::string& language = kDefaultLanguage);
    // The lines of text in the picture file (PNG, JPEG, ...), without
    // their line breaks; blank lines are left out.
    static Result<std::vector<std::u16string>> recognizeLines(const std::string& picturePath,
                                                              const std::string& language = kDefaultLanguage);
};

} // namespace folio
