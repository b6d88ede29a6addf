#pragma once

#include "export/PDFAction.h"

#include <string>
#include <string_view>

namespace folio {

// Where exported PDFs go and which action code they carry to the code that
// acts on the finished file.
class ExportNaming {
public:
    // Where a synced folder lives, which changes where copies may go.
    enum class Scope { Local, Dropbox, iCloud };

    ExportNaming() = delete;

    // "<folder>/<name without extension>-Copy.<extension>" beside the item.
    static std::string copyPath(std::string_view itemPath, std::string_view extension = "pdf");
    // "<folder>/<full name>-mm-ss.pdf", for when the copy's name is taken.
    static std::string timedCopyPath(std::string_view itemPath, int minutes, int seconds);
    // "<folder>/<name>.pdf" in a temporary folder.
    static std::string temporaryPath(std::string_view temporaryFolder, std::string_view itemPath);

    // Files of the old format name their own actions.
    static bool isLegacyDocument(std::string_view path);
    // The action codes of old-format files (13 to 16), whose PDFs place the
    // header and footer at fixed side margins.
    static bool isLegacyAction(PDFAction action)
    {
        return action >= PDFAction::MarquentPreview && action <= PDFAction::MarquentDismissProgress;
    }
    // A request from the browser: old-format documents open (13) or mail (14).
    static PDFAction actionForBrowserRequest(std::string_view path, PDFAction action);
    // Conversion with opening: project folders of another maker's app (55),
    // old-format documents (16), everything else 12.
    static PDFAction actionForConvertAndOpen(std::string_view path, Scope scope);
    // Conversion for a preview: old-format documents 13, else 1.
    static PDFAction actionForPreview(std::string_view path);
};

} // namespace folio
