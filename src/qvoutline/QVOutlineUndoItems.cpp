#include "qvoutline/QVOutlineUndoItems.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/BarButtonItem.h"

namespace folio {

namespace {

std::shared_ptr<BarButtonItem> makeItem(const char* symbol, const char* title, const std::function<void()>& action)
{
    auto item = BarButtonItem::withSymbol(symbol, [action](BarButtonItem&) {
        if (action)
            action();
    });
    item->setTitle(toUtf16(Localization::localizedString(title, "")));
    item->setEnabled(false);
    return item;
}

} // namespace

QVOutlineUndoItems::QVOutlineUndoItems(std::function<void()> undoAction, std::function<void()> redoAction)
    : m_undoAction(std::move(undoAction))
    , m_redoAction(std::move(redoAction))
{
}

const std::shared_ptr<BarButtonItem>& QVOutlineUndoItems::undoBarButtonItem()
{
    if (!m_undo)
        m_undo = makeItem("arrow.uturn.backward", "Undo", m_undoAction);
    return m_undo;
}

const std::shared_ptr<BarButtonItem>& QVOutlineUndoItems::redoBarButtonItem()
{
    if (!m_redo)
        m_redo = makeItem("arrow.uturn.forward", "Redo", m_redoAction);
    return m_redo;
}

void QVOutlineUndoItems::setEnabled(bool canUndo, bool canRedo)
{
    undoBarButtonItem()->setEnabled(canUndo);
    redoBarButtonItem()->setEnabled(canRedo);
}

} // namespace folio
