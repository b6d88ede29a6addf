// The rich-text editor in a real web view (run under Xvfb) on the shared RTF
// documents: reading the 1 MB one, opening it until its page is ready for
// typing, the time from a typed key until the page has laid it out and the
// document counts the change (10 KB, 100 KB and 1 MB), how long 200 keys typed
// at a writer's pace take to be caught up after the last one, the page's own
// time to answer a save, and the memory the program holds across autosaves. Targets: ready in under 1 s, a
// keystroke under 16 ms, 200 keys caught up within 0.5 s, under 300 MB, no
// growth per save (counted as what the allocations hold, beside the resident
// sizes and the proportional total of the program and its web processes).
#include "BenchInputs.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/FreedMemory.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"
#include "richtext/TextViewController.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace folio;
using Clock = std::chrono::steady_clock;

constexpr double kWaitSeconds = 120;

// A copy: the editor autosaves, and the shared input must stay as it is. Named
// for this process: another run's copy may be there, and not ours to replace.
// `tier` is the document's size in kilobytes: 10, 100 or 1000.
std::string inputPath(int tier = 1000)
{
    const std::string name = tier >= 1000 ? "1m" : std::to_string(tier) + "k";
    std::filesystem::path source = bench::inputPath("doc-" + name + ".rtf");
    std::filesystem::path copy = std::filesystem::temp_directory_path()
        / ("folio-bench-richtext-" + name + "-" + std::to_string(getpid()) + ".rtf");
    std::error_code error;
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "%s could not be copied to %s: %s\n", source.c_str(), copy.c_str(),
                     error.message().c_str());
        return std::string();
    }
    // The shared inputs are read-only, and a read-only file opens read-only.
    std::filesystem::permissions(copy, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, error);
    // The copies go with the process.
    static std::vector<std::filesystem::path> copies;
    if (copies.empty()) {
        std::atexit([] {
            for (const std::filesystem::path& path : copies) {
                std::error_code ignored;
                std::filesystem::remove(path, ignored);
            }
        });
    }
    copies.push_back(copy);
    return copy.string();
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

// Resident memory of a process ("self" or a process id), in megabytes.
double residentMegabytes(const std::string& process = "self")
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen(("/proc/" + process + "/statm").c_str(), "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// What this process's allocations hold, in megabytes, over every arena
// (mallinfo2 counts the main one only, and the web engine's threads and the
// save queue allocate in arenas of their own).
double heapMegabytes()
{
    char* text = nullptr;
    size_t length = 0;
    FILE* stream = open_memstream(&text, &length);
    if (!stream)
        return 0;
    malloc_info(0, stream);
    std::fclose(stream);
    // The totals over every arena are the last of their kind in the report.
    auto lastSize = [&](const char* tag) {
        const char* found = nullptr;
        for (const char* at = std::strstr(text, tag); at; at = std::strstr(at + 1, tag))
            found = at;
        const char* size = found ? std::strstr(found, "size=\"") : nullptr;
        return size ? std::strtod(size + 6, nullptr) : 0.0;
    };
    const double current = lastSize("<system type=\"current\"");
    const double free = lastSize("<total type=\"fast\"") + lastSize("<total type=\"rest\"");
    const double mapped = lastSize("<total type=\"mmap\"");
    std::free(text);
    constexpr double kMegabyte = 1024.0 * 1024.0;
    return (current - free + mapped) / kMegabyte;
}

// The sum of some fields of a process's memory summary, in megabytes.
double rollupMegabytes(const std::string& process, std::initializer_list<const char*> fields)
{
    double kilobytes = 0;
    if (FILE* rollup = std::fopen(("/proc/" + process + "/smaps_rollup").c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, rollup)) {
            for (const char* field : fields) {
                if (std::strncmp(line, field, std::strlen(field)) == 0)
                    kilobytes += std::strtod(line + std::strlen(field), nullptr);
            }
        }
        std::fclose(rollup);
    }
    return kilobytes / 1024.0;
}

// The proportional share of a process's memory ("self" or a process id), in
// megabytes: a library's pages count once across the processes that map it,
// so the program and its web processes can be added up.
double proportionalMegabytes(const std::string& process = "self")
{
    return rollupMegabytes(process, {"Pss:"});
}

// What a process holds that no other process shares ("self" or a process
// id), in megabytes. Most of a web-view program's resident size is the web
// engine's libraries, mapped by the program and each web process alike:
// this is the part that grows with what the process itself does.
double privateMegabytes(const std::string& process = "self")
{
    return rollupMegabytes(process, {"Private_Clean:", "Private_Dirty:"});
}

// How a process's memory is counted.
enum class Measure { Resident, Proportional, Private };

double megabytes(const std::string& process, Measure measure)
{
    switch (measure) {
    case Measure::Resident:
        return residentMegabytes(process);
    case Measure::Proportional:
        return proportionalMegabytes(process);
    case Measure::Private:
        return privateMegabytes(process);
    }
    return 0;
}

// The processes this one started (the page's web process and the network
// process), by process id.
std::vector<std::string> childProcesses()
{
    std::vector<std::string> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0])))
            continue;
        int pid = 0;
        int parent = 0;
        char state = 0;
        char command[256] = {};
        FILE* stat = std::fopen((entry.path() / "stat").c_str(), "r");
        if (!stat)
            continue;
        int read = std::fscanf(stat, "%d %255s %c %d", &pid, command, &state, &parent);
        std::fclose(stat);
        if (read == 4 && parent == getpid())
            children.push_back(name);
    }
    return children;
}

// The name a process gave itself (at most 15 characters), or "".
std::string processName(const std::string& process)
{
    char name[64] = {};
    if (FILE* comm = std::fopen(("/proc/" + process + "/comm").c_str(), "r")) {
        if (!std::fgets(name, sizeof name, comm))
            name[0] = 0;
        std::fclose(comm);
    }
    return name;
}

// The web engine's processes, by the names they give themselves.
constexpr const char* kPageProcessName = "WebKitWebProces";
constexpr const char* kNetworkProcessName = "WebKitNetworkPr";

// The memory of the processes this one started, or of those of them whose
// name begins with `named`, in megabytes.
double childProcessesMegabytes(Measure measure = Measure::Resident, const char* named = nullptr)
{
    double total = 0;
    for (const std::string& child : childProcesses()) {
        if (!named || processName(child).rfind(named, 0) == 0)
            total += megabytes(child, measure);
    }
    return total;
}

// What a page's process holds resident, by the kind of mapping: its own
// allocations (the document's nodes, their styles and layout, the script
// heap), the software GL driver, fonts, and the other shared libraries.
struct PageMappings {
    double allocations = 0;
    double graphicsDriver = 0;
    double fonts = 0;
    double libraries = 0;
};

bool isGraphicsDriver(const std::string& path)
{
    for (const char* part : {"/dri/", "libLLVM", "libEGL", "libGL", "libgbm", "libglapi", "libdrm"}) {
        if (path.find(part) != std::string::npos)
            return true;
    }
    return false;
}

void addMappings(const std::string& process, PageMappings& mappings)
{
    FILE* smaps = std::fopen(("/proc/" + process + "/smaps").c_str(), "r");
    if (!smaps)
        return;
    double* kind = nullptr;
    char line[4096];
    while (std::fgets(line, sizeof line, smaps)) {
        unsigned long start = 0;
        unsigned long end = 0;
        char path[4096] = {};
        // A mapping's first line: its range, permissions, offset, device,
        // inode and, for a file or a named region, the name.
        if (std::sscanf(line, "%lx-%lx %*s %*s %*s %*s %4095[^\n]", &start, &end, path) >= 2 && end > start) {
            const std::string name = path;
            if (name.empty() || name[0] == '[')
                kind = &mappings.allocations;
            else if (isGraphicsDriver(name))
                kind = &mappings.graphicsDriver;
            else if (name.find("/fonts/") != std::string::npos || name.find(".ttf") != std::string::npos
                     || name.find(".otf") != std::string::npos)
                kind = &mappings.fonts;
            else if (name.find(".so") != std::string::npos)
                kind = &mappings.libraries;
            else
                kind = &mappings.allocations;
        } else if (kind && std::strncmp(line, "Rss:", 4) == 0) {
            *kind += std::strtod(line + 4, nullptr) / 1024.0;
        }
    }
    std::fclose(smaps);
}

// The web processes' mappings (the network process holds no page).
PageMappings pageMappings()
{
    PageMappings mappings;
    for (const std::string& child : childProcesses()) {
        if (processName(child).rfind(kPageProcessName, 0) == 0)
            addMappings(child, mappings);
    }
    return mappings;
}

// Ready for typing: the page has become ready and has run what the editor
// sets up at that moment, which a first key would otherwise wait for.
bool openUntilReady(OpenEditor& open)
{
    if (!open.editor || !RunLoop::main().runUntil([&] { return open.editor->isPageReady(); }, kWaitSeconds))
        return false;
    open.editor->webView()->stringByEvaluatingJavaScript("document.readyState");
    return true;
}

// A long page lays out its beginning first and the rest in batches after it
// is ready; the keys and saves are measured once everything is laid out.
bool waitUntilWholeDocumentShown(WebView& page)
{
    return RunLoop::main().runUntil([&] { return page.stringByEvaluatingJavaScript("isWholeDocumentShown()") == "1"; },
                                    kWaitSeconds);
}

// The caret in the first words of the text, as after a click into them.
void placeCaret(WebView& page)
{
    page.stringByEvaluatingJavaScript(
        "(function(){var w=document.createTreeWalker(document.getElementById('paragraph'),NodeFilter.SHOW_TEXT);"
        "var t=w.nextNode();var r=document.createRange();r.setStart(t,Math.min(5,t.length));r.collapse(true);"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);document.getElementById('content').focus();})()");
}

// The caret in a text run part of the way through the document (0 its first,
// 100 its last, at the run's end), as after a click there; the page scrolls
// to show it, as it would for the person typing.
void placeCaretAt(WebView& page, int percent)
{
    page.stringByEvaluatingJavaScript(
        "(function(p){var w=document.createTreeWalker(document.getElementById('paragraph'),NodeFilter.SHOW_TEXT);"
        "var all=[];for(var n=w.nextNode();n;n=w.nextNode()){if(n.data.trim())all.push(n);}"
        "var t=all[Math.round((all.length-1)*p/100)];var r=document.createRange();"
        "r.setStart(t,p===100?t.length:Math.min(5,t.length));r.collapse(true);"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);document.getElementById('content').focus();"
        "t.parentNode.scrollIntoView({block:'center'});})(" + std::to_string(percent) + ")");
}

bool save(TextDocument& document)
{
    auto result = std::make_shared<std::optional<bool>>();
    document.saveToURL(document.fileURL(), DKDocument::SaveOperation::ForOverwriting,
                       [result](bool success) { *result = success; });
    return RunLoop::main().runUntil([&] { return result->has_value(); }, kWaitSeconds) && result->value_or(false);
}

// Typing and saving are measured once the page is ready and has laid out
// the whole document; false (the run skipped) otherwise.
bool readyForTyping(benchmark::State& state, OpenEditor& open)
{
    if (!openUntilReady(open)) {
        state.SkipWithError("the editor did not become ready");
        return false;
    }
    if (!waitUntilWholeDocumentShown(*open.editor->webView())) {
        state.SkipWithError("the page never laid out the whole document");
        return false;
    }
    return true;
}

// A long page makes the blocks far from the caret read-only once the person
// pauses; a short one never does, and is waited for a moment only.
void waitUntilSettledForTyping(WebView& page)
{
    RunLoop::main().runUntil([&] { return page.stringByEvaluatingJavaScript("isHoldingWhileTyping()") == "1"; }, 3);
}

// Lets the page run for a while, as the time between two keys.
void pause(double seconds)
{
    RunLoop::main().runUntil([] { return false; }, seconds);
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
    double wholeSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        OpenEditor open = openEditor(path);
        if (!openUntilReady(open)) {
            state.SkipWithError("the editor did not become ready");
            return;
        }
        auto ready = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(ready - start).count());
        // Not part of the ready time: how long the rest of a long page takes
        // to come out after it.
        if (!waitUntilWholeDocumentShown(*open.editor->webView())) {
            state.SkipWithError("the page never laid out the whole document");
            return;
        }
        wholeSeconds += std::chrono::duration<double>(Clock::now() - ready).count();
    }
    state.counters["whole_after_ready_ms"] = benchmark::Counter(wholeSeconds * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OpenUntilReady)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// A key typed with the caret near the start (0), in the middle (50) or at the
// end (100) of the document. Most of a key's time is the web engine's own:
// after every edit it hands the input method the whole editable element's text
// and the caret's offset in it, so the cost grows with the number of elements
// in the document and, again, with those before the caret. A key in a small
// editable element on the same page costs well under a millisecond.
void BM_KeystrokeToChangeCount(benchmark::State& state)
{
    registerEditor();
    OpenEditor open = openEditor(inputPath(int(state.range(0))), Editing::Editable);
    if (!readyForTyping(state, open))
        return;
    WebView& page = *open.editor->webView();
    placeCaretAt(page, int(state.range(1)));
    waitUntilSettledForTyping(page);
    // An autosave takes off the changes it saved when it ends: one running
    // across a key would take that key's change with it.
    auto saving = std::make_shared<bool>(false);
    open.document->setSaveStateHandler([saving](bool inProgress) { *saving = inProgress; });
    for (auto _ : state) {
        RunLoop::main().runUntil([&] { return !*saving; }, kWaitSeconds);
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
BENCHMARK(BM_KeystrokeToChangeCount)
    ->ArgNames({"kB", "at_percent"})
    ->ArgsProduct({{10, 100, 1000}, {0, 50, 100}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

// The key of BM_KeystrokeToChangeCount in the middle of the 1 MB document
// with the blocks more than 100 blocks away from the caret taken out of
// layout (0: none, 1: display none, 2: content-visibility hidden), out of
// editing (3: read-only by style) or out of both (4), for
// comparison: it tells whether holding far blocks out of layout while
// typing would make a key cheaper in this web engine, and what the page's
// process holds of its own (the document's nodes, their styles and layout)
// with them held so, once the engine has settled.
void BM_KeystrokeWithFarBlocksOutOfLayout(benchmark::State& state)
{
    registerEditor();
    OpenEditor open = openEditor(inputPath(1000), Editing::Editable);
    if (!readyForTyping(state, open))
        return;
    WebView& page = *open.editor->webView();
    placeCaretAt(page, 50);
    static const char* const kHoldings[] = {"", "display: none", "content-visibility: hidden",
                                            "-webkit-user-modify: read-only", "display: none; -webkit-user-modify: read-only"};
    const std::string holding = kHoldings[state.range(0)];
    if (!holding.empty()) {
        page.stringByEvaluatingJavaScript(
            "(function(){var p=document.getElementById('paragraph');var b=getSelection().anchorNode;"
            "while(b&&b.parentNode!==p)b=b.parentNode;var k=Array.prototype.indexOf.call(p.children,b);"
            "var c=Array.prototype.slice.call(p.children);c.forEach(function(e,i){if(Math.abs(i-k)>100)"
            "e.style.cssText+=';" + holding + "';});})()");
    }
    page.stringByEvaluatingJavaScript("document.getElementById('content').scrollHeight");
    pause(3);
    state.counters["page_allocations_MB"] = pageMappings().allocations;
    auto saving = std::make_shared<bool>(false);
    open.document->setSaveStateHandler([saving](bool inProgress) { *saving = inProgress; });
    for (auto _ : state) {
        RunLoop::main().runUntil([&] { return !*saving; }, kWaitSeconds);
        auto start = Clock::now();
        page.executeEditingCommand("InsertText", "a");
        page.stringByEvaluatingJavaScript("document.getElementById('content').scrollHeight");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_KeystrokeWithFarBlocksOutOfLayout)
    ->ArgName("held_as")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

// 200 keys typed at a writer's pace (one every 80 ms) in the middle of the
// document: the time from the last key until the page has laid out every one
// of them. A page that lags keeps queueing the keys and needs seconds here.
void BM_TypingCatchUp(benchmark::State& state)
{
    registerEditor();
    OpenEditor open = openEditor(inputPath(int(state.range(0))), Editing::Editable);
    if (!readyForTyping(state, open))
        return;
    WebView& page = *open.editor->webView();
    placeCaretAt(page, 50);
    waitUntilSettledForTyping(page);
    constexpr int kKeys = 200;
    constexpr double kSecondsBetweenKeys = 0.08;
    for (auto _ : state) {
        const std::string before = page.stringByEvaluatingJavaScript("document.getElementById('paragraph').textContent.length");
        for (int key = 0; key < kKeys; ++key) {
            page.executeEditingCommand("InsertText", key % 6 == 5 ? " " : "a");
            if (key + 1 < kKeys)
                pause(kSecondsBetweenKeys);
        }
        auto last = Clock::now();
        // Each answer waits for the keys sent before it; a page far behind
        // may let a single wait run out, so the count is asked again.
        const long expected = std::stol("0" + before) + kKeys;
        const bool caughtUp = RunLoop::main().runUntil([&] {
            return std::stol("0" + page.stringByEvaluatingJavaScript(
                                       "void document.getElementById('content').scrollHeight;"
                                       "document.getElementById('paragraph').textContent.length")) == expected;
        }, kWaitSeconds);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - last).count());
        if (!caughtUp) {
            state.SkipWithError("not every key reached the page");
            return;
        }
    }
}
BENCHMARK(BM_TypingCatchUp)->ArgName("kB")->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// A writer adding lines in the middle of the 1 MB document: Return and a
// few words, one line every 30 ms, each timed until the page has laid it out.
// The page keeps the blocks far from the caret read-only and moves that part
// as the caret goes on, restyling the page: the lines that wait for a move
// show in the 90th percentile and the count of those over 100 ms.
void BM_TypingNewLines(benchmark::State& state)
{
    registerEditor();
    OpenEditor open = openEditor(inputPath(1000), Editing::Editable);
    if (!readyForTyping(state, open))
        return;
    WebView& page = *open.editor->webView();
    placeCaretAt(page, 50);
    waitUntilSettledForTyping(page);
    std::vector<double> milliseconds;
    for (auto _ : state) {
        const auto start = Clock::now();
        page.executeEditingCommand("InsertParagraph", "");
        page.executeEditingCommand("InsertText", "A new line of words");
        page.stringByEvaluatingJavaScript("document.getElementById('content').scrollHeight");
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        milliseconds.push_back(seconds * 1000);
        pause(0.03);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    state.counters["median_ms"] = milliseconds[milliseconds.size() / 2];
    state.counters["p90_ms"] = milliseconds[milliseconds.size() * 9 / 10];
    state.counters["largest_ms"] = milliseconds.back();
    state.counters["over_100_ms"] = double(std::count_if(milliseconds.begin(), milliseconds.end(),
                                                         [](double each) { return each > 100; }));
}
BENCHMARK(BM_TypingNewLines)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(150);

// The same key in a small editable element added beside the loaded document:
// what a key costs when the engine's work per edit no longer grows with the
// document, for comparison with the figures above.
void BM_KeystrokeBesideDocument(benchmark::State& state)
{
    registerEditor();
    OpenEditor open = openEditor(inputPath(), Editing::Editable);
    if (!readyForTyping(state, open))
        return;
    WebView& page = *open.editor->webView();
    page.stringByEvaluatingJavaScript(
        "(function(){var d=document.createElement('div');d.contentEditable='true';d.textContent='small';"
        "document.body.insertBefore(d,document.body.firstChild);d.focus();var r=document.createRange();"
        "r.setStart(d.firstChild,3);r.collapse(true);var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    for (auto _ : state) {
        auto start = Clock::now();
        page.executeEditingCommand("InsertText", "a");
        page.stringByEvaluatingJavaScript("document.getElementById('content').scrollHeight");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_KeystrokeBesideDocument)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// A save of the 1 MB document after an edit: the longest time the main
// thread goes without serving its events while the save runs (a key typed
// then waits that long), beside the save's whole time. The page's own
// answer is part of it; what is made of the answer should not be.
void BM_SaveLongestMainThreadStall(benchmark::State& state)
{
    registerEditor();
    OpenEditor open = openEditor(inputPath(), Editing::Editable);
    if (!readyForTyping(state, open))
        return;
    WebView& page = *open.editor->webView();
    placeCaretAt(page, 50);
    double longestSeconds = 0;
    for (auto _ : state) {
        page.executeEditingCommand("InsertText", "a");
        page.stringByEvaluatingJavaScript("document.readyState");
        open.document->updateChangeCount(DKDocument::ChangeKind::Done);
        auto last = Clock::now();
        double longest = 0;
        // Ticks every millisecond: a gap between two is time the loop was held.
        RunLoop::TimerId ticks = RunLoop::main().scheduleTimer(0.001, true, [&] {
            auto now = Clock::now();
            longest = std::max(longest, std::chrono::duration<double>(now - last).count());
            last = now;
        });
        auto start = Clock::now();
        auto result = std::make_shared<std::optional<bool>>();
        open.document->saveToURL(open.document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                                  [result](bool success) { *result = success; });
        const bool ended = RunLoop::main().runUntil([&] { return result->has_value(); }, kWaitSeconds);
        auto end = Clock::now();
        longest = std::max(longest, std::chrono::duration<double>(end - last).count());
        RunLoop::main().invalidate(ticks);
        if (!ended || !result->value_or(false)) {
            state.SkipWithError("the save failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        longestSeconds = std::max(longestSeconds, longest);
    }
    state.counters["longest_stall_ms"] = longestSeconds * 1000;
}
BENCHMARK(BM_SaveLongestMainThreadStall)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The page's own time to produce the content a save asks for, after a key in
// the middle of the document, timed inside the page (a key typed then waits
// that long), and the longest time it takes to give one slice of a long
// answer; beside them, what a full serialisation of the document (the
// content element's markup) takes on the same page. The first save after
// opening comes a second after the document is all shown, as an autosave
// comes seconds after the first key, and is counted apart.
void BM_PageSaveAnswer(benchmark::State& state)
{
    registerEditor();
    OpenEditor open = openEditor(inputPath(int(state.range(0))), Editing::Editable);
    if (!readyForTyping(state, open))
        return;
    WebView& page = *open.editor->webView();
    placeCaretAt(page, 50);
    // "<answer ms> <longest slice ms>", or "-1" when the page gave nothing.
    const std::string timed =
        "(function(){var t=performance.now();var a=folioEditorContent(false);var made=performance.now()-t;"
        "var longest=0;if(a.charCodeAt(0)===1){for(var s='+';s.charAt(0)==='+';){t=performance.now();"
        "s=folioAnswerSlice(a.substring(1));longest=Math.max(longest,performance.now()-t);}if(!s)return '-1';}"
        "return a.length>0?made+' '+longest:'-1';})()";
    // The first save comes seconds after the change that calls for it.
    page.executeEditingCommand("InsertText", "a");
    pause(1);
    state.counters["first_answer_ms"] = std::atof(page.stringByEvaluatingJavaScript(timed).c_str());
    double fullMilliseconds = 0;
    double longestSlice = 0;
    for (auto _ : state) {
        page.executeEditingCommand("InsertText", "a");
        const std::string answer = page.stringByEvaluatingJavaScript(timed);
        if (answer == "-1" || answer.empty()) {
            state.SkipWithError("the page gave no content");
            return;
        }
        char* rest = nullptr;
        state.SetIterationTime(std::strtod(answer.c_str(), &rest) / 1000);
        longestSlice = std::max(longestSlice, std::strtod(rest, nullptr));
        fullMilliseconds += std::atof(page.stringByEvaluatingJavaScript(
            "(function(){var t=performance.now();var h=document.getElementById('content').innerHTML;"
            "return String(h.length>0?performance.now()-t:-1);})()").c_str());
    }
    state.counters["longest_slice_ms"] = longestSlice;
    state.counters["full_serialisation_ms"] = fullMilliseconds / double(state.iterations());
}
BENCHMARK(BM_PageSaveAnswer)->ArgName("kB")->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// Each figure at a stage: the program's resident size, the part of it no
// other process shares and what its allocations hold, the same two sizes of
// its web processes together, the resident sizes of the page's process and
// of the network process apart, and two totals of all of them: resident
// (each shared library counted in every process that maps it, as a process
// list adds them up) and proportional (shared libraries counted once).
void recordMemory(benchmark::State& state, const std::string& stage)
{
    state.counters[stage + "_MB"] = residentMegabytes();
    state.counters[stage + "_page_process_MB"] = childProcessesMegabytes(Measure::Resident, kPageProcessName);
    state.counters[stage + "_network_process_MB"] = childProcessesMegabytes(Measure::Resident, kNetworkProcessName);
    state.counters[stage + "_total_resident_MB"] = residentMegabytes() + childProcessesMegabytes();
    state.counters[stage + "_heap_MB"] = heapMegabytes();
    state.counters[stage + "_private_MB"] = privateMegabytes();
    state.counters[stage + "_page_MB"] = childProcessesMegabytes();
    state.counters[stage + "_page_private_MB"] = childProcessesMegabytes(Measure::Private);
    const PageMappings page = pageMappings();
    state.counters[stage + "_page_allocations_MB"] = page.allocations;
    state.counters[stage + "_page_gl_MB"] = page.graphicsDriver;
    state.counters[stage + "_page_fonts_MB"] = page.fonts;
    state.counters[stage + "_page_libraries_MB"] = page.libraries;
    state.counters[stage + "_total_pss_MB"] = proportionalMegabytes() + childProcessesMegabytes(Measure::Proportional);
}

// An edit and a save, five times: what the program holds after the first save
// and after the last should be the same, and so should the page's process.
// The page's process gives back its saves' garbage when the program's module
// beside it ("page-process/") has it collect; with that folder moved aside,
// the same run shows the process without it.
// Before that, what reading the file adds to the program's allocations (the
// document's own copies) and what opening the editor adds.
void BM_MemoryAcrossSaves(benchmark::State& state)
{
    // As the program does from its start.
    returnLargeBlocksWhenFreed();
    registerEditor();
    const double startHeap = heapMegabytes();
    const std::string path = inputPath();
    OpenEditor open;
    open.document = std::make_shared<TextDocument>(path);
    if (!open.document->readFromURL(path)) {
        state.SkipWithError("the document could not be read");
        return;
    }
    state.counters["read_heap_MB"] = heapMegabytes() - startHeap;
    // Opened as an editable document, which keeps no attributed text as read.
    open.document->setIsRTFDocument(false);
    open.document->setRTFtext(std::nullopt);
    state.counters["read_editable_heap_MB"] = heapMegabytes() - startHeap;
    open.document->makeDocumentViewController();
    open.editor = dynamic_cast<TextViewController*>(open.document->currentTextViewController().get());
    if (open.editor)
        open.editor->loadViewIfNeeded();
    // Ready with its first blocks shown, then with all of them laid out.
    if (!openUntilReady(open)) {
        state.SkipWithError("the editor did not become ready");
        return;
    }
    recordMemory(state, "ready");
    if (!readyForTyping(state, open))
        return;
    WebView& page = *open.editor->webView();
    placeCaret(page);
    // The edits also schedule autosaves, which may be running when a count is
    // taken: what a save in progress holds is not what the program keeps.
    auto saving = std::make_shared<bool>(false);
    open.document->setSaveStateHandler([saving](bool inProgress) { *saving = inProgress; });
    recordMemory(state, "opened");
    // Once the person pauses, the blocks far from the caret are made read-only.
    waitUntilSettledForTyping(page);
    recordMemory(state, "held_for_typing");
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) {
            page.executeEditingCommand("InsertText", "saved ");
            page.stringByEvaluatingJavaScript("document.readyState");
            open.document->updateChangeCount(DKDocument::ChangeKind::Done);
            if (!save(*open.document)) {
                state.SkipWithError("the save failed");
                return;
            }
            // Once the save's completion has run, and no other save runs.
            page.stringByEvaluatingJavaScript("document.readyState");
            if (!RunLoop::main().runUntil([&] { return !*saving; }, kWaitSeconds)) {
                state.SkipWithError("a save did not end");
                return;
            }
            if (i == 0 || i == 4)
                recordMemory(state, i == 0 ? "first_save" : "last_save");
        }
    }
    // What the processes keep once the writer has stopped for a while.
    pause(5);
    recordMemory(state, "idle");
}
BENCHMARK(BM_MemoryAcrossSaves)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same figures with a document of one line, once ready and after an
// edit and a save: what the program and the web engine's processes hold
// whatever the document, beside which the 1 MB document's figures above
// show what the document itself costs.
void BM_MemoryWithOneLine(benchmark::State& state)
{
    returnLargeBlocksWhenFreed();
    registerEditor();
    const std::filesystem::path path = std::filesystem::temp_directory_path()
        / ("folio-bench-richtext-one-line-" + std::to_string(getpid()) + ".rtf");
    if (FILE* file = std::fopen(path.c_str(), "w")) {
        std::fputs("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}}\\f0\\fs24 One line of text.\\par}", file);
        std::fclose(file);
    }
    OpenEditor open = openEditor(path.string(), Editing::Editable);
    for (auto _ : state) {
        if (!openUntilReady(open)) {
            state.SkipWithError("the editor did not become ready");
            break;
        }
        // Once the page has done what follows its being ready.
        pause(2);
        recordMemory(state, "ready");
        WebView& page = *open.editor->webView();
        placeCaret(page);
        page.executeEditingCommand("InsertText", "saved ");
        page.stringByEvaluatingJavaScript("document.readyState");
        open.document->updateChangeCount(DKDocument::ChangeKind::Done);
        if (!save(*open.document)) {
            state.SkipWithError("the save failed");
            break;
        }
        recordMemory(state, "saved");
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}
BENCHMARK(BM_MemoryWithOneLine)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
