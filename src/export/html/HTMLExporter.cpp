#include "export/html/HTMLExporter.h"

#include "export/html/HTMLPictureInliner.h"
#include "platform/foundation/AppFolders.h"


namespace folio {

Result<std::string> HTMLExporter::contents(const ExportSource& source, ExportSource::OpenEditor openEditor)
{
    Result<std::string> html = source.HTMLData(openEditor);
    if (!html)
        return html;
    return HTMLPictureInliner::inliningPictures(*html, AppFolders::pictureFolderForDocument(source.pictureDocumentName()));
}

Result<std::shared_ptr<ExportTask>> HTMLExporter::start(const ExportSource& source, ExportRequest request,
                                                        Completion completion)
{
    return finishWithContents(contents(source, request.openEditor), request.outputPath, completion);
}

} // namespace folio
