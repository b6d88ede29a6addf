// The RTF reader on arbitrary bytes: nothing may crash, hang or run out of
// memory, text that is not RTF must be refused, and whatever is read must be
// a well-formed attributed string. The reader touches no file.
#include "formats/rtf/DKRTFReader.h"
#include "platform/graphics/FakeFontCatalog.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    folio::FontCatalog::setShared(std::make_shared<folio::FakeFontCatalog>());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Each byte is one character, as a Windows-1252 file reads; pairs of
    // bytes would miss the ASCII syntax the reader is about.
    std::u16string text(data, data + size);
    // Most inputs should reach the parser, so the header is given.
    std::u16string rtf = u"{\\rtf1 " + text;
    folio::Result<folio::AttributedString> result =
        folio::DKRTFReader::parseRTFString(rtf);
    if (!result.ok())
        std::abort();
    // Every character is in exactly one run.
    std::size_t covered = 0;
    result->enumerateAttributes(folio::Range{0, result->length()}, folio::AttributeEnumerationOptions::None,
                                [&](const folio::AttributeDictionaryPtr&, folio::Range range, bool&) {
                                    if (range.location != covered)
                                        std::abort();
                                    covered += range.length;
                                });
    if (covered != result->length())
        std::abort();
    if (folio::DKRTFReader::parseRTFString(text).ok() != folio::DKRTFReader::isRTF(text))
        std::abort();
    return 0;
}
