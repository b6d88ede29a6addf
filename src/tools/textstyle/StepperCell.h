#pragma once

#include "platform/ui/TableViewCell.h"

#include <memory>
#include <string>

namespace folio {

class UpDownControl;

// A row of a style panel that holds a titled stepper on its right.
std::shared_ptr<TableViewCell> makeStepperCell(const std::u16string& title, const std::shared_ptr<UpDownControl>& stepper);

// Height of a stepper row; the steppers show their value in large type.
constexpr double kStepperCellHeight = 64;

} // namespace folio
