#include "qvtext/QVTextCounts.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/Unicode.h"
#include "webeditor/PageConnection.h"

#include <algorithm>
#include <limits>

namespace folio {

QVTextCounts QVTextCounts::read(PageConnection& page)
{
    bool collapsed = page.readBool("tinymce.activeEditor.selection.isCollapsed();", true);
    std::string counter = collapsed ? "tinymce.activeEditor.plugins.wordcount.body."
                                    : "tinymce.activeEditor.plugins.wordcount.selection.";
    QVTextCounts counts;
    long long characters = std::max(0LL, page.readInteger(counter + "getCharacterCount()", 0));
    counts.totalCharsWithSpaces =
        static_cast<std::int32_t>(std::min<long long>(characters, std::numeric_limits<std::int32_t>::max()));
    counts.globalTotalWords = std::max(0LL, page.readInteger(counter + "getWordCount()", 0));
    return counts;
}

std::u16string QVTextCounts::bannerText() const
{
    std::u16string format = toUtf16(Localization::localizedString("Chars %@ Words %@"));
    return formatString(format, {toUtf16(std::to_string(totalCharsWithSpaces)), toUtf16(std::to_string(globalTotalWords))});
}

} // namespace folio
