#pragma once

#include "delivery/ExportServices.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/web/WebViewDelegate.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace folio {

class TextDocument;
class UserDefaults;
class WebView;

// What a PNG picture of a document is for, once it is made.
enum PNGActionCode : int {
    PNGActionNone = -1,
    PNGActionMail = 0,
    PNGActionSendToApp = 1,
    PNGActionSaveToPictures = 2,
    PNGActionDropbox = 8,
    PNGActionGoogleDrive = 9,
    PNGActioniCloudDrive = 21,
    PNGActionWebDAV = 23,
};

// A picture of a whole document: its HTML is laid out in an off-screen page
// 768 points wide, measured, and snapshotted at its full height, then handed
// to the action's service. Pages taller than 30000 points are refused, as a
// picture that size is of no use and costs a great deal of memory.
//
// Main thread only. One export at a time per exporter; a new request replaces
// the one under way.
class PNGExporter final : public WebViewDelegate, public std::enable_shared_from_this<PNGExporter> {
public:
    static constexpr const char* kErrorDomain = "PNGExporter";
    enum ErrorCode { NoFile = 1, NoContent = 2, FolderFailed = 3, NoWebView = 4, LoadFailed = 5, TooTall = 6,
                     SnapshotFailed = 7, WriteFailed = 8, TimedOut = 9, Replaced = 10 };
    static constexpr double kPageWidth = 768;
    static constexpr double kInitialPageHeight = 480;
    static constexpr int kMaximumPageHeight = 30000;
    // Room below the measured content, so that its last line is not cut.
    static constexpr int kBottomAllowance = 44;
    static constexpr const char* kPictureFileName = "marquentdoctmp.png";
    static constexpr const char* kPNGTypeIdentifier = "public.png";
    static constexpr const char* kCloudExportType = "png";
    static constexpr const char* kHeightScript =
        "(function(){var e=document.getElementById('content');if(!e)return 0;var f=e.style.cssFloat;"
        "var w=e.style.webkitFloat;e.style.cssFloat='left';e.style.webkitFloat='left';var h=e.offsetHeight;"
        "e.style.cssFloat=f;e.style.webkitFloat=w;return h;})()";

    using WebViewFactory = std::function<Result<std::unique_ptr<WebView>>(const Rect& frame)>;
    // The path of the finished picture, or why there is none.
    using Completion = std::function<void(Result<std::string> picturePath)>;

    struct Environment {
        UserDefaults* defaults = nullptr;               // the standard defaults when null
        WebViewFactory webViewFactory;                  // an off-screen DMWebView when empty
        std::function<std::string()> fontRules;         // the application's font rules when empty
        const TextDocument* openDocument = nullptr;
        ExportServices services;
        std::function<void()> dismissProgress;
        std::function<void(const std::u16string&)> showSuccess;
        // Tells the browser that its export task ended without a picture.
        std::function<void()> cancelDocumentToPNGtask;
        std::function<void(const Error&)> presentError;
    };

    static std::shared_ptr<PNGExporter> create(Environment environment);
    ~PNGExporter() override;

    // Starts the export of the file at `path`; the completion runs once, later,
    // unless starting fails, which is answered at once instead.
    Status PNGDataForFileItem(const std::string& path, int action, Completion completion);

    // The command line's export: waits (serving the run loop) for the picture
    // and writes it to `outputPath`.
    static Status exportPNG(const std::string& path, const std::string& outputPath, Environment environment,
                            double timeoutSeconds = 120);
    static Status exportPNG(const std::string& path, const std::string& outputPath);

    // The page the document's HTML is laid out in; margins in centimetres.
    static std::string pageHTML(std::string_view fontRules, double leftMargin, double rightMargin,
                                std::string_view html);
    // The HTML on the paper colour, when one other than white is set.
    static std::string HTMLOnPaperColor(std::string html, const std::string& paperColor);

    int HTMLtoPNGAction() const { return m_action; }
    const std::string& PNGFileName() const { return m_fileName; }
    WebView* webView() const { return m_webView.get(); }

    // WebViewDelegate
    void webViewDidFinishLoad(WebView& webView) override;
    void webViewDidFailLoad(WebView& webView, const std::string& message) override;

private:
    explicit PNGExporter(Environment environment);

    Result<std::string> documentHTML(const std::string& path, std::string& baseURL);
    void measured(const std::string& answer);
    void snapshotTaken(Result<Image::Pointer> image);
    Status performAction(const std::string& picturePath, const std::vector<std::uint8_t>& png);
    void finish(Result<std::string> result);

    Environment m_environment;
    UserDefaults& m_defaults;
    int m_action = PNGActionNone;
    std::string m_fileName;
    std::unique_ptr<WebView> m_webView;
    Rect m_savedFrame;
    Completion m_completion;
};

} // namespace folio
