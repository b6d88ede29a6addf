#include "webeditor/EditorToolCommands.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/UIThemes.h"
#include "tools/pickers/CommandPickers.h"
#include "tools/pickers/OtherPickerController.h"
#include "webeditor/PageConnection.h"
#include "webeditor/ToolCommandTables.h"

#include <algorithm>

namespace folio {

namespace {

std::u16string toolCommandText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

constexpr const char* kSpellingSelector = "checkDocSpelling";

enum CursorOption : long {
    CheckSpelling = 0, SelectAll = 1, SelectToStart = 6, GoToStart = 8, GoToPage = 9, PastePlain = 10, DoubleSpace = 11,
    NormalSpace = 12, ClearFormatting = 13, Sort = 14, Uppercase = 15, Lowercase = 16, Capitalize = 17,
    DecreaseIndent = 18, IncreaseIndent = 19,
};

void setTheme(ViewController& controller)
{
    controller.setOverrideUserInterfaceStyle(UIThemes::isDarkTheme() ? UserInterfaceStyle::Dark : UserInterfaceStyle::Light);
}

} // namespace

EditorToolCommands::EditorToolCommands(PageConnection& page, Scripts scripts, UserDefaults& defaults, Pasteboard& pasteboard,
                                       Host host)
    : m_page(page)
    , m_scripts(std::move(scripts))
    , m_defaults(defaults)
    , m_pasteboard(pasteboard)
    , m_host(std::move(host))
    , m_self(std::make_shared<EditorToolCommands*>(this))
{
}

EditorToolCommands::~EditorToolCommands()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void EditorToolCommands::run(const std::string& command)
{
    if (m_host.run)
        m_host.run(command);
}

bool EditorToolCommands::ask(const std::string& question) const
{
    return m_host.ask && m_host.ask(question);
}

void EditorToolCommands::dirty()
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void EditorToolCommands::removeStyle()
{
    if (m_host.removeStyle)
        m_host.removeStyle();
}

void EditorToolCommands::selectionSortList()
{
    if (m_host.selectionSortList)
        m_host.selectionSortList();
}

void EditorToolCommands::selectionToCase(const std::string& mode)
{
    if (m_host.selectionToCase)
        m_host.selectionToCase(mode);
}

void EditorToolCommands::toolsPickerRowSelected(long row)
{
    std::optional<long> option = toolsOptionForPickerRow(row);
    if (!option)
        return;
    if (*option == kPageNumbersOption) {
        run("togglePageNumbers");
        run("regenerateToolsMenu");
        return;
    }
    toolsOptionSelected(*option);
}

void EditorToolCommands::toolsOptionSelected(long option)
{
    if (option < 0 || option >= static_cast<long>(kToolsOptionCount))
        return;
    if (const char* command = toolsOptionCommands()[static_cast<std::size_t>(option)]) {
        run(command);
        return;
    }
    switch (option) {
    case 0:
        ProgressHUD::showWithStatus(toolCommandText("Creating Snapshot..."));
        run("takeSnapshot");
        break;
    case 2:
        if (ask("isSpeaking"))
            run("cancelSpeak");
        run("showFindOnPage");
        break;
    case 3:
        run(ask("isSpeaking") ? "cancelSpeak" : "readAloudFromCursorToEnd");
        run("regenerateToolsMenu");
        break;
    case 4:
        run("typewriterMode");
        break;
    case 7:
        if (m_defaults.boolForKey("darknightMode").value_or(false))
            run("toggleDarkNightMode");
        run("toggleNightMode");
        break;
    case 11:
        if (ask("isSpeaking"))
            run("cancelSpeak");
        if (!ask("internetConnected")) {
            run("showNoConnectionAvailableAlert");
            return;
        }
        run("showInAppWebBrowser");
        break;
    case 12:
        copyHTMLToPasteboard();
        break;
    case 13:
        copyPlainTextToPasteboard();
        break;
    case 14:
        if (m_defaults.boolForKey("nightMode").value_or(false))
            run("toggleNightMode");
        run("toggleDarkNightMode");
        break;
    default:
        break;
    }
}

void EditorToolCommands::checkSpelling()
{
    ProgressHUD::showWithStatus(toolCommandText("Checking Spelling..."));
    if (m_host.savesCaretBeforeSpelling)
        m_page.send("saveCaretSelection ();");
    std::weak_ptr<EditorToolCommands*> self = m_self;
    RunLoop::main().performSelectorAfterDelay(this, kSpellingSelector, {}, 0.1, [self] {
        if (auto alive = self.lock())
            (*alive)->run("checkDocSpelling");
    });
}

void EditorToolCommands::pasteAsPlainText()
{
    std::optional<std::u16string> text = m_pasteboard.string();
    if (text && !text->empty()) {
        run("paste2");
        dirty();
        return;
    }
    auto alert = AlertController::make(toolCommandText("Pasteboard Empty"), toolCommandText("Nothing to paste."));
    alert->addAction(AlertAction::make(toolCommandText("Dismiss"), AlertActionStyle::Cancel));
    if (m_host.present)
        m_host.present(alert, false);
}

void EditorToolCommands::setDocumentLineSpacing(double spacing)
{
    m_page.send(m_scripts.selectAll + (spacing == 2.0 ? ";modifyLineSpacing(2.00);" : ";modifyLineSpacing(1.00);")
                + m_scripts.unselect + ";");
    dirty();
    if (ask("isEditing"))
        run("endEditing");
}

void EditorToolCommands::increaseIndent()
{
    long before = m_numberOfIndents++;
    if (before >= kMaximumIndents) {
        m_numberOfIndents = kMaximumIndents;
        return;
    }
    m_page.send("modifyLeftIndent(40);");
}

void EditorToolCommands::decreaseIndent()
{
    --m_numberOfIndents;
    m_page.send("modifyLeftIndent(-40);");
}

void EditorToolCommands::runCursorCommand(long option, Source source)
{
    if (option < 0 || option >= static_cast<long>(kCursorCommandCount))
        return;
    const CursorCommand& entry = cursorCommands()[static_cast<std::size_t>(option)];
    switch (option) {
    case CheckSpelling: checkSpelling(); break;
    case SelectAll:
        m_page.send(m_scripts.selectAll);
        run("showMenu");
        break;
    case GoToStart:
        m_page.send(m_scripts.unselect);
        run("moveToBeginOfDocument");
        break;
    case GoToPage:
        if (source == Source::KeyRow)
            run("removeCustomKeyboard");
        run("gotoPageinDoc");
        break;
    case PastePlain: pasteAsPlainText(); break;
    case DoubleSpace: setDocumentLineSpacing(2.0); break;
    case NormalSpace: setDocumentLineSpacing(1.0); break;
    case ClearFormatting:
        removeStyle();
        dirty();
        break;
    case Sort:
        selectionSortList();
        dirty();
        break;
    case Uppercase:
    case Lowercase:
    case Capitalize:
        selectionToCase(option == Uppercase ? "uppercase" : option == Lowercase ? "lowercase" : "capitalize");
        dirty();
        break;
    case DecreaseIndent:
        decreaseIndent();
        dirty();
        break;
    case IncreaseIndent:
        increaseIndent();
        dirty();
        break;
    default:
        run(entry.command);
        break;
    }
    if (source == Source::Picker && option >= SelectAll && option <= SelectToStart && ask("wordCounterVisible"))
        run("updateWordCounter");
}

void EditorToolCommands::magicCursorOptionSelected(long option)
{
    if (m_host.dismissAllPopover)
        m_host.dismissAllPopover();
    runCursorCommand(option, Source::Picker);
}

void EditorToolCommands::miscToolsPickerOptionSelected(long option)
{
    if (m_host.dismissAllPopover)
        m_host.dismissAllPopover();
    switch (option) {
    case 0: checkSpelling(); break;
    case 1: pasteAsPlainText(); break;
    case 2: setDocumentLineSpacing(2.0); break;
    case 3: setDocumentLineSpacing(1.0); break;
    case 4:
        removeStyle();
        dirty();
        break;
    case 5: selectionSortList(); break;
    case 6: selectionToCase("uppercase"); break;
    case 7: selectionToCase("lowercase"); break;
    case 8: selectionToCase("capitalize"); break;
    case 9: decreaseIndent(); break;
    case 10: increaseIndent(); break;
    default: break;
    }
}

void EditorToolCommands::magicCursorOptionSelected2(long option)
{
    if (m_host.dismissAllPopover)
        m_host.dismissAllPopover();
    switch (option) {
    case 8: m_page.send(m_scripts.unselect); break;
    case 9:
        run("removeCustomKeyboard");
        run("gotoPageinDoc");
        break;
    default:
        if (option >= 0 && option <= 13)
            runCursorCommand(option, Source::KeyRow);
        break;
    }
}

std::shared_ptr<Menu> EditorToolCommands::showMiscToolsMenu()
{
    std::weak_ptr<EditorToolCommands*> self = m_self;
    std::vector<std::shared_ptr<MenuElement>> actions;
    for (std::size_t i = 0; i < kCursorCommandCount; ++i) {
        const CursorCommand& entry = cursorCommands()[i];
        long option = static_cast<long>(i);
        actions.push_back(Action::make(toolCommandText(entry.title), entry.symbol, [self, option](Action&) {
            if (auto alive = self.lock())
                (*alive)->runCursorCommand(option, Source::KeyRow);
        }));
    }
    std::reverse(actions.begin(), actions.end());
    return Menu::make(u"", std::move(actions));
}

std::shared_ptr<Menu> EditorToolCommands::showSizeOptionsMenu(std::function<void(const std::string&)> sizeSelected)
{
    return Menu::make(u"", {Action::make(u"+1", "", [sizeSelected](Action&) {
                          if (sizeSelected)
                              sizeSelected("+1");
                      })});
}

void EditorToolCommands::presentPicker(const std::shared_ptr<ViewController>& picker)
{
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    if (auto popover = picker->popoverPresentationController()) {
        if (m_host.styleToolbar)
            popover->setSourceView(m_host.styleToolbar());
        if (m_host.miscToolsButtonFrame)
            popover->setSourceRect(m_host.miscToolsButtonFrame());
        popover->setPermittedArrowDirections(PopoverArrowDirectionDown);
    }
    setTheme(*picker);
    if (std::shared_ptr<ViewController> presenter = m_host.viewControllerToPresent ? m_host.viewControllerToPresent() : nullptr)
        presenter->presentViewController(picker, true);
}

void EditorToolCommands::showOtherCommandsMenu(Rect senderFrame)
{
    if (m_host.dismissAllPopover)
        m_host.dismissAllPopover();
    if (m_host.setAnyInspectorOrMenuVisible)
        m_host.setAnyInspectorOrMenuVisible(true);
    auto picker = std::make_shared<OtherPickerController>(m_defaults);
    if (m_host.otherPickerDelegate)
        picker->setDelegate(m_host.otherPickerDelegate());
    setTheme(*picker);
    if (Device::current().isPad()) {
        picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
        if (auto popover = picker->popoverPresentationController()) {
            if (m_host.styleToolbar)
                popover->setSourceView(m_host.styleToolbar());
            popover->setSourceRect(senderFrame);
            popover->setPermittedArrowDirections(PopoverArrowDirectionDown);
        }
        if (std::shared_ptr<ViewController> presenter = m_host.viewControllerToPresent ? m_host.viewControllerToPresent() : nullptr)
            presenter->presentViewController(picker, true);
        return;
    }
    std::u16string title = toolCommandText("Style");
    picker->setTitle(title);
    m_otherNavigation = NavigationController::withRootViewController(picker);
    m_otherNavigation->setTitle(title);
    std::weak_ptr<EditorToolCommands*> self = m_self;
    picker->navigationItem()->setRightBarButtonItems({BarButtonItem::withTitle(toolCommandText("Cancel"), [self](BarButtonItem&) {
        if (auto alive = self.lock())
            (*alive)->dismissOtherPickerNavigationController();
    })});
    if (m_host.present)
        m_host.present(m_otherNavigation, true);
}

void EditorToolCommands::dismissOtherPickerNavigationController()
{
    if (m_otherNavigation)
        m_otherNavigation->dismissViewControllerAnimated(true);
}

void EditorToolCommands::showMiscToolsExtraKeysRowMenu()
{
    if (m_host.dismissAllPopover)
        m_host.dismissAllPopover();
    if (m_host.setAnyInspectorOrMenuVisible)
        m_host.setAnyInspectorOrMenuVisible(true);
    if (!m_cursorPicker) {
        m_cursorPicker = std::make_shared<MagicCursorPickerController>();
        if (m_host.cursorPickerDelegate)
            m_cursorPicker->setDelegate(m_host.cursorPickerDelegate());
    }
    presentPicker(m_cursorPicker);
}

void EditorToolCommands::showMiscToolsExtraKeysRowMenu2()
{
    if (m_host.dismissAllPopover)
        m_host.dismissAllPopover();
    if (m_host.setAnyInspectorOrMenuVisible)
        m_host.setAnyInspectorOrMenuVisible(true);
    if (!m_miscPicker) {
        m_miscPicker = std::make_shared<MiscToolsPickerController>();
        if (m_host.miscToolsPickerDelegate)
            m_miscPicker->setDelegate(m_host.miscToolsPickerDelegate());
    }
    presentPicker(m_miscPicker);
}

void EditorToolCommands::copyOut(const std::string& script, const char* message)
{
    std::weak_ptr<EditorToolCommands*> self = m_self;
    std::string messageKey = message;
    m_page.ask(script, [self, messageKey](const std::string& answer) {
        auto alive = self.lock();
        if (!alive)
            return;
        EditorToolCommands& commands = **alive;
        // U+FEFF marks pictures and caret placeholders; it means nothing elsewhere.
        std::u16string text = toUtf16(answer);
        std::erase(text, u'\uFEFF');
        std::string utf8 = toUtf8(text);
        commands.m_pasteboard.setData(std::vector<std::uint8_t>(utf8.begin(), utf8.end()), kPasteboardTypeUTF8PlainText);
        auto alert = AlertController::make(toolCommandText("Copy"), toolCommandText(messageKey));
        alert->addAction(AlertAction::make(toolCommandText("OK"), AlertActionStyle::Default));
        if (commands.m_host.present)
            commands.m_host.present(alert, true);
    });
}

void EditorToolCommands::copyHTMLToPasteboard()
{
    copyOut(m_scripts.contentHTML,
            "The document has been converted to HTML source code and copied into your Pasteboard. You can paste this "
            "HTML into other apps like Mail or Safari and use it in Wordpress, Blogger, Joomla, Tumblr, etc.");
}

void EditorToolCommands::copyPlainTextToPasteboard()
{
    copyOut(m_scripts.contentText,
            "The document has been converted to plain text and copied into your Pasteboard. You can paste the text into "
            "other apps like Mail or Safari and use it in Wordpress, Blogger, Joomla, Tumblr, etc.");
}

} // namespace folio
