#pragma once

#include "platform/foundation/Error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// A byte buffer: file contents, image bytes, archive entries.
class Data {
public:
    Data() = default;
    explicit Data(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    Data(const void* bytes, std::size_t length);
    static Data fromString(std::string_view text);

    // Reads the whole file; a missing or unreadable file answers an Error, never empty data.
    static Result<Data> dataWithContentsOfFile(const std::string& path);

    // Atomic: a temporary file in the same folder is flushed and renamed over
    // the old one, so a failed write leaves the old file as it was.
    Status writeToFile(const std::string& path) const;

    const std::uint8_t* bytes() const { return m_bytes.data(); }
    std::size_t length() const { return m_bytes.size(); }
    bool empty() const { return m_bytes.empty(); }
    std::span<const std::uint8_t> span() const { return m_bytes; }
    const std::vector<std::uint8_t>& vector() const { return m_bytes; }
    std::vector<std::uint8_t>& mutableVector() { return m_bytes; }
    std::string_view stringView() const;
    std::string toString() const { return std::string(stringView()); }

    void append(std::span<const std::uint8_t> bytes);
    void append(std::string_view bytes);

    friend bool operator==(const Data&, const Data&) = default;

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace folio
