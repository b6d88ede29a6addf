#include "webeditor/UndoHistory.h"

#include "webeditor/DirtyState.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageDialect.h"

namespace folio {

UndoHistory::UndoHistory(PageConnection& connection, const PageDialect& dialect, DirtyState& dirtyState)
    : m_connection(connection)
    , m_dialect(dialect)
    , m_dirtyState(dirtyState)
{
}

void UndoHistory::undo()
{
    // Without a page nothing changed, so nothing may be marked for saving.
    if (!m_connection.isConnected())
        return;
    m_connection.send(m_dialect.undoScript());
    m_dirtyState.documentIsDirty();
}

void UndoHistory::redo()
{
    if (!m_connection.isConnected())
        return;
    m_connection.send(m_dialect.redoScript());
    m_dirtyState.documentIsDirty();
}

bool UndoHistory::canUndo()
{
    return m_connection.readBool(m_dialect.canUndoScript(), false);
}

bool UndoHistory::canRedo()
{
    return m_connection.readBool(m_dialect.canRedoScript(), false);
}

} // namespace folio
