#include "qvtext/QVTextKeyBars.h"

#include "webeditor/CustomKeyEditorAlert.h"
#include "platform/docframework/DKKeyCommands.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "webeditor/CustomKeyTitles.h"
#include "webeditor/PageConnection.h"

#include <algorithm>

namespace folio {

namespace {

constexpr double kRowHeight = 44;
constexpr double kLongPressSeconds = 0.5;
// Keys and buttons 36 points tall in the 44-point row, 4 points apart.
constexpr double kKeyWidth = 40;
constexpr double kKeyHeight = 36;
constexpr double kGap = 4;
constexpr double kFontNameWidth = 120;

// How many switches end each bar; a wider gap stands before them.
constexpr std::size_t kSwitchCount = 3;

// Lays a bar's keys out from the left in their order, each line as high as
// a row, beginning a new line where the next key would pass the right edge:
// in a window narrower than the bar every key stays on screen, none over
// another. Answers the lines used. A width of 0 (not laid out yet) keeps
// one line.
int wrapKeys(View& bar, double width)
{
    const double top = (kRowHeight - kKeyHeight) / 2;
    const std::vector<std::shared_ptr<View>>& keys = bar.subviews();
    const std::size_t switchesStart = keys.size() >= kSwitchCount ? keys.size() - kSwitchCount : 0;
    double x = kGap;
    int line = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const double keyWidth = keys[i]->frame().width();
        if (i == switchesStart && x > kGap)
            x += kGap * 2;
        if (width > 0 && x > kGap && x + keyWidth > width - kGap) {
            x = kGap;
            ++line;
        }
        keys[i]->setFrame(Rect{{x, top + line * kRowHeight}, {keyWidth, kKeyHeight}});
        x += keyWidth + kGap;
    }
    return line + 1;
}

// The accessory bar: its rows, one above the other, always as wide as it,
// and as high as the row shown needs for its lines of keys.
class RowStack : public View {
public:
    RowStack(const Rect& frame) : View(frame), m_oneLineHeight(frame.height()) {}
    void setFrame(const Rect& frame) override
    {
        int lines = 1;
        for (const std::shared_ptr<View>& row : subviews()) {
            int rowLines = wrapKeys(*row, frame.width());
            if (!row->isHidden())
                lines = std::max(lines, rowLines);
        }
        const double height = m_oneLineHeight + (lines - 1) * kRowHeight;
        View::setFrame(Rect{frame.origin, {frame.width(), height}});
        for (const std::shared_ptr<View>& row : subviews())
            row->setFrame(Rect{{0, 0}, {frame.width(), height}});
    }

private:
    double m_oneLineHeight;
};

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
    , m_keysToolbar1(bar())
    , m_keysToolbar2(bar())
{
    initCustomButtons();
    layoutBars();
}

QVTextKeyBars::~QVTextKeyBars() = default;

const std::vector<QVTextKeyBars::StyleKey>& QVTextKeyBars::styleKeys()
{
    static const std::vector<StyleKey> keys{
        {u"B", "", "boldExecCommand"},
        {u"I", "", "italicExecCommand"},
        {u"U", "", "underlineExecCommand"},
        {u"\u2212", "", "decreaseFontSizeKcommand"},
        {u"Size", "", "showFontSizeMenu"},
        {u"+", "", "increaseFontSizeKcommand"},
        {u"Aa", "", "showTextStyleInspectorFromKeyboard"},
        {u"\u00B6", "", "showOtherCommandsMenu"},
        {u"", "doc.badge.gearshape", "showTextToolsInspectorMenu"},
        // The font at the caret; it opens the text style, where the font is chosen.
        {u"Helvetica", "", "showFontNameTextStyle", kFontNameWidth},
    };
    return keys;
}

std::shared_ptr<Button> QVTextKeyBars::styleButton(std::string_view command) const
{
    const std::vector<StyleKey>& keys = styleKeys();
    for (std::size_t i = 0; i < keys.size() && i < m_styleButtons.size(); ++i) {
        if (command == keys[i].command)
            return m_styleButtons[i];
    }
    return nullptr;
}

void QVTextKeyBars::layoutBars()
{
    const double top = (kRowHeight - kKeyHeight) / 2;
    auto place = [top](View& bar, const std::shared_ptr<Button>& button, double& x, double width) {
        button->setFrame(Rect{{x, top}, {width, kKeyHeight}});
        bar.addSubview(button);
        x += width + kGap;
    };
    double x1 = kGap;
    double x2 = kGap;
    for (long key = 0; key < kKeyCount; ++key) {
        const std::shared_ptr<Button>& button = m_customButtons[static_cast<std::size_t>(key)];
        place(key < kKeysPerRow ? *m_keysToolbar1 : *m_keysToolbar2, button, key < kKeysPerRow ? x1 : x2, kKeyWidth);
    }

    double xs = kGap;
    for (const StyleKey& key : styleKeys()) {
        auto button = std::make_shared<Button>();
        button->setTitle(key.title);
        if (*key.symbol)
            button->setSymbolName(key.symbol);
        std::string command = key.command;
        button->addAction(ControlEvent::TouchUpInside, [this, command](Control&) {
            if (m_host.run)
                m_host.run(command);
        });
        place(*m_styleToolbar, button, xs, key.width > 0 ? key.width : kKeyWidth);
        m_styleButtons.push_back(std::move(button));
    }
    // Each menu button gets its own menu, built for it.
    auto menuButton = [&](std::shared_ptr<Button>& button, const char* symbol,
                          const std::function<std::shared_ptr<Menu>()>& menu) {
        button = std::make_shared<Button>();
        button->setSymbolName(symbol);
        if (menu) {
            button->setMenu(menu());
            button->setShowsMenuAsPrimaryAction(true);
        }
        place(*m_styleToolbar, button, xs, kKeyWidth);
    };
    menuButton(m_styleAlign, "text.alignleft", m_host.alignKeyMenu);
    menuButton(m_insertImage, "photo", m_host.insertImageMenu);
    menuButton(m_showMiscToolsMenu, "keyboard", m_host.miscToolsMenu);

    // Each bar ends with the switches to the others.
    const Color barColor = Color::colorWithRed(214 / 255.0, 217 / 255.0, 223 / 255.0, 1);
    const std::pair<Bar, const char16_t*> switches[] = {{Bar::KeysRow1, u"1"}, {Bar::KeysRow2, u"2"}, {Bar::Style, u"Aa"}};
    for (auto [bar, x] : {std::pair{m_keysToolbar1, &x1}, std::pair{m_keysToolbar2, &x2}, std::pair{m_styleToolbar, &xs}}) {
        *x += kGap * 2;
        for (const auto& [target, title] : switches) {
            auto button = std::make_shared<Button>();
            button->setTag(static_cast<long>(target));
            button->setTitle(title);
            place(*bar, button, *x, kKeyWidth);
            button->addAction(ControlEvent::TouchUpInside, [this](Control& pressed) {
                toogleKeyboardToolbar(pressed.tag());
                if (m_host.barsDidChange)
                    m_host.barsDidChange();
            });
        }
        bar->setBackgroundColor(barColor);
    }
}

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
        button->setFrame(Rect{{0, 0}, {kKeyWidth, kKeyHeight}});
        auto press = std::make_shared<LongPressGestureRecognizer>([this](GestureRecognizer& recognizer) {
            if (auto* pressed = dynamic_cast<Button*>(recognizer.view()))
                longPressInCustomKey(*pressed);
        });
        press->setMinimumPressDuration(kLongPressSeconds);
        button->addGestureRecognizer(press);
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
        m_accessory = std::make_shared<RowStack>(Rect{{0, 0}, {width, height}});
        // The bar runs the whole width of a window wider than its rows.
        m_accessory->setBackgroundColor(m_styleToolbar->backgroundColor());
        for (const std::shared_ptr<View>& row : {m_keysToolbar1, m_keysToolbar2, m_styleToolbar})
            m_accessory->addSubview(row);
        m_accessory->setFrame(m_accessory->frame());
        selectBars(m_defaults.integerForKey(kSelectedBarKey).value_or(static_cast<long long>(Bar::Style)));
    }
    m_removedFormBar = true;
    m_removingFormBar = false;
}

void QVTextKeyBars::selectBars(long tag)
{
    if (tag < static_cast<long>(Bar::KeysRow1) || tag > static_cast<long>(Bar::Style))
        return;
    m_styleToolbar->setHidden(tag != static_cast<long>(Bar::Style));
    m_keysToolbar1->setHidden(tag != static_cast<long>(Bar::KeysRow1));
    m_keysToolbar2->setHidden(tag != static_cast<long>(Bar::KeysRow2));
    fitToWidth(m_accessory ? m_accessory->frame().width() : 0);
}

void QVTextKeyBars::fitToWidth(double width)
{
    if (m_accessory)
        m_accessory->setFrame(Rect{m_accessory->frame().origin, {width, m_accessory->frame().height()}});
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
    fitToWidth(m_accessory ? m_accessory->frame().width() : 0);
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
    presentCustomKeyEditor(key, m_displayingAlert, m_host.present, [this](long tag, const std::u16string& text) {
        if (!text.empty())
            setNewCustomKey(tag, text);
        m_page.send(kFocusScript);
    });
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
