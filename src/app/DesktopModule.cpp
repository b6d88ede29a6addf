#include "app/DesktopModule.h"

#include "app/CommandLine.h"
#include "app/DocumentArgument.h"
#include "app/ProgramModule.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/web/WebServices.h"

#include <iostream>
#include <optional>

namespace folio {

namespace {

std::string moduleError(const std::string& message)
{
    return "the web view and the desktop are not available: " + message;
}

// Every request fails, saying why the module could not be opened.
class UnavailableWebServices final : public WebServices {
public:
    explicit UnavailableWebServices(Error error) : m_error(std::move(error)) {}

    Status ensureDisplay() override { return m_error; }
    Result<std::unique_ptr<WebView>> makeWebView(const Rect&) override { return m_error; }
    Result<std::unique_ptr<WebView>> makeEditorWebView(const Rect&, std::vector<std::string>) override
    {
        return m_error;
    }
    Result<std::unique_ptr<WebView>> makeDocumentWebView(const Rect&, std::vector<std::string>) override
    {
        return m_error;
    }
    Result<std::unique_ptr<WebView>> makeBrowsingWebView(const Rect&) override { return m_error; }
    Status renderPrintedPDF(const std::string&, const std::string&, const PrintedPDFRenderer::PageCallback&) override
    {
        return m_error;
    }
    Status renderPrintedPDFParts(const std::vector<PrintedPDFRenderer::PrintedPart>&, const std::string&,
                                 const PrintedPDFRenderer::PartPageCallback&) override
    {
        return m_error;
    }
    Status renderPrintedPDFPages(const std::string&, const std::string&, Range) override { return m_error; }
    Result<std::vector<std::size_t>> printedMarkPages(const std::string&, int, int) override { return m_error; }
    Result<std::size_t> pdfPageCount(const std::string&) override { return m_error; }
    Result<std::size_t> writePrintedPDF(const std::string&, const std::string&) override { return m_error; }
    Result<std::shared_ptr<ReaderDocument>> openReaderDocument(const std::string&) override { return m_error; }

private:
    Error m_error;
};

Result<DesktopModule*> open()
{
    Result<void*> entry = entryPointOfProgramModule(DesktopModule::kFileName, DesktopModule::kEntryPoint);
    if (!entry)
        return Error{DesktopModule::kErrorDomain, DesktopModule::NotLoaded, moduleError(entry.error().message)};
    DesktopModule* module = reinterpret_cast<DesktopModule* (*)()>(*entry)();
    if (!module)
        return Error{DesktopModule::kErrorDomain, DesktopModule::NotLoaded,
                     moduleError(std::string(DesktopModule::kFileName) + " answered no module")};
    return module;
}

// Loading the windows' and the web engine's libraries takes as long as
// reading a long document: the document is read meanwhile, and the opening
// takes it. A PDF opens in its reader, without a document.
void readAheadWhileTheModuleLoads(const std::string& path)
{
    DKDocumentAppController* app = DKDocumentAppController::controller();
    if (!app || TypeIdentifiers::typeIdentifierForPath(path) == TypeIdentifiers::kPDF)
        return;
    app->readDocumentAhead(ODSFileItem(path, nullptr).fileURL());
}

} // namespace

Result<DesktopModule*> DesktopModule::load()
{
    // A call made while another thread opens the module waits for it.
    static const Result<DesktopModule*> module = open();
    return module;
}

DesktopModuleLoading::DesktopModuleLoading()
    : m_thread([] { (void)DesktopModule::load(); })
{
}

DesktopModuleLoading::~DesktopModuleLoading()
{
    m_thread.join();
}

WebServices& WebServices::shared()
{
    static UnavailableWebServices* unavailable = nullptr;
    Result<DesktopModule*> module = DesktopModule::load();
    if (module)
        return (*module)->webServices();
    if (!unavailable)
        unavailable = new UnavailableWebServices(module.error());
    return *unavailable;
}

void registerDesktopModuleCommands(CommandLine& commandLine)
{
    for (const char* name : {"", "open"}) {
        commandLine.registerCommand(name, [name = std::string(name)](const std::vector<std::string>& arguments) {
            // The file is checked as every command checks it, before the
            // windows' libraries are loaded for nothing.
            if (name == "open" && arguments.size() == 1) {
                if (std::optional<int> status = DocumentArgument::check(arguments.front(), std::cerr))
                    return *status;
                readAheadWhileTheModuleLoads(arguments.front());
            }
            Result<DesktopModule*> module = DesktopModule::load();
            if (!module) {
                std::cerr << "folio: " << module.error().message << "\n";
                return CommandLine::kFailure;
            }
            return (*module)->runCommand(name, arguments);
        });
    }
}

} // namespace folio
