// The sanitiser on arbitrary markup: nothing may crash, and wherever the
// quick reading of the HTML writer's forms takes the markup, the sanitised
// result is the one libxml2's reading gives (a comment in front sends the
// same markup to libxml2), for every use.
#include "engine/html/HTMLSanitizer.h"
#include "engine/html/HTMLSimpleMarkupReader.h"
#include "platform/foundation/HTMLParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using folio::HTMLSanitizer;
    std::string html(reinterpret_cast<const char*>(data), size);
    folio::HTMLParseEvents ignored;
    bool quick = folio::HTMLSimpleMarkupReader::readFragment(html, ignored);
    for (auto use : {HTMLSanitizer::Use::Document, HTMLSanitizer::Use::Insertion, HTMLSanitizer::Use::Export,
                     HTMLSanitizer::Use::EditingPage}) {
        for (auto characters : {HTMLSanitizer::Characters::AsTheyAre, HTMLSanitizer::Characters::References}) {
            std::string clean = HTMLSanitizer::sanitizedHTML(html, use, characters);
            if (quick)
                check(clean == HTMLSanitizer::sanitizedHTML("<!---->" + html, use, characters));
        }
    }
    return 0;
}
