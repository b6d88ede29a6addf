#pragma once

#include <cstddef>
#include <cstdint>

namespace folio {

class Color;
class DKRTFDataBuffer;

// One entry of the colour table: a colour reduced to the 8-bit components RTF
// stores. Runs are matched to table numbers by entry, so two colours that
// differ only below 8-bit precision share one entry.
class DKRTFColorTableEntry {
public:
    DKRTFColorTableEntry() = default;
    DKRTFColorTableEntry(std::int32_t red, std::int32_t green, std::int32_t blue) : m_red(red), m_green(green), m_blue(blue)
    {
    }
    // No colour gives black, which is also what every run without a colour
    // is written with.
    static DKRTFColorTableEntry entryWithColor(const Color* color);

    std::int32_t red() const { return m_red; }
    std::int32_t green() const { return m_green; }
    std::int32_t blue() const { return m_blue; }

    // The default entry (black) stands for two table slots: black for text
    // and white for backgrounds, so it writes both.
    void writeToDataBuffer(DKRTFDataBuffer& buffer) const;

    friend bool operator==(const DKRTFColorTableEntry&, const DKRTFColorTableEntry&) = default;
    std::size_t hash() const
    {
        return static_cast<std::size_t>((m_red << 16) | (m_green << 8) | m_blue);
    }

private:
    std::int32_t m_red = 0;
    std::int32_t m_green = 0;
    std::int32_t m_blue = 0;
};

struct DKRTFColorTableEntryHash {
    std::size_t operator()(const DKRTFColorTableEntry& entry) const { return entry.hash(); }
};

} // namespace folio
