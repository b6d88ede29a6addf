#pragma once

#include "platform/foundation/PropertyList.h"
#include "platform/ui/TextFieldDelegate.h"
#include "platform/ui/ViewController.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class Button;
class Control;
class Label;
class ScrollView;
class Switch;
class TextField;

// A sheet that invents character names: random first and last names from
// lists by language or genre and by gender, five lines at a time, with a
// first or last name of the user's own held in every line, and the list
// copied to the pasteboard. It never touches the document.
class NameGeneratorController : public ViewController, public TextFieldDelegate {
public:
    // Answers a 32-bit random number. The default source is seeded once per
    // process, so that two sheets opened in the same second draw differently.
    using RandomSource = std::function<std::uint32_t()>;

    static constexpr std::size_t kLanguageCount = 12;
    // Tags of the setting switches.
    enum Tag : long {
        FemaleTag = -2,
        MaleTag = -1,
        AlliterationTag = 0,
        FirstLanguageTag = 1,
        FantasyTag = 13,
        SciFiTag = 14,
    };
    // The prefixes of the name-list keys, languages first in switch order, then the genres.
    static const std::array<const char*, 14>& listPrefixes();

    // Reads the lists from the "namesList" resource.
    NameGeneratorController();
    // Takes the lists given; tests pass their own.
    explicit NameGeneratorController(PropertyList namesDictionary);

    void setRandomSource(RandomSource source) { m_random = std::move(source); }

    void toggleSetting(Control& sender);
    void createName();
    void copyNamesList();
    void dismissPanel();
    void fillNameArrays();

    bool textFieldShouldReturn(TextField&) override;
    bool textFieldShouldChangeCharactersInRange(TextField&, Range, const std::u16string& replacement) override;
    bool textFieldShouldClear(TextField&) override;
    void textFieldDidEndEditing(TextField&) override;

    const PropertyList& namesDictionary() const { return m_namesDictionary; }
    const std::vector<std::u16string>& firstNamesArray() const { return m_firstNames; }
    const std::vector<std::u16string>& lastNamesArray() const { return m_lastNames; }
    const std::optional<std::u16string>& holdFirst() const { return m_holdFirst; }
    const std::optional<std::u16string>& holdLast() const { return m_holdLast; }
    bool isMale() const { return m_isMale; }
    bool isFemale() const { return m_isFemale; }
    bool usesLanguage(std::size_t index) const { return m_languages.at(index); }
    bool useFantasy() const { return m_useFantasy; }
    bool useSciFi() const { return m_useSciFi; }
    bool shouldAlliterate() const { return m_shouldAlliterate; }

    const std::shared_ptr<TextField>& firstNameLabel() const { return m_firstNameField; }
    const std::shared_ptr<TextField>& lastNameLabel() const { return m_lastNameField; }
    const std::shared_ptr<Switch>& femaleButton() const { return m_femaleSwitch; }
    const std::shared_ptr<Switch>& maleButton() const { return m_maleSwitch; }
    const std::shared_ptr<Button>& generateNames() const { return m_generateButton; }
    const std::shared_ptr<Button>& namesCopyButton() const { return m_copyButton; }
    const std::shared_ptr<Label>& nameListView() const { return m_nameListView; }
    // The switch of any setting, by its tag.
    std::shared_ptr<Switch> switchWithTag(long tag) const;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

private:
    void addList(std::vector<std::u16string>& pool, const std::string& key) const;
    std::u16string draw(const std::vector<std::u16string>& pool, const std::u16string* alliterateWith);
    void endEditing();
    std::u16string generatedList();

    PropertyList m_namesDictionary;
    RandomSource m_random;
    std::vector<std::u16string> m_firstNames;
    std::vector<std::u16string> m_lastNames;
    std::u16string m_thisFirst = u".";
    std::u16string m_thisLast = u".";
    std::optional<std::u16string> m_holdFirst;
    std::optional<std::u16string> m_holdLast;
    std::array<bool, kLanguageCount> m_languages{true};
    bool m_useFantasy = false;
    bool m_useSciFi = false;
    bool m_shouldAlliterate = false;
    bool m_isMale = true;
    bool m_isFemale = false;

    std::shared_ptr<ScrollView> m_scrollPanel;
    std::shared_ptr<TextField> m_firstNameField;
    std::shared_ptr<TextField> m_lastNameField;
    std::shared_ptr<Switch> m_femaleSwitch;
    std::shared_ptr<Switch> m_maleSwitch;
    std::vector<std::shared_ptr<Switch>> m_switches;
    std::shared_ptr<Button> m_generateButton;
    std::shared_ptr<Button> m_copyButton;
    std::shared_ptr<Label> m_nameListView;
};

} // namespace folio
