#include "tools/specialchars/ArrowsSpecialCharsViewController.h"

#include "platform/graphics/Font.h"
#include "platform/ui/MenuController.h"
#include "tools/ToolsText.h"
#include "tools/specialchars/PagedGridViewCell.h"
#include "tools/specialchars/RecentSpecialCharacters.h"
#include "tools/specialchars/SpecialCharacterSets.h"

#include <algorithm>

namespace folio {

namespace {
// Picks from the letterlike set are not remembered.
constexpr int kUnrecordedSet = 16;

std::shared_ptr<const Font> cellFont()
{
    auto font = Font::fontWithName("Helvetica", 32);
    return font ? std::make_shared<const Font>(*font) : nullptr;
}
} // namespace

ArrowsSpecialCharsViewController::ArrowsSpecialCharsViewController(UserDefaults& defaults)
    : PagedGridViewController(0), m_defaults(defaults)
{
    setPreferredContentSize(Size{240, 320});
    setCellSize(Size{44, 44});
}

void ArrowsSpecialCharsViewController::viewDidLoad()
{
    m_specialChars.clear();
    m_sectionsNames.clear();
    if (m_charset >= SpecialCharacterSets::kFirstSet && m_charset < SpecialCharacterSets::kRecentlyUsedSet) {
        for (const auto& section : SpecialCharacterSets::sectionsOfSet(m_charset)) {
            m_specialChars.push_back(section.characters);
            m_sectionsNames.push_back(localized(section.title));
        }
    } else if (m_charset == SpecialCharacterSets::kRecentlyUsedSet) {
        m_recentSelections = RecentSpecialCharacters(m_defaults).list();
        m_specialChars.emplace_back(m_recentSelections.rbegin(), m_recentSelections.rend());
        m_sectionsNames.push_back(localized("Recently Used"));
    }
}

std::shared_ptr<PagedGridViewCell> ArrowsSpecialCharsViewController::cellForItem(std::size_t section, std::size_t item)
{
    auto cell = dequeueReusableCellWithIdentifier("MyCellIdentifier");
    if (!cell) {
        cell = std::make_shared<PagedGridViewCell>("MyCellIdentifier");
        cell->textLabel()->setFont(cellFont());
        cell->detailTextLabel()->setFont(cellFont());
    }
    cell->textLabel()->setText(m_specialChars.at(section).at(item));
    return cell;
}

void ArrowsSpecialCharsViewController::didSelectItem(std::size_t section, std::size_t item)
{
    auto delegate = m_delegate.lock();
    if (!delegate)
        return;
    const std::u16string characters = m_specialChars.at(section).at(item);
    m_recentSelections.clear();
    if (m_charset != kUnrecordedSet)
        RecentSpecialCharacters(m_defaults).record(characters);
    delegate->specialCharsOptionSelected(characters, false);
}

void ArrowsSpecialCharsViewController::didLongPressItem(std::size_t section, std::size_t item)
{
    MenuController::shared().hideMenu();
    cells().at(section).at(item)->setHighlighted(false);
}

void ArrowsSpecialCharsViewController::handleHooray(std::size_t section, std::size_t item)
{
    if (section < cells().size() && item < cells()[section].size())
        cells()[section][item]->setHighlighted(false);
}

} // namespace folio
