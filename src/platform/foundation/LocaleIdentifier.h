#pragma once

#include <string>
#include <string_view>

namespace folio {

// The locale of the session for dates, sorting and text boundaries, read
// afresh on each call from LC_ALL, LC_TIME and LANG as ICU names it
// ("de_DE.UTF-8" gives "de_DE"); the C and POSIX locales give "en_US_POSIX".
std::string currentLocaleIdentifier();

// Orders texts as a reader of the current locale would, ignoring case:
// negative, zero or positive.
int localizedCaseInsensitiveCompare(std::u16string_view a, std::u16string_view b);

} // namespace folio
