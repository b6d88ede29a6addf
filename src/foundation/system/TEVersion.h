#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// A release number of up to four parts. Two versions are equal when their
// major, minor and maintenance numbers agree; the build number only orders.
class TEVersion {
public:
    TEVersion(unsigned major, unsigned minor, unsigned maintenance, unsigned build = 0);

    // Reads "1", "1.2", "1.2.3" or "1.2.3.4" at the start of the text, ended by
    // the text's end or a blank; anything else answers none.
    static std::optional<TEVersion> versionWithString(std::string_view text);
    // The application's own version.
    static TEVersion appBundleVersion();
    // The running system's kernel release, read once per process.
    static const TEVersion& osVersion();
    static bool osVersionIsLessThen(std::string_view version);
    static bool osVersionIsGreaterThen(std::string_view version);

    unsigned major() const { return m_major; }
    unsigned minor() const { return m_minor; }
    unsigned maintenance() const { return m_maintenance; }
    unsigned build() const { return m_build; }

    // Ordering by major, minor, maintenance, then build. Nothing to compare
    // with orders after.
    std::strong_ordering compare(const std::optional<TEVersion>& other) const;
    bool isLessThenVersion(const TEVersion& other) const { return compare(other) < 0; }
    bool isGreaterThenVersion(const TEVersion& other) const { return compare(other) > 0; }
    bool isLessThenVersionString(std::string_view other) const { return compare(versionWithString(other)) < 0; }
    bool isGreaterThenVersionString(std::string_view other) const { return compare(versionWithString(other)) > 0; }

    bool isEqualToVersion(const TEVersion& other) const;
    bool isEqualToString(std::string_view other) const;
    std::size_t hash() const;
    // "2.1", "2.1.3" or "2.1.3.4": trailing zero parts are left out.
    std::string description() const;

private:
    unsigned m_major;
    unsigned m_minor;
    unsigned m_maintenance;
    unsigned m_build;
};

} // namespace folio
