#pragma once

#include "documents/DocumentKind.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"

#include <string>

namespace folio {

struct ExportPreferences;

// The print renderer with page numbers: the pages the web view printed are
// drawn onto sheets of the chosen paper size, each numbered at its top
// right when page numbers are on. Printing from the application runs
// converted documents through it.
class UIPrintPageRendererMarquent {
public:
    struct Options {
        bool pageNumbers = false;
        Size pageSize{612, 792};
        // The right page margin in points; the number's box ends 60 points inside it.
        double rightMargin = 0;
        // How many printed pages make the sheets.
        enum class Pages {
            AsPrinted,
            // A two-page print is one page: the second is the empty page the
            // web view leaves after a one-page document.
            OnePageDocument,
        };
        Pages pages = Pages::AsPrinted;
    };

    UIPrintPageRendererMarquent() = delete;

    // Page numbers when the user wants them, on the paper the user chose
    // (Letter without one), inside the general right margin (none for QV
    // documents, whose pages set their own).
    static Options optionsFromPreferences(const ExportPreferences& preferences, DocumentKind kind,
                                       Options::Pages pages = Options::Pages::AsPrinted);

    // Draws every page of the printed PDF into a new PDF at `outputPath`;
    // the output replaces an old file only when it is complete.
    static Status printToPDF(const std::string& printedPDFPath, const std::string& outputPath, const Options& options);

    // The box of the number of each page.
    static Rect numberRect(const Options& options);
};

} // namespace folio
