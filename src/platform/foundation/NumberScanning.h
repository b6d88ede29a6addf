#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <locale.h>
#include <string_view>

namespace folio {

// The number grammar shared by the scanner and the string prefix readers, so
// "12abc" reads the same everywhere. Each reads from `at` (no skipping) and
// answers the index after the number, or `at` itself when no number starts
// there; the value is written only on success. Only ASCII digits count, and
// "." is the decimal separator whatever the process locale.

// Optional "+" or "-", decimal digits. Clamps to [minimum, maximum] on
// overflow but still consumes every digit.
std::size_t scanDecimalInteger(std::u16string_view text, std::size_t at, long long* value,
                               long long minimum = std::numeric_limits<long long>::min(),
                               long long maximum = std::numeric_limits<long long>::max());

// Optional "0x"/"0X" (taken only when a hexadecimal digit follows it), then
// hexadecimal digits. Clamps to maximum on overflow.
std::size_t scanHexadecimalInteger(std::u16string_view text, std::size_t at, unsigned long long* value,
                                   unsigned long long maximum = std::numeric_limits<unsigned long long>::max());

// Optional sign, digits, optional "." and digits (at least one digit in all),
// optional exponent ("e" or "E", optional sign, digits; left unread when no
// digit follows). Overflow gives infinity, underflow zero.
std::size_t scanFloatingPoint(std::u16string_view text, std::size_t at, double* value);

// The C locale, made once: numbers in documents, styles and scripts always use
// ".", whatever LC_NUMERIC the toolkit set from the user's environment.
locale_t cLocale();

// A double as float; beyond the float range it becomes infinity with the
// same sign (a plain conversion would be undefined there).
float narrowToFloat(double value);

} // namespace folio
