#include "tools/textstyle/PageSizeSelectTableViewController.h"

#include "platform/foundation/Unicode.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "tools/ToolsText.h"
#include "tools/textstyle/TextStyleLists.h"

namespace folio {

namespace {
constexpr long kPageSizeCheckTag = 1;
constexpr long kPageSizeNameTag = 2;
} // namespace

void PageSizeSelectTableViewController::viewDidLoad()
{
    TextStyleListController::viewDidLoad();
    m_availableSizes = paperSizeNames();
    if (title().empty())
        setTitle(localized("Paper Sizes"));
}

std::shared_ptr<TableViewCell> PageSizeSelectTableViewController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    auto cell = reusableCell(table, "SizeSelectTableCell");
    double height = table.heightForRowAtIndexPath(indexPath);
    double width = cell->frame().width();
    const std::string& name = m_availableSizes[indexPath.row];
    // The mark stands on the row itself, not on a swatch: drawn in the text's
    // colour, so that it shows on the row's light background.
    auto check = labelInCell(*cell, kPageSizeCheckTag, makeRect(15, 5, 25, height - 10), 24);
    check->setTextColor(Color::colorWithWhite(0.1));
    check->setText(name == m_selectedSize ? kCheckMark : u"");
    // The name takes the rest of the row and no more.
    auto label = labelInCell(*cell, kPageSizeNameTag, makeRect(45, 5, width - 55, height - 10), 18);
    label->setText(toUtf16(name));
    return cell;
}

void PageSizeSelectTableViewController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    m_selectedSize = m_availableSizes[indexPath.row];
    if (auto delegate = m_delegate.lock())
        delegate->pageSizeSelectTableViewControllerDidSelectSize(*this, m_selectedSize);
    table.reloadData();
}

} // namespace folio
