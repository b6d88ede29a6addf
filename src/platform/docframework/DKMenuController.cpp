#include "platform/docframework/DKMenuController.h"

#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"

#include <algorithm>

namespace folio {

namespace {
constexpr double kRowHeight = 44;
constexpr double kMenuWidth = 240;
constexpr double kPointsPerCharacter = 9;
} // namespace

std::shared_ptr<DKMenuOption> DKMenuOption::optionWithTitle(std::u16string title, std::shared_ptr<const Image> image, Action action)
{
    return std::make_shared<DKMenuOption>(std::move(title), std::move(image), std::move(action));
}

DKMenuOption::DKMenuOption(std::u16string title, std::shared_ptr<const Image> image, Action action)
    : m_title(std::move(title)), m_image(std::move(image)), m_action(std::move(action))
{
}

void DKMenuOption::perform() const
{
    if (m_action)
        m_action();
}

DKMenuController::DKMenuController() : TableViewController(TableViewStyle::Plain) {}

void DKMenuController::setTopOptions(std::vector<std::shared_ptr<DKMenuOption>> options)
{
    m_topOptions = std::move(options);
    double width = kMenuWidth;
    if (m_sizesToOptionWidth) {
        std::size_t longest = 0;
        for (const auto& option : m_topOptions)
            longest = std::max(longest, option->title().size());
        width = std::max(120.0, 32 + kPointsPerCharacter * static_cast<double>(longest));
    }
    // A menu's title stands above its options as a row of its own.
    const std::size_t rows = std::max<std::size_t>(1, m_topOptions.size()) + (title().empty() ? 0 : 1);
    setPreferredContentSize(Size{width, kRowHeight * static_cast<double>(rows)});
}

std::u16string DKMenuController::titleForHeaderInSection(TableView&, std::size_t section)
{
    return section == 0 ? title() : std::u16string();
}

std::shared_ptr<TableViewCell> DKMenuController::cellForRowAtIndexPath(TableView&, IndexPath indexPath)
{
    auto cell = std::make_shared<TableViewCell>();
    if (indexPath.row < m_topOptions.size()) {
        cell->textLabel()->setText(m_topOptions[indexPath.row]->title());
        cell->textLabel()->setTextAlignment(m_textAlignment);
    }
    return cell;
}

void DKMenuController::didSelectRowAtIndexPath(TableView&, IndexPath indexPath)
{
    if (indexPath.row < m_topOptions.size())
        m_topOptions[indexPath.row]->perform();
}

bool DKMenuController::pickOptionWithTitle(const std::u16string& title)
{
    for (const auto& option : m_topOptions) {
        if (option->title() == title) {
            option->perform();
            return true;
        }
    }
    return false;
}

} // namespace folio
