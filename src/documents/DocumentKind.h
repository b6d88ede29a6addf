#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// What a document file holds, decided by its extension compared without case.
enum class DocumentKind {
    RTF,        // "rtf" and every extension not listed below
    Markdown,   // "md", "markdown", "txt": plain text for the Markdown editor
    TeX,        // "tex": plain text for the Markdown editor in TeX mode
    QVText,     // "qvtext": UTF-8 HTML as a raw DEFLATE stream
    QVOutline,  // "qvoutline": as QV text, for the outline editor
};

DocumentKind documentKindForPath(std::string_view path);

// The kinds "folio new" makes, by their command-line names: rtf, qvtext,
// qvoutline, md, txt, tex.
std::optional<DocumentKind> documentKindForName(std::string_view name);
// Whether a path's extension reads back as the kind.
bool pathMatchesKind(std::string_view path, DocumentKind kind);

} // namespace folio
