#include "platform/docframework/OFFileEdit.h"

#include "platform/foundation/FileManager.h"

#include <cstdio>
#include <filesystem>

namespace folio {

namespace {

// FNV-1a: a short, stable name for a path of any length or alphabet.
std::uint64_t fnv1a(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace

OFFileEdit::OFFileEdit(std::string fileURL, std::chrono::system_clock::time_point modificationDate)
    : m_fileURL(std::move(fileURL)), m_modificationDate(modificationDate)
{
    auto nanoseconds =
        std::chrono::duration_cast<std::chrono::nanoseconds>(modificationDate.time_since_epoch()).count();
    char identifier[64];
    std::snprintf(identifier, sizeof identifier, "%016llx-%llx", static_cast<unsigned long long>(fnv1a(m_fileURL)),
                  static_cast<unsigned long long>(nanoseconds));
    m_identifier = identifier;
}

Result<OFFileEdit> OFFileEdit::initWithFileURL(const std::string& fileURL)
{
    std::error_code error;
    std::string absolute = std::filesystem::absolute(fileURL, error).lexically_normal().string();
    if (error)
        absolute = fileURL;
    Result<FileAttributes> attributes = FileManager::attributesOfItem(absolute);
    if (!attributes)
        return attributes.error();
    return OFFileEdit(absolute, attributes->modificationDate);
}

} // namespace folio
