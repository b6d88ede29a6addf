#pragma once

#include "platform/foundation/Error.h"

#include <map>
#include <string>
#include <string_view>

namespace folio {

// A page, script or style sheet kept as a resource file, with named
// placeholders written "{{name}}". The caller fills them with values already
// escaped for where they stand (the HTML escaper for text in markup, the
// script encoder for values in scripts); filling never escapes, so the
// template decides nothing about its values' syntax.
class ResourceTemplate {
public:
    static constexpr const char* kErrorDomain = "ResourceTemplate";
    enum ErrorCode { Missing = 1, Unfilled = 2 };

    // The file "<subfolder>/<name>" of the resources, without the line
    // break that ends its last line.
    static Result<ResourceTemplate> named(std::string_view name, std::string_view subfolder);
    // The same, read once and kept for the life of the program, for
    // templates filled again and again (every page load); a missing file
    // stays an error.
    static const Result<ResourceTemplate>& shared(std::string_view name, std::string_view subfolder);
    explicit ResourceTemplate(std::string text, std::string name = {})
        : m_text(std::move(text)), m_name(std::move(name)) {}

    const std::string& text() const { return m_text; }
    // Every placeholder replaced by its value; a placeholder without a value,
    // or a value without a placeholder, is an error (the two were written
    // apart and no longer agree).
    Result<std::string> filled(const std::map<std::string, std::string>& values) const;
    // The same with values that stay where they are: a page's document,
    // megabytes long, is copied once, into the page.
    Result<std::string> filledInPlace(const std::map<std::string, std::string_view>& values) const;

private:
    std::string m_text;
    std::string m_name;
};

} // namespace folio
