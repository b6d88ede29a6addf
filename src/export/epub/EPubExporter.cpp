#include "export/epub/EPubExporter.h"

#include "formats/rtf/DKRTFReader.h"
#include "export/epub/EPubChapterMarkup.h"
#include "export/epub/EPubPackageWriter.h"
#include "export/ExportDelivery.h"
#include "export/ExportSource.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/ZipArchive.h"

#include <filesystem>

namespace folio {

namespace {

Error exportError(EPubExporter::ErrorCode code, std::string message)
{
    return Error{EPubExporter::kErrorDomain, code, std::move(message)};
}

std::string replacingAll(std::string text, std::string_view target, std::string_view replacement)
{
    for (std::size_t at = text.find(target); at != std::string::npos; at = text.find(target, at + replacement.size()))
        text.replace(at, target.size(), replacement);
    return text;
}

void removeIfPresent(const std::string& path)
{
    if (FileManager::fileExists(path))
        FileManager::removeItem(path);
}

// The generated files are staged in a folder of their own inside the
// temporary folder, so that two exports never mix their files.
class StagingFolder {
public:
    StagingFolder()
        : m_path(AppFolders::temporaryFolder() + "/epub-" + makeUUIDString())
    {
    }
    ~StagingFolder() { removeIfPresent(m_path); }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    std::string path(std::string_view relative) const { return m_path + "/" + std::string(relative); }

private:
    std::string m_path;
};

Result<std::string> RTFChapterHTML(const std::string& path, UserDefaults& defaults)
{
    Result<Data> bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return exportError(EPubExporter::NoContent, bytes.error().message);
    std::optional<std::u16string> text = stringWithData(bytes->span(), StringEncoding::utf8());
    if (!text)
        return exportError(EPubExporter::NoContent, path + " is not UTF-8 text");
    std::u16string rtf = ExportSource::removeCustomTags(std::move(*text), defaults);
    Result<AttributedString> attributed = DKRTFReader::parseRTFString(rtf, std::nullopt, defaults);
    if (!attributed)
        return exportError(EPubExporter::NoContent, path + " cannot be read as RTF: " + attributed.error().message);
    TEHTMLWriterSettings settings;
    settings.forPrint = true;
    settings.forEPub = true;
    settings.fileName = std::filesystem::path(path).filename().string();
    return toUtf8(htmlString(*attributed, settings));
}

Status writeFile(const std::string& path, const std::string& contents)
{
    if (Status written = FileManager::writeAtomically(path, contents); !written)
        return exportError(EPubExporter::WriteFailed, written.error().message);
    return Status::success();
}

} // namespace

Result<std::string> EPubExporter::bodyHTML(const std::string& path, const Options& options)
{
    UserDefaults& defaults = options.defaults ? *options.defaults : UserDefaults::standardUserDefaults();
    ExportSource source(path, options.openDocument, &defaults);
    if (source.exportsAsPlainText())
        return source.plainTextHTML();
    switch (source.kind()) {
    case DocumentKind::Markdown: {
        Result<std::string> html = source.markdownHTML(ExportSource::OpenEditor::Use);
        if (!html)
            return html;
        return replacingAll(replacingAll(std::move(*html), "<p>", ""), "</p>", "");
    }
    case DocumentKind::QVText:
    case DocumentKind::QVOutline:
        // The content alone: the editing page's style element and its font
        // rules (which load fonts from the application) have no place in a book.
        return source.QVContent(ExportSource::OpenEditor::Use);
    default:
        return RTFChapterHTML(path, defaults);
    }
}

Result<std::string> EPubExporter::ePubURLForFileItem(const std::string& path, const Options& options)
{
    if (path.empty() || !FileManager::fileExists(path) || FileManager::isDirectory(path))
        return exportError(NoFile, "No document at " + path);

    std::filesystem::path file(path);
    std::string fileName = file.filename().string();
    std::string title = file.stem().string();
    std::string displayedName = options.displayedName.empty() ? title : options.displayedName;
    // The displayed name must stay one file name in the temporary folder.
    std::string packageName = AppFolders::sanitizeFileName(displayedName);
    if (packageName.empty())
        packageName = "Document";
    std::string temporary = AppFolders::temporaryFolder();
    std::string package = temporary + "/" + packageName + ".epub";

    std::optional<std::string> seed = Resources::pathForResource(kSeedResource, "", kSeedSubfolder);
    if (!seed)
        return exportError(SeedMissing, "The resource " + std::string(kSeedResource) + " is missing");
    removeIfPresent(package);
    StagingFolder staging;
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

    // The engine writes the pictures of an ePub chapter into this folder.
    std::string pictureFolder = AppFolders::pictureFolderForDocument(fileName, true);
    removeIfPresent(pictureFolder);
    Result<std::string> html = bodyHTML(path, options);
    if (!html) {
        removeIfPresent(pictureFolder);
        return fail(html.error());
    }

    EPubPackageInfo info;
    info.title = title;
    info.identifier = makeUUIDString();
    info.creator = TEObjectTextAttachment::kApplicationName;
    info.date = EPubPackageInfo::dateString(options.clock());
    info.modified = EPubPackageInfo::modifiedString(options.clock());
    info.pictures = ExportDelivery::pictureFileNames(pictureFolder);

    if (!info.pictures.empty()) {
        std::string data = staging.path(EPubPackageWriter::kPictureFolder);
        if (Status created = FileManager::createDirectory(data); !created)
            return fail(exportError(StagingFailed, created.error().message));
        std::vector<std::string> copied;
        for (const std::string& picture : info.pictures) {
            if (FileManager::copyItem(pictureFolder + "/" + picture, data + "/" + picture))
                copied.push_back(picture);
            else
                TELog(TELogLevelWarning, "Warning: image can not be copied to ePub temporary folder: " + staging.path("OPS"));
        }
        info.pictures = std::move(copied);
    }
    removeIfPresent(pictureFolder);

    const std::pair<const char*, std::string> files[] = {
        {EPubPackageWriter::kContainerPath, EPubPackageWriter::containerXML()},
        {EPubPackageWriter::kStyleSheetPath, EPubPackageWriter::styleSheet()},
        {EPubPackageWriter::kNCXPath, EPubPackageWriter::navigationControlFile(info)},
        {EPubPackageWriter::kPackagePath, EPubPackageWriter::packageDocument(info)},
        {EPubPackageWriter::kNavigationPath, EPubPackageWriter::navigationDocument(info)},
        {EPubPackageWriter::kChapterPath,
         EPubPackageWriter::chapterDocument(info, EPubChapterMarkup::xhtmlContent(*html))},
    };
    for (const auto& [relative, contents] : files) {
        if (Status written = writeFile(staging.path(relative), contents); !written)
            return fail(written.error());
    }

    if (Status zipped = DKZipArchive::createAppendZipFile(package, {staging.path("META-INF"), staging.path("OPS")});
        !zipped)
        return fail(exportError(ZipFailed, zipped.error().message));
    return package;
}

Status EPubExporter::exportEPub(const std::string& path, const std::string& outputPath, const Options& options)
{
    Result<std::string> package = ePubURLForFileItem(path, options);
    if (!package)
        return package.error();
    return ExportDelivery::deliver(*package, outputPath);
}

} // namespace folio
