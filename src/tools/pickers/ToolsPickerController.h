#pragma once

#include "platform/foundation/UserDefaults.h"
#include "tools/pickers/CommandPickerController.h"
#include "tools/pickers/CommandPickerDelegates.h"

namespace folio {

class Menu;

// The writing tools and switches. A switch row reads "Disable ..." while its
// setting is on and "Enable ..." otherwise; the read-aloud row asks the
// delegate's page whether it is speaking. Both are worked out each time the
// row is shown.
class ToolsPickerController
    : public RowIndexPickerController<ToolsPickerDelegate, &ToolsPickerDelegate::toolsOptionSelected> {
public:
    explicit ToolsPickerController(UserDefaults& defaults = UserDefaults::standardUserDefaults());

    // The same rows as a menu for a bar item, titled as they would show now;
    // each action reports its row to the delegate as a tap would.
    std::shared_ptr<Menu> menuOfRows();

protected:
    std::u16string titleForRow(std::size_t row) override;

private:
    UserDefaults& m_defaults;
};

} // namespace folio
