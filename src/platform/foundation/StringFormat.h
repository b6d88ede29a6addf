#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace folio {

// One argument of a format: a whole number, a real number or a text.
using FormatArgument = std::variant<std::int64_t, double, std::u16string>;

// Fills a format in the platform's printf dialect, as localised interface
// texts carry it: "%@" takes a text, "%d", "%ld", "%lu" a whole number,
// "%f" and "%.Nf" a real number (always in the C locale), "%%" a percent sign.
// Arguments are taken in order; a conversion without an argument, or of
// another kind than its argument, is written as it stands, so a bad
// translation shows its fault rather than reading past the arguments.
std::u16string formatString(std::u16string_view format, std::initializer_list<FormatArgument> arguments);

} // namespace folio
