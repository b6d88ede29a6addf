// The rich-text editor in a real web view (run under Xvfb): opening the
// shared 1 MB RTF document until its page is ready for typing, and the time
// from a typed key to the document's change count. Targets: ready in under
// 1 s, a keystroke under 16 ms.
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"
#include "richtext/TextViewController.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace folio;
using Clock = std::chrono::steady_clock;

constexpr double kWaitSeconds = 120;

// A copy: the editor autosaves, and the shared input must stay as it is.
std::string inputPath()
{
    const char* folder = std::getenv("FOLIO_BENCH_INPUTS");
    std::filesystem::path source = std::string(folder ? folder : "/work/shared/bench-inputs") + "/doc-1m.rtf";
    std::filesystem::path copy = std::filesystem::temp_directory_path() / "folio-bench-richtext-1m.rtf";
    std::error_code error;
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing, error);
    return error ? std::string() : copy.string();
}

struct OpenEditor {
    std::shared_ptr<TextDocument> document;
    TextViewController* editor = nullptr;
};

OpenEditor openEditor(const std::string& path)
{
    OpenEditor open;
    open.document = std::make_shared<TextDocument>(path);
    if (!open.document->readFromURL(path))
        return open;
    open.document->makeDocumentViewController();
    open.editor = dynamic_cast<TextViewController*>(open.document->currentTextViewController().get());
    if (open.editor)
        open.editor->loadViewIfNeeded();
    return open;
}

void registerEditor()
{
    EditorMakers::registerMaker(EditorKind::RichText,
                                [](TextDocument& document) { return std::make_shared<TextViewController>(document); });
}

void BM_OpenUntilReady(benchmark::State& state)
{
    registerEditor();
    const std::string path = inputPath();
    if (path.empty()) {
        state.SkipWithError("the shared 1 MB input is missing");
        return;
    }
    for (auto _ : state) {
        auto start = Clock::now();
        OpenEditor open = openEditor(path);
        if (!open.editor || !RunLoop::main().runUntil([&] { return open.editor->isPageReady(); }, kWaitSeconds)) {
            state.SkipWithError("the editor did not become ready");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_OpenUntilReady)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_KeystrokeToChangeCount(benchmark::State& state)
{
    registerEditor();
    OpenEditor open = openEditor(inputPath());
    if (!open.editor || !RunLoop::main().runUntil([&] { return open.editor->isPageReady(); }, kWaitSeconds)) {
        state.SkipWithError("the editor did not become ready");
        return;
    }
    WebView& page = *open.editor->webView();
    page.stringByEvaluatingJavaScript("document.getElementById('content').focus();");
    for (auto _ : state) {
        open.document->updateChangeCount(DKDocument::ChangeKind::Cleared);
        auto start = Clock::now();
        page.executeEditingCommand("InsertText", "a");
        if (!RunLoop::main().runUntil([&] { return open.document->hasUnsavedChanges(); }, kWaitSeconds)) {
            state.SkipWithError("the key did not reach the document");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_KeystrokeToChangeCount)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace

BENCHMARK_MAIN();
