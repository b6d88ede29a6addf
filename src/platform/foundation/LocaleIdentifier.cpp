#include "platform/foundation/LocaleIdentifier.h"

#include "platform/foundation/LocalizedCollator.h"

#include <unicode/uloc.h>

#include <charconv>
#include <cstdlib>
#include <optional>
#include <string_view>

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

namespace {

// A language number kept as it was read, as BCP 47 private use.
constexpr std::string_view kNumberSubtags = "x-lcid-";

std::string knownTagOfNumber(unsigned number)
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

unsigned knownNumberOfTag(std::string_view tag)
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

// The number of a tag that ends in "x-lcid-N" ("x-lcid-1279",
// "es-ES-x-lcid-3082"); none for other tags.
std::optional<unsigned> keptNumberOfTag(std::string_view tag)
{
    const std::size_t at = tag.rfind(kNumberSubtags);
    if (at == std::string_view::npos || (at > 0 && tag[at - 1] != '-'))
        return std::nullopt;
    const std::string_view digits = tag.substr(at + kNumberSubtags.size());
    unsigned number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() || number == 0
        || number > 0xFFFF)
        return std::nullopt;
    return number;
}

} // namespace

std::string languageTagForWindowsLanguage(unsigned number)
{
    if (number == 0 || number > 0xFFFF)
        return {};
    std::string tag = knownTagOfNumber(number);
    if (!tag.empty() && knownNumberOfTag(tag) == number)
        return tag;
    // A number ICU does not know, or one whose tag it would give back as
    // another number, carries itself along in a private-use subtag, so that
    // a save writes the file's own number again.
    const std::string kept = std::string(kNumberSubtags) + std::to_string(number);
    return tag.empty() ? kept : tag + "-" + kept;
}

unsigned windowsLanguageForLanguageTag(std::string_view tag)
{
    if (std::optional<unsigned> kept = keptNumberOfTag(tag))
        return *kept;
    return knownNumberOfTag(tag);
}

} // namespace folio
