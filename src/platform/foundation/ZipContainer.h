#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace folio {

// One zip archive held in memory, as the zip library reads and writes it.
// DKZipArchive keeps the rules (safe names, size limits, files on disk) and
// leaves the format to this. Errors carry DKZipArchive's domain and codes.
class ZipContainer {
public:
    virtual ~ZipContainer() = default;

    virtual std::vector<std::string> entryNames() const = 0;
    // The entry's bytes; TooLarge, without reading it, when it holds more
    // than `maximumSize`.
    virtual Result<Data> readEntry(const std::string& entryName, std::size_t maximumSize) const = 0;

    // A regular file of the user's (0644 on Unix), stored or deflated.
    virtual Status addFile(const std::string& entryName, std::span<const std::uint8_t> bytes, bool deflated) = 0;
    // A folder entry (0755 on Unix), named without its trailing "/".
    virtual Status addFolder(const std::string& name) = 0;
    // Writes the central directory and answers the whole archive; the
    // container holds nothing afterwards.
    virtual Result<Data> finish() = 0;
};

// What only the zip library provides. The program opens it with the module
// "folio-zip.so" the first time an archive is read or written, so commands
// that zip nothing start without loading it; tests and benchmarks link it
// (platform/zip) and get it in process.
class ZipServices {
public:
    virtual ~ZipServices() = default;

    // Create starts an empty archive; Append and Read take `bytes` and check
    // the archive's consistency first. `name` names the archive in errors.
    enum class Access { Create, Append, Read };
    virtual Result<std::unique_ptr<ZipContainer>> openContainer(Data bytes, const std::string& name, Access access) = 0;

    // The process's services; when they cannot be loaded, every request fails
    // saying why.
    static ZipServices& shared();
};

} // namespace folio
