#pragma once

#include "engine/html/writer/HTMLWriterContext.h"
#include "platform/foundation/Range.h"

#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace folio {

// Writes the rows of tables as the RTF reader leaves them (one paragraph a
// row, a tab marked as a cell end after each cell, the row's line feed ending
// its last cell) as table elements, each cell with the width, borders,
// shading and alignment the reader found. Rows that follow one another with
// the same cell boundaries share one table, so their borders meet.
class HTMLTableWriter {
public:
    explicit HTMLTableWriter(const HTMLWriterContext& context);

    // Whether the paragraph (without its terminator) is a table row.
    bool isRow(Range paragraph) const;
    void writeRow(std::string& html, Range paragraph);
    // Ends the table being written, if any.
    void closeTable(std::string& html);

private:
    // Printing, as opposed to the editing page and the ePub.
    bool onPaper() const;
    struct Cell {
        Range text;
        std::size_t mark = 0;
        // The attributes of the mark, which hold the cell's boundary and
        // look; none past the end of the text. The text does not change
        // while it is written, nor its sets.
        const AttributeDictionary* markAttributes = nullptr;
        const AttributeValuePtr& markValue(std::string_view key) const;
    };
    enum class Merge { None, IntoLeft, IntoAbove };
    // A row below the one being written, and whether its cells end where
    // that row's do (only then may they be merged into its cells).
    struct RowBelow {
        Range range;
        std::vector<Cell> cells;
        std::vector<std::int64_t> boundaries;
        bool aligned = false;
    };
    Merge mergeOf(const Cell& cell) const;
    // The table row right after `paragraph`, if the next paragraph is one.
    std::optional<Range> rowAfter(Range paragraph) const;
    std::vector<Cell> cellsOfRow(Range paragraph) const;
    std::vector<std::int64_t> boundariesOf(const std::vector<Cell>& cells) const;
    void openTable(std::string& html, const std::vector<Cell>& cells, std::size_t rowEnd);
    // The first `mark` character with `key` in [from, end); npos if none.
    std::size_t nextMark(std::string_view key, char16_t mark, std::size_t from, std::size_t end) const;
    void writeRuns(std::string& html, std::size_t start, std::size_t end) const;
    // A cell's text, with the tables inside it as tables.
    void writeCellText(std::string& html, Range cellText) const;
    // The room above a printed cell that its first paragraph asks for, in
    // points as the file gives it; "" for none.
    std::string spaceBeforeCSS(Range cellText) const;
    // A cell with the cells merged into it (`parts`, itself first), spanning
    // `columns` and `rows`.
    void writeCell(std::string& html, const std::vector<Cell>& parts, std::size_t columns, std::size_t rows);
    // What goes between a cell's start tag and its end tag.
    void writeCellContent(std::string& html, const std::vector<Cell>& parts) const;

    const HTMLWriterContext& m_context;
    bool m_tableOpen = false;
    std::vector<std::int64_t> m_openBoundaries;
    // The cells (by their end marks) already written into a cell that
    // spans them.
    std::set<std::size_t> m_writtenCells;
    // The attributes of a cell that spans no other, by its look (a value
    // the text holds while it is written, so its address stays its own).
    std::unordered_map<const AttributeValue*, std::string> m_plainCellAttributes;
    mutable AttributedString::RunCursor m_cursor;
    // The row after the one written last, read to see whether its cells
    // merge upwards: the row written next, mostly.
    std::optional<RowBelow> m_rowReadAhead;
};

} // namespace folio
