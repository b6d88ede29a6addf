#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Range.h"
#include "platform/graphics/Geometry.h"

#include <functional>
#include <string>
#include <vector>

namespace folio {

class GraphicsContext;

// The second half of PDF pagination: the web view prints the page into a
// PDF, and this draws every printed page (as vectors, with its fonts) into
// a new PDF, giving a callback the chance to draw on top of each page - the
// running header and footer. Links on the printed pages stay on the drawn
// ones. The result replaces the output file only when
// every page was drawn.
class PrintedPDFRenderer {
public:
    static constexpr const char* kErrorDomain = "PrintedPDFRenderer";
    enum ErrorCode { UnreadablePDF = 1, NoPages = 2, WriteFailed = 3 };

    // Called once per page after the printed page was drawn, with the
    // zero-based index and the total count.
    using PageCallback =
        std::function<void(GraphicsContext& page, const Size& pageSize, std::size_t pageIndex, std::size_t pageCount)>;

    // Which page number (counted from 1) a printed part must start on.
    enum class FirstPage { Any, Odd, Even };
    // One print among several that make up a document, each on its own paper.
    struct PrintedPart {
        std::string path;
        FirstPage firstPage = FirstPage::Any;
    };
    // As PageCallback, with the part the page belongs to.
    using PartPageCallback = std::function<void(GraphicsContext& page, const Size& pageSize, std::size_t pageIndex,
                                                std::size_t pageCount, std::size_t partIndex)>;

    PrintedPDFRenderer() = delete;

    static Status renderToFile(const std::string& printedPDFPath, const std::string& outputPath,
                               const PageCallback& pageCallback);
    // The pages of every part in turn, numbered on across them. Where a part
    // must start on an odd or even page and would not, a blank page the size
    // of the one before it (which belongs to the part before) comes first,
    // as word processors print it.
    static Status renderPartsToFile(const std::vector<PrintedPart>& parts, const std::string& outputPath,
                                    const PartPageCallback& pageCallback);
    // Every page of a print made `magnification` times larger than `paper`,
    // drawn back down onto `paper`: the engine rounds its text's line heights
    // to whole pixels, and a print laid out larger leaves those roundings
    // that much smaller.
    static Status renderReducedToFile(const std::string& printedPDFPath, const std::string& outputPath,
                                      const Size& paper, double magnification);
    // Only the pages of `pages` (zero-based), as a print renderer asked for
    // them: the result has exactly that many pages, and one the print does
    // not have comes out blank, the size of the print's last page. A range
    // that starts past the print's end is refused.
    static Status renderPageRangeToFile(const std::string& printedPDFPath, const std::string& outputPath, Range pages);
    // The page (zero-based) of every wholly transparent picture of exactly
    // `pixelWidth` by `pixelHeight` pixels the print draws, in page order:
    // marks a print page sets where it needs to learn on which page
    // something landed.
    static Result<std::vector<std::size_t>> markPages(const std::string& printedPDFPath, int pixelWidth,
                                                      int pixelHeight);
    // The number of pages of a PDF file; an error for what poppler cannot read.
    static Result<std::size_t> pageCount(const std::string& path);
};

} // namespace folio
