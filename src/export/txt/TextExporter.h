#pragma once

#include "export/Exporter.h"

namespace folio {

// A document as a UTF-8 plain-text file.
class TextExporter final : public Exporter {
public:
    std::string_view format() const override { return "txt"; }
    // Finishes before it answers.
    Result<std::shared_ptr<ExportTask>> start(const ExportSource& source, ExportRequest request,
                                              Completion completion) override;

    // The file's bytes.
    static Result<std::string> contents(const ExportSource& source, ExportSource::OpenEditor openEditor);
};

} // namespace folio
