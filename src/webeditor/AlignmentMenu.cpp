#include "webeditor/AlignmentMenu.h"

#include "platform/docframework/DKMenuController.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"

namespace folio {

namespace {

std::u16string localized(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

} // namespace

std::shared_ptr<Menu> AlignmentMenu::menu(Handler onSelect, Directions directions)
{
    struct Row {
        const char* title;
        const char* symbol;
        long option;
        bool isDirection;
    };
    const Row rows[] = {{"Left To Right", "text.alignleft", 5, true}, {"Right To Left", "text.alignleft", 4, true},
                        {"Justify", "text.justify", 0, false},       {"Center", "text.aligncenter", 1, false},
                        {"Right", "text.alignright", 2, false},      {"Left", "text.alignleft", 3, false}};
    std::vector<std::shared_ptr<MenuElement>> actions;
    for (const Row& row : rows) {
        long option = row.option;
        if (row.isDirection && directions == Directions::LeftOut)
            continue;
        actions.push_back(Action::make(localized(row.title), row.symbol, [onSelect, option](Action&) {
            if (onSelect)
                onSelect(option);
        }));
    }
    return Menu::make(u"", std::move(actions));
}

std::vector<std::shared_ptr<DKMenuOption>> AlignmentMenu::popoverOptions(Handler onSelect)
{
    const char* titles[] = {"Justify", "Center", "Right", "Left", "Right To Left", "Left To Right"};
    std::vector<std::shared_ptr<DKMenuOption>> options;
    for (long option = 0; option < 6; ++option) {
        options.push_back(DKMenuOption::optionWithTitle(localized(titles[option]), nullptr, [onSelect, option] {
            if (onSelect)
                onSelect(option);
        }));
    }
    return options;
}

} // namespace folio
