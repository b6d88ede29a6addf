#pragma once

#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVParagraphStyleCommander.h"
#include "qvtext/QVStyleMonitor.h"
#include "qvtext/QVStylePresets.h"
#include "qvtext/QVStyleState.h"
#include "qvtext/QVStyleStore.h"
#include "qvtext/QVTextStyleCallbacks.h"
#include "webeditor/AlignmentMenu.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class BarButtonItem;
class DKMenuController;
class KeyCommand;
class Menu;
class TSTextStylePickerViewController;
class PageConnection;
class UserDefaults;
class ViewController;

// Everything of the QV text editor that changes how the text looks, wired
// together: character and paragraph commands, the default and user styles,
// the text-style popover's callbacks, the alignment menu and the direction
// that follows the keyboard. The editor owns one and hands it its page.
class QVTextStyling {
public:
    struct Host {
        std::function<void()> documentIsDirty{};
        std::function<void(std::shared_ptr<ViewController>)> present{};
        // Whether the editor still has its document.
        std::function<bool()> hasDocument{};
        // The popover's paper size and margins, and a style's paper colour,
        // go to the editor's page views.
        std::function<void()> paperSizeChanged{};
        std::function<void(long side, double margin)> paperMarginChanged{};
        std::function<void(const std::string& color)> setPaperColor{};
        // The languages of the installed speech voices ("en-US"); none when
        // the host has no speech.
        std::function<std::vector<std::string>()> speechVoiceLanguages{};
        // Shows the edit menu at the selection; may be empty.
        std::function<void()> showMenu{};
    };

    // The buttons of the style bar, as the bar tells which one was pressed.
    enum class StyleButton { Bold, Italic, Underline, Strike, Superscript, Subscript, FontName, FontSizeIncrease,
                             FontSizeDecrease };

    QVTextStyling(PageConnection& page, UserDefaults& defaults, Host host);
    ~QVTextStyling();
    QVTextStyling(const QVTextStyling&) = delete;
    QVTextStyling& operator=(const QVTextStyling&) = delete;

    QVCharacterStyleCommander& characters() { return m_characters; }
    QVParagraphStyleCommander& paragraphs() { return m_paragraphs; }
    QVStylePresets& presets() { return m_presets; }
    QVStyleStore& store() { return m_store; }
    QVTextStyleCallbacks& textStyleCallbacks() { return *m_callbacks; }

    // The poll of the style at the caret, run while the page is shown.
    QVStyleMonitor& styleMonitor() { return m_monitor; }

    // The style at the caret, as the page tells it now.
    QVStyleState styleState() { return QVStyleState::read(m_page); }

    // Bold, italic and underline from the keyboard, through the editor's own
    // commands (a face that is bold by itself is first reset). Each command
    // finds the styling when it runs, and does nothing without one.
    static std::vector<std::shared_ptr<KeyCommand>> keyCommands(std::function<QVTextStyling*()> styling);

    // The edit menu's and the keyboard's bold and italic: offered only
    // where the page's font can take the trait; none for other actions.
    std::optional<bool> canPerformAction(const std::string& action);

    // A style-bar button: the size steps at once, the font name nothing, a
    // character style on the next turn of the loop (after the progress
    // overlay, for a long selection).
    void styleToolbarButtonPressed(StyleButton button);
    // Runs the button's character style, then takes the overlay down, marks
    // the document changed and shows the edit menu.
    void styleTextTask(StyleButton button);

    // The other-styles picker's row; runs on the next turn of the loop.
    void optionSelected(long row);
    void alignSelected(long option);
    std::shared_ptr<Menu> showAlignKeyMenuActions();
    // Whether the style bar's alignment menu offers the writing directions
    // too (the popover list always does).
    void setAlignMenuDirections(AlignmentMenu::Directions directions) { m_alignMenuDirections = directions; }
    // The alignment options as a popover list, replacing one still open;
    // presented through the host.
    void showAlignKeyMenu();
    const std::shared_ptr<DKMenuController>& alignPicker() const { return m_alignPicker; }

    // The text-style popover, filled from the style at the caret; its changes
    // reach the page through the text-style callbacks. Anchored at the bar
    // item when there is one; presented through the host. A popover still
    // open is replaced.
    void showTextStylePicker(const std::shared_ptr<BarButtonItem>& anchor = {});
    const std::shared_ptr<TSTextStylePickerViewController>& textStylePicker() const { return m_textStylePicker; }

    // An alert "HTML Source" showing the page's HTML as it is now.
    void showHTMLSource();

    // Shows the progress overlay when the selection is long enough for a
    // rewrite to take a while (more than 4000 characters).
    void showProgressHUDifNeeded();

    // Follows the keyboard's current input language.
    void setTextDirection();
    bool isRTLLanguage() const { return m_paragraphs.isRTLLanguage(); }
    // Whether a speech voice speaks the keyboard's language, as it is exactly.
    // The installed voices are looked at only when the answer is first
    // wanted, so that opening a document does not start the speech engine.
    void checkIfSpeechCompatible();
    bool existVoiceForLanguage() const;
    // Chinese input composes text the page does not report as typed, so the
    // document is saved on closing.
    bool shouldForceDirtyDocument() const { return m_shouldForceDirtyDocument; }

    // Cancels a picker row still waiting for its turn.
    void cancelPendingTasks();

private:
    QVTextStyleCallbacks::Host callbacksHost();
    void documentIsDirty();
    void setPaperColor(const std::string& color);

    PageConnection& m_page;
    Host m_host;
    UserDefaults& m_defaults;
    QVStyleStore m_store;
    QVCharacterStyleCommander m_characters;
    QVParagraphStyleCommander m_paragraphs;
    QVStylePresets m_presets;
    std::shared_ptr<QVTextStyleCallbacks> m_callbacks;
    std::shared_ptr<TSTextStylePickerViewController> m_textStylePicker;
    QVStyleMonitor m_monitor;
    std::shared_ptr<DKMenuController> m_alignPicker;
    std::uint64_t m_inputModeObserver = 0;
    bool m_shouldForceDirtyDocument = false;
    std::string m_voiceLanguage;
    mutable std::optional<bool> m_existVoiceForLanguage;
    AlignmentMenu::Directions m_alignMenuDirections = AlignmentMenu::Directions::Offered;
};

} // namespace folio
