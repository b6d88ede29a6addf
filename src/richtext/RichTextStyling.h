#pragma once

#include "richtext/CharacterStyleCommander.h"
#include "richtext/EditMenuValidator.h"
#include "richtext/FontStateMonitor.h"
#include "richtext/ParagraphStyleCommander.h"
#include "webeditor/EditorBarItems.h"
#include "webeditor/EditorPopovers.h"
#include "richtext/StylePresetCommander.h"
#include "richtext/StyleToolbar.h"
#include "richtext/TextStylePickerBridge.h"

#include <memory>

namespace folio {

class Menu;
class PopoverPresentationController;
class PageConnection;
class TextDocument;
class UserDefaults;
class View;
class ViewController;

// The rich-text editor's styling as one part it owns: the style bar and the
// monitor that keeps it in step, the character, paragraph and preset
// commands, the bar items and the popovers. The editor answers the
// questions in Host; everything else lives here.
class RichTextStyling {
public:
    struct Host {
        std::function<bool()> hasDocument{};
        std::function<bool()> isClosingDocument{};
        std::function<bool()> isEditing{};
        std::function<void()> documentIsDirty{};
        std::function<void()> undoAction{};
        std::function<void()> redoAction{};
        std::function<void()> closeDocument{};
        std::function<void(const std::string&)> setPaperColor{};
        std::function<std::optional<Color>()> viewBackgroundColor{};
        std::function<std::pair<double, double>()> rulerValues{};
        std::function<std::optional<std::string>()> documentTopMargin{};
        std::function<std::optional<std::string>()> documentBottomMargin{};
        // The text-style picker's paper size and margins (side, inches).
        std::function<void()> paperSizeChanged{};
        std::function<void(long side, double inches)> paperMarginChanged{};
        // Presents from the document's navigation controller.
        std::function<void(std::shared_ptr<ViewController>)> present{};
        std::function<std::shared_ptr<ViewController>()> viewControllerToPresent{};
        std::function<std::shared_ptr<Menu>(BarButtonItem*)> toolMenuActions{};
        std::function<std::shared_ptr<Menu>(BarButtonItem*)> exportMenuActions{};
        // The style item's panel: the editor's style inspector. Without
        // one the item opens the text-style popover.
        std::function<void(BarButtonItem&)> showTextStyleInspector{};
        // The insert item's menu; null hides the item.
        std::function<std::shared_ptr<Menu>()> insertItemMenu{};
        // A picture is under edit, or being cropped: the edit menu offers its commands.
        std::function<bool()> isEditingImage{};
        std::function<bool()> isCropping{};
        // The responder chain's answer for edit-menu commands the editor does not decide.
        std::function<bool(const std::string& action)> superCanPerformAction{};
    };

    RichTextStyling(PageConnection& page, UserDefaults& defaults, Host host);

    // The answers that come from the editor's document and view: closing,
    // the share and tools menus, the paper colour, margins and presenting.
    // The editor adds what it alone knows (its state, undo, redo).
    static Host hostForDocument(PageConnection& page, std::function<TextDocument*()> document,
                                std::function<std::shared_ptr<View>()> view);
    ~RichTextStyling();
    RichTextStyling(const RichTextStyling&) = delete;
    RichTextStyling& operator=(const RichTextStyling&) = delete;

    StyleToolbar& toolbar() { return m_toolbar; }
    FontStateMonitor& monitor() { return m_monitor; }
    CharacterStyleCommander& characters() { return m_characters; }
    ParagraphStyleCommander& paragraphs() { return m_paragraphs; }
    StylePresetCommander& presets() { return m_presets; }
    EditorBarItems& barItems() { return m_barItems; }
    EditorPopovers& popovers() { return m_popovers; }
    const EditMenuValidator& editMenu() const { return m_editMenu; }
    EditMenuValidator& editMenu() { return m_editMenu; }

    // The style tool row's buttons: steps, the size menu rows and alignment.
    void styleToolbarButtonPressed(const Button* sender);
    // "+10", "+1", "-10", "-1" step; any other text is an absolute size.
    void sizeSelected(const std::string& row);
    void alignSelected(long value) { m_characters.alignTextTask(value); }
    // The alignment keys' menu, in the keys' order.
    std::shared_ptr<Menu> showAlignKeyMenuActions();

    // A page margin set by number (side 0 left, 1 right edge, 2 top, 3
    // bottom; inches), as the text-style picker sets it: through the ruler
    // that holds the margins. Answers whether anything took it.
    bool paperMarginChanged(long side, double inches);
    // The paper size was chosen in a picker: the page and the document take it.
    void paperSizeChanged();

    // Presents the text-style popover for the caret's style, with the
    // editor's commands as its delegate.
    void showTextStyleMenu(BarButtonItem& sender);
    // The same, from the style bar's font-name button.
    void showTextStyleMenu(Button& sender);
    // The font-size picker, from the style bar's size button.
    void showFonSizeMenu(Button& sender);

private:
    class SizePickerBridge;
    void presentTextStylePicker(const std::function<void(PopoverPresentationController&)>& anchor);

    Host m_host;
    PageConnection& m_page;
    UserDefaults& m_defaults;
    StyleToolbar m_toolbar;
    FontStateMonitor m_monitor;
    CharacterStyleCommander m_characters;
    ParagraphStyleCommander m_paragraphs;
    StylePresetCommander m_presets;
    EditorBarItems m_barItems;
    EditorPopovers m_popovers;
    EditMenuValidator m_editMenu;
    std::shared_ptr<TextStylePickerBridge> m_pickerDelegate;
    std::shared_ptr<SizePickerBridge> m_sizePickerDelegate;
    // The writing direction follows the keyboard's language.
    std::uint64_t m_inputModeObserver = 0;
};

} // namespace folio
