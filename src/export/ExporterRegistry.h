#pragma once

#include "export/Exporter.h"
#include "export/pdf/NDHTMLtoPDF.h"

#include <memory>
#include <string_view>
#include <vector>

namespace folio {

class RichTextConverter;

// What the exporters are made with; tests give scripted pages.
struct ExporterEnvironment {
    NDHTMLtoPDFEnvironment PDF;
    Exporter::WebViewFactory pictureWebViewFactory;
    std::shared_ptr<RichTextConverter> converter;
};

// The one exporter of each format, for the command line and the application
// controller alike.
class ExporterRegistry {
public:
    explicit ExporterRegistry(const ExporterEnvironment& environment = {});

    // Null for a format no exporter makes.
    Exporter* exporterForFormat(std::string_view format) const;
    // The formats in the order the command line lists them.
    std::vector<std::string_view> formats() const;

private:
    std::vector<std::unique_ptr<Exporter>> m_exporters;
};

} // namespace folio
