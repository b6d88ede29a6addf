#include "platform/ui/MenuController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/Responder.h"
#include "platform/ui/View.h"

namespace folio {

MenuController::MenuController(NotificationCenter& center) : m_center(center) {}

MenuController& MenuController::shared()
{
    static MenuController controller(NotificationCenter::defaultCenter());
    return controller;
}

const std::vector<MenuItem>& MenuController::standardItems()
{
    static const std::vector<MenuItem> items{
        {u"Cut", "cut:"},       {u"Copy", "copy:"},     {u"Paste", "paste:"},
        {u"Select", "select:"}, {u"Select All", "selectAll:"}, {u"Delete", "delete:"},
    };
    return items;
}

void MenuController::showMenuFromView(const std::shared_ptr<View>& view, Rect rect)
{
    showMenuAtBarButtonItem(view, rect, nullptr);
}

void MenuController::showMenuAtBarButtonItem(const std::shared_ptr<View>& view, Rect rect,
                                             const std::shared_ptr<BarButtonItem>& item)
{
    m_targetItem = item;
    m_targetView = view;
    m_targetRect = rect;
    if (m_visible) {
        Presenter::current().editMenuVisibilityDidChange(*this);
        return;
    }
    m_center.postNotification(kMenuControllerWillShowMenuNotification, this);
    m_visible = true;
    Presenter::current().editMenuVisibilityDidChange(*this);
    m_center.postNotification(kMenuControllerDidShowMenuNotification, this);
}

void MenuController::hideMenu()
{
    if (!m_visible)
        return;
    m_center.postNotification(kMenuControllerWillHideMenuNotification, this);
    m_visible = false;
    Presenter::current().editMenuVisibilityDidChange(*this);
    m_center.postNotification(kMenuControllerDidHideMenuNotification, this);
}

std::vector<MenuItem> MenuController::visibleItems(const Responder* responder) const
{
    if (!responder)
        responder = Responder::currentFirstResponder();
    std::vector<MenuItem> shown;
    if (!responder)
        return shown;
    for (const auto* list : {&standardItems(), &m_items}) {
        for (const auto& item : *list) {
            if (responder->canPerformAction(item.action, this))
                shown.push_back(item);
        }
    }
    return shown;
}

bool MenuController::performItemWithTitle(const std::u16string& title, Responder* responder)
{
    if (!responder)
        responder = Responder::currentFirstResponder();
    if (!responder)
        return false;
    for (const auto& item : visibleItems(responder)) {
        if (item.title != title)
            continue;
        hideMenu();
        return responder->performAction(item.action, this);
    }
    return false;
}

} // namespace folio
