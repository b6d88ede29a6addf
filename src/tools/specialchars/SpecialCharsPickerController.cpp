#include "tools/specialchars/SpecialCharsPickerController.h"

#include "platform/foundation/Unicode.h"
#include "platform/ui/TableView.h"
#include "tools/ToolsText.h"
#include "tools/specialchars/SpecialCharacterSets.h"

namespace folio {

namespace {

struct Command {
    const char* title;
    const char16_t* sends;
};

// The rich-text editor's rows before the dates; each sends its command name.
const Command kCommands[] = {
    {"::: Page Break", u"InsertPageBreak"},      {"\U0001F4AC Comment", u"InsertAnnotation"},
    {"[1] Footnote", u"InsertFootnote"},          {"[-] Footnote List", u"InsertFootnoteTable"},
    {"\u2014 Horizontal Line", u"Horizontal Line"}, {"\U0001F30D Web Link", u"InsertLink"},
};
constexpr std::size_t kPickerDateRow = 6;
constexpr std::size_t kPickerShortDateRow = 7;
constexpr std::size_t kPickerLocationRow = 8;
constexpr std::size_t kFirstSetRow = 9;

} // namespace

void SpecialCharsPickerController::viewDidLoad()
{
    auto delegate = m_delegate.lock();
    m_offersCommands = delegate && delegate->offersInsertCommands();
    std::vector<std::u16string> options;
    if (m_offersCommands) {
        for (const auto& command : kCommands)
            options.push_back(localized(command.title));
        options.push_back(localized("\U0001F556 Date & Time"));
        options.push_back(localized("\U0001F556 Date & Time Short"));
        options.push_back(localized("\U0001F4CD Current Location"));
    }
    for (const auto& title : SpecialCharacterSets::webMenuTitles())
        options.push_back(localized(title));
    setOptions(std::move(options));
    setPreferredContentSize(m_offersCommands ? Size{240, 510} : Size{240, 400});
}

bool SpecialCharsPickerController::sendToDelegate(const std::u16string& text)
{
    auto delegate = m_delegate.lock();
    if (!delegate)
        return false;
    delegate->specialCharsOptionSelected(text, false);
    return true;
}

void SpecialCharsPickerController::closeForLocationLookup()
{
    if (auto delegate = m_delegate.lock())
        delegate->dismissPopoverAnimated(true);
}

void SpecialCharsPickerController::didSelectRowAtIndexPath(TableView&, IndexPath indexPath)
{
    std::size_t row = indexPath.row;
    if (!m_offersCommands) {
        pushCharacterSet(static_cast<int>(row) + SpecialCharacterSets::kFirstSet);
        return;
    }
    if (row < std::size(kCommands))
        sendToDelegate(kCommands[row].sends);
    else if (row == kPickerDateRow || row == kPickerShortDateRow)
        sendToDelegate(dateAndTime(row == kPickerShortDateRow));
    else if (row == kPickerLocationRow)
        startLocationLookup();
    else
        pushCharacterSet(static_cast<int>(row - kFirstSetRow) + SpecialCharacterSets::kFirstSet);
}

} // namespace folio
