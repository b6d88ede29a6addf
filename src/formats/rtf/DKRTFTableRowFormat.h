#pragma once

#include "platform/graphics/Color.h"
#include "platform/text/AttributeValue.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace folio {

// The definition of the table row being read ("\trowd" up to its cells'
// "\cellx"): where each cell ends and how it looks. Cell words come before
// the "\cellx" of their cell; border words after "\clbrdrt" (and its kin)
// describe that side of the cell being defined.
class DKRTFTableRowFormat {
public:
    enum class Side { Top, Left, Bottom, Right };
    enum class BorderStyle { None, Single, Thick, Double, Dotted, Dashed };
    enum class VerticalAlignment { Top, Middle, Bottom };
    // A merged cell ("\clmrg", "\clvmrg") is part of the cell left of it
    // or above it, which spans it.
    enum class Merge { None, IntoLeft, IntoAbove };

    // "\trowd": a new row without cells.
    void reset();

    // Row words.
    void setRowLeft(int twips) { m_rowLeft = twips; }
    // 0 left, 1 right, 2 centred, as the paragraph alignments count.
    void setRowAlignment(int alignment) { m_rowAlignment = alignment; }
    // "\trgaph": half the space between cells, kept inside each cell.
    void setCellGap(int twips) { m_cellGap = twips; }
    // "\trrh": the row's height, at least this (positive) or exactly its
    // magnitude (negative); 0 for as high as its words.
    void setRowHeight(int twips) { m_rowHeight = twips; }
    // The room between every cell's edge and its words on one side, where
    // the cell does not give its own.
    void setRowPadding(Side side, int twips) { m_rowPadding[static_cast<std::size_t>(side)] = twips; }

    // Cell words, for the cell being defined.
    void selectCellBorder(Side side) { m_borderSide = side; }
    // A border of anything else (a paragraph, the row): its words are not the cell's.
    void selectOtherBorder() { m_borderSide.reset(); }
    void setBorderStyle(BorderStyle style);
    void setBorderWidth(int twips);
    void setBorderColor(std::shared_ptr<const ColorValue> color);
    void setBackgroundColor(std::shared_ptr<const ColorValue> color) { m_cell.background = std::move(color); }
    void setPatternColor(std::shared_ptr<const ColorValue> color) { m_cell.pattern = std::move(color); }
    // Hundredths of a percent of the pattern colour over the background.
    void setShading(int value) { m_cell.shading = value; }
    void setVerticalAlignment(VerticalAlignment alignment) { m_cell.verticalAlignment = alignment; }
    void setMerge(Merge merge) { m_cell.merge = merge; }
    // The room between the cell's edge and its words on one side; it takes
    // the place of the row's cell gap there. Above and below the words, the
    // row's largest is every cell's, as word processors lay a row out.
    void setPadding(Side side, int twips) { m_cell.padding[static_cast<std::size_t>(side)] = twips; }
    // "\cellx": the cell being defined ends here; the next one starts.
    void endCell(int rightBoundary);

    const std::vector<int>& boundaries() const { return m_boundaries; }
    // The look of cell `index` as CSS properties, with its text's alignment
    // (none when the row defines no such cell). A merged cell also holds
    // "merge": "left" or "above", the cell it is part of, and a row with a
    // gap between its cells "cell-gap".
    std::optional<StringMapValue::Map> cellStyle(std::size_t index, int textAlignment) const;
    // The same as a value, one value for all the cells that look alike, so
    // that a writer makes the CSS of each look once.
    AttributeValuePtr cellStyleValue(std::size_t index, int textAlignment);
    // The table's own look: its left edge and its place on the page.
    StringMapValue::Map rowStyle() const;

private:
    struct Border {
        // Whether the cell's definition names this side at all.
        bool given = false;
        BorderStyle style = BorderStyle::Single;
        int width = 0;
        std::shared_ptr<const ColorValue> color;
        friend bool operator==(const Border&, const Border&) = default;
    };
    struct Cell {
        std::array<Border, 4> borders;
        std::shared_ptr<const ColorValue> background;
        std::shared_ptr<const ColorValue> pattern;
        int shading = 0;
        std::array<std::optional<int>, 4> padding;
        VerticalAlignment verticalAlignment = VerticalAlignment::Top;
        Merge merge = Merge::None;
        friend bool operator==(const Cell&, const Cell&) = default;
    };
    // All that a cell's look is made of. Its colours are held, so that an
    // address stands for one colour while the look is kept.
    struct CellLook {
        Cell cell;
        int width = 0;
        int height = 0;
        int gap = 0;
        int textAlignment = 0;
        int paddingAbove = 0;
        int paddingBelow = 0;
        friend bool operator==(const CellLook&, const CellLook&) = default;
    };
    struct CellLookHash {
        std::size_t operator()(const CellLook& look) const;
    };
    Border* selectedBorder();
    int rowLeft() const;
    // The largest padding any cell of the row gives on the side, in twips.
    int rowPadding(Side side) const;
    // A length as CSS points ("12.5pt"). Every side of every cell of a long
    // table asks for the few widths its file uses: each is made once.
    const std::u16string& points(int twips) const;
    // A drawn side's CSS ("0.5pt solid #000000") of the width in twips it
    // is drawn at; the few a table uses are made once.
    struct SideLook {
        int width = 0;
        BorderStyle style = BorderStyle::Single;
        std::shared_ptr<const ColorValue> color;
        friend bool operator==(const SideLook&, const SideLook&) = default;
    };
    struct SideLookHash {
        std::size_t operator()(const SideLook& look) const;
    };
    const std::u16string& sideCSS(const SideLook& look) const;

    // What each length and look was made into. They depend on nothing of
    // the row, so the copies of a format share them: the reader copies a
    // row's definition at every "\trowd" of a long table.
    struct Made {
        std::unordered_map<int, std::u16string> points;
        std::unordered_map<CellLook, AttributeValuePtr, CellLookHash> cellStyles;
        std::unordered_map<SideLook, std::u16string, SideLookHash> sides;
    };

    std::vector<int> m_boundaries;
    std::vector<Cell> m_cells;
    Cell m_cell;
    std::optional<Side> m_borderSide;
    int m_rowLeft = 0;
    int m_rowAlignment = 0;
    int m_cellGap = 0;
    int m_rowHeight = 0;
    std::array<std::optional<int>, 4> m_rowPadding;
    std::shared_ptr<Made> m_made = std::make_shared<Made>();
};

} // namespace folio
