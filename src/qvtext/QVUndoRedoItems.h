#pragma once

#include <functional>
#include <memory>

namespace folio {

class BarButtonItem;

// The QV editors' undo and redo bar items, made on first request and kept.
// They start disabled: until the page has told what it can undo, there is
// nothing to offer.
class QVUndoRedoItems {
public:
    QVUndoRedoItems(std::function<void()> undoAction, std::function<void()> redoAction);

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
