#pragma once

#include "platform/foundation/Error.h"

#include <optional>
#include <string>

namespace folio {

class WebView;

// Reads what a save needs out of an editor's page. Main thread only: each
// read waits for the page's answer while the run loop keeps serving events.
// A page that does not answer gives an error, never an empty success, so a
// save built on it fails and the file stays as it was.
class EditorPageReader {
public:
    static constexpr const char* kErrorDomain = "EditorPageReader";
    enum ErrorCode { NoContent = 1 };

    explicit EditorPageReader(WebView& webView) : m_webView(webView) {}

    // The QV editors' content with the editing body's style kept in a hidden
    // "bodyStyle" div, which the editor restores when it loads the page.
    Result<std::string> qvContent();

    // The rich-text page's content wrapped in its line height and text
    // indent, cleaned of what only the editor shows.
    Result<std::string> richTextContent();

    // The page header or footer as "family::size::alignment::colour::margin::
    // enabled::text", or nothing when the page has no such text.
    std::optional<std::string> pageHeaderDescription();
    std::optional<std::string> pageFooterDescription();

    // Removes the editor's comment marks, zero-width and object placeholders
    // and find highlights, and ends a page whose last line is empty with a
    // line the HTML reader keeps.
    static std::string cleanedRichTextHTML(std::string inner, const std::string& lineHeight,
                                           const std::string& textIndent);

private:
    std::optional<std::string> describe(const std::string& elementId, const std::string& marginAttribute);

    WebView& m_webView;
};

} // namespace folio
