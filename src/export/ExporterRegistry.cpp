#include "export/ExporterRegistry.h"

#include "export/epub/EPubExporter.h"
#include "export/html/HTMLExporter.h"
#include "export/pdf/PDFExporter.h"
#include "export/png/PNGExporter.h"
#include "export/rtfd/RTFDExporter.h"
#include "export/txt/TextExporter.h"

namespace folio {

ExporterRegistry::ExporterRegistry(const ExporterEnvironment& environment)
{
    m_exporters.push_back(std::make_unique<PDFExporter>(environment.PDF));
    m_exporters.push_back(std::make_unique<EPubExporter>());
    m_exporters.push_back(std::make_unique<RTFDExporter>(environment.converter));
    m_exporters.push_back(std::make_unique<HTMLExporter>());
    m_exporters.push_back(std::make_unique<TextExporter>());
    m_exporters.push_back(std::make_unique<PNGExporter>(
        PNGExporter::Environment{environment.pictureWebViewFactory, {}}));
}

Exporter* ExporterRegistry::exporterForFormat(std::string_view format) const
{
    for (const auto& exporter : m_exporters) {
        if (exporter->format() == format)
            return exporter.get();
    }
    return nullptr;
}

std::vector<std::string_view> ExporterRegistry::formats() const
{
    std::vector<std::string_view> formats;
    for (const auto& exporter : m_exporters)
        formats.push_back(exporter->format());
    return formats;
}

} // namespace folio
