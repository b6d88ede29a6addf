#include "platform/text/AttributedString.h"

#include "platform/text/MutableAttributedString.h"

#include <algorithm>

namespace folio {

AttributedString::AttributedString(std::u16string text) : AttributedString(std::move(text), AttributeDictionary::empty())
{
}

AttributedString::AttributedString(std::u16string text, AttributeDictionaryPtr attributes) : m_text(std::move(text))
{
    if (!m_text.empty())
        m_runs.push_back(Run{0, attributes ? std::move(attributes) : AttributeDictionary::empty()});
}

bool AttributedString::containsRange(Range range) const
{
    return range.location <= m_text.size() && range.length <= m_text.size() - range.location;
}

Error AttributedString::rangeError(Range range) const
{
    return Error{"AttributedString", 1,
                 "range {" + std::to_string(range.location) + ", " + std::to_string(range.length)
                     + "} lies outside the text of length " + std::to_string(m_text.size())};
}

std::size_t AttributedString::runIndexForCharacter(std::size_t index) const
{
    auto after = std::upper_bound(m_runs.begin(), m_runs.end(), index,
                                  [](std::size_t value, const Run& run) { return value < run.location; });
    return static_cast<std::size_t>(after - m_runs.begin()) - 1;
}

std::size_t AttributedString::runIndexForCharacter(std::size_t index, RunCursor& cursor) const
{
    // A walk in order asks for the cursor's run or one just after it: the
    // runs are contiguous, so the first one from the cursor on that ends
    // after index holds it, provided the cursor's run does not start after
    // index.
    constexpr std::size_t kRunsLookedAtFromTheCursor = 4;
    const std::size_t from = cursor.m_run;
    if (from < m_runs.size() && m_runs[from].location <= index) {
        const std::size_t to = std::min(m_runs.size(), from + kRunsLookedAtFromTheCursor);
        for (std::size_t run = from; run < to; ++run) {
            if (index < runEnd(run)) {
                cursor.m_run = run;
                return run;
            }
        }
        // Further ahead (the next paragraph of a walk by paragraphs): steps
        // that double bracket the run, which is then searched for among the
        // few runs between, not among all of them.
        if (to < m_runs.size()) {
            std::size_t low = to;
            std::size_t step = 1;
            std::size_t high = low + step;
            while (high < m_runs.size() && m_runs[high].location <= index) {
                low = high;
                step *= 2;
                high = low + step;
            }
            high = std::min(high, m_runs.size());
            auto after = std::upper_bound(m_runs.begin() + static_cast<std::ptrdiff_t>(low),
                                          m_runs.begin() + static_cast<std::ptrdiff_t>(high), index,
                                          [](std::size_t value, const Run& run) { return value < run.location; });
            cursor.m_run = static_cast<std::size_t>(after - m_runs.begin()) - 1;
            return cursor.m_run;
        }
    }
    cursor.m_run = runIndexForCharacter(index);
    return cursor.m_run;
}

std::size_t AttributedString::runEnd(std::size_t runIndex) const
{
    return runIndex + 1 < m_runs.size() ? m_runs[runIndex + 1].location : m_text.size();
}

Range AttributedString::runRange(std::size_t runIndex) const
{
    return Range{m_runs[runIndex].location, runEnd(runIndex) - m_runs[runIndex].location};
}

AttributeDictionaryPtr AttributedString::attributesAtIndex(std::size_t index, Range* effectiveRange) const
{
    RunCursor cursor;
    cursor.m_run = m_runs.size();
    return attributesAtIndex(index, effectiveRange, cursor);
}

AttributeDictionaryPtr AttributedString::attributesAtIndex(std::size_t index, Range* effectiveRange,
                                                           RunCursor& cursor) const
{
    if (index >= m_text.size()) {
        if (effectiveRange)
            *effectiveRange = NotFoundRange;
        return nullptr;
    }
    std::size_t run = runIndexForCharacter(index, cursor);
    if (effectiveRange)
        *effectiveRange = runRange(run);
    return m_runs[run].attributes;
}

AttributeDictionaryPtr AttributedString::attributesAtIndexLongestEffectiveRange(std::size_t index, Range* range,
                                                                                Range rangeLimit) const
{
    RunCursor cursor;
    cursor.m_run = m_runs.size();
    return attributesAtIndexLongestEffectiveRange(index, range, rangeLimit, cursor);
}

AttributeDictionaryPtr AttributedString::attributesAtIndexLongestEffectiveRange(std::size_t index, Range* range,
                                                                                Range rangeLimit,
                                                                                RunCursor& cursor) const
{
    Range limit = intersectionRange(rangeLimit, Range{0, m_text.size()});
    if (index >= m_text.size() || !limit.contains(index)) {
        if (range)
            *range = NotFoundRange;
        return nullptr;
    }
    std::size_t run = runIndexForCharacter(index, cursor);
    const AttributeDictionaryPtr& attributes = m_runs[run].attributes;
    std::size_t first = run;
    while (first > 0 && m_runs[first].location > limit.location
           && attributeDictionariesEqual(m_runs[first - 1].attributes, attributes))
        --first;
    std::size_t last = run;
    while (last + 1 < m_runs.size() && runEnd(last) < limit.end()
           && attributeDictionariesEqual(m_runs[last + 1].attributes, attributes))
        ++last;
    // The next place a walk asks for is where this range ends.
    cursor.m_run = last;
    if (range) {
        std::size_t start = std::max(m_runs[first].location, limit.location);
        std::size_t end = std::min(runEnd(last), limit.end());
        *range = Range{start, end - start};
    }
    return attributes;
}

AttributeValuePtr AttributedString::attributeAtIndex(std::string_view key, std::size_t index, Range* effectiveRange) const
{
    AttributeDictionaryPtr attributes = attributesAtIndex(index, effectiveRange);
    return attributes ? attributes->valueForKey(key) : nullptr;
}

AttributeValuePtr AttributedString::attributeAtIndexLongestEffectiveRange(std::string_view key, std::size_t index,
                                                                          Range* range, Range rangeLimit) const
{
    Range limit = intersectionRange(rangeLimit, Range{0, m_text.size()});
    if (index >= m_text.size() || !limit.contains(index)) {
        if (range)
            *range = NotFoundRange;
        return nullptr;
    }
    std::size_t run = runIndexForCharacter(index);
    const AttributeValuePtr& value = m_runs[run].attributes->valueForKey(key);
    std::size_t first = run;
    while (first > 0 && m_runs[first].location > limit.location
           && attributeValuesEqual(m_runs[first - 1].attributes->valueForKey(key), value))
        --first;
    std::size_t last = run;
    while (last + 1 < m_runs.size() && runEnd(last) < limit.end()
           && attributeValuesEqual(m_runs[last + 1].attributes->valueForKey(key), value))
        ++last;
    if (range) {
        std::size_t start = std::max(m_runs[first].location, limit.location);
        std::size_t end = std::min(runEnd(last), limit.end());
        *range = Range{start, end - start};
    }
    return value;
}

namespace {

// Walks the runs that meet range, forwards or backwards, grouping neighbours
// whose projections compare equal when grouping is asked for. The projection
// reported for a group is the one of its first run in text order, so that the
// objects handed out do not depend on the direction of the walk.
template <typename Value, typename RunRangeOf, typename Project, typename Equal, typename Block>
void walkRuns(std::size_t firstRun, std::size_t lastRun, Range range, AttributeEnumerationOptions options,
              RunRangeOf runRangeOf, Project project, Equal equal, const Block& block)
{
    bool longest = hasOption(options, AttributeEnumerationOptions::LongestEffectiveRange);
    bool reverse = hasOption(options, AttributeEnumerationOptions::Reverse);
    bool stop = false;
    auto clip = [&](std::size_t start, std::size_t end) {
        std::size_t from = std::max(start, range.location);
        std::size_t to = std::min(end, range.end());
        return Range{from, to - from};
    };
    if (!reverse) {
        std::size_t run = firstRun;
        while (run <= lastRun && !stop) {
            Value value = project(run);
            std::size_t end = run;
            while (longest && end + 1 <= lastRun && equal(project(end + 1), value))
                ++end;
            block(value, clip(runRangeOf(run).location, runRangeOf(end).end()), stop);
            run = end + 1;
        }
    } else {
        std::size_t run = lastRun + 1;
        while (run > firstRun && !stop) {
            std::size_t end = run - 1;
            std::size_t start = end;
            while (longest && start > firstRun && equal(project(start - 1), project(end)))
                --start;
            block(project(start), clip(runRangeOf(start).location, runRangeOf(end).end()), stop);
            run = start;
        }
    }
}

} // namespace

void AttributedString::enumerateAttributes(Range range, AttributeEnumerationOptions options,
                                           const AttributesBlock& block) const
{
    Range clipped = intersectionRange(range, Range{0, m_text.size()});
    if (clipped.length == 0 || range.location >= m_text.size())
        return;
    std::size_t firstRun = runIndexForCharacter(clipped.location);
    std::size_t lastRun = runIndexForCharacter(clipped.end() - 1);
    walkRuns<AttributeDictionaryPtr>(
        firstRun, lastRun, clipped, options, [this](std::size_t run) { return runRange(run); },
        [this](std::size_t run) { return m_runs[run].attributes; },
        [](const AttributeDictionaryPtr& a, const AttributeDictionaryPtr& b) { return attributeDictionariesEqual(a, b); },
        block);
}

void AttributedString::enumerateAttribute(std::string_view key, Range range, AttributeEnumerationOptions options,
                                          const AttributeBlock& block) const
{
    Range clipped = intersectionRange(range, Range{0, m_text.size()});
    if (clipped.length == 0 || range.location >= m_text.size())
        return;
    std::size_t firstRun = runIndexForCharacter(clipped.location);
    std::size_t lastRun = runIndexForCharacter(clipped.end() - 1);
    walkRuns<AttributeValuePtr>(
        firstRun, lastRun, clipped, options, [this](std::size_t run) { return runRange(run); },
        [this, key](std::size_t run) { return m_runs[run].attributes->valueForKey(key); },
        [](const AttributeValuePtr& a, const AttributeValuePtr& b) { return attributeValuesEqual(a, b); }, block);
}

Result<AttributedString> AttributedString::attributedSubstringFromRange(Range range) const
{
    if (!containsRange(range))
        return rangeError(range);
    AttributedString result;
    result.m_text = m_text.substr(range.location, range.length);
    if (range.length == 0)
        return result;
    std::size_t first = runIndexForCharacter(range.location);
    std::size_t last = runIndexForCharacter(range.end() - 1);
    result.m_runs.reserve(last - first + 1);
    for (std::size_t run = first; run <= last; ++run) {
        std::size_t start = std::max(m_runs[run].location, range.location);
        result.m_runs.push_back(Run{start - range.location, m_runs[run].attributes});
    }
    return result;
}

AttributedString AttributedString::copy() const
{
    return *this;
}

MutableAttributedString AttributedString::mutableCopy() const
{
    return MutableAttributedString(*this);
}

bool AttributedString::isEqualToAttributedString(const AttributedString& other) const
{
    if (this == &other)
        return true;
    if (m_text != other.m_text)
        return false;
    // Walk both run lists together, so that strings whose runs are split at
    // different places (while one is being edited) still compare by content.
    std::size_t mine = 0, theirs = 0, position = 0;
    while (position < m_text.size()) {
        if (!attributeDictionariesEqual(m_runs[mine].attributes, other.m_runs[theirs].attributes))
            return false;
        std::size_t myEnd = runEnd(mine);
        std::size_t theirEnd = other.runEnd(theirs);
        position = std::min(myEnd, theirEnd);
        if (myEnd == position)
            ++mine;
        if (theirEnd == position)
            ++theirs;
    }
    return true;
}

std::size_t AttributedString::hash() const
{
    std::size_t seed = std::hash<std::u16string>{}(m_text);
    // Runs split inside an equal stretch hash as one, matching equality.
    const AttributeDictionary* previous = nullptr;
    for (const Run& run : m_runs) {
        if (previous && attributeDictionariesEqual(previous, run.attributes.get()))
            continue;
        seed = hashCombine(hashCombine(seed, run.location), run.attributes->hash());
        previous = run.attributes.get();
    }
    return seed;
}

} // namespace folio
