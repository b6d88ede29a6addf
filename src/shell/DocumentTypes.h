#pragma once

#include <string>

namespace folio {

// The type identifiers the document framework is given for new files and
// for the special kinds of file it makes: one table, read by whoever makes
// or lists such files.
class DocumentTypes {
public:
    DocumentTypes() = delete;

    static std::string documentStoreDocumentTypeForNewFiles();
    static std::string documentStoreDocumentTypeForNewTemplateFiles();
    static std::string documentStoreDocumentTypeForInkFiles();
    static std::string documentStoreDocumentTypeForPencilFiles();
    static std::string documentStoreDocumentTypeForSketchFiles();
    static std::string documentStoreDocumentTypeForSketchDrawingFiles();
    static std::string documentStoreDocumentTypeForScribbleFiles();
    static std::string documentStoreDocumentTypeForTeXFiles();
    static std::string documentStoreDocumentTypeForQVTextFiles();
    static std::string documentStoreDocumentTypeForQVOutlineFiles();
    static std::string documentStoreDocumentTypeForMarkdownFiles();
    static std::string documentStoreDocumentTypeForPDFFiles();
};

} // namespace folio
