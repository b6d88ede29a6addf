#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace folio {

// Answers whether a code span opened by a run of backticks closes before its
// paragraph ends. Looking ahead from every opening run costs time that grows
// with the square of a line of code spans; the index finds every run once and
// answers each question with a binary search.
class CodeSpanIndex {
public:
    explicit CodeSpanIndex(std::string_view source);

    // Whether a run of exactly `ticks` backticks starts at or after `from`
    // and before the paragraph that holds `from` ends at a blank line
    // ("\n\n"). `from` must not fall inside a run of backticks.
    bool hasClosingRun(std::size_t from, std::size_t ticks) const;

private:
    std::size_t paragraphEnd(std::size_t from) const;

    std::size_t m_size;
    std::vector<std::size_t> m_paragraphBreaks;
    std::unordered_map<std::size_t, std::vector<std::size_t>> m_runStartsByLength;
};

} // namespace folio
