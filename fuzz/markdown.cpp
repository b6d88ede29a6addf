// Feeds arbitrary text to the Markdown converter: any input must convert to
// HTML and to plain text without a crash, a hang or a sanitizer report.
#include "formats/markdown/BKDMarkdown.h"
#include "platform/foundation/Unicode.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace folio;
    std::u16string text = toUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    BKDMarkdown converter(text);
    (void)converter.html();
    (void)converter.plainText();
    return 0;
}
