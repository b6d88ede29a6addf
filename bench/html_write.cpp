#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/html/HTMLSanitizer.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/Font.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace folio;

using Entries = std::vector<AttributeDictionary::Entry>;

// About 1 MB (UTF-16 units) of text shaped as the RTF reader leaves it:
// paragraphs with styled runs and links, interleaved with bulleted and
// numbered lists whose items carry U+FEFF prefix placeholders.
AttributedString buildDocument()
{
    auto catalog = std::make_shared<const FakeFontCatalog>();
    AttributeValuePtr body = FontAttributeValue::make(*Font::fontWithName("Helvetica", 12, catalog));
    AttributeValuePtr bold = FontAttributeValue::make(*Font::fontWithName("Helvetica-Bold", 12, catalog));
    PlatformParagraphStyle::Settings settings;
    settings.minimumLineSpacing = 1;
    AttributeValuePtr style = ParagraphStyleValue::make(PlatformParagraphStyle(settings));
    AttributeValuePtr red = ColorValue::make(Color::colorWithRed(0.8, 0.1, 0.1));
    AttributeValuePtr field = StringValue::make(u"TEField");

    auto entry = [](std::string_view key, AttributeValuePtr value) {
        return AttributeDictionary::Entry{std::string(key), std::move(value)};
    };
    AttributeDictionaryPtr plain =
        AttributeDictionary::make({entry(kCTFontAttributeName, body), entry(kCTParagraphStyleAttributeName, style)});
    AttributeDictionaryPtr strong =
        AttributeDictionary::make({entry(kCTFontAttributeName, bold), entry(kCTParagraphStyleAttributeName, style),
                                   entry(kCTForegroundColorAttributeName, red)});

    MutableAttributedString text;
    const std::u16string sentence = u"The quick brown fox jumps over the lazy dog & writes <HTML>. ";
    std::size_t paragraph = 0;
    while (text.length() < 1'000'000) {
        if (paragraph % 10 == 9) {
            // A list of three items, bulleted or numbered in turn.
            auto type = (paragraph / 10) % 2 ? TECSSListStyleType::Decimal : TECSSListStyleType::Disc;
            for (int item = 0; item < 3; ++item) {
                auto list = std::make_shared<TECSSListStyle>();
                list->setType(type);
                Entries prefix{entry(kCTFontAttributeName, body), entry(kCTParagraphStyleAttributeName, style),
                               entry(TEFieldAttribute, field), entry(TETextIsListAttribute, ArrayValue::make({list}))};
                if (item == 0)
                    prefix.push_back(entry(TETextListsAttribute, ArrayValue::make({list})));
                text.appendString(u"\uFEFF", AttributeDictionary::make(std::move(prefix)));
                text.appendString(sentence, plain);
                text.appendString(u"\n", plain);
            }
        } else {
            AttributeDictionaryPtr link = AttributeDictionary::make(
                {entry(kCTFontAttributeName, body), entry(kCTParagraphStyleAttributeName, style),
                 entry(TELinkAttribute, URLValue::make("https://example.org/page" + std::to_string(paragraph % 50)))});
            text.appendString(sentence, plain);
            text.appendString(u"bold words", strong);
            text.appendString(u"  and a\tlink", link);
            text.appendString(sentence, plain);
            text.appendString(u"\n", plain);
        }
        ++paragraph;
    }
    return text;
}

const AttributedString& document()
{
    static const AttributedString text = buildDocument();
    return text;
}

void BM_WriteFragment(benchmark::State& state)
{
    const AttributedString& text = document();
    for (auto _ : state) {
        std::u16string html = TEHTMLWriter(text).HTMLFragment();
        benchmark::DoNotOptimize(html);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.length() * sizeof(char16_t)));
}
BENCHMARK(BM_WriteFragment)->Unit(benchmark::kMillisecond);

void BM_WriteDocumentWithClasses(benchmark::State& state)
{
    const AttributedString& text = document();
    for (auto _ : state) {
        std::u16string html = TEHTMLWriter(text).HTMLString();
        benchmark::DoNotOptimize(html);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.length() * sizeof(char16_t)));
}
BENCHMARK(BM_WriteDocumentWithClasses)->Unit(benchmark::kMillisecond);

void BM_WriteForPrint(benchmark::State& state)
{
    const AttributedString& text = document();
    TEHTMLWriterSettings print;
    print.forPrint = true;
    for (auto _ : state) {
        std::u16string html = TEHTMLWriter(text, print).HTMLFragment();
        benchmark::DoNotOptimize(html);
    }
}
BENCHMARK(BM_WriteForPrint)->Unit(benchmark::kMillisecond);

// The HTML export's writing: notes listed at the end, no placeholders, the
// HTML in UTF-8 as it is saved.
void BM_WriteExportData(benchmark::State& state)
{
    const AttributedString& text = document();
    TEHTMLWriterSettings exported;
    exported.listsNotesAtEnd = true;
    exported.keepsPlaceholders = false;
    for (auto _ : state) {
        std::string html = htmlData(text, exported);
        benchmark::DoNotOptimize(html);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.length() * sizeof(char16_t)));
}
BENCHMARK(BM_WriteExportData)->Unit(benchmark::kMillisecond);

const std::string& exportData()
{
    static const std::string html = [] {
        TEHTMLWriterSettings exported;
        exported.listsNotesAtEnd = true;
        exported.keepsPlaceholders = false;
        return htmlData(document(), exported);
    }();
    return html;
}

// The export's sanitising of the HTML just written, read the quick way.
void BM_SanitiseExportData(benchmark::State& state)
{
    const std::string& html = exportData();
    for (auto _ : state) {
        std::string safe =
            HTMLSanitizer::sanitizedHTML(html, HTMLSanitizer::Use::Export, HTMLSanitizer::Characters::References);
        benchmark::DoNotOptimize(safe);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
}
BENCHMARK(BM_SanitiseExportData)->Unit(benchmark::kMillisecond);

// The same HTML behind a comment, which only libxml2 reads: what the
// sanitising costs markup beyond the writer's forms.
void BM_SanitiseExportDataThroughLibxml2(benchmark::State& state)
{
    const std::string html = "<!-- -->" + exportData();
    for (auto _ : state) {
        std::string safe =
            HTMLSanitizer::sanitizedHTML(html, HTMLSanitizer::Use::Export, HTMLSanitizer::Characters::References);
        benchmark::DoNotOptimize(safe);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
}
BENCHMARK(BM_SanitiseExportDataThroughLibxml2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
