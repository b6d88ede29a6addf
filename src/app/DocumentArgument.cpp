#include "app/DocumentArgument.h"

#include "app/CommandLine.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

namespace folio {

namespace {

int cannotRead(const std::string& file, const std::string& reason, std::ostream& err)
{
    err << "folio: cannot read " << file << ": " << reason << "\n";
    return CommandLine::kFailure;
}

} // namespace

std::optional<int> DocumentArgument::check(const std::string& file, std::ostream& err)
{
    if (file.empty()) {
        err << "folio: the file name is empty: name the document\n";
        return CommandLine::kUsageError;
    }
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(file, error);
    switch (status.type()) {
    case std::filesystem::file_type::regular:
        if (::access(file.c_str(), R_OK) != 0)
            return cannotRead(file, errno == EACCES ? "permission denied" : std::strerror(errno), err);
        return std::nullopt;
    case std::filesystem::file_type::not_found:
        return cannotRead(file, "no such file", err);
    case std::filesystem::file_type::directory:
        return cannotRead(file, "it is a folder, not a document", err);
    case std::filesystem::file_type::fifo:
        return cannotRead(file, "it is a pipe (FIFO), not a document", err);
    case std::filesystem::file_type::socket:
        return cannotRead(file, "it is a socket, not a document", err);
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::character:
        return cannotRead(file, "it is a device, not a document", err);
    default:
        return cannotRead(file, error ? error.message() : std::string("not a regular file"), err);
    }
}

} // namespace folio
