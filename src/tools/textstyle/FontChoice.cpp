#include "tools/textstyle/FontChoice.h"

#include "platform/graphics/Font.h"

namespace folio {

std::string FontChoice::familyName() const
{
    if (auto font = Font::fontWithName(fontName, pointSize > 0 ? pointSize : 12); font && !font->isSubstituted())
        return font->familyName();
    return fontName;
}

} // namespace folio
