#include "platform/docframework/TypeIdentifiers.h"

#include <algorithm>
#include <array>
#include <utility>

namespace folio::TypeIdentifiers {

std::string lowercasedPathExtension(std::string_view path)
{
    std::size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    std::string extension(name.substr(dot + 1));
    // File names are UTF-8; only ASCII letters change case here, which is all
    // an extension the store knows can contain.
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c); });
    return extension;
}

std::string typeIdentifierForPath(std::string_view path)
{
    static constexpr std::array<std::pair<std::string_view, const char*>, 8> kTypes{{
        {"rtf", kRTF},
        {"txt", kPlainText},
        {"md", kMarkdown},
        {"markdown", kMarkdown},
        {"tex", kTeX},
        {"qvtext", kQVText},
        {"qvoutline", kQVOutline},
        {"pdf", kPDF},
    }};
    std::string extension = lowercasedPathExtension(path);
    for (const auto& [known, type] : kTypes) {
        if (extension == known)
            return type;
    }
    return kData;
}

} // namespace folio::TypeIdentifiers
