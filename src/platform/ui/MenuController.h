#pragma once

#include "platform/graphics/Geometry.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class BarButtonItem;
class NotificationCenter;
class Responder;
class View;

inline const std::string kMenuControllerWillShowMenuNotification = "UIMenuControllerWillShowMenuNotification";
inline const std::string kMenuControllerDidShowMenuNotification = "UIMenuControllerDidShowMenuNotification";
inline const std::string kMenuControllerWillHideMenuNotification = "UIMenuControllerWillHideMenuNotification";
inline const std::string kMenuControllerDidHideMenuNotification = "UIMenuControllerDidHideMenuNotification";

// An extra command of the edit menu: a title and the action it sends along
// the responder chain.
struct MenuItem {
    std::u16string title;
    std::string action;
    friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

// The one edit menu over selected text. The standard commands come first,
// then the custom items; each shows only while the first responder says it
// can perform it.
class MenuController {
public:
    explicit MenuController(NotificationCenter& center);

    static MenuController& shared();
    // The commands every text view offers, by action name.
    static const std::vector<MenuItem>& standardItems();

    const std::vector<MenuItem>& menuItems() const { return m_items; }
    void setMenuItems(std::vector<MenuItem> items) { m_items = std::move(items); }

    // Shows the menu pointing at `rect` in `view`'s coordinates. Showing
    // while shown moves it without posting again.
    void showMenuFromView(const std::shared_ptr<View>& view, Rect rect);
    // The same menu for `view`, shown at the bar item where the item shows,
    // and at `rect` in `view` where it does not.
    void showMenuAtBarButtonItem(const std::shared_ptr<View>& view, Rect rect,
                                 const std::shared_ptr<BarButtonItem>& item);
    void hideMenu();
    bool isMenuVisible() const { return m_visible; }
    std::shared_ptr<View> targetView() const { return m_targetView.lock(); }
    Rect targetRect() const { return m_targetRect; }
    std::shared_ptr<BarButtonItem> targetBarButtonItem() const { return m_targetItem.lock(); }

    // The items shown for this responder (the first responder when null),
    // standard ones first.
    std::vector<MenuItem> visibleItems(const Responder* responder = nullptr) const;
    // A user's pick: validated again, sent along the chain, then the menu
    // hides. Answers whether the action was performed.
    bool performItemWithTitle(const std::u16string& title, Responder* responder = nullptr);

private:
    NotificationCenter& m_center;
    std::vector<MenuItem> m_items;
    std::weak_ptr<View> m_targetView;
    std::weak_ptr<BarButtonItem> m_targetItem;
    Rect m_targetRect;
    bool m_visible = false;
};

} // namespace folio
