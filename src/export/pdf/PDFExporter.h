#pragma once

#include "export/Exporter.h"
#include "export/pdf/NDHTMLtoPDF.h"

namespace folio {


// A document as a PDF: its HTML by kind, the page margins the user set, the
// name shown in "[title]", through the HTML-to-PDF converter.
class PDFExporter final : public Exporter {
public:
    explicit PDFExporter(NDHTMLtoPDFEnvironment environment = {});

    std::string_view format() const override { return "pdf"; }
    bool needsWebView() const override { return true; }
    // The task is the converter (see `converter`).
    Result<std::shared_ptr<ExportTask>> start(const ExportSource& source, ExportRequest request,
                                              Completion completion) override;

    // The converter of a task this exporter started.
    static std::shared_ptr<NDHTMLtoPDF> converter(const ExportTask& task);

    // The pages of the source's PDF: the document's own page values, and the
    // user's page size, Markdown style and Markdown margins. Reads no file
    // the source has not read already.
    static PDFPageSetup pageSetup(const ExportSource& source, const ExportRequest& request,
                                  bool tabletClassDevice);

private:
    NDHTMLtoPDFEnvironment m_environment;
};

} // namespace folio
