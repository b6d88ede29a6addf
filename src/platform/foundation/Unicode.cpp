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

std::string toUtf8(std::u16string_view utf16)
{
    if (utf16.empty())
        return {};
    std::string result(utf16.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(result.data(), static_cast<int32_t>(result.size()), &length, utf16.data(),
                       static_cast<int32_t>(utf16.size()), kReplacementCharacter, nullptr, &status);
    if (U_FAILURE(status))
        return {};
    result.resize(static_cast<std::size_t>(length));
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
