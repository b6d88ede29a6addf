#include "export/pdf/PDFExportRequest.h"

#include "export/ExportSource.h"
#include "platform/foundation/UserDefaults.h"

namespace folio {

EdgeInsets PDFExportRequest::margins(const UserDefaults& defaults, bool markdownSettings)
{
    const char* prefix = markdownSettings ? "markdownPageMargin" : "marquentPageMargin";
    auto read = [&](const char* side) {
        return static_cast<double>(defaults.floatForKey(std::string(prefix) + side).value_or(0));
    };
    return {read("Top"), read("Left"), read("Bottom"), read("Right")};
}

Result<std::shared_ptr<NDHTMLtoPDF>> PDFExportRequest::start(const ExportSource& source, Origin origin,
                                                             const std::string& destination, int action,
                                                             NDHTMLtoPDFDelegate* delegate, UserDefaults& defaults,
                                                             NDHTMLtoPDFEnvironment environment)
{
    bool fromBrowser = origin == Origin::BrowserRequest;
    Result<std::string> html = source.PDFSourceHTML(
        fromBrowser ? ExportSource::OpenEditor::Use : ExportSource::OpenEditor::Ignore, fromBrowser);
    if (!html)
        return html.error();
    bool markdownMargins = !fromBrowser && source.kind() == DocumentKind::Markdown;
    // Read after the source: reading RTF stores the document's own margins.
    EdgeInsets pageMargins = margins(defaults, markdownMargins);
    environment.defaults = &defaults;
    return NDHTMLtoPDF::createPDFWithHTML(*html, source.displayedName(), destination, delegate, {612, 810},
                                          pageMargins, action, source.fileType(), std::move(environment));
}

} // namespace folio
