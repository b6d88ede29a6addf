#include "markdown/MERestyleTracker.h"

#include "platform/foundation/Unicode.h"

#include <algorithm>

namespace folio {

namespace {

// The opening and the closing of a spanning rule's match are at most this long.
constexpr std::size_t kDelimiterLength = 4;

std::size_t shifted(std::size_t position, std::ptrdiff_t delta)
{
    return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(position) + delta);
}

} // namespace

std::size_t MERestyleTracker::paragraphStartBefore(std::u16string_view text, std::size_t location) const
{
    // The line breaks that make a paragraph start must lie before location,
    // so that an edit there cannot have made or unmade them.
    if (!m_texParagraphs) {
        // A line feed followed by an empty line, ended by a line feed or by a
        // return and line feed; looked for line by line.
        if (location < 2)
            return 0;
        for (std::size_t found = text.rfind(u'\n', location - 2); found != std::u16string_view::npos;
             found = found == 0 ? std::u16string_view::npos : text.rfind(u'\n', found - 1)) {
            if (text[found + 1] == u'\n')
                return found + 1;
            if (found + 3 <= location && text[found + 1] == u'\r' && text[found + 2] == u'\n')
                return found + 1;
        }
        return 0;
    }
    if (location < 3)
        return 0;
    std::size_t from = location - 3;
    while (true) {
        std::size_t found = text.rfind(u"\n\n", from);
        if (found == std::u16string_view::npos)
            return 0;
        if (text[found + 2] != u'\n')
            return found + 2;
        if (found == 0)
            return 0;
        from = found - 1;
    }
}

std::size_t MERestyleTracker::paragraphEndAfter(std::u16string_view text, std::size_t location) const
{
    if (!m_texParagraphs) {
        for (std::size_t found = text.find(u'\n', location); found != std::u16string_view::npos; found = text.find(u'\n', found + 1)) {
            if (found + 1 < text.size() && text[found + 1] == u'\n')
                return found + 1;
            if (found + 2 < text.size() && text[found + 1] == u'\r' && text[found + 2] == u'\n')
                return found + 1;
        }
        return text.size();
    }
    std::size_t from = location;
    while (true) {
        std::size_t found = text.find(u"\n\n", from);
        if (found == std::u16string_view::npos)
            return text.size();
        if (found + 2 >= text.size() || text[found + 2] != u'\n')
            return found + 2;
        from = found + 1;
    }
}

Range MERestyleTracker::paragraphsAround(std::u16string_view text, Range range) const
{
    std::size_t start = paragraphStartBefore(text, std::min(range.location, text.size()));
    std::size_t end = paragraphEndAfter(text, std::min(range.end(), text.size()));
    return Range{start, end - start};
}

std::vector<MERestyleTracker::Match> MERestyleTracker::matchesIn(const MESyntaxRule& rule, std::u16string_view text, Range range,
                                                                 std::size_t startsBefore)
{
    std::vector<Match> matches;
    rule.expression.enumerateMatches(text, range, [&](const RegularExpressionMatch& match, bool& stop) {
        if (match[0].location >= startsBefore) {
            stop = true;
            return;
        }
        Range group = match.size() > 1 && !match[1].isNotFound() ? match[1] : Range{match[0].location, 0};
        matches.push_back(Match{match[0], group});
    });
    return matches;
}

void MERestyleTracker::rebuild(std::u16string_view text, const std::vector<MESyntaxRule>& rules)
{
    m_spanning.clear();
    for (std::size_t index = 0; index < rules.size(); ++index) {
        if (!rules[index].spanning || rules[index].spanning->opening.empty())
            continue;
        SpanningRule spanning;
        spanning.index = index;
        spanning.rule = &rules[index];
        spanning.matches = matchesIn(rules[index], text, Range{0, text.size()}, NotFound);
        findOpenings(spanning, text, Range{0, text.size()}, spanning.openings);
        m_spanning.push_back(std::move(spanning));
    }
    m_valid = true;
}

bool MERestyleTracker::mayBeInBody(SpanningRule& spanning, char16_t unit) const
{
    // Half a pair is taken as a body character: that can only widen what is
    // matched again, never leave a changed match out.
    if (isHighSurrogate(unit) || isLowSurrogate(unit))
        return true;
    if (spanning.spanning.empty())
        spanning.spanning.assign(0x10000, 0);
    std::uint8_t& known = spanning.spanning[unit];
    if (known == 0) {
        std::u16string single(1, unit);
        known = spanning.rule->spanning->bodyCharacters.firstMatchInString(single, Range{0, 1}).empty() ? 2 : 1;
    }
    return known == 1;
}

void MERestyleTracker::findOpenings(const SpanningRule& spanning, std::u16string_view text, Range range, std::vector<std::size_t>& found)
{
    const std::u16string& opening = spanning.rule->spanning->opening;
    // Searched only as far as an opening that begins in range can reach.
    std::u16string_view window = text.substr(0, std::min(text.size(), range.end() + opening.size() - 1));
    for (std::size_t at = window.find(opening, range.location); at != std::u16string_view::npos && at < range.end();
         at = window.find(opening, at + 1))
        found.push_back(at);
}

void MERestyleTracker::updateOpenings(SpanningRule& spanning, std::u16string_view text, Range before, Range after)
{
    // An opening that overlapped the old range is gone; one may now begin
    // anywhere from an opening's length before the range to its end.
    const std::size_t reach = spanning.rule->spanning->opening.size() - 1;
    const std::size_t from = before.location > reach ? before.location - reach : 0;
    const std::ptrdiff_t delta = static_cast<std::ptrdiff_t>(after.length) - static_cast<std::ptrdiff_t>(before.length);
    std::vector<std::size_t>& openings = spanning.openings;
    auto first = std::lower_bound(openings.begin(), openings.end(), from);
    auto last = std::lower_bound(first, openings.end(), before.end());
    for (auto moved = last; moved != openings.end(); ++moved)
        *moved = shifted(*moved, delta);
    std::vector<std::size_t> found;
    findOpenings(spanning, text, Range{from, after.end() - from}, found);
    auto at = openings.erase(first, last);
    openings.insert(at, found.begin(), found.end());
}

std::vector<Range> MERestyleTracker::update(SpanningRule& spanning, std::u16string_view text, Range before, Range after)
{
    const std::ptrdiff_t delta = static_cast<std::ptrdiff_t>(after.length) - static_cast<std::ptrdiff_t>(before.length);
    std::vector<Match>& old = spanning.matches;
    updateOpenings(spanning, text, before, after);
    const std::vector<std::size_t>& openings = spanning.openings;
    const std::size_t openingLength = spanning.rule->spanning->opening.size();

    // A match attempt that does not begin at an opening fails within a
    // delimiter's length. One that does reads its body characters up to the
    // first character that cannot be in a body, and at most a closing past
    // that; it can only have seen the edit when no such character lies
    // between its body's start and a delimiter's length before the edit.
    std::size_t restart = after.location >= kDelimiterLength - 1 ? after.location - (kDelimiterLength - 1) : 0;
    std::size_t verifiedFrom = after.location >= kDelimiterLength - 1 ? after.location - (kDelimiterLength - 1) : 0;
    for (auto opening = std::lower_bound(openings.begin(), openings.end(), restart); opening != openings.begin();) {
        --opening;
        std::size_t bodyStart = *opening + openingLength;
        bool blocked = false;
        for (std::size_t at = std::min(bodyStart, verifiedFrom); at < verifiedFrom && !blocked; ++at)
            blocked = !mayBeInBody(spanning, text[at]);
        if (blocked)
            break;
        verifiedFrom = std::min(verifiedFrom, bodyStart);
        restart = *opening;
    }
    auto keptEnd = std::lower_bound(old.begin(), old.end(), restart,
                                    [](const Match& match, std::size_t position) { return match.whole.location < position; });
    // A match that began before that point stands; matching resumes after it.
    if (keptEnd != old.begin() && std::prev(keptEnd)->whole.end() > restart)
        restart = std::prev(keptEnd)->whole.end();
    // Attempts that begin before the edit's end read no further than a
    // closing past the first non-body character after it; without an opening
    // among them there is nothing to match.
    std::vector<Match> fresh;
    auto firstOpening = std::lower_bound(openings.begin(), openings.end(), restart);
    if (firstOpening != openings.end() && *firstOpening < after.end()) {
        std::size_t limit = text.size();
        for (std::size_t stop = after.end() + kDelimiterLength; stop < text.size(); ++stop) {
            if (!mayBeInBody(spanning, text[stop])) {
                limit = std::min(text.size(), stop + kDelimiterLength);
                break;
            }
        }
        fresh = matchesIn(*spanning.rule, text, Range{restart, limit - restart}, after.end());
    }
    std::size_t position = std::max(after.end(), fresh.empty() ? restart : fresh.back().whole.end());

    // From the edit's end on the attempts are the old ones moved along; the
    // matches are in step again at the first point where the old matching
    // also stood between two matches.
    auto replacedEnd = old.end();
    while (true) {
        std::size_t oldPosition = shifted(position, -delta);
        auto next = std::lower_bound(keptEnd, old.end(), oldPosition,
                                     [](const Match& match, std::size_t at) { return match.whole.end() <= at; });
        if (next == old.end() || next->whole.location >= oldPosition) {
            replacedEnd = next;
            break;
        }
        RegularExpressionMatch found = spanning.rule->expression.firstMatchInString(text, Range{position, text.size() - position});
        if (found.empty()) {
            replacedEnd = old.end();
            break;
        }
        Range group = found.size() > 1 && !found[1].isNotFound() ? found[1] : Range{found[0].location, 0};
        fresh.push_back(Match{found[0], group});
        position = std::max(found[0].end(), position + 1);
    }

    // Where a match appeared, went or moved, its text needs restyling.
    auto toNew = [&](Range range) {
        auto map = [&](std::size_t at, bool isEnd) {
            if (at <= before.location)
                return at;
            if (at >= before.end())
                return shifted(at, delta);
            return isEnd ? after.end() : after.location;
        };
        std::size_t start = map(range.location, false);
        return Range{start, std::max(start, map(range.end(), true)) - start};
    };
    std::vector<Match> replaced;
    for (auto match = keptEnd; match != replacedEnd; ++match)
        replaced.push_back(Match{toNew(match->whole), toNew(match->group)});
    auto same = [](const Match& a, const Match& b) { return a.whole == b.whole && a.group == b.group; };
    std::vector<Range> changed;
    for (const Match& match : replaced) {
        if (std::none_of(fresh.begin(), fresh.end(), [&](const Match& other) { return same(match, other); }))
            changed.push_back(match.group);
    }
    for (const Match& match : fresh) {
        if (std::none_of(replaced.begin(), replaced.end(), [&](const Match& other) { return same(match, other); }))
            changed.push_back(match.group);
    }

    std::vector<Match> updated;
    updated.reserve(static_cast<std::size_t>(keptEnd - old.begin()) + fresh.size() + static_cast<std::size_t>(old.end() - replacedEnd));
    updated.insert(updated.end(), old.begin(), keptEnd);
    updated.insert(updated.end(), fresh.begin(), fresh.end());
    for (auto match = replacedEnd; match != old.end(); ++match)
        updated.push_back(Match{Range{shifted(match->whole.location, delta), match->whole.length},
                                Range{shifted(match->group.location, delta), match->group.length}});
    old = std::move(updated);
    return changed;
}

std::vector<Range> MERestyleTracker::rangesToRestyle(std::u16string_view text, const std::vector<MESyntaxRule>& rules, Range before,
                                                     Range after, bool charactersChanged)
{
    if (!m_valid || after.end() > text.size()) {
        rebuild(text, rules);
        return {Range{0, text.size()}};
    }
    std::vector<Range> areas{paragraphsAround(text, after)};
    if (charactersChanged) {
        for (SpanningRule& spanning : m_spanning) {
            spanning.rule = &rules[spanning.index];
            for (Range range : update(spanning, text, before, after))
                areas.push_back(paragraphsAround(text, range));
        }
    }
    std::sort(areas.begin(), areas.end(), [](Range a, Range b) { return a.location < b.location; });
    std::vector<Range> merged;
    for (Range area : areas) {
        if (!merged.empty() && area.location <= merged.back().end())
            merged.back() = unionRange(merged.back(), area);
        else
            merged.push_back(area);
    }
    return merged;
}

void MERestyleTracker::forEachSpanningMatch(std::size_t rule, Range range, const std::function<void(Range)>& block) const
{
    for (const SpanningRule& spanning : m_spanning) {
        if (spanning.index != rule)
            continue;
        auto match = std::lower_bound(spanning.matches.begin(), spanning.matches.end(), range.location,
                                      [](const Match& candidate, std::size_t at) { return candidate.whole.end() <= at; });
        for (; match != spanning.matches.end() && match->whole.location < range.end(); ++match) {
            Range part = intersectionRange(match->group, range);
            if (part.length > 0)
                block(part);
        }
    }
}

} // namespace folio
