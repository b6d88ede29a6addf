#pragma once

#include "platform/foundation/CharacterSet.h"

#include <string>
#include <string_view>

namespace folio {

// The engine's string helpers for HTML text: entity escaping and decoding, white space
// as HTML rendering treats it, and the number readers of attribute values.

// Escapes markup characters and every HTML 4.01 named character with its entity, and
// any other character from U+0100 up as a decimal reference, so the written HTML
// holds only Latin-1 text. U+2028 becomes a line break element.
std::u16string stringByAddingHTMLEntities(std::u16string_view text);
// The same for text that is markup already: quotes, "&", "<" and ">" pass through.
std::u16string stringByAddingHTMLEntitiesInText(std::u16string_view text);
// The same on UTF-8 markup, giving UTF-8; each byte that is not UTF-8 becomes U+FFFD's reference.
std::string stringByAddingHTMLEntitiesInText(std::string_view utf8);

// Decodes named, decimal and hexadecimal references. A reference that cannot be read,
// or whose number lies beyond Unicode, is copied as written; zero and surrogate halves
// give U+FFFD.
std::u16string stringByReplacingHTMLEntities(std::u16string_view text);

// Every run of white space (U+0009 to U+000D, blank, U+0085) becomes one blank; the
// ends are not trimmed, since a run may join two inline pieces.
std::u16string stringByNormalizingWhitespace(std::u16string_view text);

// Every pair of blanks, left to right, becomes a blank and a no-break space, so that a
// browser keeps the width of runs of blanks.
std::u16string stringByAddingAppleConvertedSpace(std::u16string_view text);

// True when the text holds nothing but ignorable white space (also when it is empty).
bool isIgnorableWhitespace(std::u16string_view text);

// True when every character is a decimal digit or "." (also when the text is empty).
bool isNumeric(std::u16string_view text);

// The text read as an unsigned hexadecimal number: leading blanks and "0x" allowed,
// reading stops at the first other character; 0 when nothing reads, the largest value
// when the number does not fit.
unsigned integerValueFromHex(std::u16string_view text);

// A number read from the start of the text, divided by 100. A text that holds no
// number counts as 1, giving 0.01.
float percentValue(std::u16string_view text);

// Whether the first (last) character is in the set; false for the empty text.
bool hasPrefixCharacterFromSet(std::u16string_view text, const CharacterSet& set);
bool hasSuffixCharacterFromSet(std::u16string_view text, const CharacterSet& set);

} // namespace folio
