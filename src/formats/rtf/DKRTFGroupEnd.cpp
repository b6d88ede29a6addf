#include "formats/rtf/DKRTFGroupEnd.h"

namespace folio {

std::optional<std::size_t> DKRTFGroupEnd(std::u16string_view text, std::size_t start)
{
    std::size_t depth = 0;
    for (std::size_t position = start; position < text.size(); ++position) {
        if (text[position] == u'\\')
            ++position;
        else if (text[position] == u'{')
            ++depth;
        else if (text[position] == u'}' && --depth == 0)
            return position + 1;
    }
    return std::nullopt;
}

} // namespace folio
