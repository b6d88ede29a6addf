#include "tools/scanner/ScannedTextListController.h"

#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"

namespace folio {

namespace {
constexpr const char* kScannedCellIdentifier = "ScannedLine";
}

ScannedTextListController::ScannedTextListController(std::function<void(std::size_t row)> tapped)
    : TableViewController(TableViewStyle::Plain), m_tapped(std::move(tapped))
{
    setPreferredContentSize({540, 620});
}

void ScannedTextListController::setLines(std::vector<std::u16string> lines)
{
    m_lines = std::move(lines);
    reload();
}

void ScannedTextListController::setStatus(std::u16string status)
{
    m_status = std::move(status);
    reload();
}

void ScannedTextListController::reload()
{
    if (isViewLoaded())
        tableView()->reloadData();
}

std::shared_ptr<TableViewCell> ScannedTextListController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    std::shared_ptr<TableViewCell> cell = table.dequeueReusableCellWithIdentifier(kScannedCellIdentifier);
    if (!cell)
        cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, kScannedCellIdentifier);
    cell->textLabel()->setText(indexPath.row < m_lines.size() ? m_lines[indexPath.row] : std::u16string());
    cell->textLabel()->setNumberOfLines(0);
    return cell;
}

void ScannedTextListController::didSelectRowAtIndexPath(TableView&, IndexPath indexPath)
{
    if (indexPath.row < m_lines.size() && m_tapped)
        m_tapped(indexPath.row);
}

void ScannedTextListController::tapRow(std::size_t row)
{
    tableView()->tapRowAtIndexPath(IndexPath{0, row});
}

} // namespace folio
