#include "platform/ui/ViewController.h"

#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace folio {

ViewController::ViewController() = default;

ViewController::~ViewController()
{
    if (m_view && m_view->owningViewController() == this)
        m_view->setOwningViewController(nullptr);
    for (auto& child : m_children)
        child->m_parent = nullptr;
}

std::shared_ptr<View> ViewController::view()
{
    // loadView may ask for the view again (through a subview's layout); the
    // second request gets what exists so far instead of recursing.
    if (!m_view && !m_loadingView) {
        m_loadingView = true;
        loadView();
        if (!m_view)
            setView(std::make_shared<View>());
        m_loadingView = false;
        viewDidLoad();
    }
    return m_view;
}

void ViewController::setView(std::shared_ptr<View> view)
{
    if (m_view && m_view->owningViewController() == this)
        m_view->setOwningViewController(nullptr);
    m_view = std::move(view);
    if (m_view)
        m_view->setOwningViewController(this);
}

void ViewController::loadView() { setView(std::make_shared<View>(Device::current().screenBounds())); }

void ViewController::setTitle(std::u16string title)
{
    m_title = title;
    navigationItem()->setTitle(std::move(title));
}

std::shared_ptr<NavigationItem> ViewController::navigationItem()
{
    if (!m_navigationItem)
        m_navigationItem = std::make_shared<NavigationItem>(m_title);
    return m_navigationItem;
}

void ViewController::addChildViewController(const std::shared_ptr<ViewController>& child)
{
    if (!child || child.get() == this || child->m_parent == this)
        return;
    for (const ViewController* ancestor = this; ancestor; ancestor = ancestor->m_parent) {
        if (ancestor == child.get())
            return;
    }
    auto keep = child;
    child->removeFromParentViewController();
    m_children.push_back(keep);
    keep->m_parent = this;
}

void ViewController::removeFromParentViewController()
{
    if (m_parent)
        m_parent->detachChild(this);
}

void ViewController::detachChild(ViewController* child)
{
    auto it = std::find_if(m_children.begin(), m_children.end(), [child](const auto& c) { return c.get() == child; });
    if (it == m_children.end())
        return;
    auto keep = *it;
    m_children.erase(it);
    keep->m_parent = nullptr;
}

NavigationController* ViewController::navigationController() const
{
    for (ViewController* current = m_parent; current; current = current->m_parent) {
        if (auto* navigation = dynamic_cast<NavigationController*>(current))
            return navigation;
    }
    return nullptr;
}

void ViewController::setModalPresentationStyle(ModalPresentationStyle style)
{
    m_modalPresentationStyle = style;
    if (style == ModalPresentationStyle::Popover) {
        if (!m_popover)
            m_popover = std::make_shared<PopoverPresentationController>(*this);
    } else if (!m_presenting.lock()) {
        m_popover.reset();
    }
}

ViewController* ViewController::presentationContext()
{
    ViewController* context = this;
    while (context->m_parent)
        context = context->m_parent;
    return context;
}

const ViewController* ViewController::presentationContext() const
{
    return const_cast<ViewController*>(this)->presentationContext();
}

std::shared_ptr<ViewController> ViewController::presentedViewController() const { return presentationContext()->m_presented; }

ViewController* ViewController::presentingViewController() const { return presentationContext()->m_presenting.lock().get(); }

bool ViewController::coversPresenter() const
{
    ModalPresentationStyle style = m_modalPresentationStyle;
    if (style == ModalPresentationStyle::Popover && m_popover)
        style = m_popover->adaptivePresentationStyle(traitCollection());
    return style == ModalPresentationStyle::FullScreen;
}

Status ViewController::presentViewController(const std::shared_ptr<ViewController>& controller, bool animated,
                                             Completion completion)
{
    static const std::string kDomain = "folio.ui";
    if (!controller)
        return Error{kDomain, 1, "No controller to present"};
    ViewController* context = presentationContext();
    auto contextOwner = context->sharedAs<ViewController>();
    if (!contextOwner)
        return Error{kDomain, 5, "The presenting controller is not shared"};
    if (context->m_presented)
        return Error{kDomain, 2, "This controller is already presenting another controller"};
    if (controller->m_parent || !controller->m_presenting.expired() || controller->isVisible())
        return Error{kDomain, 3, "The controller is already shown"};
    for (ViewController* below = context; below; below = below->m_presenting.lock().get()) {
        if (below == controller.get())
            return Error{kDomain, 3, "The controller is already shown"};
    }
    if (controller->m_modalPresentationStyle == ModalPresentationStyle::Popover) {
        auto popover = controller->m_popover;
        if (auto delegate = popover->delegate())
            delegate->prepareForPopoverPresentation(*popover);
        if (!popover->hasAnchor())
            return Error{kDomain, 4, "A popover needs a source view or a bar button item"};
    }

    auto keep = weak_from_this().lock();
    context->m_presented = controller;
    controller->m_presenting = contextOwner;
    controller->loadViewIfNeeded();
    bool covers = controller->coversPresenter();
    if (covers)
        context->beginAppearanceTransition(false, animated);
    controller->beginAppearanceTransition(true, animated);
    Presenter::current().controllerDidPresent(*context, *controller);
    controller->endAppearanceTransition();
    if (covers)
        context->endAppearanceTransition();
    if (completion)
        completion();
    return Status::success();
}

void ViewController::dismissPresentedChain(bool animated)
{
    // Top down, as the toolkit tears down a stack of presentations.
    auto presented = m_presented;
    if (!presented)
        return;
    presented->dismissPresentedChain(animated);
    bool covers = presented->coversPresenter();
    Presenter::current().controllerWillDismiss(*presented);
    presented->beginAppearanceTransition(false, animated);
    if (covers)
        beginAppearanceTransition(true, animated);
    m_presented.reset();
    presented->m_presenting.reset();
    presented->endAppearanceTransition();
    if (covers)
        endAppearanceTransition();
}

void ViewController::dismissViewControllerAnimated(bool animated, Completion completion)
{
    auto keep = weak_from_this().lock();
    ViewController* context = presentationContext();
    if (context->m_presented) {
        context->dismissPresentedChain(animated);
    } else if (auto presenting = context->m_presenting.lock()) {
        presenting->dismissPresentedChain(animated);
    }
    if (completion)
        completion();
}

void ViewController::beginAppearanceTransition(bool appearing, bool animated)
{
    if (appearing) {
        if (m_appearance == Appearance::Appeared || m_appearance == Appearance::Appearing)
            return;
        loadViewIfNeeded();
        m_appearance = Appearance::Appearing;
        viewWillAppear(animated);
    } else {
        if (m_appearance == Appearance::Disappeared || m_appearance == Appearance::Disappearing)
            return;
        m_appearance = Appearance::Disappearing;
        viewWillDisappear(animated);
    }
    m_pendingAppearing = appearing;
    for (auto& child : appearanceChildren())
        child->beginAppearanceTransition(appearing, animated);
}

void ViewController::endAppearanceTransition()
{
    if (m_appearance == Appearance::Appearing) {
        m_appearance = Appearance::Appeared;
        viewDidAppear(m_pendingAppearing);
    } else if (m_appearance == Appearance::Disappearing) {
        m_appearance = Appearance::Disappeared;
        viewDidDisappear(m_pendingAppearing);
    } else {
        return;
    }
    for (auto& child : appearanceChildren())
        child->endAppearanceTransition();
}

void ViewController::transitionToSize(Size size)
{
    auto keep = weak_from_this().lock();
    viewWillTransitionToSize(size);
    if (m_view) {
        Rect frame = m_view->frame();
        frame.size = size;
        m_view->setFrame(frame);
    }
    for (auto& child : std::vector<std::shared_ptr<ViewController>>(m_children))
        child->transitionToSize(size);
    // Popovers and form sheets keep their own size.
    if (m_presented && m_presented->coversPresenter())
        m_presented->transitionToSize(size);
}

TraitCollection ViewController::traitCollection() const
{
    TraitCollection traits;
    if (m_overrideTraits)
        traits = *m_overrideTraits;
    else if (m_parent)
        traits = m_parent->traitCollection();
    else if (auto presenting = m_presenting.lock())
        traits = presenting->traitCollection();
    else
        traits = Device::current().traitCollection();
    if (m_overrideStyle != UserInterfaceStyle::Unspecified)
        traits.userInterfaceStyle = m_overrideStyle;
    return traits;
}

Responder* ViewController::nextResponder() const
{
    if (m_view) {
        if (auto superview = m_view->superview())
            return superview.get();
    }
    if (m_parent)
        return m_parent;
    return m_presenting.lock().get();
}

} // namespace folio
