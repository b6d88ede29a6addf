#include "export/epub/EPubExporter.h"

#include "engine/attachments/PictureFolderSink.h"

#include "export/StagingFolder.h"
#include "export/BookmarkTargets.h"

#include "export/epub/EPubChapterMarkup.h"
#include "export/epub/EPubPackageWriter.h"
#include "export/ExportDelivery.h"
#include "export/ExportSource.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/html/HTMLSanitizer.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/ZipArchive.h"

namespace folio {

namespace {

Error exportError(EPubExporter::ErrorCode code, std::string message)
{
    return Error{EPubExporter::kErrorDomain, code, std::move(message)};
}

void removeIfPresent(const std::string& path)
{
    if (FileManager::fileExists(path))
        FileManager::removeItem(path);
}

Status writeFile(const std::string& path, const std::string& contents)
{
    if (Status written = FileManager::writeAtomically(path, contents); !written)
        return exportError(EPubExporter::WriteFailed, written.error().message);
    return Status::success();
}

} // namespace

EPubExporter::EPubExporter(Clock clock)
    : m_clock(std::move(clock))
{
}

std::string EPubExporter::temporaryPath(const ExportSource& source)
{
    // The displayed name must stay one file name in the temporary folder.
    std::string packageName = AppFolders::sanitizeFileName(source.displayedName());
    if (packageName.empty())
        packageName = "Document";
    return AppFolders::temporaryFolder() + "/" + packageName + ".epub";
}

Result<std::shared_ptr<ExportTask>> EPubExporter::start(const ExportSource& source, ExportRequest request,
                                                        Completion completion)
{
    Result<std::string> book = makeBook(source, request);
    if (!book)
        return book.error();
    completion(std::move(*book));
    return std::make_shared<ExportTask>();
}

Result<std::string> EPubExporter::makeBook(const ExportSource& source, const ExportRequest& request) const
{
    const std::string& path = source.path();
    if (path.empty() || !FileManager::fileExists(path) || FileManager::isDirectory(path))
        return exportError(NoFile, "No document at " + path);
    std::string fileName = source.fileName();
    std::string title = source.displayedName();

    std::optional<std::string> seed = Resources::pathForResource(kSeedResource, "", kSeedSubfolder);
    if (!seed)
        return exportError(SeedMissing, "The resource " + std::string(kSeedResource) + " is missing");
    Result<StagingFolder> made = StagingFolder::make("epub");
    if (!made)
        return exportError(StagingFailed, made.error().message);
    const StagingFolder& staging = *made;
    // The book is made beside its generated files and delivered when complete.
    std::string package = staging.path("book.epub");
    if (Status copied = FileManager::copyItem(*seed, package); !copied) {
        TELog(TELogLevelWarning, "Warning: rsc can not be copied to ePub temporary folder: " + staging.path("OPS"));
        return exportError(SeedMissing, copied.error().message);
    }
    // From here on a failure must not leave a seed-only book that looks finished.
    auto fail = [&](Error error) -> Result<std::string> {
        removeIfPresent(package);
        return error;
    };

    for (const char* folder : {"META-INF", "OPS/css"}) {
        if (Status created = FileManager::createDirectory(staging.path(folder)); !created)
            return fail(exportError(StagingFailed, created.error().message));
    }

    // The chapter's pictures are written straight into the book's own
    // picture folder, which the chapter names them relative to.
    std::string pictureFolder = staging.path(EPubPackageWriter::kPictureFolder);
    PictureFolderSink pictures(pictureFolder, std::string(EPubPackageWriter::kChapterPictureFolder) + "/",
                               PictureFolderSink::Originals::Drop);
    Result<std::string> html = source.HTML(ExportSource::Purpose::EPub, request.openEditor, false, &pictures);
    if (!html)
        return fail(exportError(NoContent, html.error().message));

    EPubPackageInfo info;
    info.title = title;
    info.identifier = makeUUIDString();
    info.creator = TEObjectTextAttachment::kApplicationName;
    info.date = EPubPackageInfo::dateString(m_clock());
    info.modified = EPubPackageInfo::modifiedString(m_clock());
    if (pictures.hasStoredPictures())
        info.pictures = ExportDelivery::pictureFileNames(pictureFolder);
    std::vector<std::string> packedPictures;
    for (const std::string& picture : info.pictures)
        packedPictures.push_back(std::string(EPubPackageWriter::kChapterPictureFolder) + "/" + picture);

    // A book is read alone: a link to a bookmark it does not hold leads
    // nowhere, and its words are kept as text.
    const std::string chapter = BookmarkTargets::linked(HTMLSanitizer::sanitizedHTML(*html, HTMLSanitizer::Use::Export),
                                                        BookmarkTargets::Dangling::AsText);
    const std::pair<const char*, std::string> files[] = {
        {EPubPackageWriter::kContainerPath, EPubPackageWriter::containerXML()},
        {EPubPackageWriter::kStyleSheetPath, EPubPackageWriter::styleSheet()},
        {EPubPackageWriter::kNCXPath, EPubPackageWriter::navigationControlFile(info)},
        {EPubPackageWriter::kPackagePath, EPubPackageWriter::packageDocument(info)},
        {EPubPackageWriter::kNavigationPath, EPubPackageWriter::navigationDocument(info)},
        {EPubPackageWriter::kChapterPath,
         EPubPackageWriter::chapterDocument(info, EPubChapterMarkup::xhtmlContent(chapter, &packedPictures))},
    };
    for (const auto& [relative, contents] : files) {
        if (Status written = writeFile(staging.path(relative), contents); !written)
            return fail(written.error());
    }

    if (Status zipped = DKZipArchive::createAppendZipFile(package, {staging.path("META-INF"), staging.path("OPS")});
        !zipped)
        return fail(exportError(ZipFailed, zipped.error().message));
    if (Status delivered = ExportDelivery::deliver(package, request.outputPath); !delivered)
        return fail(exportError(WriteFailed, delivered.error().message));
    return request.outputPath;
}

} // namespace folio
