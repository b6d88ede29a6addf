// The rich-text editor in a real web view (run under Xvfb) on the shared 1 MB
// RTF document: reading it, opening it until its page is ready for typing,
// the time from a typed key until the page has laid it out and the document
// counts the change, and the memory the program holds across autosaves.
// Targets: ready in under 1 s, a keystroke under 16 ms, no growth per save.
#include "BenchInputs.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"
#include "richtext/TextViewController.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace folio;
using Clock = std::chrono::steady_clock;

constexpr double kWaitSeconds = 120;

// A copy: the editor autosaves, and the shared input must stay as it is.
std::string inputPath()
{
    std::filesystem::path source = bench::inputPath("doc-1m.rtf");
    std::filesystem::path copy = std::filesystem::temp_directory_path() / "folio-bench-richtext-1m.rtf";
    std::error_code error;
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing, error);
    return error ? std::string() : copy.string();
}

struct OpenEditor {
    std::shared_ptr<TextDocument> document;
    TextViewController* editor = nullptr;
};

// The shared document holds tables, which open read-only; typing and saving
// are measured on its text as an editable document.
enum class Editing { AsFiled, Editable };

OpenEditor openEditor(const std::string& path, Editing editing = Editing::AsFiled)
{
    OpenEditor open;
    open.document = std::make_shared<TextDocument>(path);
    if (!open.document->readFromURL(path))
        return open;
    if (editing == Editing::Editable)
        open.document->setIsRTFDocument(false);
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

// Resident memory of this process, in megabytes.
double residentMegabytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

bool openUntilReady(OpenEditor& open)
{
    return open.editor && RunLoop::main().runUntil([&] { return open.editor->isPageReady(); }, kWaitSeconds);
}

// The caret in the first words of the text, as after a click into them.
void placeCaret(WebView& page)
{
    page.stringByEvaluatingJavaScript(
        "(function(){var w=document.createTreeWalker(document.getElementById('paragraph'),NodeFilter.SHOW_TEXT);"
        "var t=w.nextNode();var r=document.createRange();r.setStart(t,Math.min(5,t.length));r.collapse(true);"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);document.getElementById('content').focus();})()");
}

bool save(TextDocument& document)
{
    auto result = std::make_shared<std::optional<bool>>();
    document.saveToURL(document.fileURL(), DKDocument::SaveOperation::ForOverwriting,
                       [result](bool success) { *result = success; });
    return RunLoop::main().runUntil([&] { return result->has_value(); }, kWaitSeconds) && result->value_or(false);
}

void BM_ReadDocument(benchmark::State& state)
{
    const std::string path = inputPath();
    if (path.empty()) {
        state.SkipWithError("the shared 1 MB input is missing");
        return;
    }
    for (auto _ : state) {
        auto document = std::make_shared<TextDocument>(path);
        if (!document->readFromURL(path)) {
            state.SkipWithError("the document could not be read");
            return;
        }
    }
}
BENCHMARK(BM_ReadDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

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
        if (!openUntilReady(open)) {
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
    OpenEditor open = openEditor(inputPath(), Editing::Editable);
    if (!openUntilReady(open)) {
        state.SkipWithError("the editor did not become ready");
        return;
    }
    WebView& page = *open.editor->webView();
    placeCaret(page);
    for (auto _ : state) {
        open.document->updateChangeCount(DKDocument::ChangeKind::Cleared);
        auto start = Clock::now();
        page.executeEditingCommand("InsertText", "a");
        // Answered once the page has laid the key out.
        page.stringByEvaluatingJavaScript("document.getElementById('content').scrollHeight");
        if (!RunLoop::main().runUntil([&] { return open.document->hasUnsavedChanges(); }, kWaitSeconds)) {
            state.SkipWithError("the key did not reach the document");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_KeystrokeToChangeCount)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// An edit and a save, five times: the resident memory after the first save
// and after the last should be the same.
void BM_MemoryAcrossSaves(benchmark::State& state)
{
    registerEditor();
    OpenEditor open = openEditor(inputPath(), Editing::Editable);
    if (!openUntilReady(open)) {
        state.SkipWithError("the editor did not become ready");
        return;
    }
    WebView& page = *open.editor->webView();
    placeCaret(page);
    state.counters["opened_MB"] = residentMegabytes();
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) {
            page.executeEditingCommand("InsertText", "saved ");
            page.stringByEvaluatingJavaScript("document.readyState");
            open.document->updateChangeCount(DKDocument::ChangeKind::Done);
            if (!save(*open.document)) {
                state.SkipWithError("the save failed");
                return;
            }
            // Once the save's completion has run.
            page.stringByEvaluatingJavaScript("document.readyState");
            state.counters[i == 0 ? "first_save_MB" : "last_save_MB"] = residentMegabytes();
        }
    }
}
BENCHMARK(BM_MemoryAcrossSaves)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
