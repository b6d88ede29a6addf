#include "shell/ExportActions.h"

#include "delivery/ExportPreferencesReader.h"
#include "export/StagingFolder.h"

#include "delivery/LinuxExportServices.h"
#include "delivery/PNGResultActions.h"
#include "delivery/PrintService.h"
#include "delivery/ShareService.h"
#include "export/ExportSource.h"
#include "export/epub/EPubExporter.h"
#include "export/html/HTMLExporter.h"
#include "export/pdf/PDFExporter.h"
#include "export/png/PNGExporter.h"
#include "export/rtfd/RTFDExporter.h"
#include "export/txt/TextExporter.h"
#include "shell/RunningPDFExport.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/services/NetworkReachability.h"
#include "platform/ui/ProgressHUD.h"


#include <algorithm>
#include <ctime>
#include <filesystem>

namespace folio {

namespace {

Error exportError(ExportActions::ErrorCode code, std::string message)
{
    return Error{ExportActions::kErrorDomain, code, std::move(message)};
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

bool isPDFItem(const std::string& path)
{
    return TypeIdentifiers::typeIdentifierForPath(path) == TypeIdentifiers::kPDF;
}

// Copies of a PDF made in another maker's synced project are added to its
// folder listing, but only in the documents part of the project.
bool isProjectDocumentsFolder(const std::string& path, ExportNaming::Scope scope)
{
    if (scope == ExportNaming::Scope::Dropbox)
        return contains(path, "/Files/Docs/");
    if (scope == ExportNaming::Scope::iCloud)
        return contains(path, ".scriv/Files/Docs/");
    return false;
}

} // namespace

ExportActions::ExportActions(Host host) : m_host(std::move(host)) {}
ExportActions::~ExportActions() = default;

UserDefaults& ExportActions::defaults() const
{
    return m_defaults ? *m_defaults : UserDefaults::standardUserDefaults();
}

ExportServices ExportActions::exportServices()
{
    if (m_exportServices)
        return *m_exportServices;
    if (!m_linuxServices)
        m_linuxServices = std::make_unique<LinuxExportServices>();
    return m_linuxServices->services();
}

std::optional<EditorContent> ExportActions::openContentForFile(const std::string& path) const
{
    return m_host.openContentForFile ? m_host.openContentForFile(path) : std::nullopt;
}

ExporterRegistry ExportActions::exporters() const
{
    ExporterEnvironment environment;
    environment.PDF = m_PDFEnvironment;
    environment.pictureWebViewFactory = m_PNGWebViewFactory;
    return ExporterRegistry(environment);
}

Result<std::string> ExportActions::exportToFile(std::string_view format, const std::string& path,
                                                const std::string& outputPath)
{
    ExportSource source(path, openContentForFile(path), ExportPreferencesReader::read(defaults()));
    ExportRequest request;
    request.outputPath = outputPath;
    request.openEditor = ExportSource::OpenEditor::Use;
    std::optional<Result<std::string>> outcome;
    auto task = exporters().exporterForFormat(format)->start(source, std::move(request),
                                                              [&](Result<std::string> file) { outcome = std::move(file); });
    if (!task)
        return task.error();
    return outcome ? std::move(*outcome) : Result<std::string>(Error{kErrorDomain, 0, "The export did not finish"});
}

Result<std::string> ExportActions::HTMLDataForFileItem(const std::string& path)
{
    return HTMLExporter::contents(ExportSource(path, openContentForFile(path), ExportPreferencesReader::read(defaults())), ExportSource::OpenEditor::Use);
}

Result<std::string> ExportActions::HTMLStringForFileItem(const std::string& path)
{
    return ExportSource(path, openContentForFile(path), ExportPreferencesReader::read(defaults())).HTMLString();
}

Result<std::string> ExportActions::TXTDataForFileItem(const std::string& path)
{
    return TextExporter::contents(ExportSource(path, openContentForFile(path), ExportPreferencesReader::read(defaults())), ExportSource::OpenEditor::Use);
}

Status ExportActions::PDFURLForFileItem(const std::string& path, PDFAction action)
{
    ExportSource source(path, openContentForFile(path), ExportPreferencesReader::read(defaults()));
    if (source.kind() == DocumentKind::Markdown) {
        // Pictures and formulas of Markdown pages are fetched from the
        // network while the page loads; offline they would print as holes.
        Result<std::string> html = source.markdownHTML(ExportSource::OpenEditor::Use);
        if (!html)
            return html.error();
        bool needsNetwork = contains(*html, "![") || contains(*html, "<math");
        bool connected = m_internetConnected ? m_internetConnected() : NetworkReachability::isNetworkAvailable();
        if (needsNetwork && !connected)
            return exportError(NoConnection, "No Internet connection: the pictures and formulas of " + path
                                                 + " cannot be loaded");
    }
    return startPDFExport(source, ExportSource::OpenEditor::Use,
                          ExportNaming::temporaryPath(AppFolders::temporaryFolder(), path),
                          ExportNaming::actionForBrowserRequest(path, action));
}

Status ExportActions::PDFDataForFileItem(const std::string& path, PDFAction action)
{
    ExportSource source(path, std::nullopt, ExportPreferencesReader::read(defaults()));
    if (source.kind() != DocumentKind::RTF)
        return exportError(UnsupportedKind, "Only rich-text documents can be converted this way: " + path);
    // NOTE: the PDF is written to the temporary folder rather than kept in
    // memory, so that the action has a file to send, print or show.
    return startPDFExport(source, ExportSource::OpenEditor::Ignore,
                          ExportNaming::temporaryPath(AppFolders::temporaryFolder(), path), action);
}

Status ExportActions::printFileItem(const std::string& path)
{
    ProgressHUD::show();
    if (isPDFItem(path)) {
        ExportServices services = exportServices();
        Status printed = services.print
            ? services.print->printPDFDocumentFromURL(path, std::filesystem::path(path).filename().string())
            : Status::success();
        ProgressHUD::dismiss();
        return printed;
    }
    Status started = PDFURLForFileItem(path, PDFAction::Print);
    // A conversion that never starts has no outcome to take the overlay away.
    if (!started)
        ProgressHUD::dismiss();
    return started;
}

void ExportActions::convertToPDFAndOpenFileItem(const std::string& path, ExportNaming::Scope scope)
{
    std::weak_ptr<int> alive = m_lifetime;
    RunLoop::main().post([this, alive, path, scope] {
        if (alive.expired())
            return;
        if (!createPDFWithFileItem(path, true, scope))
            ProgressHUD::dismiss();
    });
}

Status ExportActions::createPDFWithFileItem(const std::string& path, bool shouldOpen, ExportNaming::Scope scope)
{
    if (isPDFItem(path))
        return copyPDFItem(path, scope);
    ExportSource source(path, std::nullopt, ExportPreferencesReader::read(defaults()));
    if (shouldOpen)
        return startPDFExport(source, ExportSource::OpenEditor::Ignore, ExportNaming::copyPath(path),
                              ExportNaming::actionForConvertAndOpen(path, scope));
    return startPDFExport(source, ExportSource::OpenEditor::Ignore,
                          ExportNaming::temporaryPath(AppFolders::temporaryFolder(), path),
                          ExportNaming::actionForPreview(path));
}

// A PDF is already what the conversion makes: its copy is the PDF itself,
// beside it, under a name that does not replace an earlier copy.
Status ExportActions::copyPDFItem(const std::string& path, ExportNaming::Scope scope)
{
    std::string destination = ExportNaming::copyPath(path);
    if (FileManager::fileExists(destination)) {
        std::time_t now = std::chrono::system_clock::to_time_t(m_host.clock ? m_host.clock() : std::chrono::system_clock::now());
        std::tm local{};
        localtime_r(&now, &local);
        destination = ExportNaming::timedCopyPath(path, local.tm_min, local.tm_sec);
    }
    Status copied = FileManager::copyItem(path, destination);
    ProgressHUD::dismiss();
    if (!copied)
        return exportError(CopyFailed, "Cannot copy " + path + " to " + destination + ": " + copied.error().message);
    ExportServices services = exportServices();
    if (isProjectDocumentsFolder(path, scope) && services.share)
        return services.share->insertNewItemWithFilePath(destination);
    return Status::success();
}

Result<std::string> ExportActions::ePubURLForFileItem(const std::string& path)
{
    return exportToFile("epub", path, EPubExporter::temporaryPath(ExportSource(path)));
}

Result<std::string> ExportActions::RTFDURLForFileItem(const std::string& path)
{
    return exportToFile("rtfd", path, RTFDExporter::temporaryPath(ExportSource(path)));
}

Status ExportActions::PNGDataForFileItem(const std::string& path, PNGAction action, Exporter::Completion completion)
{
    // A new request replaces the one under way. The old task goes on a later
    // turn, as this request may come from inside its own completion.
    if (m_PNGExport.task) {
        RunningPNGExport replaced = std::move(m_PNGExport);
        m_PNGExport = {};
        RunLoop::main().post([task = replaced.task] {});
        if (replaced.completion)
            replaced.completion(Error{kErrorDomain, PictureReplaced, "Another picture export started"});
    }
    ExportSource source(path, openContentForFile(path), ExportPreferencesReader::read(defaults()));
    ExportRequest request;
    // The picture is handed to its action after the export, so its private
    // folder stays for the temporary-folder clean-up, unless the export fails.
    Result<StagingFolder> folder = StagingFolder::make("png");
    if (!folder)
        return folder.error();
    std::string pictureFolder = folder->release();
    request.outputPath = pictureFolder + "/" + PNGExporter::kPictureFileName;
    request.openEditor = ExportSource::OpenEditor::Use;
    std::string fileName = source.fileName();
    std::weak_ptr<int> alive = m_lifetime;
    unsigned serial = ++m_PNGExportSerial;
    auto finished = [this, alive, serial, action, fileName, pictureFolder](Result<std::string> picture) {
        if (!picture) {
            std::error_code ignored;
            std::filesystem::remove_all(pictureFolder, ignored);
        }
        // A replaced export's page may still answer; only the latest counts.
        if (alive.expired() || serial != m_PNGExportSerial)
            return;
        bool tooTall = !picture && picture.error().domain == PNGExporter::kErrorDomain
            && picture.error().code == PNGExporter::TooTall;
        PNGResultActions::Hooks hooks;
        hooks.dismissProgress = [] { ProgressHUD::dismiss(); };
        hooks.showSuccess = [](const std::u16string& status) { ProgressHUD::showSuccessWithStatus(status); };
        hooks.tell = m_host.tell;
        hooks.presentError = [this](const Error& error) {
            if (m_host.tell)
                m_host.tell(u"The Picture Was Not Handed On", error.message);
        };
        Result<std::string> outcome =
            PNGResultActions(exportServices(), std::move(hooks)).pictureFinished(action, std::move(picture), fileName, tooTall);
        Exporter::Completion completion = std::move(m_PNGExport.completion);
        m_PNGExport.completion = nullptr;
        m_PNGExport.fileName.clear();
        if (completion)
            completion(std::move(outcome));
    };
    m_PNGExport.action = action;
    m_PNGExport.fileName = fileName;
    m_PNGExport.completion = std::move(completion);
    Result<std::shared_ptr<ExportTask>> task = exporters().exporterForFormat("png")->start(source, request, finished);
    if (!task) {
        m_PNGExport = {};
        std::error_code ignored;
        std::filesystem::remove_all(pictureFolder, ignored);
        return task.error();
    }
    m_PNGExport.task = std::move(*task);
    return Status::success();
}

Status ExportActions::startPDFExport(const ExportSource& source, ExportSource::OpenEditor openEditor,
                                     const std::string& destination, PDFAction action, std::function<void()> whenFinished)
{
    PDFResultActions::Hooks hooks;
    hooks.cleanTemporaryFolder = [this] {
        if (m_host.cleanTemporaryFolder)
            m_host.cleanTemporaryFolder();
    };
    hooks.dismissProgress = [] { ProgressHUD::dismiss(); };
    hooks.hasOpenDocument = [this] { return m_host.hasOpenEditor && m_host.hasOpenEditor(); };
    hooks.tell = m_host.tell;
    auto running = std::make_unique<RunningPDFExport>(exportServices(), std::move(hooks), action, source.displayedName(),
                                                      [this, whenFinished](RunningPDFExport& finished) {
                                                          PDFExportFinished(finished);
                                                          if (whenFinished)
                                                              whenFinished();
                                                      });
    ExportRequest request;
    request.outputPath = destination;
    request.openEditor = openEditor;
    request.action = action;
    RunningPDFExport* handle = running.get();
    Result<std::shared_ptr<ExportTask>> task = exporters().exporterForFormat("pdf")->start(
        source, std::move(request), [handle](Result<std::string> file) { handle->conversionFinished(std::move(file)); });
    if (!task)
        return task.error();
    running->setTask(*task);
    m_PDFCreator = PDFExporter::converter(**task);
    // Each conversion is kept until it reports, not only the latest: a new
    // request must not cut short one whose file someone is waiting for.
    if (!running->isFinished())
        m_runningPDFExports.push_back(std::move(running));
    return Status::success();
}

void ExportActions::PDFExportFinished(RunningPDFExport& running)
{
    m_lastPDFExportOutcome = running.outcome();
    if (!m_lastPDFExportOutcome && m_host.tell)
        m_host.tell(u"The PDF Was Not Handed On", m_lastPDFExportOutcome.error().message);
    if (running.actions().isDocumentPDFPreview())
        m_isDocumentPDFPreview = true;
    // The print dialog, the receiving application or service, or the
    // browser's listing has taken over from the overlay the request showed.
    switch (running.action()) {
    case PDFAction::Print:
    case PDFAction::MarquentPrint:
    case PDFAction::SendToApp:
    case PDFAction::Dropbox:
    case PDFAction::GoogleDrive:
    case PDFAction::iCloudDrive:
    case PDFAction::WebDAV:
    case PDFAction::AddToFolder:
        ProgressHUD::dismiss();
        break;
    default:
        break;
    }
    auto found = std::find_if(m_runningPDFExports.begin(), m_runningPDFExports.end(),
                              [&](const auto& entry) { return entry.get() == &running; });
    if (found == m_runningPDFExports.end())
        return;
    // Released on a later turn: this runs inside the export's own callback.
    std::shared_ptr<RunningPDFExport> finished(found->release());
    m_runningPDFExports.erase(found);
    RunLoop::main().post([finished] {});
}

} // namespace folio
