#pragma once

#include <string>
#include <string_view>

namespace folio {

// General category Ll; a lone surrogate is none.
bool isLowercaseLetter(char32_t codePoint);

// The text for comparing without case or accents: decomposed, its combining
// marks dropped, then case-folded ("Ébène" and "ebene" fold alike).
std::u16string stringByFoldingCaseAndDiacritics(std::u16string_view text);

} // namespace folio
