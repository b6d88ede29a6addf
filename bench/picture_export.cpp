// Exports documents holding one huge picture (a PNG of 16000 x 16000 pixels,
// under a megabyte as a file) and reports the time and the peak memory of
// each export: the process's own peak ("peak_MB") and the largest the
// process and its web processes took together ("tree_peak_MB", sampled every
// 10 ms). Run by hand; the PDF and PNG exports need a display or start one.
#include "app/MarkdownConverterRegistration.h"
#include "export/ExportSource.h"
#include "export/html/HTMLExporter.h"
#include "export/pdf/PDFExporter.h"
#include "export/png/PNGExporter.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/web/WebServices.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr std::uint32_t kSide = 16000;

void appendUint32(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(char(value >> shift));
}

void appendChunk(std::string& out, const char* type, const std::string& data)
{
    appendUint32(out, std::uint32_t(data.size()));
    std::string typed = std::string(type, 4) + data;
    out += typed;
    appendUint32(out, std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
}

// An RGB PNG, red on the left half and blue on the right, deflated a row at
// a time so that its pixels never sit in memory at once.
std::string hugePNG()
{
    std::string header;
    appendUint32(header, kSide);
    appendUint32(header, kSide);
    header += std::string("\x08\x02\x00\x00\x00", 5);

    std::string row(1 + kSide * 3, '\0');
    for (std::uint32_t x = 0; x < kSide; ++x) {
        bool left = x < kSide / 2;
        row[1 + x * 3] = char(left ? 200 : 30);
        row[2 + x * 3] = char(30);
        row[3 + x * 3] = char(left ? 30 : 200);
    }
    z_stream stream{};
    deflateInit(&stream, 9);
    std::string compressed;
    char buffer[1 << 16];
    for (std::uint32_t y = 0; y <= kSide; ++y) {
        bool last = y == kSide;
        stream.next_in = reinterpret_cast<Bytef*>(last ? nullptr : row.data());
        stream.avail_in = last ? 0 : uInt(row.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", compressed);
    appendChunk(png, "IEND", {});
    return png;
}

std::string hex(const std::string& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2 + bytes.size() / 64);
    for (std::size_t index = 0; index < bytes.size(); ++index) {
        out.push_back(kDigits[std::uint8_t(bytes[index]) >> 4]);
        out.push_back(kDigits[std::uint8_t(bytes[index]) & 0xF]);
        if (index % 64 == 63)
            out.push_back('\n');
    }
    return out;
}

struct Inputs {
    std::string folder;
    std::string rtf;
    std::string markdown;
};

const Inputs& inputs()
{
    static const Inputs made = [] {
        Inputs inputs;
        inputs.folder = folio::AppFolders::temporaryFolder() + "/bench-huge-picture";
        std::filesystem::create_directories(inputs.folder);
        std::string png = hugePNG();
        (void)folio::FileManager::writeAtomically(inputs.folder + "/huge.png", png);
        inputs.rtf = inputs.folder + "/huge-picture.rtf";
        (void)folio::FileManager::writeAtomically(
            inputs.rtf, "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0 Helvetica;}\\f0\\fs24 Before the picture.\\par "
                        "{\\pict\\pngblip\\picw16000\\pich16000\\picwgoal8000\\pichgoal8000\n" +
                            hex(png) + "}\\par After the picture.\\par }");
        // A Markdown document's pictures are in its picture folder.
        inputs.markdown = inputs.folder + "/huge-picture.md";
        std::string pictures = folio::AppFolders::pictureFolderForDocument(
            folio::AppFolders::pictureDocumentName(inputs.markdown));
        (void)folio::FileManager::writeAtomically(pictures + "/huge.png", png);
        (void)folio::FileManager::writeAtomically(
            inputs.markdown, "# A huge picture\n\n![huge](" + pictures + "/huge.png)\n\nAfter the picture.\n");
        return inputs;
    }();
    return made;
}

long kilobytesOf(const std::string& statusPath, const std::string& field)
{
    try {
        std::ifstream status(statusPath);
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind(field + ":", 0) == 0)
                return std::stol(line.substr(field.size() + 1));
        }
    } catch (const std::exception&) {
        // The process ended while it was read.
    }
    return 0;
}

// The resident memory of this process and of every process below it.
long treeKilobytes()
{
    std::map<int, int> parents;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // A process may end while it is read.
        std::string text;
        try {
            std::ifstream stat(entry.path() / "stat");
            text.assign(std::istreambuf_iterator<char>(stat), std::istreambuf_iterator<char>());
        } catch (const std::exception&) {
            continue;
        }
        std::size_t close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(text.substr(close + 2));
        std::string state;
        int parent = 0;
        rest >> state >> parent;
        parents[std::stoi(name)] = parent;
    }
    long total = 0;
    for (const auto& [pid, parent] : parents) {
        for (int up = pid; up > 1; up = parents.count(up) ? parents[up] : 0) {
            if (up == getpid()) {
                total += kilobytesOf("/proc/" + std::to_string(pid) + "/status", "VmRSS");
                break;
            }
        }
    }
    return total;
}

// Follows the peak of the process tree while one export runs.
class PeakSampler {
public:
    PeakSampler()
        : m_thread([this] {
            while (!m_stop) {
                long now = treeKilobytes();
                if (now > m_peak)
                    m_peak = now;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        })
    {
        // Starts the process's own high-water mark afresh.
        std::ofstream("/proc/self/clear_refs") << "5";
    }
    ~PeakSampler() { stop(); }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    double treePeakMegabytes() const { return m_peak / 1024.0; }
    static double ownPeakMegabytes() { return kilobytesOf("/proc/self/status", "VmHWM") / 1024.0; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_peak{0};
    std::thread m_thread;
};

void exportWith(benchmark::State& state, folio::Exporter& exporter, const std::string& source,
                const std::string& extension)
{
    const Inputs& made = inputs();
    if (exporter.needsWebView() && !folio::WebServices::shared().ensureDisplay()) {
        state.SkipWithError("no display for the web view");
        return;
    }
    double ownPeak = 0, treePeak = 0;
    for (auto _ : state) {
        PeakSampler sampler;
        folio::ExportRequest request;
        request.outputPath = made.folder + "/exported." + extension;
        auto exported = exporter.exportFile(folio::ExportSource(source), std::move(request), 600);
        sampler.stop();
        if (!exported) {
            state.SkipWithError(("the export failed: " + exported.error().message).c_str());
            return;
        }
        ownPeak = std::max(ownPeak, PeakSampler::ownPeakMegabytes());
        treePeak = std::max(treePeak, sampler.treePeakMegabytes());
    }
    state.counters["peak_MB"] = ownPeak;
    state.counters["tree_peak_MB"] = treePeak;
}

void BM_HugePictureRTFToHTML(benchmark::State& state)
{
    folio::HTMLExporter exporter;
    exportWith(state, exporter, inputs().rtf, "html");
}
BENCHMARK(BM_HugePictureRTFToHTML)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_HugePictureRTFToPDF(benchmark::State& state)
{
    folio::PDFExporter exporter;
    exportWith(state, exporter, inputs().rtf, "pdf");
}
BENCHMARK(BM_HugePictureRTFToPDF)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_HugePictureMarkdownToPNG(benchmark::State& state)
{
    folio::PNGExporter exporter;
    exportWith(state, exporter, inputs().markdown, "png");
}
BENCHMARK(BM_HugePictureMarkdownToPNG)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv)
{
    // Exports read and write the user defaults; keep the user's own out of it.
    std::string home = std::filesystem::temp_directory_path() / ("bench-huge-picture-" + std::to_string(getpid()));
    setenv("FOLIO_HOME", home.c_str(), 0);
    folio::registerMarkdownConverter();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return 0;
}
