// Entity escaping and decoding on arbitrary UTF-16 text: nothing may crash, decoding
// must never produce a lone surrogate from well-formed text, and escaping then decoding
// must give the text back.
#include "engine/html/HTMLString.h"
#include "foundation/markup/HTMLAdditions.h"
#include "platform/foundation/Unicode.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool isWellFormed(std::u16string_view text)
{
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (folio::isLowSurrogate(text[index]))
            return false;
        if (folio::isHighSurrogate(text[index])) {
            if (index + 1 >= text.size() || !folio::isLowSurrogate(text[index + 1]))
                return false;
            ++index;
        }
    }
    return true;
}

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Raw units rather than UTF-8, so that lone surrogates reach the code too.
    std::u16string text(size / 2, u'\0');
    for (std::size_t index = 0; index < text.size(); ++index)
        text[index] = static_cast<char16_t>(data[2 * index] | (data[2 * index + 1] << 8));

    std::u16string engineDecoded = folio::stringByReplacingHTMLEntities(text);
    std::u16string foundationDecoded = folio::stringByUnescapingFromHTML(text);
    folio::stringByNormalizingWhitespace(text);
    folio::stringByAddingAppleConvertedSpace(text);
    folio::isIgnorableWhitespace(text);
    folio::integerValueFromHex(text);
    folio::percentValue(text);

    if (isWellFormed(text)) {
        check(isWellFormed(engineDecoded));
        check(isWellFormed(foundationDecoded));
        std::u16string plain = text;
        std::erase(plain, u'\u2028');
        check(folio::stringByReplacingHTMLEntities(folio::stringByAddingHTMLEntities(plain)) == plain);
        check(folio::stringByUnescapingFromHTML(folio::stringByEscapingForHTML(plain)) == plain);
        // Numeric references to U+0080..U+009F read as Windows-1252, as browsers read
        // them, and "&#65535;" names no character: those two cannot come back.
        std::erase_if(plain, [](char16_t unit) { return (unit >= 0x80 && unit <= 0x9F) || unit == 0xFFFF; });
        check(folio::stringByUnescapingFromHTML(folio::stringByEscapingForAsciiHTML(plain)) == plain);
    } else {
        folio::stringByAddingHTMLEntities(text);
        folio::stringByEscapingForAsciiHTML(text);
    }
    return 0;
}
