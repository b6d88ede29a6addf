#pragma once

#include "platform/foundation/Error.h"

#include <memory>
#include <string>

namespace folio {

class RichTextConverter;
class TextDocument;
class UserDefaults;

// Makes a zipped RTFD package of a document: "<name>.rtfd.zip" holding the
// folder "<name>.rtfd" with the text as "TXT.rtf" (pictures referred to by
// file name) and the picture files beside it. <name> is the file name with
// its extension, as other systems name such packages.
class RTFDExporter {
public:
    static constexpr const char* kErrorDomain = "RTFDExporter";
    enum ErrorCode { NoFile = 1, NoText = 2, FolderFailed = 3, WriteFailed = 4, ZipFailed = 5 };
    static constexpr const char* kTextFileName = "TXT.rtf";

    struct Options {
        // The open document, whose editor page stands in for its file.
        const TextDocument* openDocument = nullptr;
        // The standard defaults when null.
        UserDefaults* defaults = nullptr;
        // The engine's conversions when null.
        std::shared_ptr<RichTextConverter> converter{};
    };

    // The package of the file at `path`, made in the temporary folder; answers
    // the archive's path.
    static Result<std::string> RTFDURLForFileItem(const std::string& path, const Options& options);
    static Result<std::string> RTFDURLForFileItem(const std::string& path) { return RTFDURLForFileItem(path, Options{}); }

    // The command line's export: the archive written to `outputPath`.
    static Status exportRTFD(const std::string& path, const std::string& outputPath, const Options& options);
    static Status exportRTFD(const std::string& path, const std::string& outputPath)
    {
        return exportRTFD(path, outputPath, Options{});
    }
};

} // namespace folio
