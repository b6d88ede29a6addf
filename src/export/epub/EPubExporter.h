#pragma once

#include "export/Exporter.h"

#include <chrono>
#include <functional>
#include <string>

namespace folio {

// Makes an EPUB 3 book of a document: one chapter holding the whole
// document, its pictures, and the navigation files. The book starts as a
// copy of the seed archive "emptyEpub", whose first entry is the stored
// "mimetype" the container format requires; the generated files are
// appended after it.
class EPubExporter final : public Exporter {
public:
    static constexpr const char* kErrorDomain = "EPubExporter";
    enum ErrorCode { NoFile = 1, SeedMissing = 2, StagingFailed = 3, WriteFailed = 4, NoContent = 5, ZipFailed = 6 };
    static constexpr const char* kSeedResource = "emptyEpub";
    static constexpr const char* kSeedSubfolder = "epub";
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    explicit EPubExporter(Clock clock = &std::chrono::system_clock::now);

    std::string_view format() const override { return "epub"; }
    // Finishes before it answers.
    Result<std::shared_ptr<ExportTask>> start(const ExportSource& source, ExportRequest request,
                                              Completion completion) override;

    // Where the browser's export puts the book: "<displayed name>.epub" in the
    // temporary folder, the name made one safe file name.
    static std::string temporaryPath(const ExportSource& source);

private:
    Result<std::string> makeBook(const ExportSource& source, const ExportRequest& request) const;

    Clock m_clock;
};

} // namespace folio
