#pragma once

#include <span>
#include <string_view>

namespace folio {

// One row of an escape table: the character reference and the UTF-16 code it stands for.
struct HTMLEscapeMap {
    std::u16string_view reference;
    char16_t code;
};

// The references the editors use when they paste plain text into a page: markup
// characters and the typographic marks of HTML 4.01, sorted by code.
std::span<const HTMLEscapeMap> htmlUnicodeEscapeTable();

// Every named character reference of HTML 4.01 plus "&apos;", sorted by code.
std::span<const HTMLEscapeMap> htmlAsciiEscapeTable();

} // namespace folio
