#pragma once

#include "platform/foundation/Error.h"

#include <gtk/gtk.h>

#include <string>

namespace folio {

// Prints a PDF file through the GTK print dialog, drawing each page with
// poppler at the printer's resolution, fitted to the paper turned the way
// the page is: a landscape page goes on landscape paper.
class GtkPDFPrinter {
public:
    static constexpr const char* kErrorDomain = "GtkPDFPrinter";
    enum ErrorCode { UnreadablePDF = 1, PrintFailed = 2 };

    // Runs the dialog over `parent` (may be null) and prints; a cancelled
    // dialog is no failure.
    static Status printPDFFile(const std::string& path, const std::string& jobName, GtkWindow* parent);
    // The same print without a dialog, on the default paper, into a PDF
    // file: what a printer is sent.
    static Status printPDFFileToFile(const std::string& path, const std::string& outputPath);
};

} // namespace folio
