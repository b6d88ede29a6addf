#pragma once

#include "export/StagingFolder.h"
#include "platform/foundation/Error.h"

#include <optional>
#include <string>

namespace folio {

// Where the export command puts its bytes. A file is replaced as every save
// is (a new file renamed over it); standard output ("-"), a pipe or a
// terminal receives the bytes instead, written through once the export is
// whole, so the command never turns a device or a pipe into a file. Folders,
// sockets, block devices and read-only files are refused before anything is
// exported.
class ExportOutput {
public:
    static constexpr const char* kErrorDomain = "ExportOutput";
    enum ErrorCode { Refused = 1, WriteFailed };

    static Result<ExportOutput> forPath(const std::string& path);

    // Where the exporter writes.
    const std::string& exportPath() const { return m_exportPath; }
    // Whether the bytes go on to a stream rather than staying a file.
    bool isStream() const { return m_stream.has_value(); }
    // Passes what the exporter wrote on to a stream; nothing to do for a file.
    Status finish() const;

private:
    ExportOutput(std::string exportPath, std::optional<std::string> stream, std::optional<StagingFolder> staging)
        : m_exportPath(std::move(exportPath)), m_stream(std::move(stream)), m_staging(std::move(staging)) {}

    std::string m_exportPath;
    // "-" for standard output, else the pipe or device to write to.
    std::optional<std::string> m_stream;
    std::optional<StagingFolder> m_staging;
};

} // namespace folio
