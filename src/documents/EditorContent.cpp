#include "documents/EditorContent.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/StringUtilities.h"

namespace folio {

std::string EditorContent::richTextHTML() const
{
    // The reader takes an unset line height as 0, as files written before
    // always said.
    std::string html = "<div style='line-height:" + formatShortest(lineHeight.value_or(0)) +
                       ";text-indent:" + formatShortest(firstLineIndent.value_or(0)) + "cm'>" + bodyHTML + "</div>";
    // The HTML reader drops a trailing empty line; a pre-wrapped blank keeps it.
    if (hasSuffix(bodyHTML, "<div><br></div>") ||
        hasSuffix(bodyHTML, "<span style=\"color:#000000;\"></span></div></div> </div>"))
        html += "<div><span style=\"white-space:pre-wrap;\"> </span></div>";
    return html;
}

std::string EditorContent::storedQVPage() const
{
    // Double-quoted: a quote in the style (a family such as "Times New
    // Roman") must not end the attribute.
    return bodyHTML + "<div id=\"bodyStyle\" style=\"visibility: hidden;display: none;" +
           HTMLTextEscaper::escape(std::string_view(bodyStyle.value_or(""))) + "\"></div>";
}

} // namespace folio
