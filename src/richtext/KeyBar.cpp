#include "richtext/KeyBar.h"

#include "webeditor/CustomKeyEditorAlert.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "webeditor/CustomKeyTitles.h"
#include "richtext/RichTextInsertion.h"
#include "richtext/StyleToolbar.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <algorithm>
#include <iterator>

namespace folio {

namespace {

constexpr double kLongPressSeconds = 0.5;
constexpr long kKeysPerRow = 13;
// The bars' own layout: keys and buttons 36 points tall in the 44-point
// row, 4 points apart.
constexpr double kKeyWidth = 40;
constexpr double kKeyHeight = 36;
constexpr double kGap = 4;
// The style bar holds more keys than a key row: narrower, they keep it no
// wider than the rows, so that the window can be as narrow as before.
constexpr double kStyleKeyWidth = 34;
constexpr double kFontNameWidth = 96;

std::u16string keyBarText(const char* text)
{
    return toUtf16(Localization::localizedString(text));
}

} // namespace

std::string KeyBar::customKeyDefaultsKey(long key)
{
    return "customKey" + std::to_string(key);
}

KeyBar::KeyBar(PageConnection& page, UserDefaults& defaults, StyleToolbar& styleButtons, Host host)
    : m_page(page)
    , m_defaults(defaults)
    , m_styleButtons(styleButtons)
    , m_host(std::move(host))
    , m_styleToolbar(std::make_shared<View>(Rect{{0, 0}, {0, kRowHeight}}))
    , m_keysToolbar1(std::make_shared<View>(Rect{{0, 0}, {0, kRowHeight}}))
    , m_keysToolbar2(std::make_shared<View>(Rect{{0, 0}, {0, kRowHeight}}))
{
    initCustomButtons();
    layoutBars();
}

KeyBar::~KeyBar() = default;

void KeyBar::layoutBars()
{
    const Color barColor = Color::colorWithRed(214 / 255.0, 217 / 255.0, 223 / 255.0, 1);
    const double top = (kRowHeight - kKeyHeight) / 2;
    auto place = [&](View& bar, const std::shared_ptr<Button>& button, double& x, double width) {
        button->setFrame(Rect{{x, top}, {width, kKeyHeight}});
        bar.addSubview(button);
        x += width + kGap;
    };
    double x1 = kGap;
    double x2 = kGap;
    for (long key = 1; key <= kKeyCount; ++key) {
        const std::shared_ptr<Button>& button = m_customButtons[static_cast<size_t>(key)];
        place(key <= kKeysPerRow ? *m_keysToolbar1 : *m_keysToolbar2, button, key <= kKeysPerRow ? x1 : x2, kKeyWidth);
        std::weak_ptr<Button> weak = button;
        button->addAction(ControlEvent::TouchUpInside, [this, weak](Control&) {
            if (std::shared_ptr<Button> pressed = weak.lock())
                insertKeyFromKeyboardToolbar(*pressed);
        });
    }

    // The style bar: emphasis, alignment, the caret's font and its size.
    double xs = kGap;
    struct StyleKey {
        std::shared_ptr<Button> button;
        const char16_t* title;
    };
    const StyleKey styleKeys[] = {
        {m_styleButtons.styleBold, u"B"},
        {m_styleButtons.styleItalic, u"I"},
        {m_styleButtons.styleUnderline, u"U"},
        {m_styleButtons.styleStrike, u"S"},
        {m_styleButtons.styleSuperscript, u"x\u00B2"},
        {m_styleButtons.styleSubscrit, u"x\u2082"},
    };
    for (const StyleKey& key : styleKeys) {
        if (key.button->titleForState(ControlState::Normal).empty())
            key.button->setTitle(key.title);
        place(*m_styleToolbar, key.button, xs, kStyleKeyWidth);
        std::weak_ptr<Button> weak = key.button;
        key.button->addAction(ControlEvent::TouchUpInside, [this, weak](Control&) {
            if (std::shared_ptr<Button> pressed = weak.lock(); pressed && m_host.styleButtonPressed)
                m_host.styleButtonPressed(*pressed);
        });
    }
    // The four alignment keys share one place; the font-state monitor shows
    // the one that matches the caret, and each opens the alignment menu.
    const std::pair<std::shared_ptr<Button>, const char*> alignKeys[] = {
        {m_styleButtons.styleAlignFull, "text.justify"},
        {m_styleButtons.styleAlignRight, "text.alignright"},
        {m_styleButtons.styleAlignCenter, "text.aligncenter"},
        {m_styleButtons.styleAlignLeft, "text.alignleft"},
    };
    for (const auto& [button, symbol] : alignKeys) {
        button->setSymbolName(symbol);
        button->setFrame(Rect{{xs, top}, {kStyleKeyWidth, kKeyHeight}});
        m_styleToolbar->addSubview(button);
        if (m_host.alignKeyMenu) {
            button->setMenu(m_host.alignKeyMenu());
            button->setShowsMenuAsPrimaryAction(true);
        }
    }
    xs += kStyleKeyWidth + kGap;
    for (const auto& [button, width] : {std::pair{m_styleButtons.styleFontName, kFontNameWidth},
                                        std::pair{m_styleButtons.styleFontSizeDecrease, kStyleKeyWidth},
                                        std::pair{m_styleButtons.styleFontSize, kStyleKeyWidth},
                                        std::pair{m_styleButtons.styleFontSizeIncrease, kStyleKeyWidth}}) {
        place(*m_styleToolbar, button, xs, width);
        // The size button only opens its picker.
        if (button == m_styleButtons.styleFontSize)
            continue;
        std::weak_ptr<Button> weak = button;
        button->addAction(ControlEvent::TouchUpInside, [this, weak](Control&) {
            if (std::shared_ptr<Button> pressed = weak.lock(); pressed && m_host.styleButtonPressed)
                m_host.styleButtonPressed(*pressed);
        });
    }
    for (const auto& [button, opener] : {std::pair{m_styleButtons.styleFontName, &Host::showTextStyleMenu},
                                         std::pair{m_styleButtons.styleFontSize, &Host::showFontSizeMenu}}) {
        std::weak_ptr<Button> weak = button;
        // clang 14 cannot capture a structured binding, so the lambda takes a copy.
        auto open = opener;
        button->addAction(ControlEvent::TouchUpInside, [this, weak, open](Control&) {
            if (std::shared_ptr<Button> pressed = weak.lock(); pressed && m_host.*open)
                (m_host.*open)(*pressed);
        });
    }
    m_otherCommandsKey->setTitle(u"\u00B6");
    place(*m_styleToolbar, m_otherCommandsKey, xs, kStyleKeyWidth);
    m_otherCommandsKey->addAction(ControlEvent::TouchUpInside, [this](Control& pressed) {
        if (m_showOtherCommandsMenu)
            m_showOtherCommandsMenu(static_cast<View&>(pressed).frame());
    });
    m_miscToolsKey->setSymbolName("keyboard");
    place(*m_styleToolbar, m_miscToolsKey, xs, kStyleKeyWidth);
    const std::pair<Panel, const char*> panels[] = {
        {Panel::Style, "paintbrush"}, {Panel::TextTools, "doc.badge.gearshape"}, {Panel::InsertItem, "plus"},
        {Panel::InsertImage, "photo"}};
    for (const auto& [panel, symbol] : panels) {
        const std::shared_ptr<Button>& key = panelKey(panel);
        key->setSymbolName(symbol);
        place(*m_styleToolbar, key, xs, kStyleKeyWidth);
        Panel opened = panel;
        key->addAction(ControlEvent::TouchUpInside, [this, opened](Control& pressed) {
            if (m_showPanel)
                m_showPanel(opened, static_cast<View&>(pressed).frame());
        });
    }
    m_styleButtons.styleFontSizeDecrease->setTitle(u"\u2212");
    m_styleButtons.styleFontSizeIncrease->setTitle(u"+");

    // Each bar ends with the switches to the others.
    const std::pair<Bar, const char16_t*> switches[] = {{Bar::KeysRow1, u"1"}, {Bar::KeysRow2, u"2"}, {Bar::Style, u"Aa"}};
    for (auto [bar, x] : {std::pair{m_keysToolbar1, &x1}, std::pair{m_keysToolbar2, &x2}, std::pair{m_styleToolbar, &xs}}) {
        *x += kGap * 2;
        m_switchesX.push_back(*x);
        for (const auto& [target, title] : switches) {
            auto button = std::make_shared<Button>();
            button->setTag(static_cast<long>(target));
            button->setTitle(title);
            button->setSelected((target == Bar::KeysRow1 && bar == m_keysToolbar1) || (target == Bar::KeysRow2 && bar == m_keysToolbar2)
                                || (target == Bar::Style && bar == m_styleToolbar));
            place(*bar, button, *x, kKeyWidth);
            button->addAction(ControlEvent::TouchUpInside, [this](Control& pressed) {
                toogleKeyboardToolbar(pressed.tag());
                rowDidChange();
            });
            m_barSwitches.push_back(button);
        }
        bar->setBackgroundColor(barColor);
    }
}

void KeyBar::setToolMenus(std::function<void(Rect keyFrame)> showOtherCommandsMenu, std::shared_ptr<Menu> miscToolsMenu)
{
    m_showOtherCommandsMenu = std::move(showOtherCommandsMenu);
    m_miscToolsKey->setMenu(std::move(miscToolsMenu));
    m_miscToolsKey->setShowsMenuAsPrimaryAction(true);
}

void KeyBar::rowDidChange() const
{
    if (m_host.rowDidChange)
        m_host.rowDidChange();
}

void KeyBar::initCustomButtons()
{
    for (long key = 1; key <= kKeyCount; ++key) {
        auto button = std::make_shared<Button>();
        button->setTag(key);
        button->setTitle(kCustomKeyTitles[static_cast<size_t>(key - 1)]);
        (key <= kKeysPerRow ? m_keysToolbar1 : m_keysToolbar2)->addSubview(button);
        m_customButtons.push_back(button);
    }
    m_customButtons.insert(m_customButtons.begin(), m_customButtons.front());
    // One key tells the user the keys can be redefined, until they do.
    m_hintKey = Device::current().isPad() ? 10 : 17;
    m_hint = keyBarText(
        " Tap  <br><b>These buttons are customizable! Just long press a key to redefine it with your own characters! </b><br>");
    m_customButtons[m_hintKey]->setTitle(m_hint, ControlState::Normal);
    m_customButtons[m_hintKey]->setTitle(m_hint, ControlState::Highlighted);
    for (size_t key = 0; key < m_customButtons.size(); ++key) {
        const std::shared_ptr<Button>& button = m_customButtons[key];
        if (std::optional<std::string> stored = m_defaults.stringForKey(customKeyDefaultsKey(static_cast<long>(key)))) {
            button->setTitle(toUtf16(*stored), ControlState::Normal);
            button->setTitle(toUtf16(*stored), ControlState::Highlighted);
        }
        // Entry 0 is key 1 again, which already has its recognizer.
        if (key == 0)
            continue;
        auto press = std::make_shared<LongPressGestureRecognizer>([this](GestureRecognizer& recognizer) {
            if (auto* pressed = dynamic_cast<Button*>(recognizer.view()))
                longPressInCustomKey(*pressed);
        });
        press->setMinimumPressDuration(kLongPressSeconds);
        button->addGestureRecognizer(press);
    }
}

std::shared_ptr<View> KeyBar::topBar() const
{
    if (!m_row || m_row->subviews().empty())
        return nullptr;
    return m_row->subviews().back();
}

void KeyBar::stackBars(View& row)
{
    // The last bar added is on top.
    switch (m_defaults.integerForKey(kSelectedBarKey).value_or(0)) {
    case 1:
        row.addSubview(m_styleToolbar);
        row.addSubview(m_keysToolbar2);
        row.addSubview(m_keysToolbar1);
        break;
    case 2:
        row.addSubview(m_keysToolbar1);
        row.addSubview(m_styleToolbar);
        row.addSubview(m_keysToolbar2);
        break;
    default:
        row.addSubview(m_keysToolbar2);
        row.addSubview(m_keysToolbar1);
        row.addSubview(m_styleToolbar);
        break;
    }
    // Only the bar on top shows: on a desktop a bar below would take the
    // clicks that fall between the top bar's buttons.
    for (const std::shared_ptr<View>& bar : row.subviews())
        bar->setHidden(bar != row.subviews().back());
}

void KeyBar::removeFormBar()
{
    if (m_removingFormBar)
        return;
    m_removingFormBar = true;
    if (m_host.isInMultitaskingMode && m_host.isInMultitaskingMode()) {
        m_row.reset();
        m_removingFormBar = false;
        return;
    }
    double width = m_host.viewWidth ? m_host.viewWidth() : 0;
    m_row = std::make_shared<View>(Rect{{0, 0}, {width, kRowHeight}});
    m_row->setTag(kRowTag);
    // The row runs the whole width of a window wider than its bars.
    m_row->setBackgroundColor(m_styleToolbar->backgroundColor());
    bool withBars = !m_removedFormBar && !(m_host.isHTMLObjectPopoverVisible && m_host.isHTMLObjectPopoverVisible());
    for (const std::shared_ptr<View>& bar : {m_styleToolbar, m_keysToolbar1, m_keysToolbar2}) {
        Rect frame = bar->frame();
        bar->setFrame(Rect{{frame.origin.x, 0}, {width, frame.size.height}});
    }
    fitSwitchesToWidth(width);
    if (withBars)
        stackBars(*m_row);
    m_removingFormBar = false;
    rowDidChange();
}

void KeyBar::fitSwitchesToWidth(double width)
{
    const std::shared_ptr<View> bars[] = {m_keysToolbar1, m_keysToolbar2, m_styleToolbar};
    constexpr size_t kSwitchesPerBar = 3;
    // Only the keys hidden here come back: the alignment keys hide by the caret's alignment.
    for (const std::weak_ptr<View>& hidden : m_hiddenForWidth) {
        if (std::shared_ptr<View> key = hidden.lock())
            key->setHidden(false);
    }
    m_hiddenForWidth.clear();
    for (size_t bar = 0; bar < std::size(bars) && bar < m_switchesX.size(); ++bar) {
        auto first = m_barSwitches.begin() + static_cast<std::ptrdiff_t>(bar * kSwitchesPerBar);
        std::vector<std::shared_ptr<Button>> own(first, first + kSwitchesPerBar);
        double natural = m_switchesX[bar];
        double needed = natural + kSwitchesPerBar * (kKeyWidth + kGap);
        // Zero before the row has a width: everything in its place.
        double x = width > 0 && needed > width ? std::max(0.0, width - kSwitchesPerBar * (kKeyWidth + kGap)) : natural;
        for (const std::shared_ptr<Button>& button : own) {
            Rect frame = button->frame();
            button->setFrame(Rect{{x, frame.origin.y}, frame.size});
            x += kKeyWidth + kGap;
        }
        double switchesStart = own.front()->frame().origin.x;
        for (const std::shared_ptr<View>& key : bars[bar]->subviews()) {
            if (std::find(own.begin(), own.end(), key) != own.end())
                continue;
            if (key->isHidden() || key->frame().maxX() <= switchesStart)
                continue;
            key->setHidden(true);
            m_hiddenForWidth.push_back(key);
        }
    }
}

void KeyBar::bringCustomKeyboardToFront()
{
    if (m_host.isInMultitaskingMode && m_host.isInMultitaskingMode()) {
        m_row.reset();
        return;
    }
    if (m_row && !m_row->subviews().empty())
        stackBars(*m_row);
}

void KeyBar::toogleKeyboardToolbar(long tag)
{
    m_keysToolbar1->setHidden(tag != static_cast<long>(Bar::KeysRow1));
    m_keysToolbar2->setHidden(tag != static_cast<long>(Bar::KeysRow2));
    m_styleToolbar->setHidden(tag != static_cast<long>(Bar::Style));
    m_defaults.setInteger(kSelectedBarKey, tag);
    bringCustomKeyboardToFront();
}

void KeyBar::showStyleToolBar()
{
    for (const std::shared_ptr<View>& bar : {m_styleToolbar, m_keysToolbar1, m_keysToolbar2})
        bar->setHidden(false);
}

void KeyBar::hideStyleToolBar()
{
    for (const std::shared_ptr<View>& bar : {m_styleToolbar, m_keysToolbar1, m_keysToolbar2})
        bar->setHidden(true);
}

void KeyBar::longPressInCustomKey(const Button& key)
{
    presentCustomKeyEditor(key, m_displayingAlert, m_host.present, [this](long tag, const std::u16string& text) {
        if (!text.empty())
            setNewCustomKey(tag, text);
        m_page.send(kFocusScript);
    });
}

void KeyBar::setNewCustomKey(long key, const std::u16string& text)
{
    if (key < 1 || key > kKeyCount)
        return;
    const std::shared_ptr<Button>& button = m_customButtons[static_cast<size_t>(key)];
    button->setTitle(text, ControlState::Normal);
    button->setTitle(text, ControlState::Highlighted);
    m_defaults.setString(customKeyDefaultsKey(key), toUtf8(text));
    m_defaults.synchronize();
    m_displayingAlert = false;
    m_removedFormBar = false;
    removeFormBar();
}

void KeyBar::insertKeyFromKeyboardToolbar(const Button& key)
{
    long tag = key.tag();
    if (tag < 0 || tag > kKeyCount)
        return;
    RichTextInsertion::Style style = RichTextInsertion::caretStyle(m_page, m_host.largestFontSize ? m_host.largestFontSize() : 0);
    if (m_styleButtons.styleBold->isHighlighted())
        style.extra += "font-weight:bold; ";
    if (m_styleButtons.styleItalic->isHighlighted())
        style.extra += "font-style:italic; ";
    if (m_styleButtons.styleUnderline->isHighlighted())
        style.extra += "text-decoration:underline; ";
    style.rightToLeft = m_host.isRTLLanguage && m_host.isRTLLanguage();
    std::u16string text = m_customButtons[static_cast<size_t>(tag)]->titleForState(ControlState::Normal);
    // What a user typed into a key is text; only the hint is markup.
    bool hint = static_cast<size_t>(tag) == m_hintKey && text == m_hint;
    std::string inner = hint ? toUtf8(text) : RichTextInsertion::textHTML(text);
    m_page.send(RichTextInsertion::insertHTMLScript(RichTextInsertion::spanHTML(style, inner)) + "scrollToView();");
    m_host.documentIsDirty();
}

KeyBar::EditorGeometry KeyBar::editorGeometry(double keyboardTop, bool pad)
{
    double h = keyboardTop - 22;
    if (pad)
        return {30, h + 20, h + 20};
    return {10, h + 40, h + 54};
}

KeyBar::EditorGeometry KeyBar::adjustEditorHeights(double keyboardTop, bool pad, bool hardwareKeyboard, long editorScrollOffset)
{
    EditorGeometry geometry = editorGeometry(keyboardTop, pad);
    double h = keyboardTop - 22;
    m_page.send(PageScript::call("setRichTextPageHeight", {geometry.pageHeight, geometry.pageHeight}));
    if (h - 44 <= 0 || hardwareKeyboard) {
        long long top = static_cast<long long>(pad ? editorScrollOffset - h + 22 : editorScrollOffset - h);
        m_page.send(PageScript::fill("document.getElementById('content').scrollTop  ={};", {top}));
    }
    return geometry;
}

} // namespace folio
