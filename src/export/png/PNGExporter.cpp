#include "export/png/PNGExporter.h"

#include "delivery/CloudService.h"
#include "formats/html/CSSFontRules.h"
#include "export/ExportDelivery.h"
#include "export/ExportSource.h"
#include "delivery/MailService.h"
#include "export/pdf/PDFPageTemplates.h"
#include "delivery/ShareService.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/DMWebView.h"
#include "platform/web/WebView.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <cstdio>
#include <sstream>

namespace folio {

namespace {

Error exportError(PNGExporter::ErrorCode code, std::string message)
{
    return Error{PNGExporter::kErrorDomain, code, std::move(message)};
}

void removeIfPresent(const std::string& path)
{
    if (FileManager::fileExists(path))
        FileManager::removeItem(path);
}

// The checklist rules of the QV editing page, and its container made to
// scroll, so that QV documents look as they do in their editor.
std::string QVPictureRules()
{
    std::istringstream rules(PDFPageTemplates::qvTextRules());
    std::string kept;
    for (std::string line; std::getline(rules, line);) {
        if (line.starts_with(".tox-checklist") || line.starts_with(".tox.tox-tinymce")) {
            kept += line + "\n";
        } else if (line.starts_with(".container")) {
            std::size_t close = line.rfind('}');
            if (close != std::string::npos)
                line.insert(close, "overflow-y: scroll; -webkit-overflow-scrolling: touch; ");
            kept += line + "\n";
        }
    }
    return kept;
}

std::string centimetres(double value)
{
    return PDFPageTemplates::fixed(value, 2);
}

} // namespace

std::shared_ptr<PNGExporter> PNGExporter::create(Environment environment)
{
    return std::shared_ptr<PNGExporter>(new PNGExporter(std::move(environment)));
}

PNGExporter::PNGExporter(Environment environment)
    : m_environment(std::move(environment))
    , m_defaults(m_environment.defaults ? *m_environment.defaults : UserDefaults::standardUserDefaults())
{
}

PNGExporter::~PNGExporter()
{
    if (m_webView)
        m_webView->setDelegate(nullptr);
}

std::string PNGExporter::pageHTML(std::string_view fontRules, double leftMargin, double rightMargin,
                                  std::string_view html)
{
    return "<html><head> <meta charset='UTF-8'> <style type='text/css'> " + std::string(fontRules)
        + " body { position: relative; margin: 0 auto; } p { margin: 0;} li span { position: relative; left: 10px; }"
          " img { padding: 20px;} "
        + PDFPageTemplates::pageBreakRule() + " " + QVPictureRules()
        + " </style> </head> <body style='height:480px;border:1px solid rgba(0, 255, 255, 0.0); margin-bottom: "
          "0;margin-right: 0;margin-top:0;margin-left: 0;margin-bottom:40;background-color: #FFFFFF;'> "
          "<div id='content' contenteditable=true style=' border:1px solid rgba(255, 255, 155, 0.0); margin-top: 0; "
          "margin: 0; margin-left:"
        + centimetres(leftMargin) + "cm; margin-bottom: 40; margin-right: " + centimetres(rightMargin)
        + "cm; padding-bottom:0; padding-top:22;'>" + std::string(html) + "</div></body> </html>";
}

std::string PNGExporter::HTMLOnPaperColor(std::string html, const std::string& paperColor)
{
    // Only six hexadecimal digits are a colour; anything else stays out of the page.
    bool isColor = paperColor.size() == 6
        && std::all_of(paperColor.begin(), paperColor.end(), [](unsigned char c) { return std::isxdigit(c); });
    if (!isColor || paperColor == "FFFFFF" || paperColor == "ffffff")
        return html;
    return "<div style='background-color:#" + paperColor + "'>" + html + "</div>";
}

Result<std::string> PNGExporter::documentHTML(const std::string& path, std::string& baseURL)
{
    ExportSource source(path, m_environment.openDocument, &m_defaults);
    std::string pictures = AppFolders::pictureFolderForDocument(source.fileName());
    bool richText = source.kind() == DocumentKind::RTF && !source.exportsAsPlainText();
    // A rich-text document's pictures are written afresh from its file; the
    // folder is emptied first so that it holds only this document's. Other
    // kinds keep theirs there for good, so their folder is left alone.
    if (richText && !source.editedDocument()) {
        removeIfPresent(pictures);
        if (Status created = FileManager::createDirectory(pictures); !created)
            return exportError(FolderFailed, created.error().message);
    }
    baseURL = URL::fileURLWithPath(pictures, true).absoluteString();

    Result<std::string> html = std::string();
    if (source.exportsAsPlainText())
        html = source.plainTextHTML();
    else if (source.kind() == DocumentKind::Markdown)
        html = source.markdownHTML(ExportSource::OpenEditor::Use);
    else if (source.kind() == DocumentKind::QVText || source.kind() == DocumentKind::QVOutline)
        html = source.QVHTML(ExportSource::OpenEditor::Use);
    else
        html = source.RTFHTML(false, false);
    if (!html)
        return exportError(NoContent, html.error().message);
    return html;
}

Status PNGExporter::PNGDataForFileItem(const std::string& path, int action, Completion completion)
{
    if (m_completion)
        finish(exportError(Replaced, "Another picture export started"));
    m_action = action;
    m_fileName = std::filesystem::path(path).filename().string();
    if (path.empty() || !FileManager::fileExists(path) || FileManager::isDirectory(path)) {
        m_fileName.clear();
        return exportError(NoFile, "No document at " + path);
    }

    std::string baseURL;
    Result<std::string> html = documentHTML(path, baseURL);
    if (!html) {
        m_fileName.clear();
        return html.error();
    }

    Rect frame{Point{0, 0}, Size{kPageWidth, kInitialPageHeight}};
    Result<std::unique_ptr<WebView>> view = m_environment.webViewFactory
        ? m_environment.webViewFactory(frame)
        : [&]() -> Result<std::unique_ptr<WebView>> {
              Result<std::unique_ptr<DMWebView>> made = DMWebView::create(frame);
              if (!made)
                  return made.error();
              return std::unique_ptr<WebView>(std::move(*made));
          }();
    if (!view || !*view) {
        m_fileName.clear();
        return exportError(NoWebView, view ? "No web view" : view.error().message);
    }
    if (m_webView)
        m_webView->setDelegate(nullptr);
    m_webView = std::move(*view);
    m_webView->setDelegate(this);
    m_completion = std::move(completion);

    std::string wrapped = HTMLOnPaperColor(std::move(*html), m_defaults.stringForKey("currentPaperColor").value_or(""));
    double right = m_defaults.doubleForKey("marquentPageMarginRight").value_or(0);
    double left = m_defaults.doubleForKey("marquentPageMarginLeft").value_or(0);
    std::string fontRules = m_environment.fontRules
        ? m_environment.fontRules()
        : CSSFontRules::currentRules(CSSFontRules::CustomNameVariants::NameOnly);
    m_webView->loadHTMLString(pageHTML(fontRules, left * 0.7, right * 0.7, wrapped), baseURL);
    return Status::success();
}

void PNGExporter::webViewDidFinishLoad(WebView& webView)
{
    if (&webView != m_webView.get() || !m_completion)
        return;
    std::weak_ptr<PNGExporter> weak = weak_from_this();
    webView.evaluateJavaScript(kHeightScript, [weak](const std::string& answer) {
        if (auto self = weak.lock())
            self->measured(answer);
    });
}

void PNGExporter::webViewDidFailLoad(WebView& webView, const std::string& message)
{
    if (&webView != m_webView.get() || !m_completion)
        return;
    if (m_environment.dismissProgress)
        m_environment.dismissProgress();
    finish(exportError(LoadFailed, "The page did not load: " + message));
}

void PNGExporter::measured(const std::string& answer)
{
    if (!m_completion || !m_webView)
        return;
    int height = intValue(answer);
    if (height > kMaximumPageHeight) {
        if (m_environment.dismissProgress)
            m_environment.dismissProgress();
        if (m_environment.cancelDocumentToPNGtask)
            m_environment.cancelDocumentToPNGtask();
        finish(exportError(TooTall, "The document is " + std::to_string(height) + " points tall; at most "
                                        + std::to_string(kMaximumPageHeight) + " fit in a picture"));
        return;
    }
    m_savedFrame = m_webView->frame();
    m_webView->setFrame(Rect{m_webView->frame().origin, Size{kPageWidth, double(std::max(height, 0) + kBottomAllowance)}});
    std::weak_ptr<PNGExporter> weak = weak_from_this();
    m_webView->takeSnapshot(WebView::SnapshotRegion::FullDocument, [weak](Result<Image::Pointer> image) {
        if (auto self = weak.lock())
            self->snapshotTaken(std::move(image));
    });
}

void PNGExporter::snapshotTaken(Result<Image::Pointer> image)
{
    if (!m_completion)
        return;
    if (m_webView)
        m_webView->setFrame(m_savedFrame);
    if (m_environment.dismissProgress)
        m_environment.dismissProgress();
    if (!image || !*image) {
        finish(exportError(SnapshotFailed, image ? "No picture" : image.error().message));
        return;
    }
    Image::Pointer picture = *image;
    // A display scale other than 1 gives more pixels than points; the picture
    // is always the page's width in pixels.
    if (picture->pixelWidth() != int(kPageWidth) && picture->pixelWidth() > 0) {
        int height = int(double(picture->pixelHeight()) * kPageWidth / picture->pixelWidth() + 0.5);
        Result<Image::Pointer> scaled = picture->scaledImage(int(kPageWidth), std::max(height, 1));
        if (!scaled) {
            finish(exportError(SnapshotFailed, scaled.error().message));
            return;
        }
        picture = *scaled;
    }
    auto png = picture->pngData();
    if (!png) {
        finish(exportError(SnapshotFailed, png.error().message));
        return;
    }
    std::string path = AppFolders::temporaryFolder() + "/" + kPictureFileName;
    if (Status written = FileManager::writeAtomically(path, *png); !written) {
        finish(exportError(WriteFailed, written.error().message));
        return;
    }
    Status acted = performAction(path, *png);
    if (!acted && m_environment.presentError)
        m_environment.presentError(acted.error());
    finish(acted ? Result<std::string>(path) : Result<std::string>(acted.error()));
}

Status PNGExporter::performAction(const std::string&, const std::vector<std::uint8_t>& png)
{
    const ExportServices& services = m_environment.services;
    DKZipArchive::FileWrapper wrapper = DKZipArchive::FileWrapper::regularFile(m_fileName + ".png", Data(png));
    auto cloud = [&](CloudDestination destination) {
        return services.cloud ? services.cloud->sendFileWrapper(wrapper, destination, kCloudExportType)
                              : Status::success();
    };
    switch (m_action) {
    case PNGActionMail:
        return services.mail ? services.mail->sendEmailWithFileWrapper(wrapper, kPNGTypeIdentifier)
                             : Status::success();
    case PNGActionSendToApp:
        return services.share ? services.share->sendJPEGDocumenttoApp(wrapper) : Status::success();
    case PNGActionSaveToPictures: {
        if (!services.share)
            return Status::success();
        Result<std::string> saved = services.share->savePicture(wrapper);
        if (!saved)
            return saved.error();
        if (m_environment.showSuccess)
            m_environment.showSuccess(u"Document saved in Photos!");
        return Status::success();
    }
    case PNGActionDropbox:
        return cloud(CloudDestination::Dropbox);
    case PNGActionGoogleDrive:
        return cloud(CloudDestination::GoogleDrive);
    case PNGActioniCloudDrive:
        return cloud(CloudDestination::iCloudDrive);
    case PNGActionWebDAV:
        return cloud(CloudDestination::WebDAV);
    default:
        return Status::success();
    }
}

void PNGExporter::finish(Result<std::string> result)
{
    m_fileName.clear();
    Completion completion = std::move(m_completion);
    m_completion = nullptr;
    if (completion)
        completion(std::move(result));
}

Status PNGExporter::exportPNG(const std::string& path, const std::string& outputPath, Environment environment,
                              double timeoutSeconds)
{
    std::shared_ptr<PNGExporter> exporter = create(std::move(environment));
    std::optional<Result<std::string>> outcome;
    Status started = exporter->PNGDataForFileItem(path, PNGActionNone,
                                                  [&outcome](Result<std::string> result) { outcome = std::move(result); });
    if (!started)
        return started;
    if (!outcome && !RunLoop::main().runUntil([&outcome] { return outcome.has_value(); }, timeoutSeconds))
        return exportError(TimedOut, "The picture of " + path + " was not ready in time");
    if (!*outcome)
        return outcome->error();
    return ExportDelivery::deliver(**outcome, outputPath);
}

Status PNGExporter::exportPNG(const std::string& path, const std::string& outputPath)
{
    return exportPNG(path, outputPath, Environment{});
}

} // namespace folio
