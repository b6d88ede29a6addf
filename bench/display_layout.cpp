// Laying the shared benchmark document out into pages: the 1 MB editor page
// read through the HTML reader into attributed text, then broken into lines
// frame after frame at an A4 page's text width, as a print or a paged view
// would. Argument 0 is the 1m document, 1 the same text ten times over; the
// layout is linear when the second stays within eleven times the first.
#include "BenchInputs.h"
#include "engine/display/TELayoutFrame.h"
#include "engine/display/TELayoutLine.h"
#include "engine/display/TELayouter.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/text/MutableAttributedString.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

using namespace folio;

// A4 with one-inch margins, in points.
constexpr double kPageTextWidth = 595.0 - 2 * 72;
constexpr double kPageTextHeight = 842.0 - 2 * 72;

std::shared_ptr<const AttributedString> document(int repetitions)
{
    static std::shared_ptr<const AttributedString> single;
    if (!single) {
        std::ifstream stream(bench::inputPath("doc-1m.html"), std::ios::binary);
        std::ostringstream bytes;
        bytes << stream.rdbuf();
        auto converted = RichTextConverter::engineConverter()->attributedStringFromHTML(bytes.str());
        single = std::make_shared<const AttributedString>(converted.ok() ? AttributedString(*converted)
                                                                         : AttributedString());
    }
    if (repetitions == 1)
        return single;
    MutableAttributedString repeated;
    for (int i = 0; i < repetitions; ++i)
        repeated.appendAttributedString(*single);
    return std::make_shared<const AttributedString>(repeated);
}

void BM_LayOutDocumentIntoPages(benchmark::State& state)
{
    std::shared_ptr<const AttributedString> text = document(state.range(0) == 0 ? 1 : 10);
    if (text->length() == 0) {
        state.SkipWithError("the benchmark document could not be read");
        return;
    }
    std::int64_t lines = 0;
    for (auto _ : state) {
        TELayouter layouter(text);
        std::size_t location = 0;
        while (location < text->length()) {
            auto frame = layouter.layoutFrameWithRect(makeRect(72, 72, kPageTextWidth, kPageTextHeight),
                                                      Range{location, 0});
            if (!frame || frame->lines().empty())
                break;
            lines += static_cast<std::int64_t>(frame->lines().size());
            location = frame->stringRange().end();
        }
        benchmark::DoNotOptimize(location);
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
    state.counters["characters"] = static_cast<double>(text->length());
}
BENCHMARK(BM_LayOutDocumentIntoPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace

BENCHMARK_MAIN();
