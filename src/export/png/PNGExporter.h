#pragma once

#include "export/Exporter.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/web/WebViewDelegate.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace folio {

class WebView;

// A picture of a whole document: its HTML is laid out in an off-screen page
// 768 points wide, measured, and snapshotted at its full height. Pages taller
// than 30000 points are refused, as a picture that size is of no use and costs
// a great deal of memory.
class PNGExporter final : public Exporter {
public:
    static constexpr const char* kErrorDomain = "PNGExporter";
    enum ErrorCode { NoFile = 1, NoContent = 2, FolderFailed = 3, NoWebView = 4, LoadFailed = 5, TooTall = 6,
                     SnapshotFailed = 7, WriteFailed = 8, PageCrashed = 9 };
    static constexpr double kPageWidth = 768;
    static constexpr double kInitialPageHeight = 480;
    static constexpr int kMaximumPageHeight = 30000;
    // Room below the measured content, so that its last line is not cut.
    static constexpr int kBottomAllowance = 44;
    // Where the browser's export puts the picture, in the temporary folder.
    static constexpr const char* kPictureFileName = "marquentdoctmp.png";
    static constexpr const char* kHeightScript =
        "(function(){var e=document.getElementById('content');if(!e)return 0;var f=e.style.cssFloat;"
        "var w=e.style.webkitFloat;e.style.cssFloat='left';e.style.webkitFloat='left';var h=e.offsetHeight;"
        "e.style.cssFloat=f;e.style.webkitFloat=w;return h;})()";

    struct Environment {
        WebViewFactory webViewFactory;                  // an off-screen DMWebView when empty
        std::function<std::string()> fontRules;         // the application's font rules when empty
    };

    PNGExporter();
    explicit PNGExporter(Environment environment);

    std::string_view format() const override { return "png"; }
    bool needsWebView() const override { return true; }
    // The task is the page being pictured (a PNGExportTask); main thread only.
    Result<std::shared_ptr<ExportTask>> start(const ExportSource& source, ExportRequest request,
                                              Completion completion) override;

    // The page the document's HTML is laid out in; margins in centimetres.
    // An error when the page's template is not installed.
    static Result<std::string> pageHTML(std::string_view fontRules, double leftMargin, double rightMargin,
                                        std::string_view html);
    // The HTML on the paper colour, when one other than white is set.
    static std::string HTMLOnPaperColor(std::string html, const std::string& paperColor);

private:
    Environment m_environment;
};

// One picture being made: the page, measured and then snapshotted.
class PNGExportTask final : public ExportTask, public WebViewDelegate,
                            public std::enable_shared_from_this<PNGExportTask> {
public:
    PNGExportTask(std::unique_ptr<WebView> webView, std::string outputPath, Exporter::Completion completion);
    ~PNGExportTask() override;

    WebView* webView() const { return m_webView.get(); }
    void load(const std::string& page, const std::string& baseURL);

    // WebViewDelegate
    void webViewDidFinishLoad(WebView& webView) override;
    void webViewDidFailLoad(WebView& webView, const std::string& message) override;
    void webViewWebProcessDidTerminate(WebView& webView, const std::string& reason) override;

private:
    void measured(const std::string& answer);
    void snapshotTaken(Result<Image::Pointer> image);
    void finish(Result<std::string> result);

    std::unique_ptr<WebView> m_webView;
    std::string m_outputPath;
    Exporter::Completion m_completion;
    Rect m_savedFrame;
};

} // namespace folio
