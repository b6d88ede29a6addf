#include "foundation/system/TEVersion.h"

#include <sys/utsname.h>

#include <cstdio>
#include <regex>

namespace folio {

TEVersion::TEVersion(unsigned major, unsigned minor, unsigned maintenance, unsigned build)
    : m_major(major)
    , m_minor(minor)
    , m_maintenance(maintenance)
    , m_build(build)
{
}

std::optional<TEVersion> TEVersion::versionWithString(std::string_view text)
{
    static const std::regex pattern(R"(^(\d+)(?:\.(\d+))?(?:\.(\d+))?(?:\.(\d+))?(?:$|\s))");
    std::match_results<std::string_view::const_iterator> match;
    if (!std::regex_search(text.begin(), text.end(), match, pattern))
        return std::nullopt;
    unsigned parts[4] = {0, 0, 0, 0};
    for (int group = 1; group <= 4; ++group) {
        // A part that is missing ends the reading: "1..3" is not "1.0.3".
        if (!match[group].matched)
            break;
        parts[group - 1] = unsigned(std::strtoul(match[group].str().c_str(), nullptr, 10));
    }
    return TEVersion(parts[0], parts[1], parts[2], parts[3]);
}

TEVersion TEVersion::appBundleVersion()
{
#ifdef FOLIO_VERSION
    if (auto version = versionWithString(FOLIO_VERSION))
        return *version;
#endif
    return TEVersion(0, 0, 0);
}

const TEVersion& TEVersion::osVersion()
{
    static const TEVersion version = [] {
        utsname name {};
        if (uname(&name) == 0)
            if (auto parsed = versionWithString(name.release))
                return *parsed;
        // Kernel releases carry a suffix ("6.1.0-18-amd64") that ends the match
        // only at a blank, so read the leading numbers by hand.
        unsigned parts[4] = {0, 0, 0, 0};
        std::sscanf(name.release, "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]);
        return TEVersion(parts[0], parts[1], parts[2], parts[3]);
    }();
    return version;
}

bool TEVersion::osVersionIsLessThen(std::string_view version)
{
    return osVersion().isLessThenVersionString(version);
}

bool TEVersion::osVersionIsGreaterThen(std::string_view version)
{
    return osVersion().isGreaterThenVersionString(version);
}

std::strong_ordering TEVersion::compare(const std::optional<TEVersion>& other) const
{
    if (!other)
        return std::strong_ordering::greater;
    if (auto order = m_major <=> other->m_major; order != 0)
        return order;
    if (auto order = m_minor <=> other->m_minor; order != 0)
        return order;
    if (auto order = m_maintenance <=> other->m_maintenance; order != 0)
        return order;
    return m_build <=> other->m_build;
}

bool TEVersion::isEqualToVersion(const TEVersion& other) const
{
    return m_major == other.m_major && m_minor == other.m_minor && m_maintenance == other.m_maintenance;
}

bool TEVersion::isEqualToString(std::string_view other) const
{
    std::optional<TEVersion> version = versionWithString(other);
    return version && isEqualToVersion(*version);
}

std::size_t TEVersion::hash() const
{
    // The build number is left out, as equality leaves it out: equal versions
    // must hash alike.
    return (std::size_t(m_major) * 31 + m_minor) * 31 + m_maintenance;
}

std::string TEVersion::description() const
{
    std::string text = std::to_string(m_major) + "." + std::to_string(m_minor);
    if (m_build == 0 && m_maintenance == 0)
        return text;
    text += "." + std::to_string(m_maintenance);
    if (m_build == 0)
        return text;
    return text + "." + std::to_string(m_build);
}

} // namespace folio
