#include "tools/pickers/FontSizePickerController.h"

#include "tools/pickers/CommandPickerRows.h"

namespace folio {

FontSizePickerController::FontSizePickerController()
    : CommandPickerController(CommandPickerRows::fontSizes(), {70, 506}, TextAlignment::Center, Titles::AsGiven)
{
}

void FontSizePickerController::report(std::size_t row)
{
    if (auto delegate = m_delegate.lock())
        delegate->sizeSelected(std::string(rowKeys()[row]));
}

} // namespace folio
