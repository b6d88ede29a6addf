#include "engine/display/DisplayTestText.h"

#include "engine/display/TELayoutLine.h"

namespace folio {

std::u16string DisplayTest::glyphText(const TELayoutLine& line)
{
    std::u16string result;
    for (const TypesetRun& run : line.line().runs())
        for (std::uint32_t glyph : run.glyphs())
            result += glyph == TypesetRun::kBlankGlyph ? u'_' : static_cast<char16_t>(glyph);
    return result;
}

} // namespace folio
