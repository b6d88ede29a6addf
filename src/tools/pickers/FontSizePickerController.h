#pragma once

#include "tools/pickers/CommandPickerController.h"
#include "tools/pickers/CommandPickerDelegates.h"

namespace folio {

// Relative steps ("+1", "-1", "+10", "-10") and absolute sizes; a choice
// sends the row's text itself.
class FontSizePickerController : public CommandPickerController {
public:
    FontSizePickerController();

    void setDelegate(std::weak_ptr<FontSizePickerDelegate> delegate) { m_delegate = std::move(delegate); }

protected:
    void report(std::size_t row) override;

private:
    std::weak_ptr<FontSizePickerDelegate> m_delegate;
};

} // namespace folio
