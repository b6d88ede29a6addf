#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Named text values stored with a file in its extended attributes.
class TEExtendedFileAttributes {
public:
    // None for an empty path.
    static std::unique_ptr<TEExtendedFileAttributes> attributesWithPath(std::string path);

    const std::string& path() const { return m_path; }
    // None when the name is empty or the attribute is missing or empty.
    std::optional<std::string> valueForAttribute(std::string_view name) const;
    // Stores the text's bytes; no value removes the attribute. An empty name fails.
    bool setValue(const std::optional<std::string>& value, std::string_view name);
    bool removeAttribute(std::string_view name);

private:
    explicit TEExtendedFileAttributes(std::string path) : m_path(std::move(path)) {}

    std::string m_path;
};

} // namespace folio
