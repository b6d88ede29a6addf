#pragma once

#include "export/Exporter.h"

namespace folio {

// A document as an HTML file: its HTML by kind, with every character beyond
// Latin-1 written as an entity or character reference.
class HTMLExporter final : public Exporter {
public:
    std::string_view format() const override { return "html"; }
    // Finishes before it answers.
    Result<std::shared_ptr<ExportTask>> start(const ExportSource& source, ExportRequest request,
                                              Completion completion) override;

    // The file's bytes.
    static Result<std::string> contents(const ExportSource& source, ExportSource::OpenEditor openEditor);
};

} // namespace folio
