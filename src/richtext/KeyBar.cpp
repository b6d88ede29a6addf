#include "richtext/KeyBar.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "richtext/CustomKeyTitles.h"
#include "richtext/RichTextInsertion.h"
#include "richtext/StyleToolbar.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

constexpr double kLongPressSeconds = 0.5;
constexpr long kKeysPerRow = 13;

std::u16string localized(const char* text)
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
}

KeyBar::~KeyBar() = default;

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
    size_t hintKey = Device::current().isPad() ? 10 : 17;
    std::u16string hint = localized(
        " Tap  <br><b>These buttons are customizable! Just long press a key to redefine it with your own characters! </b><br>");
    m_customButtons[hintKey]->setTitle(hint, ControlState::Normal);
    m_customButtons[hintKey]->setTitle(hint, ControlState::Highlighted);
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
    bool withBars = !m_removedFormBar && !(m_host.isHTMLObjectPopoverVisible && m_host.isHTMLObjectPopoverVisible());
    for (const std::shared_ptr<View>& bar : {m_styleToolbar, m_keysToolbar1, m_keysToolbar2}) {
        Rect frame = bar->frame();
        bar->setFrame(Rect{{frame.origin.x, 0}, {width, frame.size.height}});
    }
    if (withBars)
        stackBars(*m_row);
    m_removingFormBar = false;
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
    // A press reports its beginning, its moves and its end: one editor only.
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
    m_page.send(RichTextInsertion::insertHTMLScript(RichTextInsertion::spanHTML(style, RichTextInsertion::textHTML(text)))
                + "scrollToView();");
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
    m_page.send(PageScript::fill("document.body.style.height={};document.getElementById('content').style.height={};",
                                 {ScriptValue::fixed(geometry.pageHeight, 6), ScriptValue::fixed(geometry.pageHeight, 6)}));
    if (h - 44 <= 0 || hardwareKeyboard) {
        long long top = static_cast<long long>(pad ? editorScrollOffset - h + 22 : editorScrollOffset - h);
        m_page.send(PageScript::fill("document.getElementById('content').scrollTop  ={};", {top}));
    }
    return geometry;
}

} // namespace folio
