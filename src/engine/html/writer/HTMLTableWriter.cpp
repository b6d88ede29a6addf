#include "engine/html/writer/HTMLTableWriter.h"

#include "engine/html/writer/HTMLMarkup.h"
#include "engine/html/writer/HTMLRunWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEAttributeQueries.h"
#include "engine/model/TEParagraphStyle.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UnitSearch.h"

#include <cmath>

namespace folio {

namespace {

// What a merged cell is part of: "left" or "above".
constexpr std::string_view kMergeProperty = "merge";
// The border properties of a cell's sides drawn thick ("\brdrth").
constexpr std::string_view kThickSidesProperty = "thick-sides";
// The row's gap between cells, which its cells' paddings already hold.
constexpr std::string_view kCellGapProperty = "cell-gap";

bool isThickSide(const StringMapValue& map, std::string_view property)
{
    auto found = map.map().find(std::string(kThickSidesProperty));
    if (found == map.map().end())
        return false;
    for (const std::string& side : componentsSeparatedByString(toUtf8(found->second), " "))
        if (side == property)
            return true;
    return false;
}

// The CSS of a look the reader stored as properties, in their order. On
// paper a thick cell side prints no line, as word processors print the RTF
// that names one.
std::string cssOfMap(const AttributeValue* value, bool onPaper)
{
    std::string css;
    const auto* map = value ? value->as<StringMapValue>() : nullptr;
    if (!map)
        return css;
    for (const auto& [property, text] : map->map()) {
        if (property == kMergeProperty || property == kThickSidesProperty || property == kCellGapProperty)
            continue;
        css += property;
        css += ':';
        css += onPaper && isThickSide(*map, property) ? std::string("none") : toUtf8(text);
        css += ';';
    }
    return css;
}

// The width a cell's look gives it, as written there.
std::optional<std::u16string> widthOfMap(const AttributeValue* value)
{
    const auto* map = value ? value->as<StringMapValue>() : nullptr;
    if (!map)
        return std::nullopt;
    auto found = map->map().find("width");
    return found == map->map().end() ? std::nullopt : std::optional<std::u16string>(found->second);
}

bool hasKeyAt(const AttributedString& string, std::string_view key, std::size_t index,
              AttributedString::RunCursor* cursor = nullptr)
{
    if (index >= string.length())
        return false;
    AttributeDictionaryPtr attributes =
        cursor ? string.attributesAtIndex(index, nullptr, *cursor) : string.attributesAtIndex(index);
    return attributes && attributes->containsKey(key);
}

} // namespace

HTMLTableWriter::HTMLTableWriter(const HTMLWriterContext& context)
    : m_context(context)
{
}

bool HTMLTableWriter::onPaper() const
{
    return m_context.settings.forPrint && !m_context.settings.forEPub;
}

bool HTMLTableWriter::isRow(Range paragraph) const
{
    // Asked of every paragraph in text order.
    return hasKeyAt(m_context.string, TEIsEndTableRowKey, paragraph.end(), &m_cursor);
}

std::vector<HTMLTableWriter::Cell> HTMLTableWriter::cellsOfRow(Range paragraph) const
{
    const AttributedString& string = m_context.string;
    // Within the row alone, as nextMark() searches.
    const std::u16string_view text = std::u16string_view(string.string()).substr(0, paragraph.end());
    // Each cell's mark is looked at once, in text order; the cell keeps its
    // attributes for what is asked of them later.
    AttributedString::RunCursor cursor;
    auto markAt = [&](std::size_t index) -> const AttributeDictionary* {
        return index < string.length() ? string.attributesAtIndex(index, nullptr, cursor).get() : nullptr;
    };
    std::vector<Cell> cells;
    std::size_t start = paragraph.location;
    for (std::size_t index = findFirstOf<u'\t'>(text.data(), start, text.size()); index < text.size();
         index = findFirstOf<u'\t'>(text.data(), index + 1, text.size())) {
        const AttributeDictionary* mark = markAt(index);
        if (!mark || !mark->containsKey(TEIsEndTableCellKey))
            continue;
        cells.push_back(Cell{Range{start, index - start}, index, mark});
        start = index + 1;
    }
    // The row's end closes its last cell, unless the row was ended apart
    // from its cells and nothing followed the last of them.
    const AttributeDictionary* end = markAt(paragraph.end());
    if (start < paragraph.end() || (end && end->containsKey(TEIsEndTableCellKey)) || cells.empty())
        cells.push_back(Cell{Range{start, paragraph.end() - start}, paragraph.end(), end});
    return cells;
}

const AttributeValuePtr& HTMLTableWriter::Cell::markValue(std::string_view key) const
{
    static const AttributeValuePtr kNone;
    return markAttributes ? markAttributes->valueForKey(key) : kNone;
}

HTMLTableWriter::Merge HTMLTableWriter::mergeOf(const Cell& cell) const
{
    const auto* map = cell.markValue(TETableCellStyleKey).get();
    const auto* style = map ? map->as<StringMapValue>() : nullptr;
    if (!style)
        return Merge::None;
    auto found = style->map().find(std::string(kMergeProperty));
    if (found == style->map().end())
        return Merge::None;
    return found->second == u"left" ? Merge::IntoLeft : found->second == u"above" ? Merge::IntoAbove : Merge::None;
}

std::optional<Range> HTMLTableWriter::rowAfter(Range paragraph) const
{
    const std::u16string& text = m_context.string.string();
    const std::size_t start = paragraph.end() + 1;
    if (start >= text.size())
        return std::nullopt;
    const std::size_t end = findFirstOf<u'\n', u'\r'>(text.data(), start, text.size());
    const Range next{start, end - start};
    return isRow(next) ? std::optional<Range>(next) : std::nullopt;
}

std::vector<std::int64_t> HTMLTableWriter::boundariesOf(const std::vector<Cell>& cells) const
{
    std::vector<std::int64_t> boundaries;
    for (const Cell& cell : cells) {
        boundaries.push_back(numberOfValue(cell.markValue(TETableCellRightBoundaryKey).get()).value_or(-1));
    }
    return boundaries;
}

void HTMLTableWriter::openTable(std::string& html, const std::vector<Cell>& cells, std::size_t rowEnd)
{
    std::string css = "border-collapse:collapse;";
    std::string rowCSS = cssOfMap(m_context.string.attributeAtIndex(TETableRowStyleKey, rowEnd).get(), onPaper());
    // A table of known widths keeps them whatever its cells hold.
    if (rowCSS.find("width:") != std::string::npos)
        css += "table-layout:fixed;";
    css += rowCSS;
    HTMLAttributeMap attributes{{"style", toUtf16(css)}};
    html += "<table";
    m_context.appendAttributes(html, "table", attributes);
    html += '>';
    // The columns take the widths of the first row's cells, which merged
    // cells further down span.
    html += "<colgroup>";
    for (const Cell& cell : cells) {
        std::optional<std::u16string> width = widthOfMap(cell.markValue(TETableCellStyleKey).get());
        HTMLAttributeMap column;
        if (width)
            column["style"] = u"width:" + *width;
        html += "<col";
        m_context.appendAttributes(html, "col", column);
        html += "/>";
    }
    html += "</colgroup>";
    m_tableOpen = true;
    m_openBoundaries = boundariesOf(cells);
}

void HTMLTableWriter::writeRow(std::string& html, Range paragraph)
{
    std::vector<Cell> cells;
    std::vector<std::int64_t> boundaries;
    if (m_rowReadAhead && m_rowReadAhead->range == paragraph) {
        cells = std::move(m_rowReadAhead->cells);
        boundaries = std::move(m_rowReadAhead->boundaries);
    } else {
        cells = cellsOfRow(paragraph);
        boundaries = boundariesOf(cells);
    }
    m_rowReadAhead.reset();
    if (m_tableOpen && boundaries != m_openBoundaries)
        closeTable(html);
    if (!m_tableOpen)
        openTable(html, cells, paragraph.end());
    // The rows below, read once for all the cells of this one that may span
    // them, and only as far down as some cell reaches.
    std::vector<RowBelow> rowsBelow;
    auto rowBelow = [&](std::size_t depth) -> const RowBelow* {
        while (rowsBelow.size() <= depth) {
            const std::optional<Range> next = rowAfter(rowsBelow.empty() ? paragraph : rowsBelow.back().range);
            if (!next)
                return nullptr;
            std::vector<Cell> belowCells = cellsOfRow(*next);
            std::vector<std::int64_t> belowBoundaries = boundariesOf(belowCells);
            const bool aligned = belowBoundaries == boundaries;
            rowsBelow.push_back(RowBelow{*next, std::move(belowCells), std::move(belowBoundaries), aligned});
        }
        return &rowsBelow[depth];
    };
    html += "<tr>";
    for (std::size_t index = 0; index < cells.size(); ++index) {
        // A cell merged into its left neighbour or into one above was
        // written with that cell.
        if (m_writtenCells.erase(cells[index].mark) > 0)
            continue;
        std::vector<Cell> parts{cells[index]};
        std::size_t last = index;
        while (last + 1 < cells.size() && mergeOf(cells[last + 1]) == Merge::IntoLeft)
            parts.push_back(cells[++last]);
        const std::size_t columns = last - index + 1;
        // The cells below that are merged into this one, which it spans;
        // whatever they hold is written into it, so that no text is lost.
        std::size_t rows = 1;
        for (const RowBelow* below = rowBelow(0); below; below = rowBelow(rows - 1)) {
            if (!below->aligned || mergeOf(below->cells[index]) != Merge::IntoAbove)
                break;
            for (std::size_t column = index; column <= last; ++column)
                parts.push_back(below->cells[column]);
            ++rows;
        }
        for (std::size_t part = 1; part < parts.size(); ++part)
            m_writtenCells.insert(parts[part].mark);
        writeCell(html, parts, columns, rows);
    }
    html += "</tr>";
    if (!rowsBelow.empty())
        m_rowReadAhead = std::move(rowsBelow.front());
}

void HTMLTableWriter::writeCell(std::string& html, const std::vector<Cell>& parts, std::size_t columns,
                                std::size_t rows)
{
    const Cell& cell = parts.front();
    const AttributeValuePtr& look = cell.markValue(TETableCellStyleKey);
    std::string spaceBefore = spaceBeforeCSS(cell.text);
    html += "<td";
    // The cells of a table look alike but for a few: a cell that spans no
    // other takes the attributes made for the first of its look.
    const bool plain = columns == 1 && rows == 1 && spaceBefore.empty();
    if (plain) {
        if (auto known = m_plainCellAttributes.find(look.get()); known != m_plainCellAttributes.end()) {
            html += known->second;
            html += '>';
            writeCellContent(html, parts);
            return;
        }
    }
    // Cells draw their own padding inside the width the row gives them.
    std::string css = "box-sizing:border-box;";
    css += cssOfMap(look.get(), onPaper());
    css += spaceBefore;
    HTMLAttributeMap attributes{{"style", toUtf16(css)}};
    if (columns > 1)
        attributes["colspan"] = toUtf16(std::to_string(columns));
    if (rows > 1)
        attributes["rowspan"] = toUtf16(std::to_string(rows));
    std::string written;
    m_context.appendAttributes(written, "td", attributes);
    html += written;
    html += '>';
    if (plain)
        m_plainCellAttributes.emplace(look.get(), std::move(written));
    writeCellContent(html, parts);
}

void HTMLTableWriter::writeCellContent(std::string& html, const std::vector<Cell>& parts) const
{
    const std::u16string& text = m_context.string.string();
    bool written = false;
    bool endsWithBreak = false;
    for (const Cell& part : parts) {
        if (part.text.length == 0)
            continue;
        if (written)
            html += "<br/>";
        writeCellText(html, part.text);
        written = true;
        endsWithBreak = text[part.text.end() - 1] == u'\u2028';
    }
    // An empty cell is a line high, and so is the empty paragraph after a
    // cell's last line end: a browser draws no line for a break that ends
    // its block.
    if (!written || endsWithBreak)
        html += "<br/>";
    html += "</td>";
}

std::string HTMLTableWriter::spaceBeforeCSS(Range cellText) const
{
    // Paper only: the editing page hands a cell's style back to the save,
    // which keeps the paragraph's own spacing already.
    if (cellText.length == 0 || !m_context.settings.forPrint)
        return {};
    const AttributeDictionaryPtr attributes = m_context.string.attributesAtIndex(cellText.location);
    const std::optional<TEParagraphStyle> style =
        attributes ? TEAttributeQueries::paragraphStyle(*attributes) : std::nullopt;
    const double before = style ? style->paragraphSpacingBefore() : 0;
    if (!(before > 0) || !std::isfinite(before))
        return {};
    return "padding-top:" + formatShortest(before) + "pt;";
}

std::size_t HTMLTableWriter::nextMark(std::string_view key, char16_t mark, std::size_t from, std::size_t end) const
{
    // Searched within the cell alone: a search to the end of the document
    // for each cell of a long one makes its tables cost the square.
    const std::u16string_view text = std::u16string_view(m_context.string.string()).substr(0, end);
    for (std::size_t index = text.find(mark, from); index < end; index = text.find(mark, index + 1)) {
        if (hasKeyAt(m_context.string, key, index))
            return index;
    }
    return std::u16string::npos;
}

void HTMLTableWriter::writeRuns(std::string& html, std::size_t start, std::size_t end) const
{
    static const HTMLAttributeMap kNoAttributes;
    if (end > start)
        HTMLRunWriter(m_context, Range{start, end - start}, kNoAttributes, false).writeRuns(html);
}

void HTMLTableWriter::writeCellText(std::string& html, Range cellText) const
{
    // A table inside the cell: rows of cells, each row from the line end
    // before its first cell to its own end; rows that follow one another
    // make one table.
    const std::u16string& text = m_context.string.string();
    constexpr char16_t kLineEnd = u'\u2028';
    std::size_t position = cellText.location;
    bool tableOpen = false;
    auto closeInnerTable = [&] {
        if (tableOpen)
            html += "</table>";
        tableOpen = false;
    };
    while (position < cellText.end()) {
        const std::size_t rowEnd = nextMark(TEIsEndNestedTableRowKey, kLineEnd, position, cellText.end());
        const std::size_t firstCell = rowEnd == std::u16string::npos
            ? rowEnd
            : nextMark(TEIsEndNestedTableCellKey, u'\t', position, rowEnd);
        if (firstCell == std::u16string::npos) {
            closeInnerTable();
            writeRuns(html, position, cellText.end());
            return;
        }
        std::size_t rowStart = position;
        if (const std::size_t lineEnd = text.rfind(kLineEnd, firstCell);
            lineEnd != std::u16string::npos && lineEnd >= position)
            rowStart = lineEnd + 1;
        if (rowStart > position) {
            closeInnerTable();
            writeRuns(html, position, rowStart);
        }
        if (!tableOpen) {
            std::string css = "border-collapse:collapse;";
            css += cssOfMap(m_context.string.attributeAtIndex(TETableRowStyleKey, rowEnd).get(), onPaper());
            if (css.find("width:") != std::string::npos)
                css += "table-layout:fixed;";
            HTMLAttributeMap attributes{{"style", toUtf16(css)}};
            html += "<table";
            m_context.appendAttributes(html, "table", attributes);
            html += '>';
            tableOpen = true;
        }
        html += "<tr>";
        std::size_t cellStart = rowStart;
        for (std::size_t mark = firstCell; mark != std::u16string::npos;
             mark = nextMark(TEIsEndNestedTableCellKey, u'\t', mark + 1, rowEnd)) {
            std::string css = "box-sizing:border-box;";
            css += cssOfMap(m_context.string.attributeAtIndex(TETableCellStyleKey, mark).get(), onPaper());
            HTMLAttributeMap attributes{{"style", toUtf16(css)}};
            html += "<td";
            m_context.appendAttributes(html, "td", attributes);
            html += '>';
            writeRuns(html, cellStart, mark);
            if (mark == cellStart)
                html += "<br/>";
            html += "</td>";
            cellStart = mark + 1;
        }
        // Words after the row's last cell stay in the row.
        if (cellStart < rowEnd) {
            html += "<td>";
            writeRuns(html, cellStart, rowEnd);
            html += "</td>";
        }
        html += "</tr>";
        position = rowEnd + 1;
    }
    closeInnerTable();
}

void HTMLTableWriter::closeTable(std::string& html)
{
    if (!m_tableOpen)
        return;
    html += "</table>";
    m_tableOpen = false;
    m_openBoundaries.clear();
    m_writtenCells.clear();
}

} // namespace folio
