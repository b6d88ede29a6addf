#pragma once

#include <cstdint>

namespace folio {

// The number the next footnote gets. One counter lives for one conversion
// (one writer pass), so two documents written one after the other, or at the
// same time, each number their notes from 1 in the order they are written.
// Notes written as object elements and as superscripts share the counter.
class TEFootnoteCounter {
public:
    // The number for this note; the counter then moves on by one.
    std::uint64_t takeNextNumber()
    {
        // A counter set to 0 still numbers its first note 1.
        if (m_next == 0)
            m_next = 1;
        return m_next++;
    }
    std::uint64_t nextNumber() const { return m_next == 0 ? 1 : m_next; }
    void reset(std::uint64_t next = 1) { m_next = next; }

private:
    std::uint64_t m_next = 1;
};

} // namespace folio
