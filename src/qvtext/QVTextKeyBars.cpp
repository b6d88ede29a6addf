#include "qvtext/QVTextKeyBars.h"

#include "platform/docframework/DKKeyCommands.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "webeditor/CustomKeyTitles.h"
#include "webeditor/PageConnection.h"

namespace folio {

namespace {

constexpr double kRowHeight = 44;
constexpr double kLongPressSeconds = 0.5;

std::u16string localized(const char* text)
{
    return toUtf16(Localization::localizedString(text));
}

std::shared_ptr<View> bar()
{
    return std::make_shared<View>(Rect{{0, 0}, {0, kRowHeight}});
}

} // namespace

std::string QVTextKeyBars::customKeyDefaultsKey(long key)
{
    return "customKey" + std::to_string(key);
}

QVTextKeyBars::QVTextKeyBars(PageConnection& page, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_defaults(defaults)
    , m_host(std::move(host))
    , m_styleToolbar(bar())
    , m_styleToolbarPhone(bar())
    , m_keysToolbar1(bar())
    , m_keysToolbar2(bar())
    , m_keysToolbarPhone1(bar())
    , m_keysToolbarPhone2(bar())
{
    initCustomButtons();
}

QVTextKeyBars::~QVTextKeyBars() = default;

void QVTextKeyBars::initCustomButtons()
{
    // The keys start as the marks the keyboard lacks; a key redefined in
    // either text editor shows its stored text.
    for (long key = 0; key < kKeyCount; ++key) {
        auto button = std::make_shared<Button>();
        button->setTag(key);
        std::u16string title = kCustomKeyTitles[static_cast<std::size_t>(key)];
        if (std::optional<std::string> stored = m_defaults.stringForKey(customKeyDefaultsKey(key)); stored && !stored->empty())
            title = toUtf16(*stored);
        button->setTitle(title, ControlState::Normal);
        button->setTitle(title, ControlState::Highlighted);
        button->addAction(ControlEvent::TouchUpInside, [this](Control& sender) {
            insertKeyFromKeyboardToolbar(static_cast<Button&>(sender));
        });
        auto press = std::make_shared<LongPressGestureRecognizer>([this](GestureRecognizer& recognizer) {
            if (auto* pressed = dynamic_cast<Button*>(recognizer.view()))
                longPressInCustomKey(*pressed);
        });
        press->setMinimumPressDuration(kLongPressSeconds);
        button->addGestureRecognizer(press);
        (key < kKeysPerRow ? m_keysToolbar1 : m_keysToolbar2)->addSubview(button);
        m_customButtons.push_back(std::move(button));
    }
}

void QVTextKeyBars::removeFormBar()
{
    if (m_removingFormBar)
        return;
    m_removingFormBar = true;
    if (!m_accessory) {
        double width = m_host.viewWidth ? m_host.viewWidth() : 0;
        double height = width > 600 ? kWideAccessoryHeight : kNarrowAccessoryHeight;
        m_accessory = std::make_shared<View>(Rect{{0, 0}, {width, height}});
        bool phone = m_host.isPhone && m_host.isPhone();
        for (const std::shared_ptr<View>& row : phone ? std::vector{m_keysToolbarPhone1, m_keysToolbarPhone2, m_styleToolbarPhone}
                                                      : std::vector{m_keysToolbar1, m_keysToolbar2, m_styleToolbar}) {
            row->setFrame(Rect{{0, 0}, {width, height}});
            m_accessory->addSubview(row);
        }
        selectBars(m_defaults.integerForKey(kSelectedBarKey).value_or(static_cast<long long>(Bar::Style)));
    }
    m_removedFormBar = true;
    m_removingFormBar = false;
}

void QVTextKeyBars::selectBars(long tag)
{
    if (tag < static_cast<long>(Bar::KeysRow1) || tag > static_cast<long>(Bar::Style))
        return;
    const std::shared_ptr<View>& style = m_host.isPhone && m_host.isPhone() ? m_styleToolbarPhone : m_styleToolbar;
    style->setHidden(tag != static_cast<long>(Bar::Style));
    for (const auto& row : {m_keysToolbar1, m_keysToolbarPhone1})
        row->setHidden(tag != static_cast<long>(Bar::KeysRow1));
    for (const auto& row : {m_keysToolbar2, m_keysToolbarPhone2})
        row->setHidden(tag != static_cast<long>(Bar::KeysRow2));
}

void QVTextKeyBars::toogleKeyboardToolbar(long tag)
{
    // Any other tag leaves the bars as they are but is still remembered.
    selectBars(tag);
    m_defaults.setInteger(kSelectedBarKey, tag);
}

void QVTextKeyBars::showStyleToolBar()
{
    for (const auto& row : {m_styleToolbar, m_keysToolbar1, m_keysToolbar2})
        row->setHidden(false);
}

void QVTextKeyBars::hideStyleToolBar()
{
    for (const auto& row : {m_styleToolbar, m_keysToolbar1, m_keysToolbar2})
        row->setHidden(true);
}

void QVTextKeyBars::insertKeyFromKeyboardToolbar(const Button& key)
{
    long tag = key.tag();
    if (tag < 0 || tag >= static_cast<long>(m_customButtons.size()))
        return;
    if (m_host.insertKey)
        m_host.insertKey(m_customButtons[static_cast<std::size_t>(tag)]->titleForState(ControlState::Normal));
}

void QVTextKeyBars::longPressInCustomKey(const Button& key)
{
    if (m_displayingAlert)
        return;
    m_displayingAlert = true;
    long tag = key.tag();
    std::u16string current = key.titleForState(ControlState::Normal);
    std::shared_ptr<AlertController> alert =
        AlertController::make(localized("Update custom button"), localized("Write or copy&paste the new character(s)"));
    alert->addTextField([&](TextField& field) {
        field.setText(current);
        field.setTag(tag);
    });
    alert->addAction(AlertAction::make(localized("Cancel"), AlertActionStyle::Cancel, [this](AlertAction&) { m_displayingAlert = false; }));
    std::weak_ptr<AlertController> weakAlert = alert;
    alert->addAction(AlertAction::make(localized("OK"), AlertActionStyle::Default, [this, weakAlert](AlertAction&) {
        if (std::shared_ptr<AlertController> shown = weakAlert.lock(); shown && !shown->textFields().empty()) {
            const TextField& field = *shown->textFields().front();
            if (!field.text().empty())
                setNewCustomKey(field.tag(), field.text());
        }
        m_page.send(kFocusScript);
        m_displayingAlert = false;
    }));
    if (m_host.present)
        m_host.present(alert);
    else
        m_displayingAlert = false;
}

void QVTextKeyBars::setNewCustomKey(long index, const std::u16string& value)
{
    if (index < 0 || index >= static_cast<long>(m_customButtons.size()))
        return;
    const std::shared_ptr<Button>& button = m_customButtons[static_cast<std::size_t>(index)];
    button->setTitle(value, ControlState::Normal);
    button->setTitle(value, ControlState::Highlighted);
    m_defaults.setString(customKeyDefaultsKey(index), toUtf8(value));
    m_defaults.synchronize();
    m_displayingAlert = false;
    m_removedFormBar = false;
    removeFormBar();
}

std::vector<std::shared_ptr<KeyCommand>> QVTextKeyBars::keyCommands(
    const std::map<std::string, std::function<void()>>& documentActions) const
{
    std::vector<std::shared_ptr<KeyCommand>> commands =
        DKKeyCommands::keyCommandsWithCategories({DKKeyCommands::kDocumentControllerCategory}, documentActions);
    std::function<void(const std::string&)> run = m_host.run;
    for (auto [input, action] : {std::pair{kKeyInputUpArrow, "magicCursorUpTap"}, {kKeyInputDownArrow, "magicCursorDownTap"},
                                 {kKeyInputLeftArrow, "magicCursorLeftTap"}, {kKeyInputRightArrow, "magicCursorRightTap"}}) {
        std::string command = action;
        commands.push_back(KeyCommand::make(input, 0, {}, [run, command](KeyCommand&) {
            if (run)
                run(command);
        }));
    }
    return commands;
}

std::string QVTextKeyBars::escapeString(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '\\' || c == '\'' || c == '"')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace folio
