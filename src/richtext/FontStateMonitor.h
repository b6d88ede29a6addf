#pragma once

#include "platform/foundation/RunLoop.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class BarButtonItem;
class PageConnection;
struct StyleToolbar;

// Keeps the style bar in step with the formatting at the caret. Nothing tells
// the editor when that changes, so it asks the page every 1.7 seconds and
// sets each control from its own answer as it arrives; a tick's answers may
// land after the next tick began.
class FontStateMonitor {
public:
    static constexpr double kIntervalSeconds = 1.7;
    static constexpr const char* kCollapsedSelectionScript =
        "var sel = window.getSelection();if(sel.isCollapsed) {1} else {0}";

    // What the editor tells the monitor about itself.
    struct Host {
        std::function<bool()> hasDocument{};
        std::function<bool()> isClosingDocument{};
        // The page has the keyboard focus.
        std::function<bool()> isEditing{};
    };

    FontStateMonitor(PageConnection& page, StyleToolbar& toolbar, Host host);
    ~FontStateMonitor();
    FontStateMonitor(const FontStateMonitor&) = delete;
    FontStateMonitor& operator=(const FontStateMonitor&) = delete;

    void setUndoRedoItems(std::shared_ptr<BarButtonItem> undo, std::shared_ptr<BarButtonItem> redo);

    // Schedules the repeating poll (when not running) and polls once at once.
    void start();
    void stop();
    bool isRunning() const { return m_timer != 0; }

    // One poll of the page.
    void textStyleMonitor();
    // The font name title and whether bold and italic may be applied.
    void updateCurrentFont();
    // The size title, from the page now rather than at the next tick: for
    // a command about to use the size of the text at the caret.
    void updateFontSize();
    // True when only a caret is set, false when text is selected. Waits for
    // the page within the connection's limit; without a page, true at once.
    bool hasSelection();

private:
    void askState(const std::string& script, std::function<void(bool)> apply);
    void showFontSize(const std::string& pageSizeAnswer);

    PageConnection& m_page;
    StyleToolbar& m_toolbar;
    Host m_host;
    std::shared_ptr<BarButtonItem> m_undo;
    std::shared_ptr<BarButtonItem> m_redo;
    RunLoop::TimerId m_timer = 0;
    // Answers that arrive after the monitor is gone find this expired.
    std::shared_ptr<FontStateMonitor*> m_self;
};

} // namespace folio
