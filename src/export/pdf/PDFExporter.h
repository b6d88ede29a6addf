#pragma once

#include "export/Exporter.h"
#include "export/pdf/NDHTMLtoPDF.h"

namespace folio {

class UserDefaults;

// A document as a PDF: its HTML by kind, the page margins the user set, the
// name shown in "[title]", through the HTML-to-PDF converter.
class PDFExporter final : public Exporter {
public:
    // The converter's surroundings; its defaults are the standard ones when unset.
    explicit PDFExporter(NDHTMLtoPDFEnvironment environment = {});

    std::string_view format() const override { return "pdf"; }
    bool needsWebView() const override { return true; }
    // The task is the converter (see `converter`).
    Result<std::shared_ptr<ExportTask>> start(const ExportSource& source, ExportRequest request,
                                              Completion completion) override;

    // The converter of a task this exporter started.
    static std::shared_ptr<NDHTMLtoPDF> converter(const ExportTask& task);

    // Top, left, bottom, right in centimetres: the general margin settings,
    // or the Markdown ones.
    static EdgeInsets margins(const UserDefaults& defaults, bool markdownSettings);

private:
    NDHTMLtoPDFEnvironment m_environment;
};

} // namespace folio
