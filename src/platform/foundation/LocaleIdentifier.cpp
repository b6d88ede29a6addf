#include "platform/foundation/LocaleIdentifier.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

#include <cstdlib>
#include <memory>

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
    UErrorCode status = U_ZERO_ERROR;
    // The POSIX locale's collation orders capitals before all small letters,
    // which no case-insensitive comparison may do; English order stands in.
    std::string identifier = currentLocaleIdentifier();
    if (identifier == "en_US_POSIX")
        identifier = "en";
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale(identifier.c_str()), status));
    if (U_FAILURE(status) || !collator)
        return a.compare(b);
    // Secondary strength tells accents apart but not case.
    collator->setStrength(icu::Collator::SECONDARY);
    UCollationResult result = collator->compare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                                static_cast<int32_t>(b.size()), status);
    if (U_FAILURE(status))
        return a.compare(b);
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

} // namespace folio
