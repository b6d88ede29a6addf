#include "platform/text/MutableAttributedString.h"

#include <algorithm>
#include <unordered_map>

namespace folio {

std::size_t MutableAttributedString::splitRunAt(std::size_t location)
{
    if (location >= m_text.size())
        return m_runs.size();
    std::size_t run = runIndexForCharacter(location);
    if (m_runs[run].location == location)
        return run;
    m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(run) + 1, Run{location, m_runs[run].attributes});
    return run + 1;
}

void MutableAttributedString::coalesceRuns(std::size_t first, std::size_t last)
{
    if (m_editingDepth > 0 || m_runs.empty())
        return;
    last = std::min(last, m_runs.size() - 1);
    if (first >= last)
        return;
    // One compacting pass, so that merging across many runs stays linear. The
    // earlier run survives each merge: its dictionary object is the one kept.
    std::size_t write = first;
    for (std::size_t read = first + 1; read <= last; ++read) {
        if (attributeDictionariesEqual(m_runs[write].attributes, m_runs[read].attributes))
            continue;
        ++write;
        if (write != read)
            m_runs[write] = std::move(m_runs[read]);
    }
    m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(write) + 1,
                 m_runs.begin() + static_cast<std::ptrdiff_t>(last) + 1);
}

void MutableAttributedString::replaceRunsInRange(Range range, std::u16string_view text, const std::vector<Run>& runs)
{
    std::size_t first = splitRunAt(range.location);
    std::size_t end = splitRunAt(range.end());
    m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(first), m_runs.begin() + static_cast<std::ptrdiff_t>(end));
    for (std::size_t run = first; run < m_runs.size(); ++run)
        m_runs[run].location = m_runs[run].location - range.length + text.size();
    std::vector<Run> placed;
    placed.reserve(runs.size());
    for (const Run& run : runs)
        placed.push_back(Run{run.location + range.location, run.attributes});
    m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(first), placed.begin(), placed.end());
    m_text.replace(range.location, range.length, text.data(), text.size());
    coalesceRuns(first > 0 ? first - 1 : 0, first + placed.size());
}

template <typename Transform>
Status MutableAttributedString::transformAttributes(Range range, Transform transform)
{
    if (!containsRange(range))
        return rangeError(range);
    if (range.length == 0)
        return Status::success();
    std::size_t first = splitRunAt(range.location);
    std::size_t end = splitRunAt(range.end());
    // Runs that shared a dictionary before share its replacement afterwards.
    std::unordered_map<const AttributeDictionary*, AttributeDictionaryPtr> replacements;
    for (std::size_t run = first; run < end; ++run) {
        AttributeDictionaryPtr& attributes = m_runs[run].attributes;
        auto [slot, inserted] = replacements.try_emplace(attributes.get());
        if (inserted)
            slot->second = transform(*attributes);
        attributes = slot->second;
    }
    coalesceRuns(first > 0 ? first - 1 : 0, end);
    return Status::success();
}

Status MutableAttributedString::setAttributes(AttributeDictionaryPtr attributes, Range range)
{
    if (!containsRange(range))
        return rangeError(range);
    if (range.length == 0)
        return Status::success();
    std::size_t first = splitRunAt(range.location);
    std::size_t end = splitRunAt(range.end());
    m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(first) + 1, m_runs.begin() + static_cast<std::ptrdiff_t>(end));
    m_runs[first].attributes = attributes ? std::move(attributes) : AttributeDictionary::empty();
    coalesceRuns(first > 0 ? first - 1 : 0, first + 1);
    return Status::success();
}

Status MutableAttributedString::addAttribute(std::string_view key, AttributeValuePtr value, Range range)
{
    if (!value)
        return removeAttribute(key, range);
    return transformAttributes(range, [&](const AttributeDictionary& attributes) {
        return attributes.dictionaryBySettingValue(key, value);
    });
}

Status MutableAttributedString::addAttributes(const AttributeDictionary& added, Range range)
{
    return transformAttributes(range, [&](const AttributeDictionary& attributes) {
        return attributes.dictionaryByAddingEntriesFrom(added);
    });
}

Status MutableAttributedString::removeAttribute(std::string_view key, Range range)
{
    return transformAttributes(range, [&](const AttributeDictionary& attributes) -> AttributeDictionaryPtr {
        return attributes.dictionaryByRemovingKey(key);
    });
}

Status MutableAttributedString::replaceCharactersInRange(Range range, std::u16string_view text)
{
    if (!containsRange(range))
        return rangeError(range);
    if (text.empty()) {
        replaceRunsInRange(range, text, {});
        return Status::success();
    }
    AttributeDictionaryPtr inherited = AttributeDictionary::empty();
    if (range.location < m_text.size())
        inherited = m_runs[runIndexForCharacter(range.location)].attributes;
    else if (!m_text.empty())
        inherited = m_runs.back().attributes;
    // The text may be a view of this string's own characters.
    std::u16string copy(text);
    replaceRunsInRange(range, copy, {Run{0, std::move(inherited)}});
    return Status::success();
}

Status MutableAttributedString::replaceCharactersInRangeWithAttributedString(Range range,
                                                                             const AttributedString& replacement)
{
    if (!containsRange(range))
        return rangeError(range);
    if (&replacement == this) {
        AttributedString copy = replacement;
        return replaceCharactersInRangeWithAttributedString(range, copy);
    }
    replaceRunsInRange(range, replacement.string(), runsOf(replacement));
    return Status::success();
}

Status MutableAttributedString::insertAttributedString(const AttributedString& string, std::size_t location)
{
    return replaceCharactersInRangeWithAttributedString(Range{location, 0}, string);
}

Status MutableAttributedString::deleteCharactersInRange(Range range)
{
    return replaceCharactersInRange(range, std::u16string_view());
}

void MutableAttributedString::appendAttributedString(const AttributedString& string)
{
    replaceCharactersInRangeWithAttributedString(Range{m_text.size(), 0}, string);
}

void MutableAttributedString::appendString(std::u16string_view text, AttributeDictionaryPtr attributes)
{
    if (text.empty())
        return;
    std::u16string copy(text);
    replaceRunsInRange(Range{m_text.size(), 0}, copy,
                       {Run{0, attributes ? std::move(attributes) : AttributeDictionary::empty()}});
}

void MutableAttributedString::setAttributedString(const AttributedString& string)
{
    replaceCharactersInRangeWithAttributedString(Range{0, m_text.size()}, string);
}

void MutableAttributedString::beginEditing()
{
    ++m_editingDepth;
}

void MutableAttributedString::endEditing()
{
    if (m_editingDepth == 0)
        return;
    if (--m_editingDepth == 0 && !m_runs.empty())
        coalesceRuns(0, m_runs.size() - 1);
}

} // namespace folio
