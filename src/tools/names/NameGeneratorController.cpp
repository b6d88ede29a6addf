#include "tools/names/NameGeneratorController.h"

#include "tools/ToolPanelPresentation.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TextField.h"
#include "tools/ToolsText.h"

#include <mutex>
#include <random>

namespace folio {

namespace {

// The panel's rows fit the sheet, under its bar, without scrolling: the
// five names, the last thing the user looks for, stand above its bottom.
constexpr double kFirstRowY = 56;
constexpr double kRowPitch = 29;
constexpr double kSettingRows = 9;
constexpr double kNameListHeight = 100;

PropertyList readNamesList()
{
    auto path = Resources::pathForResource("namesList", "plist");
    if (!path)
        return PropertyList();
    auto list = PropertyList::readFromFile(*path);
    return list ? std::move(list.value()) : PropertyList();
}

// One generator for the process, seeded once: seeding on every draw from the
// clock gave the same names to draws made in the same second.
std::uint32_t processRandom()
{
    static std::mutex mutex;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard lock(mutex);
    return static_cast<std::uint32_t>(generator());
}

const char* const kSettingTitles[] = {"Female", "Male", "Alliterate", "English", "Celtic", "German", "French",
                                      "Spanish", "Italian", "Japanese", "Chinese", "Scandinavian", "Greek",
                                      "Arabic", "Slavic", "Fantasy", "Sci-fi"};

std::u16string firstLetter(const std::u16string& name)
{
    if (name.empty())
        return {};
    return uppercaseString(std::u16string_view(name).substr(0, isHighSurrogate(name[0]) && name.size() > 1 ? 2 : 1));
}

} // namespace

const std::array<const char*, 14>& NameGeneratorController::listPrefixes()
{
    static const std::array<const char*, 14> prefixes{"english", "celtic", "german", "french", "spanish",
                                                      "italian", "japanese", "chinese", "scandinavian", "greek",
                                                      "arabic", "slavic", "fantasy", "scifi"};
    return prefixes;
}

NameGeneratorController::NameGeneratorController() : NameGeneratorController(readNamesList()) {}

NameGeneratorController::NameGeneratorController(PropertyList namesDictionary)
    : m_namesDictionary(std::move(namesDictionary)), m_random(processRandom)
{
    m_languages.fill(false);
    m_languages[0] = true;
    fillNameArrays();
}

void NameGeneratorController::loadView()
{
    auto panel = std::make_shared<ScrollView>(makeRect(0, 0, 500, 500));
    panel->setBackgroundColor(Color::colorWithWhite(1));
    m_scrollPanel = panel;

    m_firstNameField = std::make_shared<TextField>(makeRect(20, 16, 220, 32));
    m_firstNameField->setPlaceholder(localized("First Name"));
    m_lastNameField = std::make_shared<TextField>(makeRect(260, 16, 220, 32));
    m_lastNameField->setPlaceholder(localized("Last Name"));
    for (const auto& field : {m_firstNameField, m_lastNameField}) {
        field->setDelegate(std::shared_ptr<TextFieldDelegate>(sharedAs<NameGeneratorController>(), this));
        panel->addSubview(field);
    }

    // Settings in two columns: gender and alliteration, then the lists.
    std::weak_ptr<NameGeneratorController> weak = sharedAs<NameGeneratorController>();
    for (long tag = FemaleTag; tag <= SciFiTag; ++tag) {
        long index = tag - FemaleTag;
        double x = index % 2 == 0 ? 20 : 260;
        double y = kFirstRowY + static_cast<double>(index / 2) * kRowPitch;
        auto title = std::make_shared<Label>(makeRect(x, y, 140, 30));
        title->setText(localized(kSettingTitles[index]));
        auto toggle = std::make_shared<Switch>(makeRect(x + 150, y, 60, 30));
        toggle->setTag(tag);
        toggle->addAction(ControlEvent::ValueChanged, [weak](Control& sender) {
            if (auto self = weak.lock())
                self->toggleSetting(sender);
        });
        panel->addSubview(title);
        panel->addSubview(toggle);
        m_switches.push_back(toggle);
    }
    m_femaleSwitch = switchWithTag(FemaleTag);
    m_maleSwitch = switchWithTag(MaleTag);

    const double buttonsY = kFirstRowY + kSettingRows * kRowPitch + 4;
    m_generateButton = std::make_shared<Button>(makeRect(20, buttonsY, 220, 36));
    m_generateButton->setTitle(localized("Generate Names"));
    m_generateButton->addAction(ControlEvent::TouchUpInside, [weak](Control&) {
        if (auto self = weak.lock())
            self->createName();
    });
    m_copyButton = std::make_shared<Button>(makeRect(260, buttonsY, 220, 36));
    m_copyButton->setTitle(localized("Copy Names"));
    m_copyButton->addAction(ControlEvent::TouchUpInside, [weak](Control&) {
        if (auto self = weak.lock())
            self->copyNamesList();
    });
    m_nameListView = std::make_shared<Label>(makeRect(20, buttonsY + 44, 460, kNameListHeight));
    m_nameListView->setNumberOfLines(0);
    panel->addSubview(m_generateButton);
    panel->addSubview(m_copyButton);
    panel->addSubview(m_nameListView);
    setView(panel);
}

void NameGeneratorController::viewWillAppear(bool)
{
    applyToolPanelBarColors(*this);
}

void NameGeneratorController::viewDidLoad()
{
    setPreferredContentSize(Size{500, 500});
    m_scrollPanel->setContentSize(Size{m_scrollPanel->frame().width(), 500});
    m_firstNameField->setText({});
    m_lastNameField->setText({});
    for (const auto& toggle : m_switches) {
        long tag = toggle->tag();
        bool on = tag == FemaleTag ? m_isFemale
                  : tag == MaleTag ? m_isMale
                  : tag == AlliterationTag ? m_shouldAlliterate
                  : tag == FantasyTag ? m_useFantasy
                  : tag == SciFiTag ? m_useSciFi
                                    : m_languages[static_cast<std::size_t>(tag - FirstLanguageTag)];
        toggle->setOn(on);
    }
    fillNameArrays();
}

std::shared_ptr<Switch> NameGeneratorController::switchWithTag(long tag) const
{
    for (const auto& toggle : m_switches) {
        if (toggle->tag() == tag)
            return toggle;
    }
    return nullptr;
}

void NameGeneratorController::toggleSetting(Control& sender)
{
    long tag = sender.tag();
    if (tag == FemaleTag || tag == MaleTag) {
        // One gender at a time: choosing the chosen one again keeps it.
        m_isFemale = tag == FemaleTag;
        m_isMale = tag == MaleTag;
        if (m_femaleSwitch)
            m_femaleSwitch->setOn(m_isFemale);
        if (m_maleSwitch)
            m_maleSwitch->setOn(m_isMale);
        if (isViewLoaded())
            Presenter::current().viewContentDidChange(*this);
    } else if (tag == AlliterationTag) {
        m_shouldAlliterate = !m_shouldAlliterate;
    } else if (tag >= FirstLanguageTag && tag < FantasyTag) {
        auto& language = m_languages[static_cast<std::size_t>(tag - FirstLanguageTag)];
        language = !language;
    } else if (tag == FantasyTag) {
        m_useFantasy = !m_useFantasy;
    } else if (tag == SciFiTag) {
        m_useSciFi = !m_useSciFi;
    }
    fillNameArrays();
}

void NameGeneratorController::addList(std::vector<std::u16string>& pool, const std::string& key) const
{
    auto list = m_namesDictionary.objectForKey(key);
    if (!list || !list->arrayValue())
        return;
    for (const auto& name : *list->arrayValue()) {
        if (auto text = name.stringValue(); text && !text->empty())
            pool.push_back(toUtf16(*text));
    }
}

void NameGeneratorController::fillNameArrays()
{
    m_firstNames.clear();
    m_lastNames.clear();
    auto addLists = [this](const std::string& prefix) {
        if (m_isFemale)
            addList(m_firstNames, prefix + "Female");
        if (m_isMale)
            addList(m_firstNames, prefix + "Male");
        addList(m_lastNames, prefix + "Last");
    };
    if (m_useFantasy)
        addLists("fantasy");
    if (m_useSciFi)
        addLists("scifi");
    // A genre replaces the languages.
    if (m_useFantasy || m_useSciFi)
        return;
    for (std::size_t index = 0; index < kLanguageCount; ++index) {
        if (m_languages[index])
            addLists(listPrefixes()[index]);
    }
}

std::u16string NameGeneratorController::draw(const std::vector<std::u16string>& pool, const std::u16string* alliterateWith)
{
    // Alliteration draws among the names with the other part's initial, so
    // the drawing always ends; with no such name it falls back to the pool.
    std::vector<const std::u16string*> candidates;
    if (alliterateWith) {
        std::u16string initial = firstLetter(*alliterateWith);
        for (const auto& name : pool) {
            if (firstLetter(name) == initial)
                candidates.push_back(&name);
        }
    }
    if (candidates.empty()) {
        for (const auto& name : pool)
            candidates.push_back(&name);
    }
    return capitalizedString(*candidates[m_random() % candidates.size()]);
}

void NameGeneratorController::endEditing()
{
    for (const auto& field : {m_firstNameField, m_lastNameField}) {
        if (field && field->isEditing())
            field->resignFirstResponder();
    }
}

void NameGeneratorController::createName()
{
    loadViewIfNeeded();
    m_nameListView->setText({});
    endEditing();
    m_nameListView->setText(generatedList());
    Presenter::current().viewContentDidChange(*this);
}

std::u16string NameGeneratorController::generatedList()
{
    const std::u16string* heldFirst = m_holdFirst && !m_holdFirst->empty() ? &*m_holdFirst : nullptr;
    const std::u16string* heldLast = m_holdLast && !m_holdLast->empty() ? &*m_holdLast : nullptr;
    if (m_firstNames.empty() || m_lastNames.empty())
        return localized("Please, select one or more languages.");
    if (heldFirst && heldLast)
        return *heldFirst + u" " + *heldLast + u"\n";
    std::u16string lines;
    for (int line = 0; line < 5; ++line) {
        if (heldFirst) {
            m_thisLast = draw(m_lastNames, m_shouldAlliterate ? heldFirst : nullptr);
        } else if (heldLast) {
            m_thisFirst = draw(m_firstNames, m_shouldAlliterate ? heldLast : nullptr);
        } else {
            m_thisFirst = draw(m_firstNames, nullptr);
            m_thisLast = draw(m_lastNames, m_shouldAlliterate ? &m_thisFirst : nullptr);
        }
        lines += (heldFirst ? *heldFirst : m_thisFirst) + u" " + (heldLast ? *heldLast : m_thisLast) + u"\n";
    }
    return lines;
}

void NameGeneratorController::copyNamesList()
{
    loadViewIfNeeded();
    Pasteboard::general().setString(m_nameListView->text());
}

void NameGeneratorController::dismissPanel() { dismissViewControllerAnimated(true); }

bool NameGeneratorController::textFieldShouldReturn(TextField& field)
{
    field.resignFirstResponder();
    return false;
}

bool NameGeneratorController::textFieldShouldChangeCharactersInRange(TextField& field, Range, const std::u16string& replacement)
{
    if (replacement == u"\n") {
        field.resignFirstResponder();
        return false;
    }
    return true;
}

bool NameGeneratorController::textFieldShouldClear(TextField& field)
{
    (&field == m_firstNameField.get() ? m_holdFirst : m_holdLast).reset();
    return true;
}

void NameGeneratorController::textFieldDidEndEditing(TextField& field)
{
    (&field == m_firstNameField.get() ? m_holdFirst : m_holdLast) = field.text();
}

} // namespace folio
