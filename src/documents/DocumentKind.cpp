#include "documents/DocumentKind.h"

#include "platform/docframework/TypeIdentifiers.h"

namespace folio {

DocumentKind documentKindForPath(std::string_view path)
{
    std::string extension = TypeIdentifiers::lowercasedPathExtension(path);
    if (extension == "md" || extension == "markdown" || extension == "txt")
        return DocumentKind::Markdown;
    if (extension == "tex")
        return DocumentKind::TeX;
    if (extension == "qvtext")
        return DocumentKind::QVText;
    if (extension == "qvoutline")
        return DocumentKind::QVOutline;
    return DocumentKind::RTF;
}

std::optional<DocumentKind> documentKindForName(std::string_view name)
{
    if (name == "rtf")
        return DocumentKind::RTF;
    if (name == "md" || name == "txt")
        return DocumentKind::Markdown;
    if (name == "tex")
        return DocumentKind::TeX;
    if (name == "qvtext")
        return DocumentKind::QVText;
    if (name == "qvoutline")
        return DocumentKind::QVOutline;
    return std::nullopt;
}

bool pathMatchesKind(std::string_view path, DocumentKind kind)
{
    if (documentKindForPath(path) != kind)
        return false;
    // Every unknown extension reads as RTF, but a new RTF file should say so.
    return kind != DocumentKind::RTF || TypeIdentifiers::lowercasedPathExtension(path) == "rtf";
}

} // namespace folio
