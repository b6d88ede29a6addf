#include "engine/html/writer/HTMLTableWriter.h"

#include "engine/html/writer/HTMLMarkup.h"
#include "engine/html/writer/HTMLRunWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"

namespace folio {

namespace {

// The CSS of a look the reader stored as properties, in their order.
std::string cssOfMap(const AttributeValue* value)
{
    std::string css;
    const auto* map = value ? value->as<StringMapValue>() : nullptr;
    if (!map)
        return css;
    for (const auto& [property, text] : map->map()) {
        css += property;
        css += ':';
        css += toUtf8(text);
        css += ';';
    }
    return css;
}

bool hasKeyAt(const AttributedString& string, std::string_view key, std::size_t index)
{
    AttributeDictionaryPtr attributes = index < string.length() ? string.attributesAtIndex(index) : nullptr;
    return attributes && attributes->containsKey(key);
}

} // namespace

HTMLTableWriter::HTMLTableWriter(const HTMLWriterContext& context)
    : m_context(context)
{
}

bool HTMLTableWriter::isRow(Range paragraph) const
{
    return hasKeyAt(m_context.string, TEIsEndTableRowKey, paragraph.end());
}

std::vector<HTMLTableWriter::Cell> HTMLTableWriter::cellsOfRow(Range paragraph) const
{
    const AttributedString& string = m_context.string;
    const std::u16string& text = string.string();
    std::vector<Cell> cells;
    std::size_t start = paragraph.location;
    for (std::size_t index = text.find(u'\t', start); index < paragraph.end(); index = text.find(u'\t', index + 1)) {
        if (!hasKeyAt(string, TEIsEndTableCellKey, index))
            continue;
        cells.push_back(Cell{Range{start, index - start}, index});
        start = index + 1;
    }
    // The row's end closes its last cell, unless the row was ended apart
    // from its cells and nothing followed the last of them.
    if (start < paragraph.end() || hasKeyAt(string, TEIsEndTableCellKey, paragraph.end()) || cells.empty())
        cells.push_back(Cell{Range{start, paragraph.end() - start}, paragraph.end()});
    return cells;
}

std::vector<std::int64_t> HTMLTableWriter::boundariesOf(const std::vector<Cell>& cells) const
{
    std::vector<std::int64_t> boundaries;
    for (const Cell& cell : cells) {
        AttributeValuePtr value = m_context.string.attributeAtIndex(TETableCellRightBoundaryKey, cell.mark);
        boundaries.push_back(numberOfValue(value.get()).value_or(-1));
    }
    return boundaries;
}

void HTMLTableWriter::openTable(std::string& html, const std::vector<Cell>& cells, std::size_t rowEnd)
{
    std::string css = "border-collapse:collapse;";
    std::string rowCSS = cssOfMap(m_context.string.attributeAtIndex(TETableRowStyleKey, rowEnd).get());
    // A table of known widths keeps them whatever its cells hold.
    if (rowCSS.find("width:") != std::string::npos)
        css += "table-layout:fixed;";
    css += rowCSS;
    HTMLAttributeMap attributes{{"style", toUtf16(css)}};
    html += "<table";
    HTMLMarkup::appendAttributes(html, attributes);
    html += '>';
    m_tableOpen = true;
    m_openBoundaries = boundariesOf(cells);
}

void HTMLTableWriter::writeRow(std::string& html, Range paragraph)
{
    std::vector<Cell> cells = cellsOfRow(paragraph);
    if (m_tableOpen && boundariesOf(cells) != m_openBoundaries)
        closeTable(html);
    if (!m_tableOpen)
        openTable(html, cells, paragraph.end());
    html += "<tr>";
    for (const Cell& cell : cells)
        writeCell(html, cell);
    html += "</tr>";
}

void HTMLTableWriter::writeCell(std::string& html, const Cell& cell)
{
    // Cells draw their own padding inside the width the row gives them.
    std::string css = "box-sizing:border-box;";
    css += cssOfMap(m_context.string.attributeAtIndex(TETableCellStyleKey, cell.mark).get());
    HTMLAttributeMap attributes{{"style", toUtf16(css)}};
    html += "<td";
    HTMLMarkup::appendAttributes(html, attributes);
    html += '>';
    static const HTMLAttributeMap kNoAttributes;
    if (cell.text.length > 0)
        HTMLRunWriter(m_context, cell.text, kNoAttributes, false).writeRuns(html);
    // An empty cell is a line high, and so is the empty paragraph after a
    // cell's last line end: a browser draws no line for a break that ends
    // its block.
    const std::u16string& text = m_context.string.string();
    if (cell.text.length == 0 || text[cell.text.end() - 1] == u'\u2028')
        html += "<br/>";
    html += "</td>";
}

void HTMLTableWriter::closeTable(std::string& html)
{
    if (!m_tableOpen)
        return;
    html += "</table>";
    m_tableOpen = false;
    m_openBoundaries.clear();
}

} // namespace folio
