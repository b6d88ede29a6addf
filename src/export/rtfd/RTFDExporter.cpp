#include "export/rtfd/RTFDExporter.h"

#include "engine/attachments/PictureFolderSink.h"

#include "engine/attachments/TETextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "export/StagingFolder.h"
#include "export/html/HTMLPictureInliner.h"

#include "formats/rtf/DKRTFWriter.h"
#include "export/ExportDelivery.h"
#include "export/ExportSource.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/OneShotHeap.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/ZipArchive.h"

#include <algorithm>
#include <set>

namespace folio {

namespace {

// The width of the sheet the rich-text editor's ruler measures the right
// margin on, in centimetres.
constexpr float kRTFDRulerSheetWidthCentimetres = 21.59f;

Error exportError(RTFDExporter::ErrorCode code, std::string message)
{
    return Error{RTFDExporter::kErrorDomain, code, std::move(message)};
}

// The text goes through HTML as the editor sees it: pictures become files
// in `pictureFolder`, which the RTFD text then names. A file's pictures are
// written afresh into the package's own staging, so that the package holds
// exactly the document's own and the program's folders stay as they were;
// so are a QV page's, which it carries as data URLs or names in the
// document's picture folder. The open rich-text editor's page names its
// pictures in that folder, which is answered in its place (empty when there
// is none).
Result<MutableAttributedString> documentText(const ExportSource& source, const ExportRequest& request,
                                             const std::shared_ptr<RichTextConverter>& given, std::string& pictureFolder)
{
    bool QV = source.kind() == DocumentKind::QVText || source.kind() == DocumentKind::QVOutline;
    bool openInEditor = request.openEditor == ExportSource::OpenEditor::Use && source.openContent();
    PictureFolderSink pictures(pictureFolder, pictureFolder + "/", PictureFolderSink::Originals::Keep);
    TEHTMLReaderOptions readBack;
    std::optional<std::string> existing = AppFolders::existingPictureFolderForDocument(source.pictureDocumentName());
    if (!QV && openInEditor)
        pictureFolder = existing ? *existing : std::string();
    else
        readBack.pictureFolder = pictureFolder;
    std::shared_ptr<RichTextConverter> converter = given ? given : RichTextConverter::engineConverter(readBack);
    Result<std::string> html = source.HTML(ExportSource::Purpose::RTFD, request.openEditor, false, &pictures);
    if (!html)
        return exportError(RTFDExporter::NoText, html.error().message);
    if (QV) {
        *html = HTMLPictureInliner::filingDataPictures(std::move(*html), pictures);
        if (existing)
            *html = HTMLPictureInliner::relocatingPictures(*html, *existing, pictures);
    }
    Result<MutableAttributedString> text = converter->attributedStringFromHTML(*html);
    if (!text)
        return exportError(RTFDExporter::NoText, text.error().message);
    return text;
}

// The file names the text's pictures refer to.
std::set<std::string> picturesNamedIn(const AttributedString& text)
{
    std::set<std::string> names;
    text.enumerateAttribute(NSAttachmentAttributeName, Range{0, text.length()}, AttributeEnumerationOptions::None,
                            [&](const AttributeValuePtr& value, Range, bool&) {
                                const auto* attachment = value ? value->as<TETextAttachment>() : nullptr;
                                if (attachment && attachment->contentURL())
                                    names.insert(attachment->contentURL()->lastPathComponent());
                            });
    return names;
}

// What a rich-text document says of its pages, for the package's text: its
// paper, and the margins, header, footer and paper colour of the open editor
// or else of the file. Other kinds' packages carry none, as
// they never did.
DKRTFDocumentSettings documentSettings(const ExportSource& source, const ExportRequest& request)
{
    DKRTFDocumentSettings settings;
    if (source.kind() != DocumentKind::RTF || source.exportsAsPlainText())
        return settings;
    const ExportSource::PageValues page = source.pageValues(request.openEditor);
    const bool fromEditor = request.openEditor == ExportSource::OpenEditor::Use && source.openContent();
    if (page.paperColor)
        settings.paperColor = toUtf16(*page.paperColor);
    settings.leftMargin = static_cast<float>(page.margins.left);
    settings.topMargin = static_cast<float>(page.margins.top);
    settings.bottomMargin = static_cast<float>(page.margins.bottom);
    // The editor gives the right margin where the ruler's right edge stands;
    // the file gives its width, which the writer takes from the same edge.
    settings.rightMargin = fromEditor || page.margins.right <= 0
        ? static_cast<float>(page.margins.right)
        : kRTFDRulerSheetWidthCentimetres - static_cast<float>(page.margins.right);
    if (page.headerSettings)
        settings.pageHeader = toUtf16(*page.headerSettings);
    if (page.footerSettings)
        settings.pageFooter = toUtf16(*page.footerSettings);
    settings.paperSize = page.paperSize;
    settings.styleSheet = page.styleSheet;
    settings.fontNames = page.fontNames;
    settings.otherHeaderFooterForms = page.otherHeaderFooterForms;
    settings.mirroredMargins = page.mirroredMargins;
    settings.gutter = page.gutter;
    settings.defaultTabWidth = page.defaultTabWidth;
    settings.noteSettings = page.noteSettings;
    settings.autoHyphenation = page.autoHyphenation;
    settings.documentWidePage = page.documentWidePage;
    settings.hyphenationZone = page.hyphenationZone;
    settings.hyphenationConsecutiveLines = page.hyphenationConsecutiveLines;
    settings.hyphenateCapitals = page.hyphenateCapitals;
    settings.firstSection = page.firstSection;
    settings.scriptDefaults = page.scriptDefaults;
    settings.documentInfo = page.documentInfo;
    settings.pageWords = page.pageWords;
    return settings;
}

} // namespace

RTFDExporter::RTFDExporter(std::shared_ptr<RichTextConverter> converter)
    : m_converter(std::move(converter))
{
}

Result<std::shared_ptr<ExportTask>> RTFDExporter::start(const ExportSource& source, ExportRequest request,
                                                        Completion completion)
{
    Result<StagingFolder> staging = StagingFolder::make("rtfd");
    if (!staging)
        return exportError(FolderFailed, staging.error().message);
    if (Status made = makePackage(source, request, *staging); !made)
        return made.error();
    completion(request.outputPath);
    return std::make_shared<ExportTask>();
}

std::string RTFDExporter::temporaryPath(const ExportSource& source)
{
    return AppFolders::temporaryFolder() + "/" + source.fileName() + ".rtfd.zip";
}

Status RTFDExporter::makePackage(const ExportSource& source, const ExportRequest& request,
                                 const StagingFolder& staging) const
{
    const std::string& path = source.path();
    if (path.empty() || !FileManager::fileExists(path) || FileManager::isDirectory(path))
        return exportError(NoFile, "No document at " + path);
    std::string name = source.fileName();
    std::string packageName = name + ".rtfd";

    std::string pictures = staging.path("pictures");
    Result<MutableAttributedString> text = documentText(source, request, m_converter, pictures);
    if (!text)
        return text.error();

    Result<std::string> rtf = DKRTFWriter::writeDocument(*text, documentSettings(source, request), true, name);
    if (!rtf)
        return exportError(WriteFailed, rtf.error().message);

    // The package is put together in memory and zipped straight into the
    // output, which is replaced only once the whole archive is written: a
    // package folder written out, read back, and an archive copied after it
    // took as long as zipping.
    std::vector<DKZipArchive::FileWrapper> files;
    const std::vector<std::string> filed =
        pictures.empty() ? std::vector<std::string>() : ExportDelivery::pictureFileNames(pictures);
    // A text without pictures in its folder is not searched for their names.
    const std::set<std::string> named = filed.empty() ? std::set<std::string>() : picturesNamedIn(*text);
    for (const std::string& picture : filed) {
        // The folder may hold pictures of an earlier version or of another
        // document of the same name; the package holds only this text's.
        if (!named.contains(picture))
            continue;
        Result<Data> bytes = Data::dataWithContentsOfFile(pictures + "/" + picture);
        if (!bytes) {
            TELog(TELogLevelWarning, "Warning: image can not be put in the rtfd package: " + picture);
            continue;
        }
        files.push_back(DKZipArchive::FileWrapper::regularFile(picture, std::move(*bytes)));
    }
    // The text is not read again: a one-shot export lets it go with the
    // process rather than freeing its many small blocks one by one, and the
    // RTF, once copied, leaves its room to the archive.
    dropWhenOneShotTaskEnds(std::move(*text));
    files.push_back(DKZipArchive::FileWrapper::regularFile(kTextFileName, Data::fromString(*rtf)));
    std::string().swap(*rtf);
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.name < b.name; });

    std::vector<DKZipArchive::FileWrapper> package;
    package.push_back(DKZipArchive::FileWrapper::directory(packageName, std::move(files)));
    if (Status zipped = DKZipArchive::createZipFile(request.outputPath, package); !zipped) {
        // An output that cannot be written says so as any export's does.
        if (zipped.error().domain == std::string_view(FileManager::kErrorDomain))
            return zipped.error();
        return exportError(ZipFailed, zipped.error().message);
    }
    return Status::success();
}

} // namespace folio
