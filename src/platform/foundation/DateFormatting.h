#pragma once

#include <chrono>
#include <string>

namespace folio {

enum class DateFormatterStyle { None, Short, Medium, Long, Full };

// The locale of the session for dates, numbers and text boundaries, read
// afresh on each call from LC_ALL, LC_TIME and LANG as ICU names it
// ("de_DE.UTF-8" gives "de_DE"); the C and POSIX locales give "en_US_POSIX".
std::string currentLocaleIdentifier();

// The date and time in the current locale and time zone, in the given
// styles; None leaves that part out.
std::u16string localizedStringFromDate(std::chrono::system_clock::time_point date, DateFormatterStyle dateStyle,
                                       DateFormatterStyle timeStyle);

} // namespace folio
