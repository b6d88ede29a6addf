#pragma once

#include "platform/graphics/Geometry.h"
#include "tools/pickers/CommandPickerDelegates.h"
#include "tools/specialchars/SpecialCharsPickerDelegate.h"
#include "webeditor/BarLayout.h"
#include "webeditor/PageReadAloud.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class BarButtonItem;
class EditorBarItems;
class EditorInspectors;
class EditorPopovers;
class EditorToolCommands;
class LinkAlertBar;
class Menu;
class MenuController;
class NavigationItem;
class PageConnection;
class Pasteboard;
class QVTextAssistant;
class QVTextInsertions;
class QVTextInsertMenus;
class QVTextKeyBars;
class QVTextLinkBar;
class QVTextLocationInsertion;
class QVTextSliceFactory;
class QVTextStyling;
class QVTextWritingTools;
class ReadAloudController;
class SpeechSynthesizer;
class TextDocument;
class UserDefaults;
class View;
class ViewController;
class WebView;

// What an editor on the QV page may do differently (the outline):
// its groups' customisation names, its bar placement, which insert rows
// it offers, the source type it tells the assistant, where the assistant's
// answers go and how it makes its text ready to be read aloud. An empty hook
// keeps the QV text editor's own way.
struct QVTextToolsDialect {
    std::string groupPrefix = "QVText";
    // The page scripts whose answers the copy commands put on the
    // pasteboard: the content as HTML and as text.
    std::string copyHTMLScript = "tinymce.activeEditor.getContent({ format: 'html' })";
    std::string copyTextScript = "tinymce.activeEditor.getContent({ format: 'text' })";
    std::function<BarLayout::Result(const BarLayout::Input&)> layout{};
    std::function<bool(const char* command)> offersInsertCommand{};
    int assistantSourceType = 1;  // WritingAssistant::SourceFileType
    // The compact close item's symbol size away from a tablet.
    double compactCloseSymbolPointSizeOnPhone = 16;
    // Panels, the scanner and the spelling check keep the caret in the page
    // ("saveCaretSelection ();") before they open.
    bool savesCaretBeforePanels = true;
    // Runs once the selection is kept as a bookmark, before the assistant opens.
    std::function<void()> assistantWillOpen{};
    // Puts the assistant's plain answer into the page (the insertion's number
    // as the assistant sent it) and marks the change.
    std::function<void(const std::u16string& text, unsigned insertionType)> insertAssistantAnswer{};
    // Puts text the assistant left while no editor was open into the page.
    std::function<void(const std::u16string& text)> insertWaitingAssistantText{};
    // The QV text editor's cleaning (QVTextWritingTools::cleanedTextForSpeech) unless given.
    PageReadAloud::Cleaner cleanTextForSpeech{};
    // A reading shows the speech menu and rebuilds the tools menu as it starts.
    bool readAloudShowsSpeechMenu = true;
    // The bar places the text-style item and its group.
    bool hasTextStyleItem = true;
};

// The QV text editor's tools as one part it owns: its navigation-bar items,
// the command pickers and their choices, the inspectors, the insert menus,
// the writing tools, the assistant and the keyboard bars. It is the
// delegate of every picker it shows. What only the editor knows comes in
// through Host; commands of other parts of the editor are run by name and
// may be missing (then nothing happens but a note in the log).
class QVTextTools final : public ToolsPickerDelegate, public MiscToolsPickerDelegate, public MagicCursorPickerDelegate,
                          public OtherPickerDelegate, public FontSizePickerDelegate, public AlignPickerDelegate,
                          public ImagePickerDelegate, public SpecialCharsPickerDelegate,
                          public std::enable_shared_from_this<QVTextTools> {
public:
    using Dialect = QVTextToolsDialect;

    struct Host {
        std::function<TextDocument*()> document{};
        std::function<ViewController*()> editor{};
        // The document's navigation controller, which presents the pickers.
        std::function<std::shared_ptr<ViewController>()> viewControllerToPresent{};
        std::function<WebView*()> webView{};
        std::function<void()> documentIsDirty{};
        std::function<void()> undoAction{};
        std::function<void()> redoAction{};
        std::function<void()> closeDocument{};
        std::function<std::shared_ptr<class Menu>()> exportMenuActions{};
        std::function<std::shared_ptr<class Menu>()> toolMenuActions{};
        std::function<bool()> isKeyboardVisible{};
        std::function<double()> viewWidth{};
        // The page's header and footer as the editor makes them; none when
        // it has none.
        std::function<std::optional<std::string>()> pageHeaderHTML{};
        std::function<std::optional<std::string>()> pageFooterHTML{};
        std::function<void(const std::string& colorName)> setPaperColor{};
        // The page margin of a side in centimetres (0 left, 1 right, 2 top,
        // 3 bottom), and setting it.
        std::function<double(long side)> pageMargin{};
        std::function<void(long side, double centimetres)> setPageMargin{};
        // The key bars show another bar: the editor shows them again.
        std::function<void()> keyBarsDidChange{};
        // The banner line above the page: shown with the text (the word
        // being read aloud, the link at the caret), or emptied; then, once a
        // link's note is gone, hidden or given back to the word counter.
        std::function<void(const std::u16string& text)> showBannerText{};
        std::function<void()> bannerDidClear{};
        // Reading aloud: a synthesizer on the desktop's speech output unless
        // given; the view the speech menu points into; the menu (the shared
        // one unless given).
        std::function<std::unique_ptr<SpeechSynthesizer>()> makeSynthesizer{};
        std::function<std::shared_ptr<View>()> view{};
        MenuController* menu = nullptr;
        // Commands and questions of other parts of the editor, by name.
        std::map<std::string, std::function<void()>> commands{};
        std::map<std::string, std::function<bool()>> questions{};
    };

    static std::shared_ptr<QVTextTools> make(PageConnection& page, QVTextStyling& styling, UserDefaults& defaults,
                                             Pasteboard& pasteboard, Host host, Dialect dialect = {});
    ~QVTextTools() override;

    EditorBarItems& barItems() { return *m_barItems; }
    EditorPopovers& popovers() { return *m_popovers; }
    EditorToolCommands& commands() { return *m_commands; }
    EditorInspectors& inspectors() { return *m_inspectors; }
    QVTextInsertMenus& insertMenus() { return *m_insertMenus; }
    QVTextInsertions& insertions() { return *m_insertions; }
    QVTextWritingTools& writingTools() { return *m_writingTools; }
    QVTextAssistant& assistant() { return *m_assistant; }
    QVTextKeyBars& keyBars() { return *m_keyBars; }
    QVTextLocationInsertion& location() { return *m_location; }
    QVTextLinkBar& linkBar() { return *m_linkBar; }
    ReadAloudController& speech() { return *m_speech; }
    LinkAlertBar& linkAlert() { return *m_linkAlert; }
    PageReadAloud& readAloud() { return *m_readAloud; }

    // The edit menu while a reading lasts offers only pause, resume and
    // cancel; "Read Aloud" needs a voice for the keyboard's language. None
    // when these parts have no say.
    std::optional<bool> canPerformSpeechAction(const std::string& action, bool voiceExists) const;
    // Runs the speech menu's and the edit menu's reading actions; answers whether it was one.
    bool performSpeechAction(const std::string& action);

    // Places the bar items on the editor's navigation item.
    void updateMainToolBarButtonsToSize(NavigationItem& navigation, Size size);

    // The pickers, each new at every showing except the two kept ones.
    void showToolsMenu(const std::shared_ptr<BarButtonItem>& sender);
    // The tools item's menu when the application gives none: the picker's
    // rows and the name generator.
    std::shared_ptr<Menu> toolsMenu();
    void showSpecialCharsMenu(const std::shared_ptr<BarButtonItem>& sender);
    // From a bar item, or from a rectangle of the style bar.
    void showFontSizeMenu(const std::shared_ptr<BarButtonItem>& sender, std::optional<Rect> inStyleBar = std::nullopt);

    // Runs an editor command by name: the tools' own first, then the host's.
    void run(const std::string& command);
    bool ask(const std::string& question) const;

    // ToolsPickerDelegate
    void toolsOptionSelected(long row) override;
    WebView* webViewEditor() override;
    // The reading is the program's own, not the page's.
    std::optional<bool> isReadingAloud() override;
    // MiscToolsPickerDelegate, MagicCursorPickerDelegate
    void miscToolsPickerOptionSelected(long option) override;
    void magicCursorOptionSelected(long option) override;
    void magicCursorOptionSelected2(long option) override;
    // OtherPickerDelegate, FontSizePickerDelegate, AlignPickerDelegate, ImagePickerDelegate
    void optionSelected(long row) override;
    void sizeSelected(const std::string& size) override;
    void alignSelected(long option) override;
    void imageOptionSelected(long option) override;
    // SpecialCharsPickerDelegate
    void specialCharsOptionSelected(const std::u16string& option, bool isEmoji) override;
    void dismissPopoverAnimated(bool) override {}

private:
    QVTextTools(PageConnection& page, QVTextStyling& styling, UserDefaults& defaults, Pasteboard& pasteboard, Host host,
                Dialect dialect);
    void build();
    void registerOwnCommands();
    void buildReadAloud();
    void presentPopover(const std::shared_ptr<ViewController>& picker, const std::shared_ptr<BarButtonItem>& sender,
                        std::optional<Rect> inStyleBar = std::nullopt);

    PageConnection& m_page;
    QVTextStyling& m_styling;
    UserDefaults& m_defaults;
    Pasteboard& m_pasteboard;
    Host m_host;
    Dialect m_dialect;
    std::map<std::string, std::function<void()>> m_own;
    std::map<std::string, std::function<bool()>> m_ownQuestions;
    std::unique_ptr<EditorBarItems> m_barItems;
    std::unique_ptr<EditorPopovers> m_popovers;
    std::unique_ptr<EditorToolCommands> m_commands;
    std::unique_ptr<QVTextSliceFactory> m_slices;
    std::shared_ptr<EditorInspectors> m_inspectors;
    std::unique_ptr<QVTextInsertMenus> m_insertMenus;
    std::unique_ptr<QVTextInsertions> m_insertions;
    std::unique_ptr<QVTextWritingTools> m_writingTools;
    std::unique_ptr<QVTextAssistant> m_assistant;
    std::unique_ptr<QVTextKeyBars> m_keyBars;
    std::shared_ptr<QVTextLocationInsertion> m_location;
    std::unique_ptr<QVTextLinkBar> m_linkBar;
    std::unique_ptr<ReadAloudController> m_speech;
    std::unique_ptr<PageReadAloud> m_readAloud;
    std::unique_ptr<LinkAlertBar> m_linkAlert;
};

} // namespace folio
