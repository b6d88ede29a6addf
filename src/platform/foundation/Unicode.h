#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace folio {

// The one place where text changes encoding. Invalid input becomes U+FFFD,
// never a truncated result.
std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);
// The UTF-8 of `utf16` added to the end of `utf8`, by the same rule as
// toUtf8: an unpaired surrogate becomes U+FFFD. Writers that build UTF-8
// output from document text call it piece by piece.
void appendUtf8(std::string& utf8, std::u16string_view utf16);

// Shorthand for literals in code that builds UTF-16 text: u"..." is preferred
// where the text is fixed.
inline std::u16string u16(std::string_view utf8) { return toUtf16(utf8); }

// The code point of the UTF-8 sequence at `index`, which moves past it; an
// invalid or cut sequence reads as U+FFFD and moves one byte on.
std::uint32_t decodeUtf8At(std::string_view utf8, std::size_t& index);

bool isHighSurrogate(char16_t unit);
bool isLowSurrogate(char16_t unit);

} // namespace folio
