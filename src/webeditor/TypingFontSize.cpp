#include "webeditor/TypingFontSize.h"

#include "webeditor/PageConnection.h"

namespace folio {

std::optional<int> TypingFontSize::pixelsAtCaret(PageConnection& page)
{
    long long pixels = page.readInteger("getTypingFontSize();", 0);
    if (pixels < 1 || pixels > 1000)
        return std::nullopt;
    return static_cast<int>(pixels);
}

} // namespace folio
