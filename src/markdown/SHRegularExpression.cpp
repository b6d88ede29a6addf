#include "markdown/SHRegularExpression.h"

#include <algorithm>

namespace folio {

namespace {
// Ranges such as the default "whole text" reach past any index; their end
// must not wrap around.
std::size_t saturatedEnd(Range range)
{
    return range.length > NotFound - range.location ? NotFound : range.location + range.length;
}
} // namespace

SHRegularExpression::SHRegularExpression(std::u16string string, RegularExpression regex)
    : m_regex(std::move(regex)), m_string(std::move(string))
{
}

Result<SHRegularExpression> SHRegularExpression::make(std::u16string string, std::u16string_view pattern, unsigned options)
{
    auto regex = RegularExpression::make(pattern, options);
    if (!regex)
        return regex.error();
    return SHRegularExpression(std::move(string), std::move(*regex));
}

const std::vector<Range>& SHRegularExpression::cachedMatchRanges() const
{
    if (!m_cachedMatchRanges) {
        std::vector<Range> ranges;
        m_regex.enumerateMatches(m_string, Range{0, m_string.size()},
                                 [&ranges](const RegularExpressionMatch& match, bool&) { ranges.push_back(match[0]); });
        m_cachedMatchRanges = std::move(ranges);
    }
    return *m_cachedMatchRanges;
}

Range SHRegularExpression::matchLocationsRange() const
{
    if (m_matchLocationsRange.isNotFound() && numberOfMatches() > 0) {
        const auto& ranges = cachedMatchRanges();
        m_matchLocationsRange = Range{ranges.front().location, ranges.back().location - ranges.front().location};
    }
    return m_matchLocationsRange;
}

void SHRegularExpression::setIndexOfCurrentMatch(std::size_t index)
{
    m_indexOfCurrentMatch = index < numberOfMatches() ? index : NotFound;
}

Range SHRegularExpression::rangeOfMatchAtIndex(std::size_t index)
{
    if (index >= numberOfMatches()) {
        m_indexOfCurrentMatch = NotFound;
        return SHRangeNotFound;
    }
    m_indexOfCurrentMatch = index;
    return cachedMatchRanges()[index];
}

Range SHRegularExpression::rangeOfNextMatch()
{
    if (m_indexOfCurrentMatch == NotFound)
        return rangeOfMatchAtIndex(0);
    if (m_circular && m_indexOfCurrentMatch + 1 >= numberOfMatches())
        return rangeOfMatchAtIndex(0);
    return rangeOfMatchAtIndex(m_indexOfCurrentMatch + 1);
}

Range SHRegularExpression::rangeOfPreviousMatch()
{
    if (m_indexOfCurrentMatch != NotFound && !(m_circular && m_indexOfCurrentMatch == 0))
        // From index 0 in non-circular mode this wraps to NotFound, which is
        // out of range and so answers no match.
        return rangeOfMatchAtIndex(m_indexOfCurrentMatch - 1);
    return rangeOfMatchAtIndex(numberOfMatches() - 1);
}

std::size_t SHRegularExpression::indexOfFirstMatchInRange(Range range) const
{
    const auto& ranges = cachedMatchRanges();
    auto it = std::lower_bound(ranges.begin(), ranges.end(), Range{range.location, 0}, SHRangeComparator());
    if (it == ranges.end() || it->end() > saturatedEnd(range))
        return NotFound;
    return static_cast<std::size_t>(it - ranges.begin());
}

Range SHRegularExpression::indexRangeOfMatchesInRange(Range range) const
{
    std::size_t first = indexOfFirstMatchInRange(range);
    if (first == NotFound)
        return SHRangeNotFound;
    const auto& ranges = cachedMatchRanges();
    std::size_t count = 0;
    while (first + count < ranges.size() && ranges[first + count].location >= range.location &&
           ranges[first + count].end() <= saturatedEnd(range))
        ++count;
    return Range{first, count};
}

std::size_t SHRegularExpression::indexOfLastMatchInRange(Range range) const
{
    Range indices = indexRangeOfMatchesInRange(range);
    return indices.isNotFound() ? NotFound : indices.location + indices.length - 1;
}

std::vector<Range> SHRegularExpression::rangesOfMatchesInRange(Range range) const
{
    Range indices = indexRangeOfMatchesInRange(range);
    if (indices.isNotFound())
        return {};
    const auto& ranges = cachedMatchRanges();
    return std::vector<Range>(ranges.begin() + static_cast<std::ptrdiff_t>(indices.location),
                              ranges.begin() + static_cast<std::ptrdiff_t>(indices.end()));
}

} // namespace folio
