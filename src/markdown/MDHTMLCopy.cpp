#include "markdown/MDHTMLCopy.h"

#include "platform/foundation/StringFormat.h"
#include "platform/foundation/UserDefaults.h"

namespace folio {

namespace {

constexpr double kDefaultLineHeight = 1.4;

std::u16string alignmentWord(std::int64_t alignment)
{
    switch (alignment) {
    case 1:
        return u"center";
    case 2:
        return u"right";
    case 3:
        return u"justify";
    default:
        return u"left";
    }
}

} // namespace

std::u16string markdownContentBlockForHTML(const std::u16string& html, const UserDefaults& defaults)
{
    // Absent settings count as 0; a line height of 0 means the default.
    const double right = defaults.floatForKey("markdownPageMarginRight").value_or(0);
    const double left = defaults.floatForKey("markdownPageMarginLeft").value_or(0);
    const std::int64_t alignment = defaults.integerForKey("markdownDefaultAlignment").value_or(0);
    double lineHeight = defaults.floatForKey("markdownDefaultLineSpacing").value_or(0);
    if (lineHeight == 0)
        lineHeight = kDefaultLineHeight;
    const double indent = defaults.floatForKey("markdownDefaultFirstLineIndent").value_or(0);
    // NOTE: the indent carries no unit (browsers then ignore it) and two
    // blanks precede "margin-right": this is the markup the editor has always
    // copied, and what users' pasted pages were made from.
    return formatString(u"<div id='content' style='margin: 0; margin-left:%.2fcm;  margin-right: %.2fcm;word-wrap: "
                        u"break-word;overflow-wrap: break-word; text-align:%@; line-height:%.2f;text-indent:%.2f'>%@</div>",
                        {left, right, alignmentWord(alignment), lineHeight, indent, html});
}

} // namespace folio
