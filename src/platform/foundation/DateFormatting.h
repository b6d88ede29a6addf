#pragma once

#include <chrono>
#include <string>

namespace folio {

enum class DateFormatterStyle { None, Short, Medium, Long, Full };

// The date and time in the current locale and time zone, in the given
// styles; None leaves that part out.
std::u16string localizedStringFromDate(std::chrono::system_clock::time_point date, DateFormatterStyle dateStyle,
                                       DateFormatterStyle timeStyle);

} // namespace folio
