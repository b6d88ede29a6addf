#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace folio;

// About 1 MB of UTF-16 text (1,600 paragraphs of 317 units): a few styled runs each.
constexpr std::size_t kParagraphs = 1'600;

std::vector<AttributeDictionaryPtr> makePalette()
{
    std::vector<AttributeDictionaryPtr> palette;
    std::optional<Font> regular = Font::fontWithName("Arimo", 12);
    std::optional<Font> bold = Font::fontWithName("Arimo-Bold", 14);
    for (int i = 0; i < 6; ++i) {
        std::vector<AttributeDictionary::Entry> entries{
            {std::string(kCTForegroundColorAttributeName), ColorValue::make(Color::colorWithRed(i / 6.0, 0.2, 0.4))},
            {std::string(kCTUnderlineStyleAttributeName), IntegerValue::make(i % 2)},
            {std::string(kCTSuperscriptAttributeName), IntegerValue::make(i == 5 ? 1 : 0)},
        };
        if (i % 3 == 1 && bold)
            entries.push_back({std::string(kCTFontAttributeName), FontAttributeValue::make(*bold)});
        else if (regular)
            entries.push_back({std::string(kCTFontAttributeName), FontAttributeValue::make(*regular)});
        if (i == 4)
            entries.push_back({std::string(TELinkAttribute), URLValue::make("https://example.com/a")});
        palette.push_back(AttributeDictionary::make(std::move(entries)));
    }
    return palette;
}

AttributedString buildDocument()
{
    std::vector<AttributeDictionaryPtr> palette = makePalette();
    MutableAttributedString text;
    text.beginEditing();
    const std::u16string words[] = {u"The quick brown fox ", u"jumps over ", u"the lazy dog, ",
                                    u"caf\u00e9 \u2013 \u201cquoted\u201d ", u"{braces} and \\ ", u"x2"};
    for (std::size_t paragraph = 0; paragraph < kParagraphs; ++paragraph) {
        for (std::size_t run = 0; run < 6; ++run) {
            for (int repeat = 0; repeat < 4; ++repeat)
                text.appendString(words[run], palette[(run + paragraph) % palette.size()]);
        }
        text.appendString(u"\n", palette[0]);
    }
    text.endEditing();
    return text.copy();
}

void BM_WriteRTFFromOneMegabyte(benchmark::State& state)
{
    AttributedString text = buildDocument();
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto rtf = DKRTFWriter::writeDocument(text, {});
        bytes = rtf.ok() ? rtf->size() : 0;
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rtfBytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.length() * sizeof(char16_t)));
}
BENCHMARK(BM_WriteRTFFromOneMegabyte)->Unit(benchmark::kMillisecond);

// What saving after opening costs: RTF to text, text to the page's HTML,
// HTML back to text, text to RTF.
void BM_RoundTripOneMegabyteDocument(benchmark::State& state)
{
    auto rtf = DKRTFWriter::writeDocument(buildDocument(), {});
    if (!rtf.ok()) {
        state.SkipWithError("the document could not be written");
        return;
    }
    std::u16string source = toUtf16(*rtf);
    TEHTMLWriterSettings settings;
    settings.fileName = "bench.rtf";
    for (auto _ : state) {
        auto read = DKRTFReader::parseRTFString(source, std::string("bench.rtf"));
        if (!read.ok()) {
            state.SkipWithError("the document could not be read");
            return;
        }
        auto edited = attributedStringWithHTMLData(toUtf8(htmlString(*read, settings)));
        if (!edited) {
            state.SkipWithError("the page could not be read back");
            return;
        }
        auto saved = DKRTFWriter::writeDocument(*edited, {});
        benchmark::DoNotOptimize(saved.ok());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf->size()));
}
BENCHMARK(BM_RoundTripOneMegabyteDocument)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
