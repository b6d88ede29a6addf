#include "tools/textstyle/ColourListController.h"

#include "engine/css/ColorHTML.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "tools/ToolsText.h"
#include "tools/textstyle/TSColourBlockView.h"

namespace folio {

namespace {
constexpr long kSwatchTag = 1;
constexpr long kCheckTag = 2;
constexpr long kNameTag = 3;

std::shared_ptr<TSColourBlockView> swatchInCell(TableViewCell& cell, Rect frame)
{
    for (const auto& subview : cell.subviews()) {
        if (auto swatch = std::dynamic_pointer_cast<TSColourBlockView>(subview); swatch && swatch->tag() == kSwatchTag) {
            swatch->setFrame(frame);
            return swatch;
        }
    }
    auto swatch = std::make_shared<TSColourBlockView>(frame);
    swatch->setTag(kSwatchTag);
    cell.insertSubviewAtIndex(swatch, 0);
    return swatch;
}
} // namespace

void ColourListController::viewDidLoad()
{
    TextStyleListController::viewDidLoad();
    m_availableColours = colourNames();
    if (title().empty())
        setTitle(localized(defaultTitle()));
}

std::shared_ptr<TableViewCell> ColourListController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    auto cell = reusableCell(table, "ColourSelectTableCell");
    double height = table.heightForRowAtIndexPath(indexPath);
    double width = cell->frame().width();
    const std::string& name = m_availableColours[indexPath.row];
    std::optional<Color> colour = colorWithHTMLName(name);
    swatchInCell(*cell, makeRect(10, 5, width - 190, height - 10))->setColour(colour);
    auto check = labelInCell(*cell, kCheckTag, makeRect(15, 5, 25, height - 10), 24);
    check->setTextColor(Color::colorWithWhite(1));
    std::optional<Color> selected = colorWithHTMLName(m_selectedColour);
    check->setText(colour && selected && *colour == *selected ? kCheckMark : u"");
    // The name takes the rest of the row and no more: a label running past
    // the row's end would make the list scroll sideways.
    auto label = labelInCell(*cell, kNameTag, makeRect(width - 160, 5, 150, height - 10), 14);
    label->setText(toUtf16(name));
    return cell;
}

void ColourListController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    m_selectedColour = m_availableColours[indexPath.row];
    notifyDelegate(m_selectedColour);
    table.reloadData();
}

} // namespace folio
