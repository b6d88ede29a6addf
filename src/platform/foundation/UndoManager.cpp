#include "platform/foundation/UndoManager.h"

#include <utility>

namespace folio {

void UndoManager::registerUndo(Action action, std::u16string actionName)
{
    if (!action)
        return;
    Step step{std::move(action), std::move(actionName)};
    ++m_changeStamp;
    if (m_state == State::Undoing) {
        m_redoStack.push_back(std::move(step));
        return;
    }
    if (m_state == State::Idle)
        m_redoStack.clear();
    m_undoStack.push_back(std::move(step));
    trim();
}

bool UndoManager::undo() { return perform(m_undoStack, State::Undoing); }

bool UndoManager::redo() { return perform(m_redoStack, State::Redoing); }

bool UndoManager::perform(std::vector<Step>& stack, State state)
{
    if (stack.empty() || m_state != State::Idle)
        return false;
    Step step = std::move(stack.back());
    stack.pop_back();
    ++m_changeStamp;
    m_state = state;
    step.action();
    m_state = State::Idle;
    return true;
}

void UndoManager::removeAllActions()
{
    m_undoStack.clear();
    m_redoStack.clear();
    ++m_changeStamp;
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
