#include "foundation/system/LinkDestination.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/StringUtilities.h"

#include <cctype>

namespace folio {

namespace {

// The scheme of the target, lower case; empty when it has none. A name
// followed by a port ("localhost:8080/x") is a host, not a scheme.
std::string schemeOf(const std::string& target)
{
    std::size_t colon = target.find(':');
    if (colon == std::string::npos || colon == 0)
        return {};
    for (std::size_t index = 0; index < colon; ++index) {
        const auto c = static_cast<unsigned char>(target[index]);
        bool allowed = std::isalpha(c) || (index > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.'));
        if (!allowed)
            return {};
    }
    std::size_t portEnd = target.find_first_of("/?#", colon + 1);
    if (portEnd == std::string::npos)
        portEnd = target.size();
    bool port = portEnd > colon + 1 && target.find_first_not_of("0123456789", colon + 1) >= portEnd;
    if (port)
        return {};
    return asciiLowercaseString(target.substr(0, colon));
}

} // namespace

LinkDestination LinkDestination::forTarget(const std::string& target)
{
    // As a browser reads the link: without the blanks and control
    // characters at its ends, nor the tabs and line breaks inside it
    // ("java\tscript:").
    std::size_t first = 0, last = target.size();
    while (first < last && static_cast<unsigned char>(target[first]) <= 0x20)
        ++first;
    while (last > first && static_cast<unsigned char>(target[last - 1]) <= 0x20)
        --last;
    std::string compact;
    for (std::size_t index = first; index < last; ++index) {
        if (target[index] != '\t' && target[index] != '\n' && target[index] != '\r')
            compact += target[index];
    }
    if (compact.empty())
        return {Kind::Refused, Localization::localizedString("The link has no address.")};
    std::string scheme = schemeOf(compact);
    // The scheme in lower case, as the browser and the desktop compare it.
    if (scheme == "http" || scheme == "https")
        return {Kind::Web, scheme + compact.substr(scheme.size())};
    if (scheme == "mailto")
        return {Kind::Mail, scheme + compact.substr(scheme.size())};
    if (scheme.empty()) {
        // "//host/page" names its host already.
        return {Kind::Web, compact.starts_with("//") ? "http:" + compact : "http://" + compact};
    }
    return {Kind::Refused, Localization::localizedString("Links of this kind are not opened:") + " " + scheme + ":"};
}

} // namespace folio
