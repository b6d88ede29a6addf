#pragma once

#include "tools/pickers/CommandPickerDelegates.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace folio {

class PageConnection;
class Pasteboard;
class EditorInspectors;
class Menu;
class RichTextSliceFactory;
class RichTextStyling;
class RichTextToolCommands;
class SelectionTransformer;
class StyleMenuCommander;
class TextDocument;
class UserDefaults;
class View;
class ViewController;
class WebView;

// The rich-text editor's inspectors, tools menus and selection transforms as
// one part it owns, and the delegate of the command pickers it shows. The
// editor answers what only it knows in Host; commands of other parts of the
// editor are run by name and may be missing (then nothing happens).
class RichTextTools final : public OtherPickerDelegate, public MagicCursorPickerDelegate, public MiscToolsPickerDelegate,
                            public ToolsPickerDelegate, public std::enable_shared_from_this<RichTextTools> {
public:
    struct Host {
        std::function<TextDocument*()> document{};
        std::function<ViewController*()> editor{};
        std::function<std::shared_ptr<ViewController>()> viewControllerToPresent{};
        std::function<std::shared_ptr<View>()> styleToolbar{};
        // The key the cursor pickers point at, in its bar.
        std::function<std::shared_ptr<View>()> miscToolsKey{};
        std::function<bool()> isKeyboardVisible{};
        std::function<WebView*()> webView{};
        std::function<void()> documentIsDirty{};
        // Commands of other parts of the editor, by name.
        std::map<std::string, std::function<void()>> commands{};
        std::map<std::string, std::function<bool()>> questions{};
    };

    static std::shared_ptr<RichTextTools> make(PageConnection& page, RichTextStyling& styling, UserDefaults& defaults,
                                               Pasteboard& pasteboard, Host host);
    ~RichTextTools() override;

    SelectionTransformer& transformer() { return *m_transformer; }
    StyleMenuCommander& styleMenu() { return *m_styleMenu; }
    RichTextToolCommands& commands() { return *m_commands; }
    EditorInspectors& inspectors() { return *m_inspectors; }

    // The tools item's menu when the application gives none: the tools
    // picker's rows, then the options that picker has no row for (copying
    // out as HTML or text, dark night mode, the name generator, key sounds).
    std::shared_ptr<Menu> toolsMenu();

    void optionSelected(long row) override;
    void magicCursorOptionSelected(long option) override;
    void magicCursorOptionSelected2(long option) override;
    void miscToolsPickerOptionSelected(long option) override;
    void toolsOptionSelected(long option) override;
    WebView* webViewEditor() override;
    std::optional<bool> isReadingAloud() override { return ask("isSpeaking"); }

private:
    RichTextTools(PageConnection& page, RichTextStyling& styling, UserDefaults& defaults, Pasteboard& pasteboard, Host host);
    void build();
    // Every tools choice is followed by the menu's rebuild, whose switch
    // titles follow the settings.
    void regenerateToolsMenuLater();
    void run(const std::string& command) const;
    bool ask(const std::string& question) const;
    // Insert Image or Take Photo (0 or 1) from an insert panel.
    void imageOptionSelected(long option);

    PageConnection& m_page;
    RichTextStyling& m_styling;
    UserDefaults& m_defaults;
    Pasteboard& m_pasteboard;
    Host m_host;
    std::unique_ptr<SelectionTransformer> m_transformer;
    std::unique_ptr<StyleMenuCommander> m_styleMenu;
    std::unique_ptr<RichTextToolCommands> m_commands;
    std::unique_ptr<RichTextSliceFactory> m_slices;
    std::shared_ptr<EditorInspectors> m_inspectors;
};

} // namespace folio
