#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"

namespace folio {

// The web engine's print laid out on paper some times larger than the real
// one, written again onto the real paper: each page's box becomes the paper,
// its content is drawn smaller by the same factor, and what is placed in the
// page's own space (its patterns, its links' areas) moves with it. The
// engine's fonts, pictures and text stay as they were written.
class PrintedPDFPageScaler {
public:
    static constexpr const char* kErrorDomain = "PrintedPDFPageScaler";
    enum ErrorCode { Unsupported = 1 };

    // The file on `paper`, its pages drawn at 1/`magnification`; an error
    // for a structure it does not follow for certain.
    static Result<Data> reduced(const Data& printedPDF, const Size& paper, double magnification);
};

} // namespace folio
