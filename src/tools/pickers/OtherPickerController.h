#pragma once

#include "platform/foundation/UserDefaults.h"
#include "tools/pickers/CommandPickerController.h"
#include "tools/pickers/CommandPickerDelegates.h"

namespace folio {

// The style menu: styles, lists, highlights and paragraph styles, each row
// previewing what it applies. The default style and the three presets show
// in their stored font and colour; a white one on gainsboro, so that it
// stays readable.
class OtherPickerController : public RowIndexPickerController<OtherPickerDelegate, &OtherPickerDelegate::optionSelected> {
public:
    static constexpr std::size_t kLabelStyleRow = 17;

    explicit OtherPickerController(UserDefaults& defaults = UserDefaults::standardUserDefaults());

protected:
    std::shared_ptr<TableViewCell> makeCell(TableView& table, std::size_t row) override;

private:
    void previewPreset(TableViewCell& cell, std::size_t preset);
    UserDefaults& m_defaults;
};

} // namespace folio
