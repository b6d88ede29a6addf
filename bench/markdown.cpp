#include "formats/markdown/BKDMarkdown.h"
#include "platform/foundation/Unicode.h"

#include <sys/queue.h>
#include <cstdio>
#include <lowdown.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

using namespace folio;

constexpr std::size_t kDocumentSize = 1 << 20;

// About 1 MB of the Markdown people write: headers, paragraphs with emphasis, quotes,
// links and footnotes, lists, code and tables.
std::string generateDocument()
{
    static const char* const kSections[] = {
        "## Chapter\n\nA paragraph with *emphasis*, **strong** and _underlined_ words, \"quotes\" -- and "
        "a [link](http://example.org/page \"Title\") to http://example.org/snake_case.[^n]\n\n",
        "> A quoted paragraph that goes on\n> over two lines... don't stop.\n\n",
        "- first item\n- second item with `code`\n  - nested item\n\n1. one\n\n2. two\n\n",
        "```cpp\nint main() { return \"x\" == 0; }\n```\n\n",
        "| Left | Right | Centre |\n|:-----|------:|:------:|\n| a | b | c |\n| d | e | f |\n\n",
        "Entities &amp; &copy; and <b>inline HTML</b>, ==marked== ~~struck~~ x^2.\n\n",
    };
    std::string document;
    std::size_t section = 0;
    int footnote = 0;
    while (document.size() < kDocumentSize) {
        document += kSections[section++ % std::size(kSections)];
        if (section % 6 == 0)
            document += "[^n]: Footnote " + std::to_string(++footnote) + ".\n\n";
    }
    return document;
}

const std::u16string& document16()
{
    static const std::u16string text = toUtf16(generateDocument());
    return text;
}

void BM_MarkdownHTML(benchmark::State& state)
{
    const std::u16string& text = document16();
    for (auto _ : state) {
        BKDMarkdown converter(text);
        benchmark::DoNotOptimize(converter.html());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_MarkdownHTML)->Unit(benchmark::kMillisecond);

// 100 KB of brackets that never close, "[" or "![": linear, like any text.
void BM_MarkdownOpenBrackets(benchmark::State& state)
{
    std::u16string brackets;
    for (int index = 0; index < 50000; ++index)
        brackets += state.range(0) ? u"![" : u"[[";
    for (auto _ : state) {
        BKDMarkdown converter(brackets);
        benchmark::DoNotOptimize(converter.html());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * brackets.size()));
}
BENCHMARK(BM_MarkdownOpenBrackets)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One long paragraph of code spans, and one of runs that never close: both
// must stay linear (the argument is the paragraph's size in spans).
void BM_MarkdownCodeSpans(benchmark::State& state)
{
    std::u16string spans;
    for (std::int64_t index = 0; index < state.range(0); ++index)
        spans += state.range(1) ? u"`code` text " : u"`` ` ";
    for (auto _ : state) {
        BKDMarkdown converter(spans);
        benchmark::DoNotOptimize(converter.html());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * spans.size()));
}
BENCHMARK(BM_MarkdownCodeSpans)->ArgsProduct({{20000, 80000}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_MarkdownPlainText(benchmark::State& state)
{
    const std::u16string& text = document16();
    for (auto _ : state) {
        BKDMarkdown converter(text);
        benchmark::DoNotOptimize(converter.plainText());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_MarkdownPlainText)->Unit(benchmark::kMillisecond);

// The floor: lowdown parsing and rendering the same text with its own HTML renderer.
void BM_LowdownOwnHTML(benchmark::State& state)
{
    const std::string text = generateDocument();
    lowdown_opts options{};
    options.type = LOWDOWN_HTML;
    options.feat = LOWDOWN_TABLES | LOWDOWN_FENCED | LOWDOWN_FOOTNOTES | LOWDOWN_AUTOLINK | LOWDOWN_STRIKE
        | LOWDOWN_HILITE | LOWDOWN_SUPER;
    options.maxdepth = BKDMarkdown::kMaximumNesting;
    for (auto _ : state) {
        char* output = nullptr;
        std::size_t size = 0;
        if (!lowdown_buf(&options, text.data(), text.size(), &output, &size, nullptr)) {
            state.SkipWithError("lowdown refused the document");
            break;
        }
        benchmark::DoNotOptimize(output);
        std::free(output);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LowdownOwnHTML)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
