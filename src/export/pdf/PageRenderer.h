#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace folio {

// The print renderer that makes PDF data: the pages the web view printed,
// each fitted into the printable area (the paper less 20 points on every
// side) of a 792 x 1121 point sheet.
class PageRenderer {
public:
    static constexpr Size kPaperSize{792, 1121};
    static constexpr double kPrintableInset = 20;

    PageRenderer() = delete;

    static Rect paperRect() { return Rect{{0, 0}, kPaperSize}; }
    static Rect printableRect();
    static Result<std::vector<std::uint8_t>> printToPDF(const std::string& printedPDFPath);
};

} // namespace folio
