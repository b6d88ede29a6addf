#include "richtext/CharacterStyleCommander.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FontFace.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/web/WebView.h"
#include "webeditor/FontFaceRules.h"
#include "richtext/FontSizeRules.h"
#include "richtext/FontStateMonitor.h"
#include "richtext/StyleToolbar.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <array>
#include <string_view>

namespace folio {

namespace {

constexpr const char* kFontNameScript = "document.queryCommandValue('fontName').replace(/'/g,'')";

// Languages written right to left, as the keyboard names them.
constexpr std::array<std::string_view, 6> kRightToLeftLanguages = {"ar", "iw", "fa", "ur", "ps", "he-IL"};

} // namespace

CharacterStyleCommander::CharacterStyleCommander(PageConnection& page, StyleToolbar& toolbar, FontStateMonitor& monitor, Host host)
    : m_page(page)
    , m_toolbar(toolbar)
    , m_monitor(monitor)
    , m_host(std::move(host))
{
    if (!m_host.documentIsDirty)
        m_host.documentIsDirty = [] {};
}

void CharacterStyleCommander::editingCommand(const char* command)
{
    WebView* view = m_page.webView();
    if (!view)
        return;
    // The engine runs the command outside the page's scripts: a selection
    // another program's primary selection collapsed is found again first.
    m_page.send("folioRestoreLostSelection();");
    view->executeEditingCommand(command);
}

void CharacterStyleCommander::toggleWithFaceFix(Trait trait, const char* command)
{
    if (!m_page.webView())
        return;
    // A face that is bold or italic by its name would stay so under the
    // toggle: the selection first goes to the family's base face.
    std::optional<Font> font = FontFaceRules::fontFromPageAnswer(m_page.readString(kFontNameScript), FontFaceRules::Pieces::Whole);
    std::uint32_t bit = trait == Trait::Bold ? kFontBoldTrait : kFontItalicTrait;
    if (font && (font->symbolicTraits() & bit) != 0)
        m_page.send(PageScript::fill("document.execCommand('fontName', false, {})", {font->familyName()}));
    editingCommand(command);
}

void CharacterStyleCommander::boldExecCommand()
{
    toggleWithFaceFix(Trait::Bold, "ToggleBold");
}

void CharacterStyleCommander::italicExecCommand()
{
    toggleWithFaceFix(Trait::Italic, "ToggleItalic");
}

void CharacterStyleCommander::underlineExecCommand()
{
    editingCommand("ToggleUnderline");
}

void CharacterStyleCommander::strikeExecCommand()
{
    editingCommand("Strikethrough");
}

void CharacterStyleCommander::superscriptExecCommand()
{
    if (!m_page.webView())
        return;
    editingCommand("Superscript");
    if (m_host.showMenu)
        m_host.showMenu();
}

void CharacterStyleCommander::subscriptExecCommand()
{
    if (!m_page.webView())
        return;
    editingCommand("Subscript");
    if (m_host.showMenu)
        m_host.showMenu();
}

void CharacterStyleCommander::styleTextTask(const Button* sender)
{
    if (sender == m_toolbar.styleBold.get())
        boldExecCommand();
    else if (sender == m_toolbar.styleItalic.get())
        italicExecCommand();
    else if (sender == m_toolbar.styleUnderline.get())
        underlineExecCommand();
    else if (sender == m_toolbar.styleStrike.get())
        strikeExecCommand();
    else if (sender == m_toolbar.styleSuperscript.get())
        superscriptExecCommand();
    else if (sender == m_toolbar.styleSubscrit.get())
        subscriptExecCommand();
    ProgressHUD::dismiss();
    m_host.documentIsDirty();
    if (m_host.showMenu)
        m_host.showMenu();
}

std::string CharacterStyleCommander::getTextValueCurrentFontSize() const
{
    return toUtf8(m_toolbar.styleFontSize->titleForState(ControlState::Normal));
}

void CharacterStyleCommander::changeFontSizeByPoints(int points, bool isStep)
{
    int size = points;
    if (isStep) {
        // A step goes from the size of the text at the caret, which the bar
        // shows only from its next poll after the caret moved.
        m_monitor.updateFontSize();
        FontSizeRules::Step step = FontSizeRules::step(intValue(getTextValueCurrentFontSize()), points);
        size = step.size;
        m_toolbar.styleFontSizeIncrease->setEnabled(step.increaseEnabled);
        m_toolbar.styleFontSizeDecrease->setEnabled(step.decreaseEnabled);
    }
    m_toolbar.currentFontSizeTextValue = std::to_string(size);
    m_toolbar.styleFontSize->setTitle(toUtf16(m_toolbar.currentFontSizeTextValue));
    if (m_pendingColor.exists)
        m_page.send(PageScript::fill("document.execCommand('foreColor', false, {});", {m_pendingColor.color}));
    m_pendingColor.clear();
    m_page.send(PageScript::fill(
        "document.execCommand('styleWithCSS', false, false);changeFont({});document.execCommand('styleWithCSS', false, true);",
        {static_cast<long long>(size) + FontSizeRules::kFontSizeOffset}));
    m_host.documentIsDirty();
}

int CharacterStyleCommander::getBiggestRealFontSizeInPointsFromSelection()
{
    // The bar's size may be a poll behind a caret just moved.
    m_monitor.updateFontSize();
    return FontSizeRules::pageSizeForShownSize(intValue(getTextValueCurrentFontSize()));
}

int CharacterStyleCommander::getBiggestCurrentFontSizeInPointsFromSelection()
{
    long long size = m_page.readInteger("getCurrentFontSize();", 12);
    if (size < 1 || size > 499)
        size = 12;
    // The page's sizes are the text's own at any zoom.
    return static_cast<int>(size);
}

void CharacterStyleCommander::setTextSize()
{
    m_page.send("increaseFontSize();");
}

void CharacterStyleCommander::alignTextTask(long value)
{
    m_page.send("makeObjectsEditable('true');");
    if (!Device::current().isPad())
        m_page.send("restoreCaretSelection ();");
    switch (value) {
    case 0:
        m_page.send("whiteSpacePreWrapOff ();document.execCommand('justifyfull');");
        break;
    case 1:
        m_page.send("document.execCommand('justifycenter')");
        break;
    case 2:
        m_page.send("document.execCommand('justifyright')");
        break;
    case 3:
        m_page.send("document.execCommand('justifyleft')");
        break;
    case 4:
        m_page.send("document.getElementById('content').style.direction='rtl';"
                    "document.getElementById('paragraph').style.direction='rtl';document.execCommand('justifyright');");
        m_page.send("modifyLanguageDirection('rtl')");
        m_isRTLLanguage = true;
        break;
    case 5:
        m_page.send("document.getElementById('content').style.direction='ltr';"
                    "document.getElementById('paragraph').style.direction='ltr';document.execCommand('justifyleft');");
        m_page.send("modifyLanguageDirection('ltr')");
        m_isRTLLanguage = false;
        break;
    default:
        break;
    }
    m_page.send("makeObjectsEditable('false');");
    ProgressHUD::dismiss();
    m_host.documentIsDirty();
}

void CharacterStyleCommander::setTextDirection(const std::string& language)
{
    bool rightToLeft = false;
    for (std::string_view candidate : kRightToLeftLanguages)
        rightToLeft = rightToLeft || language == candidate;
    if (rightToLeft) {
        m_page.send("saveCaretSelection();document.execCommand('selectAll');document.execCommand('justifyright');"
                    "document.execCommand('unselect');restoreCaretSelection();");
        m_page.send("document.getElementById('content').style.direction='rtl';"
                    "document.getElementById('paragraph').style.direction='rtl';");
        m_page.send("modifyLanguageDirection('rtl');");
    }
    // NOTE: a left-to-right keyboard leaves the page as it is: the document
    // turns back only when the user picks left to right.
    m_isRTLLanguage = rightToLeft;
    m_shouldForceDirtyDocument = language.find("Hans") != std::string::npos || language.find("Hant") != std::string::npos;
}

} // namespace folio
