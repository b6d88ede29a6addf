#pragma once

namespace folio {

class DirtyState;
class PageConnection;
class PageDialect;

// The page's undo and redo, in the page's own dialect. Undoing and redoing
// do not wait for the page and count as changes; asking whether either is
// possible waits for the page within the connection's time limit and
// answers no when the page does not tell.
class UndoHistory {
public:
    UndoHistory(PageConnection& connection, const PageDialect& dialect, DirtyState& dirtyState);

    void undo();
    void redo();
    bool canUndo();
    bool canRedo();

private:
    PageConnection& m_connection;
    const PageDialect& m_dialect;
    DirtyState& m_dirtyState;
};

} // namespace folio
