#include "export/html/HTMLExporter.h"

#include "engine/attachments/PictureFolderSink.h"
#include "export/BookmarkTargets.h"
#include "platform/foundation/URL.h"

#include <filesystem>

namespace folio {

namespace {

// Unreserved URL characters only: the folder's name stands in an HTML
// attribute and must resolve the same in every browser.
constexpr std::string_view kPlainURLCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~";

} // namespace

namespace {

// A link to a bookmark missing from the document stays a link: the file may
// be read beside the one that has it.
Result<std::string> withBookmarkTargets(Result<std::string> html)
{
    if (!html)
        return html;
    return BookmarkTargets::linked(std::move(*html), BookmarkTargets::Dangling::Keep);
}

} // namespace

Result<std::string> HTMLExporter::contents(const ExportSource& source, ExportSource::OpenEditor openEditor)
{
    return withBookmarkTargets(source.HTMLData(openEditor));
}

std::string HTMLExporter::pictureFolderPath(const std::string& outputPath)
{
    std::filesystem::path output(outputPath);
    return (output.parent_path() / (output.stem().string() + "_files")).string();
}

Result<std::shared_ptr<ExportTask>> HTMLExporter::start(const ExportSource& source, ExportRequest request,
                                                        Completion completion)
{
    if (request.pictures == ExportRequest::Pictures::Inline)
        return finishWithContents(contents(source, request.openEditor), request.outputPath, completion);

    std::string folder = pictureFolderPath(request.outputPath);
    std::error_code ignored;
    bool folderExisted = std::filesystem::exists(folder, ignored);
    std::string folderName = std::filesystem::path(folder).filename().string();
    PictureFolderSink pictures(folder, URL::percentEncode(folderName, kPlainURLCharacters) + "/",
                               PictureFolderSink::Originals::Drop);
    Result<std::shared_ptr<ExportTask>> finished =
        finishWithContents(withBookmarkTargets(source.HTMLData(request.openEditor, &pictures)), request.outputPath,
                           completion);
    // A failed export leaves no folder of pictures that no file names.
    if (!finished && pictures.hasStoredPictures() && !folderExisted)
        std::filesystem::remove_all(folder, ignored);
    return finished;
}

} // namespace folio
