#pragma once

#include "export/Exporter.h"

#include <memory>
#include <string>

namespace folio {

class StagingFolder;

class RichTextConverter;

// Makes a zipped RTFD package of a document: "<name>.rtfd.zip" holding the
// folder "<name>.rtfd" with the text as "TXT.rtf" (pictures referred to by
// file name) and the picture files beside it. <name> is the file name with
// its extension, as other systems name such packages.
class RTFDExporter final : public Exporter {
public:
    static constexpr const char* kErrorDomain = "RTFDExporter";
    enum ErrorCode { NoFile = 1, NoText = 2, FolderFailed = 3, WriteFailed = 4, ZipFailed = 5 };
    static constexpr const char* kTextFileName = "TXT.rtf";

    // The engine's conversions when null.
    explicit RTFDExporter(std::shared_ptr<RichTextConverter> converter = nullptr);

    std::string_view format() const override { return "rtfd"; }
    std::string_view fileExtension() const override { return "rtfd.zip"; }
    // Finishes before it answers.
    Result<std::shared_ptr<ExportTask>> start(const ExportSource& source, ExportRequest request,
                                              Completion completion) override;

    // Where the browser's export puts the package: "<file name>.rtfd.zip" in
    // the temporary folder.
    static std::string temporaryPath(const ExportSource& source);

private:
    // Writes the zipped package to the request's output; the document's
    // pictures are filed in the export's own staging folder on the way.
    Status makePackage(const ExportSource& source, const ExportRequest& request, const StagingFolder& staging) const;

    std::shared_ptr<RichTextConverter> m_converter;
};

} // namespace folio
