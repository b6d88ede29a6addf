// Exports a generated RTF document of about 100 pages to PDF through the real
// web view and reports the time per page. Run by hand (needs no screen: a
// private virtual display is started when none is set).
#include "export/ExportSource.h"
#include "export/pdf/PDFExporter.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/web/WebServices.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string hundredPageRTF()
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0 Helvetica;}\\f0\\fs24 ";
    // Each paragraph prints as one line; about 56 fit a page, so this makes
    // roughly 100 pages (the benchmark reports the real count).
    for (int paragraph = 0; paragraph < 5600; ++paragraph)
        rtf += "Paragraph " + std::to_string(paragraph)
            + " of the benchmark document, long enough to wrap across a printed line or two.\\par ";
    return rtf + "}";
}

void BM_ExportRTFToPDF(benchmark::State& state)
{
    if (!folio::WebServices::shared().ensureDisplay()) {
        state.SkipWithError("no display for the web view");
        return;
    }
    std::string folder = folio::AppFolders::temporaryFolder();
    std::string source = folder + "/bench-100-pages.rtf";
    if (!folio::FileManager::writeAtomically(source, hundredPageRTF())) {
        state.SkipWithError("cannot write the document");
        return;
    }
    std::size_t pages = 0;
    for (auto _ : state) {
        folio::PDFExporter exporter;
        folio::ExportRequest request;
        request.outputPath = folder + "/bench-100-pages.pdf";
        request.pageProgress = [&pages](std::size_t, std::size_t count) { pages = count; };
        if (!exporter.exportFile(folio::ExportSource(source), std::move(request), 600)) {
            state.SkipWithError("the conversion failed");
            return;
        }
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["per_page"] = benchmark::Counter(static_cast<double>(pages) * state.iterations(),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ExportRTFToPDF)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
