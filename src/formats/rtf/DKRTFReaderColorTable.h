#pragma once

#include "platform/text/AttributeValue.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace folio {

// The colour table of a document. An entry without components (the usual
// first entry of "\colortbl;") stands for "no colour"; so does an index
// outside the table.
class DKRTFReaderColorTable {
public:
    // Components above 32767 count as not given, as RTF readers have always
    // stored them in 16 signed bits.
    void setRedComponent(int value) { m_red = component(value); }
    void setGreenComponent(int value) { m_green = component(value); }
    void setBlueComponent(int value) { m_blue = component(value); }
    // At ";": the colour of the components read since the last entry, or no
    // colour when any is missing; then the components are cleared.
    void addColorTableEntry();
    void resetCurrentColor();

    // Null for "no colour". Entries are shared, so runs of one table colour
    // hold the same value object.
    std::shared_ptr<const ColorValue> colorAtIndex(int index) const;
    std::size_t count() const { return m_entries.size(); }

private:
    static std::int16_t component(int value);

    std::vector<std::shared_ptr<const ColorValue>> m_entries;
    std::int16_t m_red = -1;
    std::int16_t m_green = -1;
    std::int16_t m_blue = -1;
};

} // namespace folio
