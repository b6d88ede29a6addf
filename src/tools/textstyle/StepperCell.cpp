#include "tools/textstyle/StepperCell.h"

#include "platform/ui/Label.h"
#include "tools/textstyle/UpDownControl.h"

namespace folio {

std::shared_ptr<TableViewCell> makeStepperCell(const std::u16string& title, const std::shared_ptr<UpDownControl>& stepper)
{
    auto cell = std::make_shared<TableViewCell>();
    cell->setFrame(makeRect(0, 0, 320, kStepperCellHeight));
    cell->textLabel()->setText(title);
    cell->setSelectionStyle(TableViewCellSelectionStyle::None);
    stepper->setFrame(makeRect(150, 6, 150, kStepperCellHeight - 12));
    cell->addSubview(stepper);
    return cell;
}

} // namespace folio
