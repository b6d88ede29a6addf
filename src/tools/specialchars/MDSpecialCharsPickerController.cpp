#include "tools/specialchars/MDSpecialCharsPickerController.h"

#include "tools/ToolsText.h"
#include "tools/specialchars/SpecialCharacterSets.h"

namespace folio {

namespace {
constexpr std::size_t kDateRow = 0;
constexpr std::size_t kShortDateRow = 1;
constexpr std::size_t kLocationRow = 2;
constexpr int kRowToSet = 6;
} // namespace

void MDSpecialCharsPickerController::viewDidLoad()
{
    std::vector<std::u16string> options{localized("Date & Time"), localized("Short Date & Time"), localized("Current Location")};
    for (const auto& title : SpecialCharacterSets::markdownMenuTitles())
        options.push_back(localized(title));
    setOptions(std::move(options));
    setPreferredContentSize(Size{240, 540});
}

bool MDSpecialCharsPickerController::sendToDelegate(const std::u16string& text)
{
    auto delegate = m_delegate.lock();
    if (!delegate)
        return false;
    delegate->specialCharsOptionSelected(text, false);
    return true;
}

void MDSpecialCharsPickerController::didSelectRowAtIndexPath(TableView&, IndexPath indexPath)
{
    std::size_t row = indexPath.row;
    if (row == kDateRow || row == kShortDateRow)
        sendToDelegate(dateAndTime(row == kShortDateRow));
    else if (row == kLocationRow)
        startLocationLookup();
    else
        pushCharacterSet(static_cast<int>(row) + kRowToSet);
}

} // namespace folio
