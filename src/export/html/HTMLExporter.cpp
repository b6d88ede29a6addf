#include "export/html/HTMLExporter.h"

namespace folio {

Result<std::string> HTMLExporter::contents(const ExportSource& source, ExportSource::OpenEditor openEditor)
{
    return source.HTMLData(openEditor);
}

Result<std::shared_ptr<ExportTask>> HTMLExporter::start(const ExportSource& source, ExportRequest request,
                                                        Completion completion)
{
    return finishWithContents(contents(source, request.openEditor), request.outputPath, completion);
}

} // namespace folio
