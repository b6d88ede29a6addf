#pragma once

#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVParagraphStyleCommander.h"
#include "qvtext/QVStylePresets.h"
#include "qvtext/QVStyleState.h"
#include "qvtext/QVStyleStore.h"
#include "qvtext/QVTextStyleCallbacks.h"
#include "webeditor/AlignmentMenu.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace folio {

class DKMenuController;
class Menu;
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
    };

    QVTextStyling(PageConnection& page, UserDefaults& defaults, Host host);
    ~QVTextStyling();
    QVTextStyling(const QVTextStyling&) = delete;
    QVTextStyling& operator=(const QVTextStyling&) = delete;

    QVCharacterStyleCommander& characters() { return m_characters; }
    QVParagraphStyleCommander& paragraphs() { return m_paragraphs; }
    QVStylePresets& presets() { return m_presets; }
    QVStyleStore& store() { return m_store; }
    QVTextStyleCallbacks& textStyleCallbacks() { return m_callbacks; }

    // The style at the caret, as the page tells it now.
    QVStyleState styleState() { return QVStyleState::read(m_page); }

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

    // Shows the progress overlay when the selection is long enough for a
    // rewrite to take a while (more than 4000 characters).
    void showProgressHUDifNeeded();

    // Follows the keyboard's current input language.
    void setTextDirection();
    bool isRTLLanguage() const { return m_paragraphs.isRTLLanguage(); }
    // Chinese input composes text the page does not report as typed, so the
    // document is saved on closing.
    bool shouldForceDirtyDocument() const { return m_shouldForceDirtyDocument; }

    // Cancels a picker row still waiting for its turn.
    void cancelPendingTasks();

private:
    void documentIsDirty();
    void setPaperColor(const std::string& color);

    PageConnection& m_page;
    Host m_host;
    QVStyleStore m_store;
    QVCharacterStyleCommander m_characters;
    QVParagraphStyleCommander m_paragraphs;
    QVStylePresets m_presets;
    QVTextStyleCallbacks m_callbacks;
    std::shared_ptr<DKMenuController> m_alignPicker;
    std::uint64_t m_inputModeObserver = 0;
    bool m_shouldForceDirtyDocument = false;
    AlignmentMenu::Directions m_alignMenuDirections = AlignmentMenu::Directions::Offered;
};

} // namespace folio
