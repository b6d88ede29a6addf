#include "formats/rtf/DKRTFReaderColorTable.h"

#include <limits>

namespace folio {

std::int16_t DKRTFReaderColorTable::component(int value)
{
    if (value > std::numeric_limits<std::int16_t>::max() || value < std::numeric_limits<std::int16_t>::min())
        return -1;
    return static_cast<std::int16_t>(value);
}

void DKRTFReaderColorTable::resetCurrentColor()
{
    m_red = m_green = m_blue = -1;
}

void DKRTFReaderColorTable::addColorTableEntry()
{
    if (m_red < 0 || m_green < 0 || m_blue < 0)
        m_entries.push_back(nullptr);
    else
        m_entries.push_back(ColorValue::make(Color::colorWithRed(m_red / 255.0, m_green / 255.0, m_blue / 255.0, 1.0)));
    resetCurrentColor();
}

std::shared_ptr<const ColorValue> DKRTFReaderColorTable::colorAtIndex(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
        return nullptr;
    return m_entries[static_cast<std::size_t>(index)];
}

} // namespace folio
