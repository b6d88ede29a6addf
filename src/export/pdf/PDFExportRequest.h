#pragma once

#include "export/pdf/NDHTMLtoPDF.h"
#include "platform/foundation/Error.h"

#include <memory>
#include <string>

namespace folio {

class ExportSource;
class UserDefaults;

// Starts the PDF conversion of a document file: its HTML by kind, the page
// margins the user set, the name shown in "[title]".
class PDFExportRequest {
public:
    // A browser request (print, share, open) may use the open editor's
    // content and names the RTF reader's document; a conversion of a listed
    // file reads the file and takes Markdown margins for Markdown documents.
    enum class Origin { BrowserRequest, FileConversion };

    PDFExportRequest() = delete;

    // An error, and nothing started, when the document cannot be read.
    static Result<std::shared_ptr<NDHTMLtoPDF>> start(const ExportSource& source, Origin origin,
                                                      const std::string& destination, int action,
                                                      NDHTMLtoPDFDelegate* delegate, UserDefaults& defaults,
                                                      NDHTMLtoPDFEnvironment environment = {});

    // Top, left, bottom, right in centimetres: the general margin settings,
    // or the Markdown ones.
    static EdgeInsets margins(const UserDefaults& defaults, bool markdownSettings);
};

} // namespace folio
