#pragma once

#include "platform/foundation/Error.h"

#include <optional>
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
    // The page on white; a document that carries its own paper colour (a
    // QV document's body-style block) names it in ownPaper.
    static Result<std::string> pageOnWhite(const ExportSource& source, std::optional<std::string>& ownPaper);
};

} // namespace folio
