#include "tools/textstyle/PaperMarginsPickerViewController.h"

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableViewCell.h"
#include "tools/ToolsText.h"
#include "tools/textstyle/StepperCell.h"
#include "tools/textstyle/TSUpDownControlFloat.h"
#include "tools/textstyle/TextStyleListController.h"

namespace folio {

std::shared_ptr<PaperMarginsPickerViewController> PaperMarginsPickerViewController::textStylePickerViewController()
{
    return std::make_shared<PaperMarginsPickerViewController>();
}

void PaperMarginsPickerViewController::viewDidLoad()
{
    setTitle(localized("Print Margins"));
    std::weak_ptr<PaperMarginsPickerViewController> weak = sharedAs<PaperMarginsPickerViewController>();
    auto makeStepper = [&](double minimum, double maximum, double value,
                           void (PaperMarginsPickerViewController::*action)(TSUpDownControlFloat&)) {
        auto stepper = std::make_shared<TSUpDownControlFloat>();
        stepper->setMinimumAllowedValue(minimum);
        stepper->setMaximumAllowedValue(maximum);
        stepper->setValueLS(value);
        stepper->addAction(ControlEvent::ValueChanged, [weak, action](Control& sender) {
            if (auto self = weak.lock())
                (self.get()->*action)(static_cast<TSUpDownControlFloat&>(sender));
        });
        return stepper;
    };
    m_bottomControl = makeStepper(0.25, 10.0, m_bottom, &PaperMarginsPickerViewController::marginBottomValueChanged);
    m_leftControl = makeStepper(0, 7.0, m_left, &PaperMarginsPickerViewController::marginLeftValueChanged);
    m_rightControl = makeStepper(2.0, 8.5, m_right, &PaperMarginsPickerViewController::marginRightValueChanged);
    m_topControl = makeStepper(0.25, 10.0, m_top, &PaperMarginsPickerViewController::marginTopValueChanged);
    m_tableLayout = {makeStepperCell(localized("Left"), m_leftControl), makeStepperCell(localized("Right"), m_rightControl),
                     makeStepperCell(localized("Top"), m_topControl), makeStepperCell(localized("Bottom"), m_bottomControl)};
    for (const auto& cell : m_tableLayout)
        applyThemeBackground(*cell);
    if (Device::current().isPad()) {
        setPreferredContentSize(Size{320, 585});
    } else {
        m_doneButtonItem = BarButtonItem::withTitle(localized("Done"), [weak](BarButtonItem&) {
            if (auto self = weak.lock())
                self->doneAction();
        });
        navigationItem()->setRightBarButtonItems({m_doneButtonItem});
    }
}

std::shared_ptr<TableViewCell> PaperMarginsPickerViewController::cellForRowAtIndexPath(TableView&, IndexPath indexPath)
{
    if (Device::current().isPad())
        setPreferredContentSize(Size{320, 500});
    else if (m_doneButtonItem)
        navigationItem()->setRightBarButtonItems({m_doneButtonItem});
    return m_tableLayout.at(indexPath.row);
}

double PaperMarginsPickerViewController::heightForRowAtIndexPath(TableView&, IndexPath indexPath)
{
    return m_tableLayout.at(indexPath.row)->frame().height();
}

void PaperMarginsPickerViewController::marginLeftValueChanged(TSUpDownControlFloat& stepper)
{
    if (auto delegate = m_delegate.lock())
        delegate->paperMarginLeftViewChanged(*this, stepper.valueLS());
}

void PaperMarginsPickerViewController::marginRightValueChanged(TSUpDownControlFloat& stepper)
{
    if (auto delegate = m_delegate.lock())
        delegate->paperMarginRightViewChanged(*this, stepper.valueLS());
}

void PaperMarginsPickerViewController::marginTopValueChanged(TSUpDownControlFloat& stepper)
{
    if (auto delegate = m_delegate.lock())
        delegate->paperMarginTopViewChanged(*this, stepper.valueLS());
}

void PaperMarginsPickerViewController::marginBottomValueChanged(TSUpDownControlFloat& stepper)
{
    if (auto delegate = m_delegate.lock())
        delegate->paperMarginBottomViewChanged(*this, stepper.valueLS());
}

} // namespace folio
