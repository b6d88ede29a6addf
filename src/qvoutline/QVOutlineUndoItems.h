#pragma once

#include <functional>
#include <memory>

namespace folio {

class BarButtonItem;

// The outline editor's undo and redo bar items, made on first request and
// kept. They start disabled: until the page has told what it can undo,
// there is nothing to offer.
class QVOutlineUndoItems {
public:
    QVOutlineUndoItems(std::function<void()> undoAction, std::function<void()> redoAction);

    const std::shared_ptr<BarButtonItem>& undoBarButtonItem();
    const std::shared_ptr<BarButtonItem>& redoBarButtonItem();

    void setEnabled(bool canUndo, bool canRedo);

private:
    std::function<void()> m_undoAction;
    std::function<void()> m_redoAction;
    std::shared_ptr<BarButtonItem> m_undo;
    std::shared_ptr<BarButtonItem> m_redo;
};

} // namespace folio
