#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace folio {

// Folder paths and path arithmetic for files the user names.
class TEPathUtilities {
public:
    TEPathUtilities() = delete;

    // Each read once per process.
    static const std::string& cachesPath();
    static const std::string& documentsPath();
    static const std::string& temporaryPath();
    // A fresh name in the temporary folder.
    static std::string pathForTemporaryFile();

    // "report(3).txt" -> "report(4).txt"; "report.txt" -> "report(1).txt".
    static std::string pathByIncrementingSequenceNumber(std::string_view path);
    // "report(3).txt" -> "report.txt"; a path without a number is unchanged.
    static std::string pathByDeletingSequenceNumber(std::string_view path);
};

// A size for people: "999 Bytes", "0.9 KB", "1.0 MB", up to terabytes.
std::string stringByFormattingBytes(std::uint64_t bytes);

} // namespace folio
