#pragma once

#include "delivery/ExportServices.h"
#include "delivery/PNGResultActions.h"
#include "documents/EditorContent.h"
#include "export/ExportNaming.h"
#include "export/ExporterRegistry.h"
#include "export/pdf/NDHTMLtoPDF.h"
#include "platform/foundation/Error.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class ExportSource;
class LinuxExportServices;
class RunningPDFExport;
class UserDefaults;

// The document browser's exports of a listed file, over the exporter
// registry: the file is converted by the exporter of its format, and what
// then happens to it (print, share, save among the pictures, the PDF reader)
// is the delivery layer's. The PDF hooks only start a conversion; what
// happens with the file is decided by the action code once it is finished.
// The scope tells where a file lies for the rules of synced project folders.
class ExportActions {
public:
    static constexpr const char* kErrorDomain = "ExportActions";
    enum ErrorCode { NoConnection = 1, UnsupportedKind = 2, CopyFailed = 3, PictureReplaced = 6 };

    // What the exports need of the application around them.
    struct Host {
        // What the open document's editor holds when the open document is
        // the file at the path; none otherwise, and the file is taken as saved.
        std::function<std::optional<EditorContent>(const std::string& path)> openContentForFile{};
        // Whether a document is open in an editor.
        std::function<bool()> hasOpenEditor{};
        // Clears out what has lain in the temporary folder too long.
        std::function<void()> cleanTemporaryFolder{};
        // Now, for the names of copies made the same minute.
        std::function<std::chrono::system_clock::time_point()> clock{};
        // Tells the person what became of a finished export that was handed
        // on: where a service left it, or why it went nowhere.
        std::function<void(const std::u16string& title, const std::string& message)> tell{};
    };

    explicit ExportActions(Host host);
    ~ExportActions();
    ExportActions(const ExportActions&) = delete;
    ExportActions& operator=(const ExportActions&) = delete;

    Result<std::string> HTMLDataForFileItem(const std::string& path);
    Result<std::string> HTMLStringForFileItem(const std::string& path);
    Result<std::string> TXTDataForFileItem(const std::string& path);
    Status PDFURLForFileItem(const std::string& path, PDFAction action);
    Status PDFDataForFileItem(const std::string& path, PDFAction action);
    // Shows the progress overlay; PDF files print as they are, others after conversion.
    Status printFileItem(const std::string& path);
    // Converts on the next turn of the main loop, as the browser's menu is closing.
    void convertToPDFAndOpenFileItem(const std::string& path, ExportNaming::Scope scope = ExportNaming::Scope::Local);
    Status createPDFWithFileItem(const std::string& path, bool shouldOpen,
                                 ExportNaming::Scope scope = ExportNaming::Scope::Local);
    Result<std::string> ePubURLForFileItem(const std::string& path);
    Result<std::string> RTFDURLForFileItem(const std::string& path);
    // The completion, if any, hears where the picture went or why there is none.
    Status PNGDataForFileItem(const std::string& path, PNGAction action, Exporter::Completion completion = {});
    // A PDF of the source (what its editor holds when `openEditor` says so)
    // to the destination, handed to the action once finished; `whenFinished`
    // runs after that.
    Status startPDFExport(const ExportSource& source, ExportSource::OpenEditor openEditor,
                          const std::string& destination, PDFAction action, std::function<void()> whenFinished = {});

    // The latest PDF conversion, kept until the next one replaces it.
    const std::shared_ptr<NDHTMLtoPDF>& PDFCreator() const { return m_PDFCreator; }
    // Conversions still waiting for their outcome; each is kept alive until then.
    std::size_t runningPDFExportCount() const { return m_runningPDFExports.size(); }
    // How the last finished PDF export ended, including the receiving service's answer.
    const Status& lastPDFExportOutcome() const { return m_lastPDFExportOutcome; }
    // Set when a finished PDF was opened in the reader as a preview; the
    // reader clears it as it closes.
    bool isDocumentPDFPreview() const { return m_isDocumentPDFPreview; }
    void setIsDocumentPDFPreview(bool preview) { m_isDocumentPDFPreview = preview; }
    // The picture export under way: its task, action and document's file name.
    struct RunningPNGExport {
        std::shared_ptr<ExportTask> task;
        PNGAction action = PNGAction::None;
        std::string fileName;
        Exporter::Completion completion;
    };
    const RunningPNGExport& PNGExport() const { return m_PNGExport; }

    // Where finished exports go: the desktop's services until set.
    void setExportServices(ExportServices services) { m_exportServices = services; }
    ExportServices exportServices();
    // What PDF and PNG exports are made with; tests give scripted pages.
    void setPDFEnvironment(NDHTMLtoPDFEnvironment environment) { m_PDFEnvironment = std::move(environment); }
    void setPNGWebViewFactory(Exporter::WebViewFactory factory) { m_PNGWebViewFactory = std::move(factory); }
    const Exporter::WebViewFactory& PNGWebViewFactory() const { return m_PNGWebViewFactory; }
    // The standard defaults when null.
    void setUserDefaults(UserDefaults* defaults) { m_defaults = defaults; }
    UserDefaults& defaults() const;
    // Whether the network is up, asked before a Markdown PDF that needs it.
    void setInternetConnectionCheck(std::function<bool()> check) { m_internetConnected = std::move(check); }

private:
    std::optional<EditorContent> openContentForFile(const std::string& path) const;
    ExporterRegistry exporters() const;
    // Runs an exporter that finishes at once and answers its file.
    Result<std::string> exportToFile(std::string_view format, const std::string& path, const std::string& outputPath);
    void PDFExportFinished(RunningPDFExport& running);
    Status copyPDFItem(const std::string& path, ExportNaming::Scope scope);

    Host m_host;
    std::optional<ExportServices> m_exportServices;
    std::unique_ptr<LinuxExportServices> m_linuxServices;
    NDHTMLtoPDFEnvironment m_PDFEnvironment;
    Exporter::WebViewFactory m_PNGWebViewFactory;
    UserDefaults* m_defaults = nullptr;
    std::function<bool()> m_internetConnected;
    std::vector<std::unique_ptr<RunningPDFExport>> m_runningPDFExports;
    std::shared_ptr<NDHTMLtoPDF> m_PDFCreator;
    RunningPNGExport m_PNGExport;
    unsigned m_PNGExportSerial = 0;
    Status m_lastPDFExportOutcome;
    bool m_isDocumentPDFPreview = false;
    // Work posted for later checks this, as the actions may be gone by then.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio
