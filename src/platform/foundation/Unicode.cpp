#include "platform/foundation/Unicode.h"

#include <unicode/ustring.h>
#include <unicode/utf8.h>
#include <unicode/utypes.h>

namespace folio {

namespace {
constexpr UChar32 kReplacementCharacter = 0xFFFD;
}

std::u16string toUtf16(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    std::u16string result(utf8.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(result.data(), static_cast<int32_t>(result.size()), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), kReplacementCharacter, nullptr, &status);
    if (U_FAILURE(status))
        return {};
    result.resize(static_cast<std::size_t>(length));
    return result;
}

namespace {

// How many UTF-8 bytes the unit at `index` starts (0 for the low half of a
// pair, which its high half counts), and whether it is a whole pair.
std::size_t utf8LengthAt(std::u16string_view utf16, std::size_t index, bool& pair)
{
    const char16_t unit = utf16[index];
    pair = false;
    if (unit < 0x80)
        return 1;
    if (unit < 0x800)
        return 2;
    if (unit >= 0xD800 && unit <= 0xDBFF && index + 1 < utf16.size() && utf16[index + 1] >= 0xDC00 &&
        utf16[index + 1] <= 0xDFFF) {
        pair = true;
        return 4;
    }
    // Every other unit, an unpaired surrogate included (as U+FFFD), takes three.
    return 3;
}

} // namespace

void appendUtf8(std::string& utf8, std::u16string_view utf16)
{
    // Measured first, so that the text grows once by what it needs.
    std::size_t bytes = 0;
    for (std::size_t index = 0; index < utf16.size(); ++index) {
        bool pair = false;
        bytes += utf8LengthAt(utf16, index, pair);
        if (pair)
            ++index;
    }
    std::size_t at = utf8.size();
    utf8.resize(at + bytes);
    char* out = utf8.data();
    for (std::size_t index = 0; index < utf16.size(); ++index) {
        char32_t code = utf16[index];
        if (code < 0x80) {
            out[at++] = static_cast<char>(code);
            continue;
        }
        bool pair = false;
        const std::size_t length = utf8LengthAt(utf16, index, pair);
        if (pair) {
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[index + 1] - 0xDC00);
            ++index;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = static_cast<char32_t>(kReplacementCharacter);
        }
        if (length == 2) {
            out[at++] = static_cast<char>(0xC0 | (code >> 6));
        } else if (length == 3) {
            out[at++] = static_cast<char>(0xE0 | (code >> 12));
            out[at++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        } else {
            out[at++] = static_cast<char>(0xF0 | (code >> 18));
            out[at++] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out[at++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        }
        out[at++] = static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string toUtf8(std::u16string_view utf16)
{
    std::string result;
    appendUtf8(result, utf16);
    return result;
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::uint32_t decodeUtf8At(std::string_view utf8, std::size_t& index)
{
    UChar32 code = 0;
    int32_t at = static_cast<int32_t>(index);
    U8_NEXT(reinterpret_cast<const uint8_t*>(utf8.data()), at, static_cast<int32_t>(utf8.size()), code);
    index = static_cast<std::size_t>(at);
    return code < 0 ? 0xFFFD : static_cast<std::uint32_t>(code);
}

} // namespace folio
