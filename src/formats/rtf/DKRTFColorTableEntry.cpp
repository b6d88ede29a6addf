#include "formats/rtf/DKRTFColorTableEntry.h"

#include "formats/rtf/DKRTFDataBuffer.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Color.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace folio {

namespace {

// Components may lie outside 0..1 (extended range); the table holds bytes.
std::int32_t componentByte(double component)
{
    if (!std::isfinite(component))
        return 0;
    return static_cast<std::int32_t>(std::lround(std::clamp(component, 0.0, 1.0) * 255.0));
}

std::string describe(const Color& color)
{
    std::ostringstream text;
    text << "(";
    for (std::size_t i = 0; i < color.components().size(); ++i)
        text << (i ? " " : "") << color.components()[i];
    text << ")";
    return text.str();
}

} // namespace

DKRTFColorTableEntry DKRTFColorTableEntry::entryWithColor(const Color* color)
{
    if (!color)
        return {};
    switch (color->colorSpace()) {
    case ColorSpace::RGB:
        return {componentByte(color->red()), componentByte(color->green()), componentByte(color->blue())};
    case ColorSpace::Monochrome: {
        double white = color->components().empty() ? 0 : color->components().front();
        std::int32_t value = componentByte(white);
        return {value, value, value};
    }
    case ColorSpace::Other:
        break;
    }
    // NOTE: a colour the table cannot express is written as black, like a
    // run without colour, rather than guessed at.
    std::string description = describe(*color);
    TELog(TELogLevelWarning, "color = " + description + " " + description);
    TELog(TELogLevelWarning, "colorSpace other");
    return {};
}

void DKRTFColorTableEntry::writeToDataBuffer(DKRTFDataBuffer& buffer) const
{
    if (m_red == 0 && m_green == 0 && m_blue == 0) {
        buffer.appendCString("\\red0\\green0\\blue0;\\red255\\green255\\blue255;");
        return;
    }
    buffer.appendCString("\\red");
    buffer.appendInteger(m_red);
    buffer.appendCString("\\green");
    buffer.appendInteger(m_green);
    buffer.appendCString("\\blue");
    buffer.appendInteger(m_blue);
    buffer.appendByte(';');
}

} // namespace folio
