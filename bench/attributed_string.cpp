#include "platform/text/MutableAttributedString.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace folio;

constexpr std::size_t kRuns = 100'000;
// 100,000 runs of 5 UTF-16 units: 1 MB of text.
constexpr std::size_t kRunLength = 5;

std::vector<AttributeDictionaryPtr> makePalette()
{
    // A handful of distinct dictionaries alternating, as styled text has.
    std::vector<AttributeDictionaryPtr> palette;
    for (int i = 0; i < 8; ++i) {
        palette.push_back(AttributeDictionary::make({
            {"NSColor", ColorValue::make(Color::colorWithRed(i / 8.0, 0, 0))},
            {"TEHeaderLevel", IntegerValue::make(i % 3)},
        }));
    }
    return palette;
}

MutableAttributedString buildDocument(const std::vector<AttributeDictionaryPtr>& palette)
{
    MutableAttributedString text;
    std::u16string piece(kRunLength, u'x');
    for (std::size_t run = 0; run < kRuns; ++run)
        text.appendString(piece, palette[run % palette.size()]);
    return text;
}

void BM_BuildOneMegabyteInRuns(benchmark::State& state)
{
    std::vector<AttributeDictionaryPtr> palette = makePalette();
    for (auto _ : state) {
        MutableAttributedString text = buildDocument(palette);
        benchmark::DoNotOptimize(text.length());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kRuns * kRunLength * sizeof(char16_t)));
}
BENCHMARK(BM_BuildOneMegabyteInRuns)->Unit(benchmark::kMillisecond);

void BM_AttributesAtRandomIndexes(benchmark::State& state)
{
    std::vector<AttributeDictionaryPtr> palette = makePalette();
    MutableAttributedString text = buildDocument(palette);
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> index(0, text.length() - 1);
    for (auto _ : state) {
        Range range;
        benchmark::DoNotOptimize(text.attributeAtIndex("NSColor", index(random), &range));
    }
}
BENCHMARK(BM_AttributesAtRandomIndexes);

void BM_LongestEffectiveRangeAtRandomIndexes(benchmark::State& state)
{
    std::vector<AttributeDictionaryPtr> palette = makePalette();
    MutableAttributedString text = buildDocument(palette);
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> index(0, text.length() - 1);
    Range everything{0, text.length()};
    for (auto _ : state) {
        Range range;
        benchmark::DoNotOptimize(text.attributesAtIndexLongestEffectiveRange(index(random), &range, everything));
    }
}
BENCHMARK(BM_LongestEffectiveRangeAtRandomIndexes);

void BM_AddAttributeOverWholeDocument(benchmark::State& state)
{
    std::vector<AttributeDictionaryPtr> palette = makePalette();
    MutableAttributedString original = buildDocument(palette);
    for (auto _ : state) {
        state.PauseTiming();
        MutableAttributedString text = original.mutableCopy();
        state.ResumeTiming();
        text.addAttribute("TEStrikethrough", BoolValue::make(true), Range{0, text.length()});
        benchmark::DoNotOptimize(text.length());
    }
}
BENCHMARK(BM_AddAttributeOverWholeDocument)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
