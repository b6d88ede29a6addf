#include "foundation/files/TEExtendedFileAttributes.h"

#include <sys/xattr.h>

#include <vector>

namespace folio {

std::unique_ptr<TEExtendedFileAttributes> TEExtendedFileAttributes::attributesWithPath(std::string path)
{
    if (path.empty())
        return nullptr;
    return std::unique_ptr<TEExtendedFileAttributes>(new TEExtendedFileAttributes(std::move(path)));
}

std::optional<std::string> TEExtendedFileAttributes::valueForAttribute(std::string_view name) const
{
    if (name.empty())
        return std::nullopt;
    std::string key(name);
    // The value may change between asking its size and reading it; try again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        ssize_t size = getxattr(m_path.c_str(), key.c_str(), nullptr, 0);
        if (size <= 0)
            return std::nullopt;
        std::string value(std::size_t(size), '\0');
        ssize_t read = getxattr(m_path.c_str(), key.c_str(), value.data(), value.size());
        if (read > 0 && read <= size) {
            value.resize(std::size_t(read));
            return value;
        }
        if (read == 0)
            return std::nullopt;
    }
    return std::nullopt;
}

bool TEExtendedFileAttributes::setValue(const std::optional<std::string>& value, std::string_view name)
{
    if (name.empty())
        return false;
    if (!value)
        return removeAttribute(name);
    std::string key(name);
    return setxattr(m_path.c_str(), key.c_str(), value->data(), value->size(), 0) == 0;
}

bool TEExtendedFileAttributes::removeAttribute(std::string_view name)
{
    if (name.empty())
        return false;
    std::string key(name);
    return removexattr(m_path.c_str(), key.c_str()) == 0;
}

} // namespace folio
