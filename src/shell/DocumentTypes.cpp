#include "shell/DocumentTypes.h"

#include "platform/docframework/TypeIdentifiers.h"

namespace folio {

std::string DocumentTypes::documentStoreDocumentTypeForNewFiles() { return TypeIdentifiers::kRTF; }
std::string DocumentTypes::documentStoreDocumentTypeForNewTemplateFiles() { return TypeIdentifiers::kRTF; }
std::string DocumentTypes::documentStoreDocumentTypeForInkFiles() { return "com.brevant.inknote"; }
std::string DocumentTypes::documentStoreDocumentTypeForPencilFiles() { return "com.brevant.drawing"; }
std::string DocumentTypes::documentStoreDocumentTypeForSketchFiles() { return "com.tamrisk.pencilnote"; }
std::string DocumentTypes::documentStoreDocumentTypeForSketchDrawingFiles() { return "com.tamrisk.skt"; }
std::string DocumentTypes::documentStoreDocumentTypeForScribbleFiles() { return "com.tamrisk.scb"; }
std::string DocumentTypes::documentStoreDocumentTypeForTeXFiles() { return TypeIdentifiers::kTeX; }
std::string DocumentTypes::documentStoreDocumentTypeForQVTextFiles() { return TypeIdentifiers::kQVText; }
std::string DocumentTypes::documentStoreDocumentTypeForQVOutlineFiles() { return TypeIdentifiers::kQVOutline; }
std::string DocumentTypes::documentStoreDocumentTypeForMarkdownFiles() { return TypeIdentifiers::kMarkdown; }
std::string DocumentTypes::documentStoreDocumentTypeForPDFFiles() { return TypeIdentifiers::kPDF; }

} // namespace folio
