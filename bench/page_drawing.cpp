// Drawing the shared benchmark document's text onto PDF pages: the 100k
// editor page read into attributed text, laid out frame after frame on A4
// pages, and every frame drawn (glyph runs, decorations, backgrounds) into
// one PDF document, as printing an attributed-text view does. The layout is
// done once; the time is the drawing and the PDF writing.
#include "BenchInputs.h"
#include "engine/display/TELayoutFrame.h"
#include "engine/display/TELayouter.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/graphics/PDFContext.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

using namespace folio;

constexpr double kPageWidth = 595.0;
constexpr double kPageHeight = 842.0;
constexpr double kMargin = 72;

std::vector<std::shared_ptr<TELayoutFrame>> laidOutPages()
{
    std::ifstream stream(bench::inputPath("doc-100k.html"), std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    auto converted = RichTextConverter::engineConverter()->attributedStringFromHTML(bytes.str());
    std::vector<std::shared_ptr<TELayoutFrame>> pages;
    if (!converted.ok())
        return pages;
    auto text = std::make_shared<const AttributedString>(*converted);
    TELayouter layouter(text);
    std::size_t location = 0;
    while (location < text->length()) {
        auto frame = layouter.layoutFrameWithRect(
            makeRect(kMargin, kMargin, kPageWidth - 2 * kMargin, kPageHeight - 2 * kMargin), Range{location, 0});
        if (!frame || frame->lines().empty())
            break;
        location = frame->stringRange().end();
        pages.push_back(std::move(frame));
    }
    return pages;
}

void BM_DrawDocumentOnPDFPages(benchmark::State& state)
{
    static const std::vector<std::shared_ptr<TELayoutFrame>> pages = laidOutPages();
    if (pages.empty()) {
        state.SkipWithError("the benchmark document could not be read");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto pdf = PDFContext::create();
        if (!pdf.ok()) {
            state.SkipWithError(pdf.error().message.c_str());
            return;
        }
        for (const std::shared_ptr<TELayoutFrame>& page : pages) {
            GraphicsContext* context = (*pdf)->beginPage(Size{kPageWidth, kPageHeight});
            page->drawInContext(*context, TELayoutFrameDrawingDefault);
        }
        auto written = (*pdf)->close();
        bytes = written.ok() ? written->size() : 0;
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["pages"] = static_cast<double>(pages.size());
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages.size()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["PDF bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_DrawDocumentOnPDFPages)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

BENCHMARK_MAIN();
