#include "tools/ToolsFonts.h"

#include "platform/graphics/Font.h"

namespace folio {

std::shared_ptr<const Font> systemFontOfSize(double size, bool bold)
{
    std::uint32_t traits = bold ? kFontBoldTrait : 0;
    for (const char* family : {"Helvetica", "Liberation Sans", "DejaVu Sans", "Arimo"}) {
        if (auto font = Font::fontMatching(family, traits, size))
            return std::make_shared<const Font>(*font);
    }
    auto families = Font::familyNames();
    if (families.empty())
        return nullptr;
    auto font = Font::fontMatching(families.front(), 0, size);
    return font ? std::make_shared<const Font>(*font) : nullptr;
}

} // namespace folio
