#include "formats/rtf/DKRTFReaderStateStack.h"

namespace folio {

DKRTFReaderStateStack::DKRTFReaderStateStack()
    : m_current(std::make_unique<DKRTFReaderState>())
{
}

void DKRTFReaderStateStack::push()
{
    ++m_openGroups;
    saveCurrent();
}

void DKRTFReaderStateStack::saveCurrent()
{
    if (m_saved.size() >= kMaxDepth) {
        ++m_overflow;
        m_everOverflowed = true;
        return;
    }
    auto copy = copyOf(*m_current);
    m_saved.push_back(std::move(m_current));
    m_current = std::move(copy);
}

std::unique_ptr<DKRTFReaderState> DKRTFReaderStateStack::copyOf(const DKRTFReaderState& state)
{
    if (m_spare.empty())
        return state.copy();
    std::unique_ptr<DKRTFReaderState> copy = std::move(m_spare.back());
    m_spare.pop_back();
    copy->assignCopyOf(state);
    return copy;
}

void DKRTFReaderStateStack::pop()
{
    if (m_openGroups == 0)
        ++m_unmatchedClosingBraces;
    else
        --m_openGroups;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    // The closed group's state is kept only while it may carry on at the
    // outermost level.
    std::unique_ptr<DKRTFReaderState> closed = std::move(m_current);
    if (!m_saved.empty()) {
        m_current = std::move(m_saved.back());
        m_saved.pop_back();
    }
    if (m_saved.empty()) {
        m_current = copyOf(*closed);
        saveCurrent();
    }
    m_spare.push_back(std::move(closed));
}

} // namespace folio
