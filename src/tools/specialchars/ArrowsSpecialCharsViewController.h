#pragma once

#include "tools/specialchars/PagedGridViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class UserDefaults;

class ArrowsSpecialCharsPickerDelegate {
public:
    virtual ~ArrowsSpecialCharsPickerDelegate() = default;
    virtual void specialCharsOptionSelected(const std::u16string& characters, bool isEmoji) = 0;
};

// The grid of one character set in titled sections of 44-point cells. A
// pick is remembered in the recently used list (the letterlike set's picks
// excepted) and sent to the delegate.
class ArrowsSpecialCharsViewController : public PagedGridViewController {
public:
    // Records picks in `defaults`.
    explicit ArrowsSpecialCharsViewController(UserDefaults& defaults);

    void setDelegate(std::weak_ptr<ArrowsSpecialCharsPickerDelegate> delegate) { m_delegate = std::move(delegate); }
    // 9 to 17, before the view loads.
    void setCharacterSet(int set) { m_charset = set; }
    int characterSet() const { return m_charset; }

    const std::vector<std::vector<std::u16string>>& specialChars() const { return m_specialChars; }
    const std::vector<std::u16string>& sectionsNames() const { return m_sectionsNames; }

    std::size_t numberOfSections() override { return m_specialChars.size(); }
    std::size_t numberOfItemsInSection(std::size_t section) override { return m_specialChars.at(section).size(); }
    std::u16string titleForHeaderInSection(std::size_t section) override { return m_sectionsNames.at(section); }
    std::shared_ptr<PagedGridViewCell> cellForItem(std::size_t section, std::size_t item) override;
    void didSelectItem(std::size_t section, std::size_t item) override;
    void didLongPressItem(std::size_t section, std::size_t item) override;
    // The one action the grid performs from an edit menu.
    void handleHooray(std::size_t section, std::size_t item);

protected:
    void viewDidLoad() override;

private:
    UserDefaults& m_defaults;
    std::weak_ptr<ArrowsSpecialCharsPickerDelegate> m_delegate;
    int m_charset = 0;
    std::vector<std::vector<std::u16string>> m_specialChars;
    std::vector<std::u16string> m_sectionsNames;
    std::vector<std::u16string> m_recentSelections;
};

} // namespace folio
