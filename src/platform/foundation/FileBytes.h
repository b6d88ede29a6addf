#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace folio {

// A file's bytes, to be read and not changed. In a process that does one
// task and ends (see OneShotHeap.h), a regular file is mapped rather than
// read: its pages are the system's cached ones, neither zeroed, copied nor
// faulted in one by one into a buffer of the process's own. Elsewhere, and
// for anything but a regular file, the bytes are read into memory: a
// window's process may still hold them when another program rewrites the
// file.
class FileBytes {
public:
    // Reads (or maps) the whole file; a missing or unreadable file answers an
    // Error, as Data::dataWithContentsOfFile does.
    static Result<FileBytes> ofFile(const std::string& path);

    explicit FileBytes(Data data) : m_data(std::move(data)) {}
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();

    std::span<const std::uint8_t> span() const
    {
        return m_mapped ? std::span<const std::uint8_t>(m_mapped, m_mappedLength) : m_data.span();
    }
    bool isMapped() const { return m_mapped != nullptr; }

private:
    FileBytes(const std::uint8_t* mapped, std::size_t length) : m_mapped(mapped), m_mappedLength(length) {}
    void unmap();

    Data m_data;
    const std::uint8_t* m_mapped = nullptr;
    std::size_t m_mappedLength = 0;
};

} // namespace folio
