#include "platform/foundation/LocaleIdentifier.h"

#include "platform/foundation/LocalizedCollator.h"

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

} // namespace folio
