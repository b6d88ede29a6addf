#include "formats/markdown/CodeSpanIndex.h"

#include <algorithm>

namespace folio {

CodeSpanIndex::CodeSpanIndex(std::string_view source)
    : m_size(source.size())
{
    for (std::size_t at = source.find("\n\n"); at != std::string_view::npos; at = source.find("\n\n", at + 1))
        m_paragraphBreaks.push_back(at);
    // Backticks are rare in prose: the library's byte search finds each run.
    for (std::size_t index = source.find('`'); index != std::string_view::npos; index = source.find('`', index)) {
        std::size_t run = 1;
        while (index + run < source.size() && source[index + run] == '`')
            ++run;
        m_runStartsByLength[run].push_back(index);
        index += run;
    }
}

std::size_t CodeSpanIndex::paragraphEnd(std::size_t from) const
{
    auto next = std::lower_bound(m_paragraphBreaks.begin(), m_paragraphBreaks.end(), from);
    return next == m_paragraphBreaks.end() ? m_size : *next;
}

bool CodeSpanIndex::hasClosingRun(std::size_t from, std::size_t ticks) const
{
    auto runs = m_runStartsByLength.find(ticks);
    if (runs == m_runStartsByLength.end())
        return false;
    auto next = std::lower_bound(runs->second.begin(), runs->second.end(), from);
    return next != runs->second.end() && *next < paragraphEnd(from);
}

} // namespace folio
