#include "documents/EditorContent.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/StringUtilities.h"

#include <string_view>

namespace folio {

std::string EditorContent::richTextHTML() const
{
    // The HTML reader drops a trailing empty line; a pre-wrapped blank keeps it.
    const bool keepsTrailingBlank =
        hasSuffix(bodyHTML, "<div><br></div>") ||
        hasSuffix(bodyHTML, "<span style=\"color:#000000;\"></span></div></div> </div>");
    constexpr std::string_view kTrailingBlank = "<div><span style=\"white-space:pre-wrap;\"> </span></div>";
    // The reader takes an unset line height as 0, as files written before
    // always said.
    const std::string opening = "<div style='line-height:" + formatShortest(lineHeight.value_or(0)) +
                                ";text-indent:" + formatShortest(firstLineIndent.value_or(0)) + "cm'>";
    constexpr std::string_view kClosing = "</div>";
    // A large page is copied once into a string of the right size, not
    // copied again each time the string outgrows itself.
    std::string html;
    html.reserve(opening.size() + bodyHTML.size() + kClosing.size() +
                 (keepsTrailingBlank ? kTrailingBlank.size() : 0));
    html.append(opening).append(bodyHTML).append(kClosing);
    if (keepsTrailingBlank)
        html.append(kTrailingBlank);
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
