#include "engine/html/reader/TEHTMLReaderOptions.h"

#include "engine/css/ColorHTML.h"

namespace folio {

std::optional<Color> colorFromOption(const TEColorOption& option)
{
    if (const Color* color = std::get_if<Color>(&option))
        return *color;
    return colorWithHTMLName(std::u16string_view(std::get<std::u16string>(option)));
}

} // namespace folio
