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
class SelectionTransformer;
class StylePresetCommander;
class UserDefaults;
class View;
class ViewController;

// The numbered choices of the tools, cursor and editing-commands pickers,
// the same commands as the key row's menu, copy-out of the page as HTML or
// plain text, and the pickers' presenters. The numbers are the pickers' row
// indexes, so their meaning is fixed here.
//
// Commands that belong to other parts of the editor (selection moves, read
// aloud, view modes, statistics, ...) are run by name through the host;
// a name the host does not know does nothing.
class RichTextToolCommands {
public:
    static constexpr long kMaximumIndents = 16;

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
    };

    RichTextToolCommands(PageConnection& page, SelectionTransformer& transformer, StylePresetCommander& presets,
                         UserDefaults& defaults, Pasteboard& pasteboard, Host host);
    ~RichTextToolCommands();
    RichTextToolCommands(const RichTextToolCommands&) = delete;
    RichTextToolCommands& operator=(const RichTextToolCommands&) = delete;

    void toolsOptionSelected(long option);
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
    void copyOut(const char* script, const char* message);
    void presentPicker(const std::shared_ptr<ViewController>& picker);
    void run(const std::string& command);
    bool ask(const std::string& question) const;
    void dirty();

    PageConnection& m_page;
    SelectionTransformer& m_transformer;
    StylePresetCommander& m_presets;
    UserDefaults& m_defaults;
    Pasteboard& m_pasteboard;
    Host m_host;
    long m_numberOfIndents = 0;
    std::shared_ptr<NavigationController> m_otherNavigation;
    std::shared_ptr<MagicCursorPickerController> m_cursorPicker;
    std::shared_ptr<MiscToolsPickerController> m_miscPicker;
    // Answers from the page must not reach commands that are gone.
    std::shared_ptr<RichTextToolCommands*> m_self;
};

} // namespace folio
