#pragma once

#include "platform/ui/TableViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class Label;
class TableViewCell;

// What the lists pushed by the text-style popover share: one section, the
// preferred size, cells on the theme's background, and labels placed by frame.
class TextStyleListController : public TableViewController {
public:
    TextStyleListController() : TableViewController(TableViewStyle::Plain) {}

protected:
    void viewDidLoad() override;
    // A cell to fill, taken from the table's reuse queue when one is waiting.
    std::shared_ptr<TableViewCell> reusableCell(TableView& table, const std::string& identifier);
    // The label with this tag in the cell, made and added on first use.
    static std::shared_ptr<Label> labelInCell(TableViewCell& cell, long tag, Rect frame, double fontSize);
    // The tick shown beside the chosen row.
    static constexpr const char16_t* kCheckMark = u"\u2714";
};

// Paints a cell of a style panel for the light or the dark theme.
void applyThemeBackground(TableViewCell& cell);

} // namespace folio
