#pragma once

#include "platform/foundation/Error.h"

#include <string>

namespace folio {

// Prints a finished PDF file.
class PrintService {
public:
    virtual ~PrintService() = default;
    virtual Status printPDFDocumentFromURL(const std::string& path, const std::string& printName) = 0;
};

} // namespace folio
