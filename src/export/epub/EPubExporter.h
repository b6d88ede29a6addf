#pragma once

#include "platform/foundation/Error.h"

#include <chrono>
#include <functional>
#include <string>

namespace folio {

class TextDocument;
class UserDefaults;

// Makes an EPUB 3 book of a document: one chapter holding the whole
// document, its pictures, and the navigation files. The book starts as a
// copy of the seed archive "emptyEpub", whose first entry is the stored
// "mimetype" the container format requires; the generated files are
// appended after it.
class EPubExporter {
public:
    static constexpr const char* kErrorDomain = "EPubExporter";
    enum ErrorCode { NoFile = 1, SeedMissing = 2, StagingFailed = 3, WriteFailed = 4, NoContent = 5, ZipFailed = 6 };
    static constexpr const char* kSeedResource = "emptyEpub";
    static constexpr const char* kSeedSubfolder = "epub";

    struct Options {
        // The name the browser shows; the file name without extension when empty.
        std::string displayedName{};
        // The open document, whose Markdown editor stands in for its file.
        const TextDocument* openDocument = nullptr;
        // The standard defaults when null.
        UserDefaults* defaults = nullptr;
        std::function<std::chrono::system_clock::time_point()> clock = &std::chrono::system_clock::now;
    };

    // The book of the file at `path`, made in the temporary folder as
    // "<displayed name>.epub"; answers its path.
    static Result<std::string> ePubURLForFileItem(const std::string& path, const Options& options);
    static Result<std::string> ePubURLForFileItem(const std::string& path) { return ePubURLForFileItem(path, Options{}); }

    // The command line's export: the book of `path` written to `outputPath`.
    static Status exportEPub(const std::string& path, const std::string& outputPath, const Options& options);
    static Status exportEPub(const std::string& path, const std::string& outputPath)
    {
        return exportEPub(path, outputPath, Options{});
    }

    // The chapter's body content for the file, before it is made XHTML.
    static Result<std::string> bodyHTML(const std::string& path, const Options& options);
};

} // namespace folio
