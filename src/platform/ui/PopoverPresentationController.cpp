#include "platform/ui/PopoverPresentationController.h"

#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace folio {

Rect PopoverPresentationController::anchorRect() const
{
    if (!(m_sourceRect == Rect{}))
        return m_sourceRect;
    if (auto view = m_sourceView.lock())
        return view->bounds();
    return m_sourceRect;
}

std::vector<std::shared_ptr<View>> PopoverPresentationController::passthroughViews() const
{
    std::vector<std::shared_ptr<View>> views;
    for (const auto& weak : m_passthroughViews) {
        if (auto view = weak.lock())
            views.push_back(view);
    }
    return views;
}

void PopoverPresentationController::setPassthroughViews(const std::vector<std::shared_ptr<View>>& views)
{
    m_passthroughViews.assign(views.begin(), views.end());
}

ModalPresentationStyle PopoverPresentationController::adaptivePresentationStyle(const TraitCollection& traits)
{
    if (traits.horizontalSizeClass != UserInterfaceSizeClass::Compact)
        return ModalPresentationStyle::Popover;
    if (auto delegate = m_delegate.lock()) {
        if (auto style = delegate->adaptivePresentationStyleForTraitCollection(*this, traits))
            return *style;
    }
    return ModalPresentationStyle::FullScreen;
}

bool PopoverPresentationController::touchOutside(const View* touched)
{
    if (touched) {
        for (const auto& view : passthroughViews()) {
            if (touched->isDescendantOfView(view.get()))
                return false;
        }
    }
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->popoverPresentationControllerShouldDismissPopover(*this))
        return false;
    ViewController& presented = *m_presented;
    if (!presented.presentingViewController())
        return false;
    // Dismissal may release the presented controller and with it this object.
    auto keepPresented = presented.weak_from_this().lock();
    presented.dismissViewControllerAnimated(true);
    if (delegate)
        delegate->popoverPresentationControllerDidDismissPopover(*this);
    return true;
}

} // namespace folio
