// Converting a large generated HTML document to attributed text, beside a
// plain libxml2 SAX pass over the same bytes: the floor the reader builds on.
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"

#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>

#include <string>

namespace {

// About 2 MB shaped like the editor's pages: styled divs, spans, fonts, lists.
const std::string& generatedDocument()
{
    static const std::string html = [] {
        std::string text = "<html><head><style>.note { color: #336699 } div p { margin-top: 4px }</style></head><body>";
        for (int i = 0; text.size() < 2 * 1024 * 1024; ++i) {
            text += "<div style=\"text-align: justify; margin-left: 20px;\">Paragraph " + std::to_string(i) +
                    " with <span style=\"font-weight: bold;\">bold</span>, <i>italic</i> and "
                    "<font face=\"Georgia\" size=\"4\" color=\"#aa0000\">coloured</font> words &amp; entities "
                    "&eacute;t&eacute;.<br></div>";
            if (i % 20 == 0)
                text += "<ul><li>one</li><li class=\"note\">two</li><li>three</li></ul><hr>";
        }
        return text + "</body></html>";
    }();
    return html;
}

void BM_HTMLToAttributedString(benchmark::State& state)
{
    const std::string& html = generatedDocument();
    for (auto _ : state) {
        folio::TEHTMLAttributedStringBuilder builder(html);
        benchmark::DoNotOptimize(builder.generatedAttributedString());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(html.size()));
}
BENCHMARK(BM_HTMLToAttributedString)->Unit(benchmark::kMillisecond);

void countCharacters(void* context, const xmlChar*, int length)
{
    *static_cast<std::size_t*>(context) += static_cast<std::size_t>(length);
}

void BM_LibXML2SAXFloor(benchmark::State& state)
{
    const std::string& html = generatedDocument();
    for (auto _ : state) {
        htmlSAXHandler handler{};
        handler.characters = countCharacters;
        std::size_t characters = 0;
        htmlParserCtxtPtr context = htmlCreatePushParserCtxt(&handler, &characters, nullptr, 0, nullptr,
                                                             XML_CHAR_ENCODING_UTF8);
        htmlCtxtUseOptions(context, HTML_PARSE_RECOVER | HTML_PARSE_NOBLANKS | HTML_PARSE_NONET |
                                        HTML_PARSE_COMPACT | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
        htmlParseChunk(context, html.data(), static_cast<int>(html.size()), 1);
        htmlFreeParserCtxt(context);
        benchmark::DoNotOptimize(characters);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(html.size()));
}
BENCHMARK(BM_LibXML2SAXFloor)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
