#include "app/ExportCommands.h"

#include "delivery/ExportPreferencesReader.h"
#include "platform/foundation/UserDefaults.h"
#include "app/CommandLine.h"
#include "app/DesktopModule.h"
#include "app/DocumentArgument.h"
#include "app/ExportOutput.h"
#include "app/MarkdownConverterRegistration.h"
#include "shell/CopyOut.h"
#include "shell/DocumentPreviewPage.h"
#include "export/ExportNaming.h"
#include "export/ExportSource.h"
#include "export/ExporterRegistry.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/OneShotHeap.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/VirtualDisplay.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Pasteboard.h"
#include "platform/web/WebServices.h"
#include "platform/web/WebViewDelegate.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

namespace folio {

namespace {

// Long enough for a very large document; the page's own failures end sooner.
constexpr double kExportTimeoutSeconds = 600;
constexpr double kPreviewTimeoutSeconds = 60;
constexpr Rect kPreviewFrame{{0, 0}, {768, 1024}};

struct Arguments {
    std::string file;
    std::map<std::string, std::string> options;
};

// FILE followed by "--name value" pairs of the allowed names.
std::optional<Arguments> parseArguments(const std::vector<std::string>& arguments,
                                        std::initializer_list<const char*> allowed, const char* usage)
{
    Arguments parsed;
    bool fileGiven = false;
    bool optionsEnded = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (argument == "--" && !optionsEnded) {
            // What follows is a file, even when its name starts with "-".
            optionsEnded = true;
        } else if (!optionsEnded && argument.rfind("--", 0) == 0) {
            bool known = false;
            for (const char* name : allowed)
                known = known || argument == name;
            if (!known || index + 1 >= arguments.size() || parsed.options.count(argument)) {
                std::cerr << "folio: usage: " << usage << "\n";
                return std::nullopt;
            }
            parsed.options[argument] = arguments[++index];
        } else if (!fileGiven) {
            parsed.file = argument;
            fileGiven = true;
        } else {
            std::cerr << "folio: usage: " << usage << "\n";
            return std::nullopt;
        }
    }
    if (!fileGiven) {
        std::cerr << "folio: usage: " << usage << "\n";
        return std::nullopt;
    }
    return parsed;
}

int fail(const std::string& message)
{
    std::cerr << "folio: " << message << "\n";
    return CommandLine::kFailure;
}

// Damaged RTF still converts as far as it could be read; the user hears
// what was wrong with it.
void reportReadingWarnings(const ExportSource& source)
{
    for (const std::string& warning : source.readingWarnings())
        std::cerr << "folio: warning: " << source.path() << ": " << warning << "\n";
}

std::optional<int> checkInput(const std::string& file)
{
    return DocumentArgument::check(file, std::cerr);
}

// A conversion holds the file, its text and runs, and what it writes at once:
// sixteen times the file covers the RTF, page and Markdown documents measured.
constexpr std::uintmax_t kConversionPeakPerByte = 16;
constexpr std::uintmax_t kConversionPeakBase = 32 << 20;
// Below this a conversion touches too little memory for the faults to count.
constexpr std::uintmax_t kSmallestReservedDocument = 512 << 10;

// The command converts this one document and exits, in this process alone.
void prepareHeapForConversion(const std::string& file)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (!error && size >= kSmallestReservedDocument)
        reserveHeapForOneShotTask(kConversionPeakBase + size * kConversionPeakPerByte);
}

int exportCommand(const std::vector<std::string>& arguments)
{
    constexpr const char* usage = "folio export FILE --format pdf|epub|rtfd|html|txt|png [--output PATH|-]";
    auto parsed = parseArguments(arguments, {"--format", "--output"}, usage);
    if (!parsed)
        return CommandLine::kUsageError;
    auto format = parsed->options.find("--format");
    if (format == parsed->options.end()) {
        std::cerr << "folio: usage: " << usage << "\n";
        return CommandLine::kUsageError;
    }
    ExporterRegistry exporters;
    Exporter* exporter = exporters.exporterForFormat(format->second);
    if (!exporter) {
        std::cerr << "folio: unknown format '" << format->second << "'; usage: " << usage << "\n";
        return CommandLine::kUsageError;
    }
    if (auto status = checkInput(parsed->file))
        return *status;
    std::string output = parsed->options.count("--output")
        ? parsed->options["--output"]
        : ExportNaming::copyPath(parsed->file, exporter->fileExtension());
    if (FileManager::isSamePath(output, parsed->file))
        return fail("the export would overwrite " + parsed->file);
    // An output that cannot be written is told before anything starts.
    Result<ExportOutput> destination = ExportOutput::forPath(output);
    if (!destination)
        return fail(destination.error().message);
    // The display server starts, and the web engine's libraries are loaded,
    // while the document is read and converted.
    std::optional<DesktopModuleLoading> webEngineLoading;
    if (exporter->needsWebView()) {
        if (Status display = VirtualDisplay::beginDisplay(); !display)
            return fail("cannot start a display for the web view: " + display.error().message);
    }
    // A PDF is read back once printed, every page's content unpacked on
    // threads side by side: a heap that gave each block back as it was
    // freed faulted the next one in anew (half the reading's time).
    prepareHeapForConversion(parsed->file);
    if (exporter->needsWebView()) {
        // The page process, which does most of the work, is such a task too;
        // before the thread below starts, as it changes the environment.
        readyStartedProcessesForOneShotTask();
        webEngineLoading.emplace();
    }

    ExportRequest request;
    request.outputPath = destination->exportPath();
    request.action = PDFAction::DismissProgress;
    if (isatty(STDERR_FILENO)) {
        request.pageProgress = [](std::size_t index, std::size_t count) {
            std::cerr << "\rfolio: page " << index + 1 << " of " << count << std::flush;
            if (index + 1 == count)
                std::cerr << "\n";
        };
    }
    // A stream receives the HTML alone, so its pictures go inside it.
    request.pictures = destination->isStream() ? ExportRequest::Pictures::Inline : ExportRequest::Pictures::BesideFile;
    // The exporters keep a closed document's pictures in their own output,
    // so the conversion leaves the program's folders as they were.
    ExportSource source(parsed->file, std::nullopt, ExportPreferencesReader::read(UserDefaults::standardUserDefaults()));
    Result<std::string> exported = exporter->exportFile(source, std::move(request), kExportTimeoutSeconds);
    reportReadingWarnings(source);
    if (!exported)
        return fail("cannot export " + parsed->file + ": " + exported.error().message);
    if (Status finished = destination->finish(); !finished)
        return fail(finished.error().message);
    // A file the command named itself is told, so that it can be found.
    if (!parsed->options.count("--output"))
        std::cout << "folio: exported " << parsed->file << " to " << output << "\n";
    return CommandLine::kSuccess;
}

class LoadWatcher final : public WebViewDelegate {
public:
    void webViewDidFinishLoad(WebView&) override { m_done = true; }
    void webViewDidFailLoad(WebView&, const std::string& message) override
    {
        m_done = true;
        m_error = message;
    }
    void webViewWebProcessDidTerminate(WebView&, const std::string& reason) override
    {
        m_done = true;
        m_error = reason;
    }
    bool m_done = false;
    std::optional<std::string> m_error;
};

int previewCommand(const std::vector<std::string>& arguments)
{
    constexpr const char* usage = "folio preview FILE --output PNG";
    auto parsed = parseArguments(arguments, {"--output"}, usage);
    if (!parsed)
        return CommandLine::kUsageError;
    if (!parsed->options.count("--output")) {
        std::cerr << "folio: usage: " << usage << "\n";
        return CommandLine::kUsageError;
    }
    if (auto status = checkInput(parsed->file))
        return *status;
    const std::string& output = parsed->options["--output"];
    if (FileManager::isSamePath(output, parsed->file))
        return fail("the preview would overwrite " + parsed->file);
    ExportSource source(parsed->file, std::nullopt, ExportPreferencesReader::read(UserDefaults::standardUserDefaults()));
    Result<std::string> page = DocumentPreviewPage::html(source);
    if (!page)
        return fail("cannot read " + parsed->file + ": " + page.error().message);

    if (Status display = WebServices::shared().ensureDisplay(); !display)
        return fail("cannot start a display for the web view: " + display.error().message);
    // A file's pictures are in the page as data; the kinds that keep theirs
    // in the document's picture folder are read from it where it exists.
    std::optional<std::string> pictures = AppFolders::existingPictureFolderForDocument(source.pictureDocumentName());
    std::vector<std::string> readable;
    if (pictures)
        readable.push_back(*pictures);
    std::string baseFolder = pictures ? *pictures : std::filesystem::path(parsed->file).parent_path().string();
    auto webView = WebServices::shared().makeDocumentWebView(kPreviewFrame, readable);
    if (!webView)
        return fail("cannot make a web view: " + webView.error().message);
    LoadWatcher watcher;
    (*webView)->setDelegate(&watcher);
    (*webView)->loadHTMLString(*page, URL::fileURLWithPath(std::filesystem::absolute(baseFolder).string(), true).absoluteString());
    bool loaded = RunLoop::main().runUntil([&] { return watcher.m_done; }, kPreviewTimeoutSeconds);
    (*webView)->setDelegate(nullptr);
    if (!loaded || watcher.m_error)
        return fail("the page did not load" + (watcher.m_error ? ": " + *watcher.m_error : std::string()));

    std::optional<Result<Image::Pointer>> snapshot;
    (*webView)->takeSnapshot(WebView::SnapshotRegion::Visible,
                             [&](Result<Image::Pointer> image) { snapshot = std::move(image); });
    if (!RunLoop::main().runUntil([&] { return snapshot.has_value(); }, kPreviewTimeoutSeconds))
        return fail("the picture was not taken in time");
    if (!*snapshot)
        return fail("cannot take the picture: " + snapshot->error().message);
    Result<std::vector<std::uint8_t>> png = (**snapshot)->pngData();
    if (!png)
        return fail("cannot encode the picture: " + png.error().message);
    if (Status written = FileManager::writeAtomically(output, *png); !written)
        return fail(written.error().message);
    return CommandLine::kSuccess;
}

int copyCommand(const std::vector<std::string>& arguments)
{
    constexpr const char* usage = "folio copy FILE --as text|html";
    auto parsed = parseArguments(arguments, {"--as"}, usage);
    if (!parsed)
        return CommandLine::kUsageError;
    auto as = parsed->options.find("--as");
    if (as == parsed->options.end() || (as->second != "text" && as->second != "html")) {
        std::cerr << "folio: usage: " << usage << "\n";
        return CommandLine::kUsageError;
    }
    if (auto status = checkInput(parsed->file))
        return *status;
    ExportSource source(parsed->file, std::nullopt, ExportPreferencesReader::read(UserDefaults::standardUserDefaults()));
    auto text = CopyOut::copyFromFile(source, as->second == "text" ? CopyOut::Format::PlainText : CopyOut::Format::HTML,
                                      Pasteboard::general());
    reportReadingWarnings(source);
    if (!text)
        return fail("cannot copy " + parsed->file + ": " + text.error().message);
    std::cout << toUtf8(*text);
    if (!text->empty() && text->back() != u'\n')
        std::cout << "\n";
    std::cout.flush();
    return std::cout ? CommandLine::kSuccess : CommandLine::kFailure;
}

} // namespace

void registerExportCommands(CommandLine& commandLine)
{
    registerMarkdownConverter();
    commandLine.registerCommand("export", exportCommand);
    commandLine.registerCommand("preview", previewCommand);
    commandLine.registerCommand("copy", copyCommand);
}

} // namespace folio
