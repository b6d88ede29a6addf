// Reading RTF into attributed text, the reader alone: a generated 5 MB
// document in our own dialect (mixed character formatting, colours, lists,
// footnotes, links and hexadecimal pictures), and the shared benchmark
// document written by LibreOffice in tiers of 100k, 1m and a 10m made by
// repeating the 1m document's body, read as an opened file is: its bytes
// decoded, then read with the system's own fonts.
#include "BenchInputs.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace folio;

constexpr std::size_t kTargetSize = 5 * 1024 * 1024;

std::u16string generateDocument()
{
    std::u16string rtf =
        u"{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840\\margl1440\\margr1440\\margt1440\\margb1440"
        u"\\vieww18540\\viewh17280\\viewscale100\\lin0\\rin0\n"
        u"{\\fonttbl\\f0\\fnil\\fcharset0 Helvetica;\\f1\\fnil\\fcharset0 Georgia;}\n"
        u"{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red200\\green20\\blue20;}\n\\pard\n"
        u"{\\*\\listtable\n{\\list\\listtemplateid1\\listhybrid{\\listlevel\\levelnfc0\\levelnfcn0\\leveljc0\\leveljcn0"
        u"\\levelfollow0\\levelstartat1\\levelspace360\\levelindent0{\\*\\levelmarker \\{decimal\\}}{\\leveltext"
        u"\\leveltemplateid1\\'02\\'00.;}\\fi-360\\li720\\lin720}\n{\\listname ;}\\listid1}}\n"
        u"{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n";
    std::u16string picture = u"{{\\pict\\jpegblip\\wraptext0\\picw40\\pich30\\picwgoal480\\pichgoal360\n";
    for (int i = 0; i < 2048; ++i)
        picture += u"ffd8ffe000104a46";
    picture += u"\n} }\n";
    int paragraph = 0;
    while (rtf.size() < kTargetSize) {
        switch (paragraph++ % 6) {
        case 0:
            rtf += u"\\f0\\fs24 Plain text with \\b bold\\b0 , \\i italic\\i0 , \\ul underlined\\ul0  and "
                   u"\\cf2 coloured\\cf0  words, caf\\'e9 and \\u8364? prices.\\\n";
            break;
        case 1:
            rtf += u"\\f1\\fs28\\qc A centred heading\\\n\\ql\\f0\\fs24 ";
            break;
        case 2:
            rtf += u"\\ls1\\ilvl0 {\\listtext 1.\\tab}A list item with {\\field{\\*\\fldinst{HYPERLINK "
                   u"\"https://example.com/\"}}{\\fldrslt a link}} in it.\\\n\\pard\n";
            break;
        case 3:
            rtf += u"A note follows{\\*\\footnote {\\chftn} The footnote text.}\\f0\n and more text.\\\n";
            break;
        case 4:
            rtf += picture;
            break;
        default:
            rtf += u"\\sa240\\sb120\\fi720 An indented paragraph with spacing \\emdash  and quotes "
                   u"\\ldblquote like these\\rdblquote .\\\n";
            break;
        }
    }
    rtf += u"}";
    return rtf;
}

void BM_ReadGeneratedRTF(benchmark::State& state)
{
    FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
    const std::u16string rtf = generateDocument();
    for (auto _ : state) {
        Result<AttributedString> result = DKRTFReader::parseRTFString(rtf);
        benchmark::DoNotOptimize(result);
    }
    // The file's bytes: every character of the generated text is ASCII.
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(rtf.size()));
}
BENCHMARK(BM_ReadGeneratedRTF)->Unit(benchmark::kMillisecond);

constexpr const char* kSharedTiers[] = {"100k", "1m", "10m"};

std::string sharedDocument(int tier)
{
    const std::string name = tier == 2 ? "doc-1m.rtf" : "doc-" + std::string(kSharedTiers[tier]) + ".rtf";
    std::ifstream stream(bench::inputPath(name), std::ios::binary);
    if (!stream)
        return {};
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return tier == 2 ? bench::repeatedRTF(bytes.str(), 10) : bytes.str();
}

void BM_ReadSharedRTF(benchmark::State& state)
{
    // The fonts the system has, as a real document is read with.
    static const std::shared_ptr<FontCatalog> systemFonts = [] {
        FontCatalog::setShared(nullptr);
        return FontCatalog::shared();
    }();
    FontCatalog::setShared(systemFonts);
    const int tier = static_cast<int>(state.range(0));
    const std::string bytes = sharedDocument(tier);
    if (bytes.empty()) {
        state.SkipWithError("missing doc-100k.rtf or doc-1m.rtf; set FOLIO_BENCH_INPUTS");
        return;
    }
    for (auto _ : state) {
        Result<DKRTFReadResult> result = DKRTFReader::read(toUtf16(bytes));
        if (!result) {
            state.SkipWithError(result.error().message.c_str());
            return;
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
    state.SetLabel(kSharedTiers[tier]);
}
BENCHMARK(BM_ReadSharedRTF)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
