#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace folio {

// Records how to reverse changes. An action registered while undoing goes on
// the redo stack, one registered while redoing (or outside both) on the undo
// stack; a new change from outside clears the redo stack, as the platform's
// undo manager does. Main thread only.
class UndoManager {
public:
    using Action = std::function<void()>;

    void registerUndo(Action action, std::u16string actionName = {});

    bool canUndo() const { return !m_undoStack.empty(); }
    bool canRedo() const { return !m_redoStack.empty(); }
    bool isUndoing() const { return m_state == State::Undoing; }
    bool isRedoing() const { return m_state == State::Redoing; }
    // Answers whether anything was undone or redone.
    bool undo();
    bool redo();
    void removeAllActions();

    // Changes whenever either stack does (a step registered, undone, redone
    // or removed). Whoever registered the top step can tell from it that the
    // step is still on top and untouched, and may still grow it: a text view
    // adds each typed character to the step of the typing before it.
    std::uint64_t changeStamp() const { return m_changeStamp; }

    std::u16string undoActionName() const { return m_undoStack.empty() ? std::u16string() : m_undoStack.back().name; }
    std::size_t levelsOfUndo() const { return m_levelsOfUndo; }
    // 0 keeps every step; otherwise the oldest steps are dropped.
    void setLevelsOfUndo(std::size_t levels);

private:
    enum class State { Idle, Undoing, Redoing };
    struct Step {
        Action action;
        std::u16string name;
    };
    // Runs the step on top of `stack` in the given state.
    bool perform(std::vector<Step>& stack, State state);
    void trim();

    std::vector<Step> m_undoStack;
    std::vector<Step> m_redoStack;
    State m_state = State::Idle;
    std::size_t m_levelsOfUndo = 0;
    std::uint64_t m_changeStamp = 0;
};

} // namespace folio
