#pragma once

#include <string_view>
#include <unordered_map>

namespace folio {

// The engine's entity tables, built once on first use and read-only afterwards (so any
// thread may read them). They derive from the HTML 4.01 names with these differences:
// the invisible formatting characters (soft hyphen, ZWNJ, ZWJ, LRM, RLM) are neither
// written nor read as names but pass through as themselves; "&apos;" is added;
// "&lang;" and "&rang;" mean U+27E8 and U+27E9, the angle brackets HTML5 kept.

// UTF-16 code -> replacement text, for escaping. U+2028 (line separator) becomes a
// line break element, since HTML has no character for it that renders.
const std::unordered_map<char16_t, std::u16string_view>& htmlEntityEscapeTable();

// The escape table without the five markup characters, for text that already is markup.
const std::unordered_map<char16_t, std::u16string_view>& htmlEntityInTextEscapeTable();

// Entity name (without "&" and ";") -> the character it stands for, for decoding. Also reads
// "bsquo", a misspelling of "sbquo" found in older documents.
const std::unordered_map<std::u16string_view, char16_t>& htmlEntityDecodeTable();

} // namespace folio
