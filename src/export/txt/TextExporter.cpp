#include "export/txt/TextExporter.h"

#include "platform/foundation/Unicode.h"

namespace folio {

Result<std::string> TextExporter::contents(const ExportSource& source, ExportSource::OpenEditor openEditor)
{
    Result<std::u16string> text = source.plainText(openEditor);
    if (!text)
        return text.error();
    return toUtf8(*text);
}

Result<std::shared_ptr<ExportTask>> TextExporter::start(const ExportSource& source, ExportRequest request,
                                                        Completion completion)
{
    return finishWithContents(contents(source, request.openEditor), request.outputPath, completion);
}

} // namespace folio
