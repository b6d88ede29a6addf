#pragma once

#include "documents/EditorContent.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/docframework/DKWebViewControllerDelegate.h"
#include "platform/foundation/Error.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class ExportActions;
class ODSFileItem;
class TextDocument;
class UserDefaults;
class ViewController;

// The browser's previews of a listed file and the Markdown previews: HTML
// shown in the in-app web page over the open editor (or whatever is on
// top), PDF previews made by the export actions for the PDF reader. Closing
// the page turns its picture into the previewed file's preview.
class PreviewPresenter final : public DKWebViewControllerDelegate {
public:
    static constexpr const char* kErrorDomain = "PreviewPresenter";
    enum ErrorCode { NothingToShow = 4, NoOpenPage = 5 };

    // What the previews need of the application around them.
    struct Host {
        std::function<std::shared_ptr<TextDocument>()> currentDocument{};
        // The controller on top of everything above the browser window's root.
        std::function<std::shared_ptr<ViewController>()> topViewController{};
        // The file the browser opened last, pictured by pages shown for others.
        std::function<std::shared_ptr<ODSFileItem>()> lastOpenedFileItem{};
        // What the open document's editor holds when it is the file at the path.
        std::function<std::optional<EditorContent>(const std::string& path)> openContentForFile{};
        std::function<UserDefaults&()> defaults{};
    };

    PreviewPresenter(ExportActions& exports, Host host);
    ~PreviewPresenter() override;
    PreviewPresenter(const PreviewPresenter&) = delete;
    PreviewPresenter& operator=(const PreviewPresenter&) = delete;

    // Each runs on the next turn of the main loop, as the browser's menu is closing.
    void previewHTMLFileItem(const std::string& path);
    void previewFinalFileItem(const std::string& path);
    // The file's HTML in the in-app web page; an unreadable file dismisses the overlay.
    Status HTMLFilePreviewPreparationTask(const std::string& path);
    // The file converted to a PDF in the temporary folder, for the PDF reader.
    Status PDFFilePreviewPreparationTask(const std::string& path);
    // The open document as its PDF prints, with the header and footer as
    // they are set now, in the PDF reader; the completion runs once the
    // conversion has ended (the reader is up) or could not start.
    void previewHeaderFooter(std::function<void()> completion);
    // Shows the HTML in the in-app web page over the open editor (or the
    // top-most controller) and dismisses the progress overlay. Without HTML
    // nothing is shown and the overlay stays.
    Status previewMarkdownInWebView(const std::optional<std::string>& html, const std::u16string& title);
    // The open Markdown editor's text as the styled preview page, over the editor.
    Status previewOpenMarkdownDocument();
    // A menu command whose work was never filled in: its task does nothing.
    void previewMarkdown();

    // The page closes; its picture becomes the previewed file's preview.
    void webViewControllerDidClose(DKWebViewController& controller) override;
    // A link followed in a preview goes by its scheme (see LinkDestination):
    // web and mail addresses to the desktop, anything else refused with a message.
    bool webViewControllerShouldOpenLink(DKWebViewController& controller, const std::string& url) override;
    const std::shared_ptr<DKWebViewController>& previewWebViewController() const { return m_previewController; }
    void setPreviewWebViewFactory(DKWebViewController::WebViewFactory factory) { m_previewWebViewFactory = std::move(factory); }
    // What hands a followed web or mail address to the desktop; the
    // desktop's own opener unless set (tests).
    void setURLOpener(std::function<void(const std::string& url)> opener) { m_openURL = std::move(opener); }
    // Web views for pages that show a document, which may come from anywhere:
    // they run no script of the document's and read only its pictures.
    DKWebViewController::WebViewFactory documentPageFactory(const std::string& documentPath) const;

private:
    void postPreviewTask(Status (PreviewPresenter::*task)(const std::string&), const std::string& path);
    Status presentPreview(const std::optional<std::string>& html, const std::u16string& title,
                          std::shared_ptr<ODSFileItem> item);
    UserDefaults& defaults() const;

    ExportActions& m_exports;
    Host m_host;
    std::function<void(const std::string& url)> m_openURL;
    DKWebViewController::WebViewFactory m_previewWebViewFactory;
    std::shared_ptr<DKWebViewController> m_previewController;
    // The listed file the web page shows; none for HTML shown by other callers.
    std::shared_ptr<ODSFileItem> m_previewedFileItem;
    // Work posted for later checks this, as the presenter may be gone by then.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio
