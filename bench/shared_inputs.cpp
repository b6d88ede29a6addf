// The conversions the command line and the editors run, on the realistic
// documents in the shared benchmark inputs (FOLIO_BENCH_INPUTS, by default
// the folder the build was configured with): one document as Markdown, as
// an editor's page and as RTF written by another word processor, in tiers of
// 10k, 100k and 1m, and a 10m tier made here by repeating the 1m documents.
//
// Each benchmark takes the tier as its argument (0: 10k ... 3: 10m); a path
// is linear when the 10m time stays within eleven times the 1m time.
#include "BenchInputs.h"
#include "app/MarkdownConverterRegistration.h"
#include "documents/EditorContent.h"
#include "richtext/RichTextBodyCleaner.h"
#include "export/ExportSource.h"
#include "export/ExporterRegistry.h"
#include "engine/html/HTMLSanitizer.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Unicode.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace folio;

constexpr const char* kTiers[] = {"10k", "100k", "1m", "10m"};
constexpr int kRepeatedTier = 3;
constexpr int kRepetitions = 10;

using bench::inputFolder;

std::filesystem::path scratchFolder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / "folio-bench-shared-inputs";
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

// The editor page: everything inside the editing division, repeated.
std::string repeatedPage(const std::string& html)
{
    std::size_t editor = html.find("class=\"editor\"");
    std::size_t start = editor == std::string::npos ? std::string::npos : html.find('>', editor);
    std::size_t end = html.rfind("</div>");
    if (start == std::string::npos || end == std::string::npos || end <= start)
        return {};
    std::string inner = html.substr(start + 1, end - start - 1);
    std::string repeated = html.substr(0, start + 1);
    for (int copy = 0; copy < kRepetitions; ++copy)
        repeated += inner;
    return repeated + html.substr(end);
}

// The path of the tier's document of the given extension; the 10m tier's
// documents are made on first use.
std::string inputPath(int tier, const std::string& extension)
{
    if (tier != kRepeatedTier)
        return (inputFolder() / ("doc-" + std::string(kTiers[tier]) + "." + extension)).string();
    std::filesystem::path made = scratchFolder() / ("doc-10m." + extension);
    if (!std::filesystem::exists(made)) {
        std::string source = readFile(inputFolder() / ("doc-1m." + extension));
        std::string bytes;
        if (extension == "rtf")
            bytes = bench::repeatedRTF(source, kRepetitions);
        else if (extension == "html")
            bytes = repeatedPage(source);
        else
            for (int copy = 0; copy < kRepetitions; ++copy)
                bytes += source + "\n\n";
        if (!bytes.empty())
            FileManager::writeAtomically(made.string(), bytes);
    }
    return made.string();
}

// Runs the conversion of the tier's document of the given extension once per
// iteration, reporting the document's bytes per second.
template <typename Conversion>
void convertTier(benchmark::State& state, const std::string& extension, Conversion conversion)
{
    std::string path = inputPath(static_cast<int>(state.range(0)), extension);
    if (!std::filesystem::is_regular_file(path)) {
        state.SkipWithError(("missing input " + path + "; set FOLIO_BENCH_INPUTS").c_str());
        return;
    }
    for (auto _ : state) {
        if (Status converted = conversion(path); !converted) {
            state.SkipWithError(converted.error().message.c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
    state.SetLabel(kTiers[state.range(0)]);
}

template <typename Value>
Status kept(const Result<Value>& result)
{
    if (!result)
        return result.error();
    benchmark::DoNotOptimize(result);
    return Status::success();
}

// The command line's export of the document to the format.
auto exportAs(const std::string& format)
{
    return [format](const std::string& path) -> Status {
        static ExporterRegistry registry;
        Exporter* exporter = registry.exporterForFormat(format);
        ExportRequest request;
        request.outputPath = (scratchFolder() / ("out." + format)).string();
        return kept(exporter->exportFile(ExportSource(path), request, 600));
    };
}

// Opening a rich-text document: RTF to attributed text to HTML.
void BM_RTFToHTML(benchmark::State& state)
{
    convertTier(state, "rtf", exportAs("html"));
}

// The part of the HTML export that reads and writes the document: the file
// read as RTF and written as HTML, without the picture inlining and the
// sanitising that follow.
void BM_RTFReadAndWriteHTML(benchmark::State& state)
{
    convertTier(state, "rtf", [](const std::string& path) -> Status {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(readFile(path)));
        if (!read)
            return read.error();
        TEHTMLWriterSettings settings;
        settings.listsNotesAtEnd = true;
        settings.keepsPlaceholders = false;
        std::string html = htmlData(read->text, settings);
        benchmark::DoNotOptimize(html);
        return Status::success();
    });
}

// The HTML export's last pass over what the writer made of the RTF
// document: the sanitising that keeps a hostile document's links, styles
// and markup out of the exported file.
void BM_RTFHTMLSanitising(benchmark::State& state)
{
    std::string path = inputPath(static_cast<int>(state.range(0)), "rtf");
    Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(readFile(path)));
    if (!read) {
        state.SkipWithError(("cannot read " + path + "; set FOLIO_BENCH_INPUTS").c_str());
        return;
    }
    TEHTMLWriterSettings settings;
    settings.listsNotesAtEnd = true;
    settings.keepsPlaceholders = false;
    const std::string html = htmlData(read->text, settings);
    for (auto _ : state) {
        std::string safe =
            HTMLSanitizer::sanitizedHTML(html, HTMLSanitizer::Use::Export, HTMLSanitizer::Characters::References);
        benchmark::DoNotOptimize(safe);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
    state.SetLabel(kTiers[state.range(0)]);
}

void BM_RTFToText(benchmark::State& state)
{
    convertTier(state, "rtf", exportAs("txt"));
}

void BM_RTFToEPub(benchmark::State& state)
{
    convertTier(state, "rtf", exportAs("epub"));
}

void BM_RTFToRTFD(benchmark::State& state)
{
    convertTier(state, "rtf", exportAs("rtfd"));
}

// Saving a rich-text document: the editor's page cleaned, read into
// attributed text and written as RTF.
void BM_PageToRTF(benchmark::State& state)
{
    std::string page;
    auto converter = RichTextConverter::engineConverter();
    convertTier(state, "html", [&](const std::string& path) -> Status {
        if (page.empty())
            page = readFile(path);
        // What a save reads: the page's body as the editor hands it over.
        EditorContent content;
        content.bodyHTML = RichTextBodyCleaner::cleaned(page);
        Result<MutableAttributedString> text = converter->attributedStringFromHTML(content.richTextHTML());
        if (!text)
            return text.error();
        return kept(converter->rtfFromAttributedString(*text, "Benchmark"));
    });
}

void BM_MarkdownToHTML(benchmark::State& state)
{
    convertTier(state, "md", exportAs("html"));
}

void BM_MarkdownToText(benchmark::State& state)
{
    convertTier(state, "md", exportAs("txt"));
}

void BM_MarkdownToEPub(benchmark::State& state)
{
    convertTier(state, "md", exportAs("epub"));
}

void tiers(benchmark::internal::Benchmark* benchmark)
{
    benchmark->DenseRange(0, kRepeatedTier)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_RTFToHTML)->Apply(tiers);
BENCHMARK(BM_RTFReadAndWriteHTML)->Apply(tiers);
BENCHMARK(BM_RTFHTMLSanitising)->Apply(tiers);
BENCHMARK(BM_RTFToText)->Apply(tiers);
BENCHMARK(BM_RTFToEPub)->Apply(tiers);
BENCHMARK(BM_RTFToRTFD)->Apply(tiers);
BENCHMARK(BM_PageToRTF)->Apply(tiers);
BENCHMARK(BM_MarkdownToHTML)->Apply(tiers);
BENCHMARK(BM_MarkdownToText)->Apply(tiers);
BENCHMARK(BM_MarkdownToEPub)->Apply(tiers);

} // namespace

int main(int argc, char** argv)
{
    // Exports read and write the user defaults; keep the user's own out of it.
    setenv("FOLIO_HOME", scratchFolder().c_str(), 0);
    registerMarkdownConverter();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
