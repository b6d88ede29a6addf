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

// A Windows language number (RTF's "\\lang1033") as a BCP 47 tag ("en-US"),
// and back; "" and 0 where the other has no such language. A number no
// language is known by comes back from its private-use tag ("x-lcid-1279").
std::string languageTagForWindowsLanguage(unsigned number);
unsigned windowsLanguageForLanguageTag(std::string_view tag);

} // namespace folio
