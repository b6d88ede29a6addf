#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace folio {

enum class DateFormatterStyle { None, Short, Medium, Long, Full };

// The date and time in the current locale and time zone, in the given
// styles; None leaves that part out.
std::u16string localizedStringFromDate(std::chrono::system_clock::time_point date, DateFormatterStyle dateStyle,
                                       DateFormatterStyle timeStyle);

// The date written with the fields of `dateTemplate` (such as "MMMdyyyy") in
// the order and punctuation of `locale` (empty: the process's default locale);
// `fallbackPattern` stands in when the locale has no pattern for them. Empty
// when the locale cannot format at all.
std::string stringFromDateWithTemplate(std::chrono::system_clock::time_point date, std::u16string_view dateTemplate,
                                       std::u16string_view fallbackPattern, const std::string& locale);

} // namespace folio
