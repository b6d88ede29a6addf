#pragma once

#include "platform/ui/MenuElement.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class Action;

// A titled list of actions and submenus, shown in array order.
class Menu : public MenuElement {
public:
    Menu(std::u16string title, std::vector<std::shared_ptr<MenuElement>> children, std::string symbolName = {})
        : MenuElement(std::move(title), std::move(symbolName)), m_children(std::move(children))
    {
    }
    static std::shared_ptr<Menu> make(std::u16string title, std::vector<std::shared_ptr<MenuElement>> children)
    {
        return std::make_shared<Menu>(std::move(title), std::move(children));
    }

    const std::vector<std::shared_ptr<MenuElement>>& children() const { return m_children; }
    void setChildren(std::vector<std::shared_ptr<MenuElement>> children) { m_children = std::move(children); }
    // Shown in line with the parent's entries, set off by separators, rather
    // than as a submenu.
    bool displaysInline() const { return m_displaysInline; }
    void setDisplaysInline(bool displaysInline) { m_displaysInline = displaysInline; }

    // The first action with this title, searching submenus depth first.
    std::shared_ptr<Action> actionWithTitle(const std::u16string& title) const;
    // Picks that action as a user would; false when it is missing or disabled.
    bool performActionWithTitle(const std::u16string& title) const;
    // Every action, submenus flattened, in the order they are shown.
    std::vector<std::shared_ptr<Action>> allActions() const;

private:
    std::vector<std::shared_ptr<MenuElement>> m_children;
    bool m_displaysInline = false;
};

} // namespace folio
