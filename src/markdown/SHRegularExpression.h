#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Range.h"
#include "platform/foundation/RegularExpression.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace folio {

// The ordering of match ranges for binary search: by location, then by
// length (shorter first).
struct SHRangeComparator {
    bool operator()(Range a, Range b) const
    {
        return a.location != b.location ? a.location < b.location : a.length < b.length;
    }
};

inline constexpr Range SHRangeZero{0, 0};
inline constexpr Range SHRangeNotFound = NotFoundRange;
// The whole text, whatever its length: the default search range.
inline constexpr Range SHRangeMax{0, NotFound};

// A compiled pattern bound to one text, with every match of it found once
// and kept, and a current match to step from. Every rangeOf... operation ends
// by making the match it answers the current one.
class SHRegularExpression {
public:
    // An error when the pattern does not compile.
    static Result<SHRegularExpression> make(std::u16string string, std::u16string_view pattern, unsigned options);

    const std::u16string& string() const { return m_string; }
    const std::u16string& pattern() const { return m_regex.pattern(); }
    unsigned options() const { return m_regex.options(); }

    // Every match over the whole text, in ascending order; found on first use.
    const std::vector<Range>& cachedMatchRanges() const;
    std::size_t numberOfMatches() const { return cachedMatchRanges().size(); }
    // From the first match's location to the last match's location; not
    // found while there is no match.
    Range matchLocationsRange() const;

    std::size_t indexOfCurrentMatch() const { return m_indexOfCurrentMatch; }
    // An index past the matches clears the current match.
    void setIndexOfCurrentMatch(std::size_t index);
    bool circular() const { return m_circular; }
    void setCircular(bool circular) { m_circular = circular; }

    Range rangeOfMatchAtIndex(std::size_t index);
    Range rangeOfCurrentMatch() { return rangeOfMatchAtIndex(m_indexOfCurrentMatch); }
    Range rangeOfFirstMatch() { return rangeOfMatchAtIndex(0); }
    Range rangeOfLastMatch() { return rangeOfMatchAtIndex(numberOfMatches() - 1); }
    // In non-circular mode a step past either end answers no match and
    // clears the current one; the step after that starts again from the
    // first (next) or last (previous) match.
    Range rangeOfNextMatch();
    Range rangeOfPreviousMatch();
    Range rangeOfFirstMatchInRange(Range range) { return rangeOfMatchAtIndex(indexOfFirstMatchInRange(range)); }
    Range rangeOfLastMatchInRange(Range range) { return rangeOfMatchAtIndex(indexOfLastMatchInRange(range)); }

    // Only matches lying wholly inside the range count; the search starts at
    // the first match at or after the range's location.
    std::size_t indexOfFirstMatchInRange(Range range) const;
    std::size_t indexOfLastMatchInRange(Range range) const;
    // {first index, count}; not found when no match lies in the range.
    Range indexRangeOfMatchesInRange(Range range) const;
    std::vector<Range> rangesOfMatchesInRange(Range range) const;

private:
    SHRegularExpression(std::u16string string, RegularExpression regex);

    RegularExpression m_regex;
    std::u16string m_string;
    mutable std::optional<std::vector<Range>> m_cachedMatchRanges;
    mutable Range m_matchLocationsRange = SHRangeNotFound;
    std::size_t m_indexOfCurrentMatch = NotFound;
    bool m_circular = false;
};

} // namespace folio
