#include "platform/docframework/DKInspector.h"

#include "platform/docframework/DKInspectorDelegate.h"
#include "platform/docframework/DKInspectorSlice.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/View.h"

namespace folio {

// Hears the user's dismissal (a touch outside) and keeps the inspector a
// popover in every width, as the editors show it.
class DKInspector::PopoverDelegate : public PopoverPresentationControllerDelegate {
public:
    explicit PopoverDelegate(DKInspector& inspector) : m_inspector(&inspector) {}
    void forget() { m_inspector = nullptr; }

    void popoverPresentationControllerDidDismissPopover(PopoverPresentationController&) override
    {
        if (m_inspector)
            m_inspector->didDismiss();
    }
    std::optional<ModalPresentationStyle> adaptivePresentationStyleForTraitCollection(PopoverPresentationController&,
                                                                                       const TraitCollection&) override
    {
        return ModalPresentationStyle::Popover;
    }

private:
    DKInspector* m_inspector;
};

std::shared_ptr<DKInspector> DKInspector::make(double mainPaneHeight)
{
    std::shared_ptr<DKInspector> inspector(new DKInspector());
    inspector->m_mainPane = std::make_shared<DKStackedSlicesPane>(*inspector, mainPaneHeight);
    inspector->m_navigation = NavigationController::withRootViewController(inspector->m_mainPane);
    inspector->m_popoverDelegate = std::make_shared<PopoverDelegate>(*inspector);
    return inspector;
}

DKInspector::~DKInspector()
{
    if (m_popoverDelegate)
        m_popoverDelegate->forget();
}

bool DKInspector::isVisible() const
{
    return m_presented && m_navigation->presentingViewController() != nullptr;
}

Status DKInspector::inspectFromBarButtonItem(ViewController& presenter, const std::shared_ptr<BarButtonItem>& item)
{
    m_navigation->setModalPresentationStyle(ModalPresentationStyle::Popover);
    auto popover = m_navigation->popoverPresentationController();
    popover->setSourceView(nullptr);
    popover->setBarButtonItem(item);
    return present(presenter);
}

Status DKInspector::inspectFromRect(ViewController& presenter, Rect rect, const std::shared_ptr<View>& view,
                                    unsigned arrowDirections)
{
    m_navigation->setModalPresentationStyle(ModalPresentationStyle::Popover);
    auto popover = m_navigation->popoverPresentationController();
    popover->setBarButtonItem(nullptr);
    popover->setSourceView(view);
    popover->setSourceRect(rect);
    popover->setPermittedArrowDirections(arrowDirections);
    return present(presenter);
}

Status DKInspector::present(ViewController& presenter)
{
    if (isVisible())
        return Error{"DKInspector", 1, "The inspector is already shown"};
    m_navigation->popoverPresentationController()->setDelegate(m_popoverDelegate);
    m_navigation->setPreferredContentSize(m_mainPane->preferredContentSize());
    // Back to the main pane: a pane pushed last time is not where a new
    // showing starts, and the main pane may have been pushed onto another
    // inspector meanwhile.
    std::vector<std::shared_ptr<ViewController>> stack = m_navigation->viewControllers();
    if (stack.size() != 1 || stack.front() != m_mainPane)
        m_navigation->setViewControllers({m_mainPane}, false);
    refreshObjects();
    if (auto delegate = m_delegate.lock())
        delegate->inspectorWillAppear(*this);
    Status shown = presenter.presentViewController(m_navigation, true);
    m_presented = static_cast<bool>(shown);
    return shown;
}

void DKInspector::pushPane(const std::shared_ptr<DKStackedSlicesPane>& pane, bool animated)
{
    if (!pane || pane.get() == m_navigation->topViewController().get())
        return;
    m_navigation->pushViewController(pane, animated);
}

void DKInspector::dismissAnimated(bool animated)
{
    if (!isVisible())
        return;
    m_navigation->dismissViewControllerAnimated(animated);
    didDismiss();
}

void DKInspector::didDismiss()
{
    if (!m_presented)
        return;
    m_presented = false;
    if (auto delegate = m_delegate.lock())
        delegate->inspectorDidDismiss(*this);
}

void DKInspector::refreshObjects()
{
    auto delegate = m_delegate.lock();
    m_objects = delegate ? delegate->inspectableObjects(*this) : std::vector<DKDocument*>{};
}

void DKInspector::updateInterfaceFromInspectedObjects(int reason)
{
    refreshObjects();
    for (const auto& controller : m_navigation->viewControllers()) {
        if (auto* pane = dynamic_cast<DKStackedSlicesPane*>(controller.get()))
            pane->updateInterfaceFromInspectedObjects(reason);
    }
    std::vector<std::shared_ptr<ViewController>> stack = m_navigation->viewControllers();
    if (stack.empty() || stack.front() != m_mainPane)
        m_mainPane->updateInterfaceFromInspectedObjects(reason);
    if (!isVisible() || stack.empty())
        return;
    // Shown on the next turn, once the control that changed the objects has
    // finished its event: showing the pane again rebuilds that control.
    std::weak_ptr<Responder> weak = stack.back()->weak_from_this();
    RunLoop::main().post([weak] {
        if (auto pane = std::dynamic_pointer_cast<ViewController>(weak.lock()))
            Presenter::current().viewContentDidChange(*pane);
    });
}

std::vector<std::shared_ptr<DKInspectorSlice>> DKInspector::slicesForPane(DKStackedSlicesPane& pane)
{
    auto delegate = m_delegate.lock();
    if (!delegate)
        return {};
    if (m_objects.empty())
        refreshObjects();
    return delegate->makeAvailableSlicesForStackedSlicesPane(*this, pane);
}

void DKInspector::willBeginChangingInspectedObjects()
{
    ++m_changeDepth;
}

void DKInspector::didEndChangingInspectedObjects()
{
    if (m_changeDepth == 0)
        return;
    if (--m_changeDepth != 0)
        return;
    // The slices show what the change made of the objects.
    updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonObjectsEdited);
    if (m_didChange)
        m_didChange();
}

} // namespace folio
