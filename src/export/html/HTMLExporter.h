#pragma once

#include "export/Exporter.h"

namespace folio {

// A document as an HTML file: its HTML by kind, with every character beyond
// Latin-1 written as an entity or character reference. Its pictures go into
// a folder beside the file named after it ("notes.html" -> "notes_files"),
// as browsers save a whole page, and the file names them relative to
// itself, so the two copied anywhere together still show them; or, when
// asked, into the file as data.
class HTMLExporter final : public Exporter {
public:
    std::string_view format() const override { return "html"; }
    // Finishes before it answers.
    Result<std::shared_ptr<ExportTask>> start(const ExportSource& source, ExportRequest request,
                                              Completion completion) override;

    // The file's bytes, its pictures inside it.
    static Result<std::string> contents(const ExportSource& source, ExportSource::OpenEditor openEditor);
    // The folder beside `outputPath` that its pictures go to.
    static std::string pictureFolderPath(const std::string& outputPath);
};

} // namespace folio
