#pragma once

#include "platform/gtk/GtkPresenter.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/Responder.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <vector>

namespace folio::test {

// The GTK presenter, and a count of what it was asked to show: a view
// presented or dismissed, a menu, a window, the edit menu, the progress
// overlay, a pushed controller.
class WalkPresenter final : public Presenter {
public:
    explicit WalkPresenter(GtkPresenter& shown) : m_shown(shown) { Presenter::setCurrent(this); }
    ~WalkPresenter() override { Presenter::setCurrent(&m_shown); }

    long events = 0;
    long menus = 0;
    // Each time the edit menu came up.
    long editMenus = 0;
    // The controllers presented since the last forget, in order.
    std::vector<std::weak_ptr<Responder>> presented;
    void forget() { presented.clear(); }

    void windowDidBecomeVisible(Window& window) override { ++events; m_shown.windowDidBecomeVisible(window); }
    void windowDidClose(Window& window) override { ++events; m_shown.windowDidClose(window); }
    void navigationStackDidChange(NavigationController& navigation) override
    {
        ++events; m_shown.navigationStackDidChange(navigation);
    }
    void navigationItemDidChange(NavigationItem& item) override { m_shown.navigationItemDidChange(item); }
    void barButtonItemDidChange(BarButtonItem& item) override { m_shown.barButtonItemDidChange(item); }
    void barButtonItemEnabledDidChange(BarButtonItem& item) override { m_shown.barButtonItemEnabledDidChange(item); }
    void controllerDidPresent(ViewController& presenting, ViewController& presented) override
    {
        ++events;
        this->presented.push_back(presented.weak_from_this());
        m_shown.controllerDidPresent(presenting, presented);
    }
    void controllerWillDismiss(ViewController& presented) override { ++events; m_shown.controllerWillDismiss(presented); }
    void menuRequested(Menu& menu, const void* anchor) override
    {
        ++events;
        ++menus;
        m_shown.menuRequested(menu, anchor);
    }
    void editMenuVisibilityDidChange(MenuController& menu) override
    {
        ++events;
        if (menu.isMenuVisible())
            ++editMenus;
        m_shown.editMenuVisibilityDidChange(menu);
    }
    void tableViewDidReload(TableView& table) override { m_shown.tableViewDidReload(table); }
    void progressHUDDidChange(ProgressHUD& hud) override { ++events; m_shown.progressHUDDidChange(hud); }
    void controlDidChange(Control& control) override { m_shown.controlDidChange(control); }
    void viewContentDidChange(ViewController& controller) override { m_shown.viewContentDidChange(controller); }
    void activityIndicatorDidChange(ActivityIndicatorView& indicator) override
    {
        m_shown.activityIndicatorDidChange(indicator);
    }
    void viewNeedsDisplay(View& view) override { m_shown.viewNeedsDisplay(view); }
    void viewLayoutDidChange(View& view) override { m_shown.viewLayoutDidChange(view); }
    void inputViewsDidChange(View& view) override { ++events; m_shown.inputViewsDidChange(view); }
    void viewDidRequestKeyboardFocus(View& view) override { m_shown.viewDidRequestKeyboardFocus(view); }

private:
    GtkPresenter& m_shown;
};

} // namespace folio::test
