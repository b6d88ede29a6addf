#pragma once

#include "foundation/markup/HTMLEscapeTables.h"

#include <span>
#include <string>
#include <string_view>

namespace folio {

// Escapes markup characters and typographic marks with named references and copies
// every other character, so that plain text pasted into a page keeps its letters.
std::u16string stringByEscapingForHTML(std::u16string_view text);

// Escapes with every HTML 4.01 name and writes any other character from 128 up as a
// decimal reference, giving text that survives a 7-bit channel.
std::u16string stringByEscapingForAsciiHTML(std::u16string_view text);

// The common step of the two above. With `escapingUnicode`, characters from 128 up
// that have no row in `table` are written as decimal references.
std::u16string stringByEscapingHTMLUsingTable(std::u16string_view text, std::span<const HTMLEscapeMap> table,
                                              bool escapingUnicode);

// Replaces named (HTML 4.01), decimal and hexadecimal references by their characters.
// References that cannot be read are left as written.
std::u16string stringByUnescapingFromHTML(std::u16string_view text);

// The three-way comparison of the bisection search: -1, 0 or 1 as `code` lies below,
// at or above the row's code.
int escapeMapCompare(char16_t code, const HTMLEscapeMap& row);

} // namespace folio
