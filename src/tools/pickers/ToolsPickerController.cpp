#include "tools/pickers/ToolsPickerController.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"
#include "platform/web/WebView.h"
#include "tools/pickers/CommandPickerRows.h"

namespace folio {

ToolsPickerController::ToolsPickerController(UserDefaults& defaults)
    : RowIndexPickerController(CommandPickerRows::tools(), {290, 524}, TextAlignment::Center)
    , m_defaults(defaults)
{
}

std::shared_ptr<Menu> ToolsPickerController::menuOfRows()
{
    // The row titles are made with the view.
    loadViewIfNeeded();
    std::vector<std::shared_ptr<MenuElement>> actions;
    std::weak_ptr<ToolsPickerDelegate> owner = delegate();
    for (std::size_t row = 0; row < rowKeys().size(); ++row) {
        actions.push_back(Action::make(titleForRow(row), {}, [owner, row](Action&) {
            if (auto receiver = owner.lock())
                receiver->toolsOptionSelected(static_cast<long>(row));
        }));
    }
    return Menu::make(u"", std::move(actions));
}

std::u16string ToolsPickerController::titleForRow(std::size_t row)
{
    if (row == CommandPickerRows::kReadAloudRow) {
        std::shared_ptr<ToolsPickerDelegate> owner = delegate();
        std::optional<bool> reading = owner ? owner->isReadingAloud() : std::nullopt;
        WebView* page = owner && !reading ? owner->webViewEditor() : nullptr;
        bool speaking = reading ? *reading : page && boolValue(page->stringByEvaluatingJavaScript("speechSynthesis.speaking"));
        return titleForKey(speaking ? "Cancel Read Aloud" : "Read Aloud");
    }
    for (const CommandPickerRows::Switch& toggle : CommandPickerRows::toolSwitches()) {
        if (toggle.row == row)
            return titleForKey(m_defaults.boolForKey(toggle.key).value_or(false) ? toggle.disableTitle : toggle.enableTitle);
    }
    return CommandPickerController::titleForRow(row);
}

} // namespace folio
