#include "export/rtfd/RTFDExporter.h"

#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "export/ExportDelivery.h"
#include "export/ExportSource.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/ZipArchive.h"

#include <filesystem>

namespace folio {

namespace {

Error exportError(RTFDExporter::ErrorCode code, std::string message)
{
    return Error{RTFDExporter::kErrorDomain, code, std::move(message)};
}

void removeIfPresent(const std::string& path)
{
    if (FileManager::fileExists(path))
        FileManager::removeItem(path);
}

Result<std::u16string> utf8Text(const std::string& path, std::span<const std::uint8_t> bytes)
{
    std::optional<std::u16string> text = stringWithData(bytes, StringEncoding::utf8());
    if (!text)
        return exportError(RTFDExporter::NoText, path + " is not UTF-8 text");
    return std::move(*text);
}

Result<MutableAttributedString> QVText(const std::string& path, RichTextConverter& converter)
{
    Result<Data> bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return exportError(RTFDExporter::NoText, bytes.error().message);
    Result<Data> html = Deflate::decompress(bytes->span());
    if (!html)
        return exportError(RTFDExporter::NoText, path + " is damaged: " + html.error().message);
    if (Result<std::u16string> checked = utf8Text(path, html->span()); !checked)
        return checked.error();
    Result<MutableAttributedString> text =
        converter.attributedStringFromHTML(std::string_view(reinterpret_cast<const char*>(html->bytes()), html->length()));
    if (!text)
        return exportError(RTFDExporter::NoText, text.error().message);
    return text;
}

Result<MutableAttributedString> richText(const std::string& path, const ExportSource& source, bool openInEditor,
                                         UserDefaults& defaults, RichTextConverter& converter)
{
    Result<Data> bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return exportError(RTFDExporter::NoText, bytes.error().message);
    Result<std::u16string> text = utf8Text(path, bytes->span());
    if (!text)
        return text.error();
    std::u16string rtf = ExportSource::removeCustomTags(std::move(*text), defaults);
    Result<AttributedString> read = DKRTFReader::parseRTFString(rtf, std::nullopt, defaults);
    if (!read)
        return exportError(RTFDExporter::NoText, path + " cannot be read as RTF: " + read.error().message);

    // The pictures are written afresh from the file (or taken from the open
    // page), so that the package holds exactly the document's own.
    if (!openInEditor) {
        std::string pictures = AppFolders::pictureFolderForDocument(source.fileName());
        removeIfPresent(pictures);
        if (Status created = FileManager::createDirectory(pictures); !created)
            return exportError(RTFDExporter::FolderFailed, created.error().message);
    }
    // The text goes through HTML as the editor sees it: pictures become files
    // in the picture folder, which the RTFD text then names.
    Result<std::string> html = source.HTMLString(ExportSource::OpenEditor::Use);
    if (!html)
        return exportError(RTFDExporter::NoText, html.error().message);
    Result<MutableAttributedString> reread = converter.attributedStringFromHTML(*html);
    if (!reread)
        return exportError(RTFDExporter::NoText, reread.error().message);
    return reread;
}

} // namespace

Result<std::string> RTFDExporter::RTFDURLForFileItem(const std::string& path, const Options& options)
{
    if (path.empty() || !FileManager::fileExists(path) || FileManager::isDirectory(path))
        return exportError(NoFile, "No document at " + path);
    UserDefaults& defaults = options.defaults ? *options.defaults : UserDefaults::standardUserDefaults();
    std::shared_ptr<RichTextConverter> converter =
        options.converter ? options.converter : RichTextConverter::engineConverter();
    ExportSource source(path, options.openDocument, &defaults);
    std::string name = source.fileName();
    std::string temporary = AppFolders::temporaryFolder();
    std::string packageName = name + ".rtfd";
    std::string package = temporary + "/" + packageName;
    std::string archive = package + ".zip";
    removeIfPresent(package);

    bool QV = source.kind() == DocumentKind::QVText || source.kind() == DocumentKind::QVOutline;
    Result<MutableAttributedString> text = QV ? QVText(path, *converter)
                                              : richText(path, source, source.editedDocument() != nullptr, defaults,
                                                         *converter);
    if (!text)
        return text.error();

    Result<std::string> rtf = DKRTFWriter::rtfDataForAttributedString(*text, true, name);
    if (!rtf)
        return exportError(WriteFailed, rtf.error().message);

    // Whatever goes wrong from here, the package folder does not stay behind.
    struct FolderRemover {
        std::string path;
        ~FolderRemover() { removeIfPresent(path); }
    } remover{package};

    if (Status created = FileManager::createDirectory(package); !created)
        return exportError(FolderFailed, created.error().message);
    std::string pictures = AppFolders::pictureFolderForDocument(name);
    for (const std::string& picture : ExportDelivery::pictureFileNames(pictures)) {
        if (!FileManager::copyItem(pictures + "/" + picture, package + "/" + picture))
            TELog(TELogLevelWarning, "Warning: image can not be copied to rtfd temporary folder: " + package);
    }
    // NOTE: a package without its text would be an empty export reported as
    // done, so a failed write ends the export.
    if (Status written = FileManager::writeAtomically(package + "/" + kTextFileName, *rtf); !written) {
        TELog(TELogLevelError, "Failed to write the rtfd file");
        return exportError(WriteFailed, written.error().message);
    }

    Result<DKZipArchive::FileWrapper> wrapper = DKZipArchive::FileWrapper::fromPath(package);
    if (!wrapper)
        return exportError(ZipFailed, wrapper.error().message);
    wrapper->name = packageName;
    removeIfPresent(archive);
    if (Status zipped = DKZipArchive::createZipFile(archive, {*wrapper}); !zipped)
        return exportError(ZipFailed, zipped.error().message);
    return archive;
}

Status RTFDExporter::exportRTFD(const std::string& path, const std::string& outputPath, const Options& options)
{
    Result<std::string> archive = RTFDURLForFileItem(path, options);
    if (!archive)
        return archive.error();
    return ExportDelivery::deliver(*archive, outputPath);
}

} // namespace folio
