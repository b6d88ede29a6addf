#include "foundation/markup/CharacterReference.h"

#include <array>

namespace folio {

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// Windows-1252 for the codes 0x80 to 0x9F; zero marks the five codes it leaves undefined.
constexpr std::array<char16_t, 32> kWindows1252{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool isAllowedControl(std::uint32_t code)
{
    return code == u'\t' || code == u'\n' || code == u'\f' || code == u'\r';
}

} // namespace

std::u16string characterFromReferenceCode(std::uint32_t code)
{
    if (code >= 0x80 && code <= 0x9F) {
        char16_t mapped = kWindows1252[code - 0x80];
        return std::u16string(1, mapped ? mapped : kReplacementCharacter);
    }
    bool invalid = code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)
        || (code < 0x20 && !isAllowedControl(code)) || code == 0x7F;
    if (invalid)
        return std::u16string(1, kReplacementCharacter);
    if (code < 0x10000)
        return std::u16string(1, static_cast<char16_t>(code));
    code -= 0x10000;
    return std::u16string{static_cast<char16_t>(0xD800 + (code >> 10)), static_cast<char16_t>(0xDC00 + (code & 0x3FF))};
}

} // namespace folio
