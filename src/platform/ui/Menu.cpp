#include "platform/ui/Menu.h"

#include "platform/ui/Action.h"

namespace folio {

std::shared_ptr<Action> Menu::actionWithTitle(const std::u16string& title) const
{
    for (const auto& action : allActions()) {
        if (action->title() == title)
            return action;
    }
    return nullptr;
}

bool Menu::performActionWithTitle(const std::u16string& title) const
{
    auto action = actionWithTitle(title);
    return action && action->perform();
}

std::vector<std::shared_ptr<Action>> Menu::allActions() const
{
    std::vector<std::shared_ptr<Action>> result;
    for (const auto& child : m_children) {
        if (auto action = std::dynamic_pointer_cast<Action>(child)) {
            result.push_back(action);
        } else if (auto submenu = std::dynamic_pointer_cast<Menu>(child)) {
            auto nested = submenu->allActions();
            result.insert(result.end(), nested.begin(), nested.end());
        }
    }
    return result;
}

} // namespace folio
