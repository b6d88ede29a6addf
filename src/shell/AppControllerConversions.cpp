#include "shell/AppController.h"

#include "documents/DocumentText.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "formats/markdown/MarkdownConverter.h"
#include "platform/foundation/TextEnumeration.h"

namespace folio {

std::optional<AttributedString> AppController::convertToAttributedString(const std::string& html)
{
    return attributedStringWithHTMLData(html, TEHTMLReaderOptions{});
}

Result<std::size_t> AppController::countWordsOfMarkdownFile(const std::string& path)
{
    Result<std::u16string> markdown = DocumentText::read(path, DocumentKind::Markdown);
    if (!markdown)
        return markdown.error();
    std::shared_ptr<MarkdownConverter> converter = MarkdownConverter::shared();
    if (!converter)
        return Error{kExportErrorDomain, 0, "No Markdown converter is available"};
    // Counted in what a reader sees: no markup characters, no link targets.
    return substringRanges(converter->plainText(*markdown), TextEnumerationUnit::Words).size();
}

} // namespace folio
