#include "formats/rtf/DKRTFTableRowFormat.h"

#include "platform/foundation/HashMixing.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>

namespace folio {

namespace {

// A row no taller than a page of 22 inches; a damaged file's larger height
// is taken for none.
constexpr int kLargestRowHeight = 31680;

std::u16string pointsText(int twips) { return toUtf16(formatGeneral(twips / 20.0, 4) + "pt"); }

std::u16string hexColor(const Color& color)
{
    // Every side of every cell of a long table asks: the digits are set by
    // hand rather than through printf.
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    auto byte = [](double component) { return static_cast<unsigned>(std::lround(std::clamp(component, 0.0, 1.0) * 255)); };
    std::u16string hex(u"#");
    for (const unsigned value : {byte(color.red()), byte(color.green()), byte(color.blue())}) {
        hex += kDigits[(value >> 4) & 0xF];
        hex += kDigits[value & 0xF];
    }
    return hex;
}

const char16_t* cssBorderStyle(DKRTFTableRowFormat::BorderStyle style)
{
    switch (style) {
    case DKRTFTableRowFormat::BorderStyle::None: return u"none";
    case DKRTFTableRowFormat::BorderStyle::Single:
    case DKRTFTableRowFormat::BorderStyle::Thick: return u"solid";
    case DKRTFTableRowFormat::BorderStyle::Double: return u"double";
    case DKRTFTableRowFormat::BorderStyle::Dotted: return u"dotted";
    case DKRTFTableRowFormat::BorderStyle::Dashed: return u"dashed";
    }
    return u"solid";
}

} // namespace

void DKRTFTableRowFormat::reset()
{
    m_boundaries.clear();
    m_cells.clear();
    m_cell = Cell();
    m_borderSide.reset();
    m_rowLeft = 0;
    m_rowAlignment = 0;
    m_cellGap = 0;
    m_rowHeight = 0;
    m_rowPadding = {};
}

DKRTFTableRowFormat::Border* DKRTFTableRowFormat::selectedBorder()
{
    if (!m_borderSide)
        return nullptr;
    Border& border = m_cell.borders[static_cast<std::size_t>(*m_borderSide)];
    border.given = true;
    return &border;
}

void DKRTFTableRowFormat::setBorderStyle(BorderStyle style)
{
    if (Border* border = selectedBorder())
        border->style = style;
}

void DKRTFTableRowFormat::setBorderWidth(int twips)
{
    if (Border* border = selectedBorder())
        border->width = twips;
}

void DKRTFTableRowFormat::setBorderColor(std::shared_ptr<const ColorValue> color)
{
    if (Border* border = selectedBorder())
        border->color = std::move(color);
}

void DKRTFTableRowFormat::endCell(int rightBoundary)
{
    m_boundaries.push_back(rightBoundary);
    for (std::size_t side = 0; side < m_rowPadding.size(); ++side)
        if (!m_cell.padding[side])
            m_cell.padding[side] = m_rowPadding[side];
    m_cells.push_back(std::move(m_cell));
    m_cell = Cell();
    m_borderSide.reset();
}

std::optional<StringMapValue::Map> DKRTFTableRowFormat::cellStyle(std::size_t index, int textAlignment) const
{
    if (index >= m_cells.size())
        return std::nullopt;
    const Cell& cell = m_cells[index];
    StringMapValue::Map style;
    const int left = index == 0 ? std::min(rowLeft(), m_boundaries[0]) : m_boundaries[index - 1];
    style["width"] = points(std::max(0, m_boundaries[index] - left));
    // A cell's height is the least a table gives it: an exact height is
    // met as well unless the words need more.
    if (m_rowHeight != 0 && m_rowHeight > -kLargestRowHeight && m_rowHeight < kLargestRowHeight)
        style["height"] = points(std::abs(m_rowHeight));
    for (const Side side : {Side::Top, Side::Bottom}) {
        if (const int padding = rowPadding(side); padding > 0)
            style[side == Side::Top ? "padding-top" : "padding-bottom"] = points(padding);
    }
    // Word processors set a row back by its gap, not by its cells' own
    // paddings: a header's table draws its borders by it.
    if (m_cellGap > 0)
        style["cell-gap"] = points(m_cellGap);
    for (const Side side : {Side::Left, Side::Right}) {
        const std::optional<int> padding = cell.padding[static_cast<std::size_t>(side)];
        const int twips = padding ? std::clamp(*padding, 0, kLargestRowHeight) : m_cellGap;
        if (twips > 0)
            style[side == Side::Left ? "padding-left" : "padding-right"] = points(twips);
    }
    static const char* const kSides[] = {"border-top", "border-left", "border-bottom", "border-right"};
    std::u16string thickSides;
    for (std::size_t side = 0; side < cell.borders.size(); ++side) {
        const Border* border = &cell.borders[side];
        if (!border->given)
            continue;
        if (border->style == BorderStyle::None) {
            style[kSides[side]] = u"none";
            continue;
        }
        // A border without a width is the thinnest a printer draws. A
        // double one's width is each of its lines' and the gap between them,
        // as word processors draw it, and at least room for the three.
        int width = border->width > 0 ? border->width : 10;
        if (border->style == BorderStyle::Thick) {
            width *= 2;
            // Printing leaves these out, as word processors do.
            if (!thickSides.empty())
                thickSides += u' ';
            thickSides += toUtf16(kSides[side]);
        }
        if (border->style == BorderStyle::Double)
            width = std::max(width * 3, 45);
        style[kSides[side]] = sideCSS(SideLook{width, border->style, border->color});
    }
    if (!thickSides.empty())
        style["thick-sides"] = std::move(thickSides);
    std::optional<Color> background = cell.background ? std::optional<Color>(cell.background->color()) : std::nullopt;
    if (cell.shading > 0) {
        // The pattern colour (black when none is given) laid over the
        // background (white when none is given) at the shading's strength.
        const double amount = std::clamp(cell.shading / 10000.0, 0.0, 1.0);
        const Color under = background.value_or(Color::colorWithRed(1, 1, 1));
        const Color over = cell.pattern ? cell.pattern->color() : Color::colorWithRed(0, 0, 0);
        auto mix = [amount](double a, double b) { return a * (1 - amount) + b * amount; };
        background = Color::colorWithRed(mix(under.red(), over.red()), mix(under.green(), over.green()),
                                         mix(under.blue(), over.blue()));
    }
    if (background)
        style["background-color"] = hexColor(*background);
    if (cell.verticalAlignment == VerticalAlignment::Middle)
        style["vertical-align"] = u"middle";
    else if (cell.verticalAlignment == VerticalAlignment::Bottom)
        style["vertical-align"] = u"bottom";
    else
        style["vertical-align"] = u"top";
    if (cell.merge == Merge::IntoLeft)
        style["merge"] = u"left";
    else if (cell.merge == Merge::IntoAbove)
        style["merge"] = u"above";
    static const char16_t* const kAlignments[] = {u"left", u"right", u"center", u"justify"};
    if (textAlignment >= 0 && textAlignment < 4)
        style["text-align"] = kAlignments[textAlignment];
    return style;
}

const std::u16string& DKRTFTableRowFormat::points(int twips) const
{
    // A damaged file may give every cell a width of its own.
    constexpr std::size_t kMostKept = 1024;
    std::unordered_map<int, std::u16string>& made = m_made->points;
    if (made.size() >= kMostKept && !made.contains(twips))
        made.clear();
    auto [found, isNew] = made.try_emplace(twips);
    if (isNew)
        found->second = pointsText(twips);
    return found->second;
}

const std::u16string& DKRTFTableRowFormat::sideCSS(const SideLook& look) const
{
    // A damaged file may give every side a colour or width of its own.
    constexpr std::size_t kMostKept = 1024;
    std::unordered_map<SideLook, std::u16string, SideLookHash>& made = m_made->sides;
    if (made.size() >= kMostKept && !made.contains(look))
        made.clear();
    auto [found, isNew] = made.try_emplace(look);
    if (isNew) {
        std::u16string& css = found->second;
        css = points(look.width);
        css += u' ';
        css += cssBorderStyle(look.style);
        css += u' ';
        css += look.color ? hexColor(look.color->color()) : u"#000000";
    }
    return found->second;
}

std::size_t DKRTFTableRowFormat::SideLookHash::operator()(const SideLook& look) const
{
    std::uint64_t hash = static_cast<std::uint64_t>(static_cast<std::uint32_t>(look.width)) << 8
        | static_cast<std::uint32_t>(look.style);
    hash = hashMultiplyStep(hash, reinterpret_cast<std::uintptr_t>(look.color.get()));
    return hashFinish(hash);
}

std::size_t DKRTFTableRowFormat::CellLookHash::operator()(const CellLook& look) const
{
    std::uint64_t hash = 0;
    auto mix = [&hash](std::uint64_t value) { hash = hashMultiplyStep(hash, value); };
    mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(look.width)) << 32
        | static_cast<std::uint32_t>(look.height));
    mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(look.gap)) << 32
        | static_cast<std::uint32_t>(look.textAlignment));
    mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(look.paddingAbove)) << 32
        | static_cast<std::uint32_t>(look.paddingBelow));
    for (const Border& border : look.cell.borders) {
        mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(border.width)) << 32
            | static_cast<std::uint32_t>(border.style) << 1 | (border.given ? 1u : 0u));
        mix(reinterpret_cast<std::uintptr_t>(border.color.get()));
    }
    for (const std::optional<int>& padding : look.cell.padding)
        mix(padding ? static_cast<std::uint64_t>(static_cast<std::uint32_t>(*padding)) << 1 | 1u : 0u);
    mix(reinterpret_cast<std::uintptr_t>(look.cell.background.get()));
    mix(reinterpret_cast<std::uintptr_t>(look.cell.pattern.get()));
    mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(look.cell.shading)) << 8
        | static_cast<std::uint32_t>(look.cell.verticalAlignment) << 4 | static_cast<std::uint32_t>(look.cell.merge));
    return hashFinish(hash);
}

AttributeValuePtr DKRTFTableRowFormat::cellStyleValue(std::size_t index, int textAlignment)
{
    if (index >= m_cells.size())
        return nullptr;
    // What cellStyle() reads of the row, as it reads it.
    const int left = index == 0 ? std::min(rowLeft(), m_boundaries[0]) : m_boundaries[index - 1];
    const bool hasHeight = m_rowHeight != 0 && m_rowHeight > -kLargestRowHeight && m_rowHeight < kLargestRowHeight;
    CellLook look{m_cells[index], std::max(0, m_boundaries[index] - left), hasHeight ? std::abs(m_rowHeight) : 0,
                  std::max(0, m_cellGap), textAlignment, rowPadding(Side::Top), rowPadding(Side::Bottom)};
    auto& made = m_made->cellStyles;
    if (auto known = made.find(look); known != made.end())
        return known->second;
    std::optional<StringMapValue::Map> style = cellStyle(index, textAlignment);
    if (!style)
        return nullptr;
    // A damaged file may give every cell a look of its own.
    constexpr std::size_t kMostKept = 256;
    if (made.size() >= kMostKept)
        made.clear();
    AttributeValuePtr value = StringMapValue::make(std::move(*style));
    made.emplace(std::move(look), value);
    return value;
}

int DKRTFTableRowFormat::rowLeft() const
{
    // Word processors set a row back by its cells' gap so that the text
    // lines up with the margin; a page shows nothing left of its text
    // column, so a row starts there at the furthest, its first cell the
    // narrower for it and the others where the file puts them.
    return std::max(0, m_rowLeft);
}

int DKRTFTableRowFormat::rowPadding(Side side) const
{
    int largest = 0;
    for (const Cell& cell : m_cells)
        largest = std::max(largest, cell.padding[static_cast<std::size_t>(side)].value_or(0));
    return std::min(largest, kLargestRowHeight);
}

StringMapValue::Map DKRTFTableRowFormat::rowStyle() const
{
    StringMapValue::Map style;
    if (m_rowAlignment == 2) {
        style["margin-left"] = u"auto";
        style["margin-right"] = u"auto";
    } else if (m_rowAlignment == 1) {
        style["margin-left"] = u"auto";
        style["margin-right"] = u"0";
    } else {
        style["margin-left"] = points(rowLeft());
    }
    if (!m_boundaries.empty())
        style["width"] = points(std::max(0, m_boundaries.back() - std::min(rowLeft(), m_boundaries.front())));
    return style;
}

} // namespace folio
