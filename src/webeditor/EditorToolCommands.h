#pragma once

#include "platform/graphics/Geometry.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class AlertController;
class MagicCursorPickerController;
class Menu;
class MiscToolsPickerController;
class NavigationController;
class PageConnection;
class Pasteboard;
class UserDefaults;
class View;
class ViewController;

// The numbered choices of the tools, cursor and editing-commands pickers,
// the same commands as the key row's menu, copy-out of the page as HTML or
// plain text, and the pickers' presenters, for every web-view editor. The
// numbers are the pickers' row indexes, so their meaning is fixed here; the
// scripts are the editor's page's own.
//
// Commands that belong to other parts of the editor (selection moves, read
// aloud, view modes, statistics, ...) are run by name through the host;
// a name the host does not know does nothing.
class EditorToolCommands {
public:
    static constexpr long kMaximumIndents = 16;

    // How the editor's page selects everything, lets go of the selection,
    // and gives its content as HTML and as plain text.
    struct Scripts {
        std::string selectAll;
        std::string unselect;
        std::string contentHTML;
        std::string contentText;
    };

    struct Host {
        std::function<void(const std::string& command)> run{};
        // "isSpeaking", "isEditing", "wordCounterVisible", "internetConnected".
        std::function<bool(const std::string& question)> ask{};
        std::function<void()> documentIsDirty{};
        std::function<void()> dismissAllPopover{};
        std::function<void(bool)> setAnyInspectorOrMenuVisible{};
        // Presents from the editor itself.
        std::function<void(std::shared_ptr<ViewController>, bool animated)> present{};
        // The document's navigation controller, which presents the pickers.
        std::function<std::shared_ptr<ViewController>()> viewControllerToPresent{};
        // The style row, and where its misc-tools button is inside it.
        std::function<std::shared_ptr<View>()> styleToolbar{};
        std::function<Rect()> miscToolsButtonFrame{};
        // The style menu's delegate.
        std::function<std::shared_ptr<class OtherPickerDelegate>()> otherPickerDelegate{};
        std::function<std::shared_ptr<class MagicCursorPickerDelegate>()> cursorPickerDelegate{};
        std::function<std::shared_ptr<class MiscToolsPickerDelegate>()> miscToolsPickerDelegate{};
        // The selection rewrites of the editor's styling.
        std::function<void()> removeStyle{};
        std::function<void()> selectionSortList{};
        std::function<void(const std::string& mode)> selectionToCase{};
        // The spelling check keeps the caret in the page before it runs.
        bool savesCaretBeforeSpelling = true;
    };

    EditorToolCommands(PageConnection& page, Scripts scripts, UserDefaults& defaults, Pasteboard& pasteboard, Host host);
    ~EditorToolCommands();
    EditorToolCommands(const EditorToolCommands&) = delete;
    EditorToolCommands& operator=(const EditorToolCommands&) = delete;

    void toolsOptionSelected(long option);
    // A row of the tools picker, which runs the option of the same meaning:
    // its last two rows are the page-numbers switch and web research.
    void toolsPickerRowSelected(long row);
    void magicCursorOptionSelected(long option);
    void miscToolsPickerOptionSelected(long option);
    void magicCursorOptionSelected2(long option);

    // The key row's menu: the twenty cursor commands, "Increase Indent" first.
    std::shared_ptr<Menu> showMiscToolsMenu();
    std::shared_ptr<Menu> showSizeOptionsMenu(std::function<void(const std::string&)> sizeSelected);

    void showOtherCommandsMenu(Rect senderFrame);
    void dismissOtherPickerNavigationController();
    const std::shared_ptr<NavigationController>& otherPickerNavigationController() const { return m_otherNavigation; }
    void forgetOtherPickerNavigationController() { m_otherNavigation.reset(); }
    void showMiscToolsExtraKeysRowMenu();
    void showMiscToolsExtraKeysRowMenu2();

    void copyHTMLToPasteboard();
    void copyPlainTextToPasteboard();

    void increaseIndent();
    void decreaseIndent();
    long numberOfIndents() const { return m_numberOfIndents; }

    void pasteAsPlainText();
    void setDocumentLineSpacing(double spacing);
    void checkSpelling();

private:
    enum class Source { Picker, KeyRow };
    void runCursorCommand(long option, Source source);
    void copyOut(const std::string& script, const char* message);
    void presentPicker(const std::shared_ptr<ViewController>& picker);
    void run(const std::string& command);
    bool ask(const std::string& question) const;
    void dirty();
    void removeStyle();
    void selectionSortList();
    void selectionToCase(const std::string& mode);

    PageConnection& m_page;
    Scripts m_scripts;
    UserDefaults& m_defaults;
    Pasteboard& m_pasteboard;
    Host m_host;
    long m_numberOfIndents = 0;
    std::shared_ptr<NavigationController> m_otherNavigation;
    std::shared_ptr<MagicCursorPickerController> m_cursorPicker;
    std::shared_ptr<MiscToolsPickerController> m_miscPicker;
    // Answers from the page must not reach commands that are gone.
    std::shared_ptr<EditorToolCommands*> m_self;
};

} // namespace folio
