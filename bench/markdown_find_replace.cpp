// Replace All in the Markdown editor's find bar on the benchmark documents:
// every "example" (the commonest word; 1,689 times in the 1 MB document)
// becomes "sample", through the bar as the user presses it, with the editor
// restyling, laying out and copying the text into the document. The matches
// are taken once and the new text built in one pass, so the time grows with
// the text and the matches, not with their product: compare the per-match
// time of the 100 KB and 1 MB documents.
#include "BenchInputs.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MEFindReplaceBar.h"
#include "markdown/MEMarkdownTextView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/TextField.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace folio;

std::string documentPath(const std::string& tier)
{
    return bench::inputPath("doc-" + tier + ".md");
}

UserDefaults& benchDefaults()
{
    static UserDefaults defaults((std::filesystem::temp_directory_path() / "folio-bench-find.plist").string());
    return defaults;
}

void BM_ReplaceAllOfACommonWord(benchmark::State& state, const std::string& tier)
{
    EditorMakers::registerMarkdownMaker(
        [](TextDocument& document) { return MDTextViewController::make(document, &benchDefaults()); });
    // A private copy, so that nothing here can reach the shared input.
    std::filesystem::path copy = std::filesystem::temp_directory_path() / ("folio-bench-find-" + tier + ".md");
    std::error_code error;
    std::filesystem::copy_file(documentPath(tier), copy, std::filesystem::copy_options::overwrite_existing, error);
    auto document = error ? nullptr : std::make_shared<TextDocument>(copy.string());
    bool opened = false;
    if (document) {
        document->openWithCompletionHandler([&](bool success) { opened = success; });
        RunLoop::main().runUntil([&] { return opened; }, 60);
    }
    if (!opened || !document->makeDocumentViewController()) {
        state.SkipWithError("benchmark input missing");
        return;
    }
    auto editor = std::dynamic_pointer_cast<MDTextViewController>(document->documentViewController());
    MEMarkdownTextView& view = editor->markdownTextView();
    view.ensureLayout();
    const std::u16string original = view.text();
    std::size_t matches = 0;
    for (auto _ : state) {
        state.PauseTiming();
        view.setText(original);
        view.showSearchTextMode();
        auto bar = view.searchAccessoryView();
        bar->findOnPage()->setText(u"example");
        bar->doFindOnPageTask(u"example");
        bar->replaceOnPageField()->setText(u"sample");
        matches = view.numberOfMatches();
        state.ResumeTiming();
        bar->replaceAll();
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.counters["chars"] = static_cast<double>(original.size());
    state.counters["per_match"] =
        benchmark::Counter(static_cast<double>(matches), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    RunLoop::main().cancelAll();
}

BENCHMARK_CAPTURE(BM_ReplaceAllOfACommonWord, 100k, std::string("100k"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReplaceAllOfACommonWord, 1m, std::string("1m"))->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
