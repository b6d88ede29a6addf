#include "platform/foundation/UndoManager.h"

#include <utility>

namespace folio {

void UndoManager::registerUndo(Action action, std::u16string actionName)
{
    if (!action)
        return;
    Step step{std::move(action), std::move(actionName)};
    if (m_state == State::Undoing) {
        m_redoStack.push_back(std::move(step));
        return;
    }
    if (m_state == State::Idle)
        m_redoStack.clear();
    m_undoStack.push_back(std::move(step));
    trim();
}

bool UndoManager::undo()
{
    if (m_undoStack.empty() || m_state != State::Idle)
        return false;
    Step step = std::move(m_undoStack.back());
    m_undoStack.pop_back();
    m_state = State::Undoing;
    step.action();
    m_state = State::Idle;
    return true;
}

bool UndoManager::redo()
{
    if (m_redoStack.empty() || m_state != State::Idle)
        return false;
    Step step = std::move(m_redoStack.back());
    m_redoStack.pop_back();
    m_state = State::Redoing;
    step.action();
    m_state = State::Idle;
    return true;
}

void UndoManager::removeAllActions()
{
    m_undoStack.clear();
    m_redoStack.clear();
}

void UndoManager::setLevelsOfUndo(std::size_t levels)
{
    m_levelsOfUndo = levels;
    trim();
}

void UndoManager::trim()
{
    if (m_levelsOfUndo > 0 && m_undoStack.size() > m_levelsOfUndo)
        m_undoStack.erase(m_undoStack.begin(),
                          m_undoStack.begin() + static_cast<std::ptrdiff_t>(m_undoStack.size() - m_levelsOfUndo));
}

} // namespace folio
