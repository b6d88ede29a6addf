// The glyph count and font subsetting a printed PDF goes through before it
// is written, on a print the web engine made (FOLIO_PRINTED_PDF names it).
#include "platform/foundation/Data.h"
#include "platform/web/PrintedPDFFontSubsetter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_SubsetPrintedPDF(benchmark::State& state)
{
    const char* path = std::getenv("FOLIO_PRINTED_PDF");
    folio::Result<folio::Data> printed = path ? folio::Data::dataWithContentsOfFile(path)
                                              : folio::Result<folio::Data>(folio::Error{"bench", 1, "unset"});
    if (!printed) {
        state.SkipWithError("set FOLIO_PRINTED_PDF to a PDF the web engine printed");
        return;
    }
    for (auto _ : state) {
        folio::Result<folio::Data> subset = folio::PrintedPDFFontSubsetter::subsetEmbeddedFonts(*printed);
        if (!subset) {
            state.SkipWithError(subset.error().message.c_str());
            return;
        }
        benchmark::DoNotOptimize(subset->length());
    }
}
BENCHMARK(BM_SubsetPrintedPDF)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
