#include "tools/pickers/OtherPickerController.h"

#include "engine/css/ColorHTML.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"
#include "tools/ToolsText.h"
#include "tools/pickers/CommandPickerRows.h"

#include <string>

namespace folio {

namespace {

struct Preview {
    std::size_t row;
    const char* font;
    double size;
};

// The paragraph styles, in the faces they stand for.
constexpr Preview kPreviews[] = {
    {10, "Helvetica-Bold", 32}, {11, "Helvetica", 26},      {12, "Helvetica-Bold", 20}, {13, "Helvetica-Bold", 18},
    {14, "Helvetica", 16},      {15, "Helvetica", 12},      {16, "Helvetica", 9},       {17, "Helvetica-Oblique", 22},
};

void setFont(Label& label, std::string_view name, double size)
{
    if (std::optional<Font> font = Font::fontWithName(name, size))
        label.setFont(std::make_shared<Font>(*font));
}

} // namespace

OtherPickerController::OtherPickerController(UserDefaults& defaults)
    : RowIndexPickerController(CommandPickerRows::styles(), {280, 554}, TextAlignment::Natural)
    , m_defaults(defaults)
{
}

std::shared_ptr<TableViewCell> OtherPickerController::makeCell(TableView&, std::size_t row)
{
    // Made new for each row: the previews differ too much to reuse.
    auto cell = std::make_shared<TableViewCell>();
    applyThemeBackground(*cell);
    Label& label = *cell->textLabel();
    label.setText(titleForRow(row));
    label.setTextAlignment(row == kLabelStyleRow ? TextAlignment::Center : TextAlignment::Natural);
    if (row <= 3)
        previewPreset(*cell, row);
    if (row == 6) {
        label.setText(localized("Highlight Selection"));
        label.setBackgroundColor(colorWithHTMLName(std::string_view("yellow")));
    } else if (row == 7) {
        label.setBackgroundColor(colorWithHTMLName(std::string_view("green")));
    } else if (row == 8) {
        label.setBackgroundColor(colorWithHTMLName(std::string_view("red")));
    }
    for (const Preview& preview : kPreviews) {
        if (preview.row == row)
            setFont(label, preview.font, preview.size);
    }
    return cell;
}

void OtherPickerController::previewPreset(TableViewCell& cell, std::size_t preset)
{
    std::string suffix = preset == 0 ? "" : std::to_string(preset);
    Label& label = *cell.textLabel();
    if (std::optional<std::string> font = m_defaults.stringForKey("defaultFont" + suffix))
        setFont(label, *font, 20);
    std::optional<std::string> colour = m_defaults.stringForKey("defaultFontColor" + suffix);
    if (!colour)
        return;
    label.setTextColor(colorWithHTMLName(std::string_view(*colour)));
    if (*colour == "white")
        cell.setBackgroundColor(colorWithHTMLName(std::string_view("gainsboro")));
}

} // namespace folio
