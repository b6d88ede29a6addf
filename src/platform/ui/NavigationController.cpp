#include "platform/ui/NavigationController.h"

#include "platform/ui/Device.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/View.h"

namespace folio {

std::shared_ptr<NavigationController> NavigationController::withRootViewController(const std::shared_ptr<ViewController>& root)
{
    auto navigation = std::make_shared<NavigationController>();
    if (root)
        navigation->addChildViewController(root);
    return navigation;
}

std::shared_ptr<ViewController> NavigationController::topViewController() const
{
    const auto& children = childViewControllers();
    return children.empty() ? nullptr : children.back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const
{
    if (auto presented = presentedViewController())
        return presented;
    return topViewController();
}

void NavigationController::loadView()
{
    setView(std::make_shared<View>(Device::current().screenBounds()));
    if (auto top = topViewController())
        viewIfLoaded()->addSubview(top->view());
}

std::vector<std::shared_ptr<ViewController>> NavigationController::appearanceChildren() const
{
    if (auto top = topViewController())
        return {top};
    return {};
}

void NavigationController::showTop(const std::shared_ptr<ViewController>& previous, bool animated)
{
    auto top = topViewController();
    if (previous == top)
        return;
    bool onScreen = isVisible();
    if (onScreen && previous)
        previous->beginAppearanceTransition(false, animated);
    if (previous && previous->isViewLoaded())
        previous->viewIfLoaded()->removeFromSuperview();
    if (top && isViewLoaded()) {
        auto topView = top->view();
        topView->setFrame(viewIfLoaded()->bounds());
        viewIfLoaded()->addSubview(topView);
    }
    if (onScreen && top)
        top->beginAppearanceTransition(true, animated);
    Presenter::current().navigationStackDidChange(*this);
    if (onScreen && top)
        top->endAppearanceTransition();
    if (onScreen && previous)
        previous->endAppearanceTransition();
}

void NavigationController::setViewControllers(const std::vector<std::shared_ptr<ViewController>>& controllers, bool animated)
{
    auto keep = weak_from_this().lock();
    auto previous = topViewController();
    // A copy: taking a child out changes the list being walked.
    std::vector<std::shared_ptr<ViewController>> children = childViewControllers();
    for (const auto& child : children) {
        if (child != previous)
            child->removeFromParentViewController();
    }
    if (previous)
        detachChild(previous.get());
    for (const auto& controller : controllers)
        addChildViewController(controller);
    showTop(previous, animated);
}

void NavigationController::pushViewController(const std::shared_ptr<ViewController>& controller, bool animated)
{
    if (!controller || controller->parentViewController() == this)
        return;
    auto keep = weak_from_this().lock();
    auto previous = topViewController();
    addChildViewController(controller);
    showTop(previous, animated);
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(bool animated)
{
    if (childViewControllers().size() < 2)
        return nullptr;
    auto keep = weak_from_this().lock();
    auto popped = topViewController();
    detachChild(popped.get());
    showTop(popped, animated);
    return popped;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewControllerAnimated(bool animated)
{
    auto children = childViewControllers();
    if (children.size() < 2)
        return {};
    auto keep = weak_from_this().lock();
    auto previous = children.back();
    std::vector<std::shared_ptr<ViewController>> popped(children.begin() + 1, children.end());
    for (auto& controller : popped)
        detachChild(controller.get());
    showTop(previous, animated);
    return popped;
}

void NavigationController::setNavigationBarColors(BarColors colors)
{
    m_navigationBarColors = std::move(colors);
    Presenter::current().navigationStackDidChange(*this);
}

void NavigationController::setNavigationBarHidden(bool hidden)
{
    m_navigationBarHidden = hidden;
    Presenter::current().navigationStackDidChange(*this);
}

} // namespace folio
