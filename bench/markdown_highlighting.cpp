#include "BenchInputs.h"
#include "markdown/MEMarkdownSyntaxStorage.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace folio;

std::u16string loadDocument(const std::string& tier)
{
    std::string path = bench::inputPath("doc-" + tier + ".md");
    auto data = Data::dataWithContentsOfFile(path);
    return data ? toUtf16(data->stringView()) : std::u16string();
}

UserDefaults& benchDefaults()
{
    static UserDefaults defaults((std::filesystem::temp_directory_path() / "folio-bench-highlighting.plist").string());
    return defaults;
}

struct HighlightedDocument {
    std::shared_ptr<MEMarkdownSyntaxStorage> storage = std::make_shared<MEMarkdownSyntaxStorage>(&benchDefaults());
    std::size_t middle = 0;

    explicit HighlightedDocument(const std::string& tier)
    {
        std::u16string text = loadDocument(tier);
        storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(text));
        // Somewhere inside a line near the middle, not at its break.
        Range line = lineRangeForRange(text, Range{text.size() / 2, 0});
        middle = line.location + line.length / 2;
    }
};

// Typing one character in the middle and deleting it again: two edits, each
// with its restyle.
void BM_TypeAndDeleteInTheMiddle(benchmark::State& state, const std::string& tier)
{
    HighlightedDocument document(tier);
    if (document.storage->length() == 0) {
        state.SkipWithError("benchmark input missing");
        return;
    }
    for (auto _ : state) {
        document.storage->replaceCharactersInRange(Range{document.middle, 0}, std::u16string_view(u"x"));
        document.storage->replaceCharactersInRange(Range{document.middle, 1}, std::u16string_view(u""));
    }
    state.counters["chars"] = static_cast<double>(document.storage->length());
}

// The restyle alone: the edited range and its line, as after a one-character edit.
void BM_RestyleAfterOneCharacterEdit(benchmark::State& state, const std::string& tier)
{
    HighlightedDocument document(tier);
    if (document.storage->length() == 0) {
        state.SkipWithError("benchmark input missing");
        return;
    }
    for (auto _ : state)
        document.storage->performReplacementsForRange(Range{document.middle, 1});
    state.counters["chars"] = static_cast<double>(document.storage->length());
}

BENCHMARK_CAPTURE(BM_RestyleAfterOneCharacterEdit, 100k, std::string("100k"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RestyleAfterOneCharacterEdit, 1m, std::string("1m"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TypeAndDeleteInTheMiddle, 100k, std::string("100k"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TypeAndDeleteInTheMiddle, 1m, std::string("1m"))->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
