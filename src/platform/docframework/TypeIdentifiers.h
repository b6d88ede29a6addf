#pragma once

#include <string>
#include <string_view>

namespace folio {

// Uniform type identifiers of the public formats the document store knows.
// The application's own document types are answered by its controller.
namespace TypeIdentifiers {
inline constexpr const char* kRTF = "public.rtf";
inline constexpr const char* kPlainText = "public.plain-text";
inline constexpr const char* kMarkdown = "net.daringfireball.markdown";
inline constexpr const char* kPDF = "com.adobe.pdf";
inline constexpr const char* kTeX = "com.brevant.tex";
inline constexpr const char* kQVText = "com.tamrisk.qvtext";
inline constexpr const char* kQVOutline = "com.tamrisk.qvoutline";
inline constexpr const char* kData = "public.data";

// The lower-cased extension of the path's last component, without the dot;
// empty when the name has none (a leading dot does not start an extension).
std::string lowercasedPathExtension(std::string_view path);

// The type the store gives a file by its extension, compared without case.
std::string typeIdentifierForPath(std::string_view path);
} // namespace TypeIdentifiers

} // namespace folio
