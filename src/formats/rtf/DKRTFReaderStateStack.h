#pragma once

#include "formats/rtf/DKRTFReaderState.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace folio {

// The states of the open groups. "{" saves the current state and continues
// with a copy; "}" returns to the saved one.
//
// A closing brace at the outermost level never drops the formatting in force
// and never leaves the stack empty: the closed group's state carries on (as a
// copy) and is saved again at once. Files whose last brace closes the
// document, followed by stray text or braces, thus keep their formatting.
//
// Nesting is bounded: past kMaxDepth groups, further "{" only count, so that a
// file of nothing but opening braces cannot grow memory without bound; their
// matching "}" uncount before any state is popped.
class DKRTFReaderStateStack {
public:
    static constexpr std::size_t kMaxDepth = 4096;

    DKRTFReaderStateStack();

    DKRTFReaderState& current() { return *m_current; }
    const DKRTFReaderState& current() const { return *m_current; }
    // The state of the group around the current one (the current state at
    // the outermost level).
    DKRTFReaderState& enclosing() { return m_saved.empty() || m_overflow > 0 ? *m_current : *m_saved.back(); }
    // The depth that the closing-brace rule compares against.
    std::size_t depth() const { return m_saved.size() + m_overflow; }

    void push();
    void pop();

    // Groups that were opened and not closed, and closing braces that had no
    // group to close: for the reader's warnings.
    std::size_t unmatchedClosingBraces() const { return m_unmatchedClosingBraces; }
    std::size_t openGroups() const { return m_openGroups; }
    bool overflowed() const { return m_everOverflowed; }

private:
    void saveCurrent();
    // A copy of the state in an object left by a closed group: a large
    // document opens tens of thousands of groups, and a state is big.
    std::unique_ptr<DKRTFReaderState> copyOf(const DKRTFReaderState& state);

    std::unique_ptr<DKRTFReaderState> m_current;
    std::vector<std::unique_ptr<DKRTFReaderState>> m_saved;
    std::vector<std::unique_ptr<DKRTFReaderState>> m_spare;
    std::size_t m_overflow = 0;
    std::size_t m_unmatchedClosingBraces = 0;
    std::size_t m_openGroups = 0;
    bool m_everOverflowed = false;
};

} // namespace folio
