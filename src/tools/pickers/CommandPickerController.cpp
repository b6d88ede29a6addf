#include "tools/pickers/CommandPickerController.h"

#include "platform/foundation/Unicode.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/UIThemes.h"
#include "tools/ToolsText.h"

namespace folio {

namespace {
constexpr const char* kCellIdentifier = "Cell";
}

CommandPickerController::CommandPickerController(std::vector<std::string_view> rows, Size preferredSize,
                                                 TextAlignment alignment, Titles titles)
    : TableViewController(TableViewStyle::Plain)
    , m_rows(std::move(rows))
    , m_alignment(alignment)
    , m_titles(titles)
{
    setPreferredContentSize(preferredSize);
}

void CommandPickerController::viewDidLoad()
{
    m_options.clear();
    for (std::string_view key : m_rows)
        m_options.push_back(titleForKey(key));
}

std::u16string CommandPickerController::titleForKey(std::string_view key) const
{
    return m_titles == Titles::Localized ? localized(key) : toUtf16(key);
}

std::shared_ptr<TableViewCell> CommandPickerController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    return makeCell(table, indexPath.row);
}

std::shared_ptr<TableViewCell> CommandPickerController::makeCell(TableView& table, std::size_t row)
{
    std::shared_ptr<TableViewCell> cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell)
        cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, kCellIdentifier);
    cell->textLabel()->setText(titleForRow(row));
    cell->textLabel()->setTextAlignment(m_alignment);
    applyThemeBackground(*cell);
    return cell;
}

void CommandPickerController::applyThemeBackground(TableViewCell& cell)
{
    cell.setBackgroundColor(UIThemes::isDarkTheme() ? Color::colorWithWhite(1.0 / 3.0) : Color::colorWithWhite(0, 0));
}

void CommandPickerController::didSelectRowAtIndexPath(TableView&, IndexPath indexPath)
{
    if (indexPath.row < m_options.size())
        report(indexPath.row);
}

void CommandPickerController::tapRow(std::size_t row)
{
    tableView()->tapRowAtIndexPath(IndexPath{0, row});
}

} // namespace folio
