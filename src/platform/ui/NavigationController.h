#pragma once

#include "platform/graphics/Color.h"

#include "platform/ui/ViewController.h"

#include <memory>
#include <optional>
#include <vector>

namespace folio {

// A stack of controllers with the top one on screen under a navigation bar
// that shows the top controller's navigation item.
class NavigationController : public ViewController {
public:
    NavigationController() = default;
    static std::shared_ptr<NavigationController> withRootViewController(const std::shared_ptr<ViewController>& root);

    std::vector<std::shared_ptr<ViewController>> viewControllers() const { return childViewControllers(); }
    void setViewControllers(const std::vector<std::shared_ptr<ViewController>>& controllers, bool animated);
    std::shared_ptr<ViewController> topViewController() const;
    // The controller the user sees: what the stack presents, else the top.
    std::shared_ptr<ViewController> visibleViewController() const;

    void pushViewController(const std::shared_ptr<ViewController>& controller, bool animated);
    // The root is never popped; answers the popped controller.
    std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);
    std::vector<std::shared_ptr<ViewController>> popToRootViewControllerAnimated(bool animated);

    bool isNavigationBarHidden() const { return m_navigationBarHidden; }
    void setNavigationBarHidden(bool hidden);
    // The bar's colours; those left unset are the desktop theme's.
    struct BarColors {
        std::optional<Color> background;
        std::optional<Color> foreground;
    };
    const BarColors& navigationBarColors() const { return m_navigationBarColors; }
    void setNavigationBarColors(BarColors colors);

    bool isToolbarHidden() const { return m_toolbarHidden; }
    void setToolbarHidden(bool hidden) { m_toolbarHidden = hidden; }

protected:
    void loadView() override;
    std::vector<std::shared_ptr<ViewController>> appearanceChildren() const override;

private:
    void showTop(const std::shared_ptr<ViewController>& previous, bool animated);

    bool m_navigationBarHidden = false;
    BarColors m_navigationBarColors;
    bool m_toolbarHidden = true;
};

} // namespace folio
