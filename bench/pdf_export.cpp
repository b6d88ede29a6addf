// Exports a generated RTF document of about 100 pages to PDF through the real
// web view and reports the time per page. Run by hand (needs no screen: a
// private virtual display is started when none is set).
#include "export/ExportSource.h"
#include "export/pdf/NDHTMLtoPDF.h"
#include "export/pdf/PDFExportRequest.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/VirtualDisplay.h"

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

class Outcome final : public folio::NDHTMLtoPDFDelegate {
public:
    void HTMLtoPDFDidSucceed(folio::NDHTMLtoPDF&) override { done = true; }
    void HTMLtoPDFDidFail(folio::NDHTMLtoPDF&) override { done = failed = true; }
    bool done = false;
    bool failed = false;
};

void BM_ExportRTFToPDF(benchmark::State& state)
{
    if (!folio::VirtualDisplay::ensureDisplay()) {
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
        Outcome outcome;
        auto converter = folio::PDFExportRequest::start(folio::ExportSource(source),
                                                        folio::PDFExportRequest::Origin::FileConversion,
                                                        folder + "/bench-100-pages.pdf", 12, &outcome,
                                                        folio::UserDefaults::standardUserDefaults());
        if (!converter) {
            state.SkipWithError("the document cannot be read");
            return;
        }
        folio::RunLoop::main().runUntil([&] { return outcome.done; }, 600);
        if (!outcome.done || outcome.failed) {
            state.SkipWithError("the conversion failed");
            return;
        }
        pages = (*converter)->pageCount();
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["per_page"] = benchmark::Counter(static_cast<double>(pages) * state.iterations(),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ExportRTFToPDF)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
