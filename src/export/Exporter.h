#pragma once

#include "export/ExportSource.h"
#include "export/PDFAction.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace folio {

class WebView;

// What one export is asked to make.
struct ExportRequest {
    // Where the finished file goes; it is replaced only by a complete one.
    std::string outputPath;
    // The browser's requests export the open editor's unsaved content; the
    // command line and conversions of a listed file read the file alone.
    ExportSource::OpenEditor openEditor = ExportSource::OpenEditor::Ignore;
    // The PDF converter's action code, which also picks the legacy pages'
    // header margins.
    PDFAction action = PDFAction::Open;
    // Where an HTML file's pictures go: into a folder beside it named after
    // it, or into the file itself as data, for a file that travels alone
    // (standard output, a pipe).
    enum class Pictures { BesideFile, Inline };
    Pictures pictures = Pictures::BesideFile;
    // Told after each PDF page is drawn.
    std::function<void(std::size_t pageIndex, std::size_t pageCount)> pageProgress;
};

// An export under way. The one who started it keeps it until the completion
// has run; letting go earlier abandons the export without a completion.
class ExportTask {
public:
    virtual ~ExportTask() = default;
};

// Makes one file format of a document. An exporter produces the file and
// nothing else: what then happens to it (mail, print, share, save to
// pictures) is the caller's, through the delivery layer.
class Exporter {
public:
    static constexpr const char* kErrorDomain = "Exporter";
    enum ErrorCode { TimedOut = 1 };
    using WebViewFactory = std::function<Result<std::unique_ptr<WebView>>(const Rect& frame)>;
    // The path of the finished file, or why there is none.
    using Completion = std::function<void(Result<std::string> outputPath)>;

    virtual ~Exporter() = default;

    // The format's command-line name: "pdf", "epub", "rtfd", "html", "txt", "png".
    virtual std::string_view format() const = 0;
    // The extension of the file it makes, as other programs recognise it.
    virtual std::string_view fileExtension() const { return format(); }
    // Whether the export lays the document out in a web view (and so needs a display).
    virtual bool needsWebView() const { return false; }

    // Starts the export. An error, and no completion, when it cannot start;
    // otherwise the completion runs exactly once, at once or later while the
    // main loop runs, as long as the answered task is kept.
    virtual Result<std::shared_ptr<ExportTask>> start(const ExportSource& source, ExportRequest request,
                                                      Completion completion) = 0;

    // Starts the export and waits for it, serving the main loop meanwhile.
    Result<std::string> exportFile(const ExportSource& source, ExportRequest request, double timeoutSeconds);

protected:
    // For exporters whose file is one string made at once: writes it whole to
    // `outputPath` and completes.
    static Result<std::shared_ptr<ExportTask>> finishWithContents(Result<std::string> contents,
                                                                  const std::string& outputPath,
                                                                  Completion& completion);
};

} // namespace folio
