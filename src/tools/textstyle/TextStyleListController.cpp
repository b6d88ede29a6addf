#include "tools/textstyle/TextStyleListController.h"

#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/UIThemes.h"
#include "tools/ToolsFonts.h"

namespace folio {

void applyThemeBackground(TableViewCell& cell)
{
    cell.setBackgroundColor(UIThemes::isDarkTheme() ? Color::colorWithWhite(1.0 / 3.0) : Color::colorWithWhite(0, 0));
}

void TextStyleListController::viewDidLoad() { setPreferredContentSize(Size{320, 575}); }

std::shared_ptr<TableViewCell> TextStyleListController::reusableCell(TableView& table, const std::string& identifier)
{
    auto cell = table.dequeueReusableCellWithIdentifier(identifier);
    if (!cell)
        cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, identifier);
    applyThemeBackground(*cell);
    return cell;
}

std::shared_ptr<Label> TextStyleListController::labelInCell(TableViewCell& cell, long tag, Rect frame, double fontSize)
{
    for (const auto& subview : cell.subviews()) {
        if (subview->tag() == tag) {
            auto label = std::dynamic_pointer_cast<Label>(subview);
            if (label) {
                label->setFrame(frame);
                return label;
            }
        }
    }
    auto label = std::make_shared<Label>(frame);
    label->setTag(tag);
    label->setBackgroundColor(Color::colorWithWhite(0, 0));
    label->setFont(systemFontOfSize(fontSize));
    cell.addSubview(label);
    return label;
}

} // namespace folio
