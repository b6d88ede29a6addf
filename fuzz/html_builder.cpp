// Feeds arbitrary bytes to the HTML reader: any input must convert or be
// refused without a crash, a hang or a sanitizer report.
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string html(reinterpret_cast<const char*>(data), size);
    folio::TEHTMLAttributedStringBuilder builder(html);
    const auto& text = builder.generatedAttributedString();
    if (text && text->length() > 0)
        (void)text->attributesAtIndex(text->length() - 1);
    return 0;
}
