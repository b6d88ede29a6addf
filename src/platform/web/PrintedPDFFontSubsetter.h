#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <cstddef>
#include <string>

namespace folio {

// The web engine's printed PDF embeds every TrueType face it uses whole,
// hundreds of kilobytes each however few glyphs the pages show. This writes
// the file again with each such face cut down to the glyphs its pages show.
class PrintedPDFFontSubsetter {
public:
    static constexpr const char* kErrorDomain = "PrintedPDFFontSubsetter";
    enum ErrorCode { NothingToSubset = 1 };

    // The smaller file, or an error saying why the printed one should be
    // kept as it is: a structure it does not follow for certain, or no face
    // it could make smaller.
    static Result<Data> subsetEmbeddedFonts(Data printedPDF);

    // Writes the printed PDF to `outputPath` with its faces cut down, or as
    // it is when they cannot be or the result would not read the same;
    // answers the number of pages. What poppler cannot read is an error, and
    // nothing is written.
    static Result<std::size_t> writeToFile(const std::string& printedPDFPath, const std::string& outputPath);
};

} // namespace folio
