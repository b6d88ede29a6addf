#include "platform/docframework/DKStackedSlicesPane.h"

#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKInspectorSlice.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/View.h"

namespace folio {

DKStackedSlicesPane::DKStackedSlicesPane(DKInspector& inspector, double height)
    : m_inspector(&inspector)
{
    setPreferredContentSize(Size{kDefaultWidth, height > 0 ? height : kDefaultHeight});
}

void DKStackedSlicesPane::loadView()
{
    setView(std::make_shared<View>(Rect{{0, 0}, preferredContentSize()}));
}

void DKStackedSlicesPane::viewWillAppear(bool)
{
    reloadSlices();
}

void DKStackedSlicesPane::reloadSlices()
{
    for (const auto& slice : m_slices) {
        if (slice->isViewLoaded())
            slice->view()->removeFromSuperview();
        slice->removeFromParentViewController();
    }
    m_slices = m_inspector->slicesForPane(*this);
    for (const auto& slice : m_slices) {
        slice->setInspector(m_inspector);
        addChildViewController(slice);
    }
    stackSlices();
    for (const auto& slice : m_slices)
        slice->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonDefault);
    Presenter::current().viewContentDidChange(*this);
}

void DKStackedSlicesPane::stackSlices()
{
    std::shared_ptr<View> pane = view();
    double width = preferredContentSize().width;
    double y = 0;
    for (const auto& slice : m_slices) {
        std::shared_ptr<View> sliceView = slice->view();
        double height = slice->preferredHeight();
        sliceView->setFrame(Rect{{0, y}, {width, height}});
        pane->addSubview(sliceView);
        y += height;
    }
}

void DKStackedSlicesPane::updateInterfaceFromInspectedObjects(int reason)
{
    for (const auto& slice : m_slices)
        slice->updateInterfaceFromInspectedObjects(reason);
}

} // namespace folio
