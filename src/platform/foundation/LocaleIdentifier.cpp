#include "platform/foundation/LocaleIdentifier.h"

#include "platform/foundation/LocalizedCollator.h"

#include <unicode/uloc.h>

#include <cstdlib>

namespace folio {

std::string currentLocaleIdentifier()
{
    std::string name;
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            name = value;
            break;
        }
    }
    // "de_DE.UTF-8@euro": the encoding and modifier are no part of the locale's name.
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX")
        return "en_US_POSIX";
    return name;
}

int localizedCaseInsensitiveCompare(std::u16string_view a, std::u16string_view b)
{
    return LocalizedCollator().compare(a, b);
}

std::string languageTagForWindowsLanguage(unsigned number)
{
    char locale[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getLocaleForLCID(number, locale, sizeof locale, &status);
    if (U_FAILURE(status) || length <= 0 || status == U_STRING_NOT_TERMINATED_WARNING)
        return {};
    char tag[ULOC_FULLNAME_CAPACITY] = {};
    status = U_ZERO_ERROR;
    const int32_t tagLength = uloc_toLanguageTag(locale, tag, sizeof tag, true, &status);
    if (U_FAILURE(status) || tagLength <= 0 || status == U_STRING_NOT_TERMINATED_WARNING)
        return {};
    return std::string(tag, static_cast<std::size_t>(tagLength));
}

unsigned windowsLanguageForLanguageTag(std::string_view tag)
{
    if (tag.empty() || tag.size() >= ULOC_FULLNAME_CAPACITY)
        return 0;
    const std::string terminated(tag);
    char locale[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    int32_t parsed = 0;
    const int32_t length = uloc_forLanguageTag(terminated.c_str(), locale, sizeof locale, &parsed, &status);
    if (U_FAILURE(status) || length <= 0 || status == U_STRING_NOT_TERMINATED_WARNING
        || parsed != static_cast<int32_t>(terminated.size()))
        return 0;
    return uloc_getLCID(locale);
}

} // namespace folio
