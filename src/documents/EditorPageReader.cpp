#include "documents/EditorPageReader.h"

#include "platform/web/WebView.h"

namespace folio {

namespace {

constexpr const char* kQVContentScript =
    "var style = tinymce.activeEditor.getDoc().getElementById('tinymce').getAttribute('style');"
    // The style goes into a double-quoted attribute; a quote inside it (a
    // font family such as "Times New Roman") must not end the attribute.
    "tinymce.activeEditor.getContent() + '<div id=\"bodyStyle\" style=\"visibility: hidden;display: none;' + "
    "String(style || '').replace(/\"/g, '&quot;') + '\"></div>';";

constexpr const char* kFindHighlightOpening =
    "<span id=\"replaced\" style=\"border: 0px solid rgb(0, 0, 0); border-top-left-radius: 4px; "
    "border-top-right-radius: 4px; border-bottom-right-radius: 4px; border-bottom-left-radius: 4px; "
    "-webkit-box-shadow: none; position: inherit; margin: -1px; z-index: 101; background-color: transparent; "
    "background-position: initial initial; background-repeat: initial initial;";

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

} // namespace

Result<std::string> EditorPageReader::qvContent()
{
    std::string content = m_webView.stringByEvaluatingJavaScript(kQVContentScript);
    // The hidden div is always there when the page answered at all.
    if (content.empty())
        return Error{kErrorDomain, NoContent, "The editor page gave no content"};
    return content;
}

Result<std::string> EditorPageReader::richTextContent()
{
    std::string lineHeight =
        m_webView.stringByEvaluatingJavaScript("document.getElementById('content').style.lineHeight");
    std::string textIndent =
        m_webView.stringByEvaluatingJavaScript("document.getElementById('content').style.textIndent");
    std::string inner = m_webView.stringByEvaluatingJavaScript("document.getElementById('content').innerHTML");
    if (inner.empty())
        return Error{kErrorDomain, NoContent, "The editor page gave no content"};
    return cleanedRichTextHTML(std::move(inner), lineHeight, textIndent);
}

std::string EditorPageReader::cleanedRichTextHTML(std::string inner, const std::string& lineHeight,
                                                  const std::string& textIndent)
{
    replaceAll(inner, "[\xF0\x9F\x92\xAC]", "");  // comment mark: "[", U+1F4AC, "]"
    replaceAll(inner, "\xEF\xBB\xBF", "");        // U+FEFF
    replaceAll(inner, "\xEF\xBF\xBC", "");        // U+FFFC
    replaceAll(inner, " &nbsp;", "  ");
    replaceAll(inner, kFindHighlightOpening, "<span ");
    // The HTML reader drops a trailing empty line; a pre-wrapped blank keeps it.
    bool lastLineEmpty = endsWith(inner, "<div><br></div>") ||
                         endsWith(inner, "<span style=\"color:#000000;\"></span></div></div> </div>");
    std::string html = "<div style='line-height:" + (lineHeight.empty() ? std::string("0") : lineHeight) +
                       ";text-indent:" + (textIndent.empty() ? std::string("0") : textIndent) + "cm'>" + inner +
                       "</div>";
    if (lastLineEmpty)
        html += "<div><span style=\"white-space:pre-wrap;\"> </span></div>";
    return html;
}

std::optional<std::string> EditorPageReader::pageHeaderDescription()
{
    return describe("pageHeader", "data-topMargin");
}

std::optional<std::string> EditorPageReader::pageFooterDescription()
{
    return describe("pageFooter", "data-bottomMargin");
}

std::optional<std::string> EditorPageReader::describe(const std::string& elementId, const std::string& marginAttribute)
{
    const std::string element = "document.getElementById('" + elementId + "')";
    std::string text = m_webView.stringByEvaluatingJavaScript(element + ".textContent");
    if (text.empty())
        return std::nullopt;
    std::string description;
    for (const std::string& script :
         {element + ".style.fontFamily", element + ".style.fontSize", element + ".style.textAlign",
          element + ".style.color", element + ".getAttribute('" + marginAttribute + "');",
          element + ".getAttribute('data-enabled');"}) {
        description += m_webView.stringByEvaluatingJavaScript(script);
        description += "::";
    }
    return description + text;
}

} // namespace folio
