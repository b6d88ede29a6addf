#pragma once

#include "platform/foundation/Error.h"

#include <string>

namespace folio {

class ExportSource;

// The page a document's preview picture is taken of: the document laid out
// as the PDF export lays it out, from the content its open editor handed
// over when the source carries it, else from the file.
class DocumentPreviewPage {
public:
    DocumentPreviewPage() = delete;

    static Result<std::string> html(const ExportSource& source);

private:
    static Result<std::string> pageOnWhite(const ExportSource& source);
};

} // namespace folio
