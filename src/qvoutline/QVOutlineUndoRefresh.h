#pragma once

#include <functional>
#include <memory>

namespace folio {

// Keeps the outline editor's undo and redo items in step with the page's
// undo history. Every change asks for a refresh three seconds later without
// cancelling the ones already asked for; the first refresh to run cancels
// the rest and then, on the next turn, asks the page what it can undo and
// redo. So a burst of typing refreshes the items about every three seconds,
// never once per key.
class QVOutlineUndoRefresh {
public:
    static constexpr double kDelaySeconds = 3.0;

    struct Host {
        // Whether the page can undo and redo; both may wait for the page.
        std::function<bool()> canUndo{};
        std::function<bool()> canRedo{};
        std::function<void(bool canUndo, bool canRedo)> setItemsEnabled{};
    };

    explicit QVOutlineUndoRefresh(Host host);
    ~QVOutlineUndoRefresh();
    QVOutlineUndoRefresh(const QVOutlineUndoRefresh&) = delete;
    QVOutlineUndoRefresh& operator=(const QVOutlineUndoRefresh&) = delete;

    // A change of the page was noticed.
    void scheduleUpdate();
    void updateUndoRedoButtons();
    // Drops every refresh still to come, the queued one included.
    void cancel();

private:
    void refreshItems();

    Host m_host;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace folio
