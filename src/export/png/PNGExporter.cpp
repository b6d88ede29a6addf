#include "export/png/PNGExporter.h"

#include "formats/html/CSSFontRules.h"
#include "export/ExportSource.h"
#include "export/pdf/PDFPageTemplates.h"
#include "engine/attachments/InlinePictureSink.h"
#include "export/html/HTMLPictureInliner.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/ResourceTemplate.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebServices.h"
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

PNGExporter::PNGExporter()
    : PNGExporter(Environment{})
{
}

PNGExporter::PNGExporter(Environment environment)
    : m_environment(std::move(environment))
{
}

Result<std::string> PNGExporter::pageHTML(std::string_view fontRules, double leftMargin, double rightMargin,
                                          std::string_view html)
{
    const Result<ResourceTemplate>& page = ResourceTemplate::shared("png-page.html", "pages");
    if (!page)
        return page.error();
    return page->filled({{"fontRules", std::string(fontRules)},
                         {"pageBreakRule", PDFPageTemplates::pageBreakRule()},
                         {"qvRules", QVPictureRules()},
                         {"leftMargin", centimetres(leftMargin)},
                         {"rightMargin", centimetres(rightMargin)},
                         {"html", std::string(html)}});
}

std::string PNGExporter::HTMLOnPaperColor(std::string html, const std::string& paperColor)
{
    // Only six hexadecimal digits are a colour; anything else stays out of the page.
    bool isColor = paperColor.size() == 6
        && std::all_of(paperColor.begin(), paperColor.end(), [](unsigned char c) { return std::isxdigit(c); });
    if (!isColor || paperColor == "FFFFFF" || paperColor == "ffffff")
        return html;
    const Result<ResourceTemplate>& paper = ResourceTemplate::shared("png-paper.html", "pages");
    Result<std::string> page = paper ? paper->filled({{"paperColor", paperColor}, {"html", html}})
                                     : Result<std::string>(paper.error());
    if (page)
        return std::move(*page);
    // A broken installation pictures the document on white rather than not at all.
    TELog(TELogLevelError, page.error().message);
    return html;
}

Result<std::shared_ptr<ExportTask>> PNGExporter::start(const ExportSource& source, ExportRequest request,
                                                       Completion completion)
{
    const std::string& path = source.path();
    if (path.empty() || !FileManager::fileExists(path) || FileManager::isDirectory(path))
        return exportError(NoFile, "No document at " + path);

    // A file's pictures travel in the page as data, so the picture is made
    // without writing anything beside it; other kinds and the open editor's
    // page name theirs in the document's picture folder, read where it is.
    InlinePictureSink inlinePictures(InlinePictureSink::Use::Draw);
    Result<std::string> html = source.HTML(ExportSource::Purpose::Picture, request.openEditor, false, &inlinePictures);
    if (!html)
        return exportError(NoContent, html.error().message);
    std::optional<std::string> pictures = AppFolders::existingPictureFolderForDocument(source.pictureDocumentName());
    // The pictures the page names in the document's folder go the same way,
    // so that a huge one reaches the web engine at the size it is drawn.
    if (pictures)
        *html = HTMLPictureInliner::relocatingPictures(*html, *pictures, inlinePictures);
    std::vector<std::string> readable;
    if (pictures)
        readable.push_back(*pictures);
    std::string baseFolder = pictures ? *pictures : std::filesystem::path(path).parent_path().string();

    Rect frame{Point{0, 0}, Size{PNGExporter::kPageWidth, kInitialPageHeight}};
    Result<std::unique_ptr<WebView>> view = m_environment.webViewFactory
        ? m_environment.webViewFactory(frame)
        : WebServices::shared().makeDocumentWebView(frame, readable);
    if (!view || !*view)
        return exportError(NoWebView, view ? "No web view" : view.error().message);

    // After the HTML: the page values come from the same read of the file.
    ExportSource::PageValues values = source.pageValues(request.openEditor);
    std::string wrapped = HTMLOnPaperColor(std::move(*html), values.paperColor.value_or(""));
    double right = values.margins.right;
    double left = values.margins.left;
    std::string fontRules = m_environment.fontRules
        ? m_environment.fontRules()
        : CSSFontRules::currentRules(CSSFontRules::CustomNameVariants::NameOnly);
    Result<std::string> page = pageHTML(fontRules, left * 0.7, right * 0.7, wrapped);
    if (!page)
        return exportError(NoContent, page.error().message);
    auto task = std::make_shared<PNGExportTask>(std::move(*view), request.outputPath, std::move(completion));
    task->load(*page, URL::fileURLWithPath(baseFolder, true).absoluteString());
    return std::shared_ptr<ExportTask>(std::move(task));
}

PNGExportTask::PNGExportTask(std::unique_ptr<WebView> webView, std::string outputPath, Exporter::Completion completion)
    : m_webView(std::move(webView))
    , m_outputPath(std::move(outputPath))
    , m_completion(std::move(completion))
{
}

PNGExportTask::~PNGExportTask()
{
    if (m_webView)
        m_webView->setDelegate(nullptr);
}

void PNGExportTask::load(const std::string& page, const std::string& baseURL)
{
    m_webView->setDelegate(this);
    m_webView->loadHTMLString(page, baseURL);
}

void PNGExportTask::webViewDidFinishLoad(WebView& webView)
{
    if (&webView != m_webView.get() || !m_completion)
        return;
    std::weak_ptr<PNGExportTask> weak = weak_from_this();
    webView.evaluateJavaScript(PNGExporter::kHeightScript, [weak](const std::string& answer) {
        if (auto self = weak.lock())
            self->measured(answer);
    });
}

void PNGExportTask::webViewDidFailLoad(WebView& webView, const std::string& message)
{
    if (&webView != m_webView.get() || !m_completion)
        return;
    finish(exportError(PNGExporter::LoadFailed, "The page did not load: " + message));
}

void PNGExportTask::webViewWebProcessDidTerminate(WebView& webView, const std::string& reason)
{
    if (&webView != m_webView.get() || !m_completion)
        return;
    finish(exportError(PNGExporter::PageCrashed, "The page could not be laid out: " + reason));
}

void PNGExportTask::measured(const std::string& answer)
{
    if (!m_completion || !m_webView)
        return;
    int height = intValue(answer);
    if (height > PNGExporter::kMaximumPageHeight) {
        finish(exportError(PNGExporter::TooTall, "The document is " + std::to_string(height) + " points tall; at most "
                                        + std::to_string(PNGExporter::kMaximumPageHeight) + " fit in a picture"));
        return;
    }
    m_savedFrame = m_webView->frame();
    m_webView->setFrame(Rect{m_webView->frame().origin, Size{PNGExporter::kPageWidth, double(std::max(height, 0) + PNGExporter::kBottomAllowance)}});
    std::weak_ptr<PNGExportTask> weak = weak_from_this();
    m_webView->takeSnapshot(WebView::SnapshotRegion::FullDocument, [weak](Result<Image::Pointer> image) {
        if (auto self = weak.lock())
            self->snapshotTaken(std::move(image));
    });
}

void PNGExportTask::snapshotTaken(Result<Image::Pointer> image)
{
    if (!m_completion)
        return;
    if (m_webView)
        m_webView->setFrame(m_savedFrame);
    if (!image || !*image) {
        finish(exportError(PNGExporter::SnapshotFailed, image ? "No picture" : image.error().message));
        return;
    }
    Image::Pointer picture = *image;
    // A display scale other than 1 gives more pixels than points; the picture
    // is always the page's width in pixels.
    if (picture->pixelWidth() != int(PNGExporter::kPageWidth) && picture->pixelWidth() > 0) {
        int height = int(double(picture->pixelHeight()) * PNGExporter::kPageWidth / picture->pixelWidth() + 0.5);
        Result<Image::Pointer> scaled = picture->scaledImage(int(PNGExporter::kPageWidth), std::max(height, 1));
        if (!scaled) {
            finish(exportError(PNGExporter::SnapshotFailed, scaled.error().message));
            return;
        }
        picture = *scaled;
    }
    auto png = picture->pngData();
    if (!png) {
        finish(exportError(PNGExporter::SnapshotFailed, png.error().message));
        return;
    }
    if (Status written = FileManager::writeAtomically(m_outputPath, *png); !written) {
        finish(exportError(PNGExporter::WriteFailed, written.error().message));
        return;
    }
    finish(m_outputPath);
}

void PNGExportTask::finish(Result<std::string> result)
{
    Exporter::Completion completion = std::move(m_completion);
    m_completion = nullptr;
    if (completion)
        completion(std::move(result));
}

} // namespace folio
