#include "platform/text/MutableAttributedString.h"

#include <algorithm>
#include <functional>
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
    if (range.length == 0 && text.empty())
        return;
    // The runs the range touches, [first, last), are replaced by one block:
    // the part of the first run before the range, the new runs, and the part
    // of the last run after it. Splicing that block in with a single move of
    // the runs behind it, and none when the number of runs stays the same,
    // keeps an edit of a few characters cheap in a document with many runs.
    const std::size_t length = m_text.size();
    std::size_t first = range.location < length ? runIndexForCharacter(range.location) : m_runs.size();
    std::size_t last = m_runs.size();
    std::vector<Run> block;
    block.reserve(runs.size() + 2);
    if (first < m_runs.size() && m_runs[first].location < range.location)
        block.push_back(Run{m_runs[first].location, m_runs[first].attributes});
    for (const Run& run : runs)
        block.push_back(Run{run.location + range.location, run.attributes});
    if (range.end() < length) {
        std::size_t tail = runIndexForCharacter(range.end());
        if (m_runs[tail].location < range.end()) {
            block.push_back(Run{range.location + text.size(), m_runs[tail].attributes});
            last = tail + 1;
        } else {
            last = tail;
        }
    }
    if (m_editingDepth == 0) {
        // Equal neighbours merge into the earlier run, whose dictionary object is kept.
        std::size_t write = 0;
        for (std::size_t read = 0; read < block.size(); ++read) {
            bool mergesBack = write > 0 ? attributeDictionariesEqual(block[write - 1].attributes, block[read].attributes)
                                        : first > 0 && attributeDictionariesEqual(m_runs[first - 1].attributes, block[read].attributes);
            if (mergesBack)
                continue;
            if (write != read)
                block[write] = std::move(block[read]);
            ++write;
        }
        block.resize(write);
        if (last < m_runs.size()) {
            const AttributeDictionaryPtr& before = !block.empty() ? block.back().attributes
                                                   : first > 0    ? m_runs[first - 1].attributes
                                                                  : AttributeDictionaryPtr();
            if (before && attributeDictionariesEqual(before, m_runs[last].attributes))
                ++last;
        }
    }

    const std::size_t replaced = last - first;
    const std::size_t shared = std::min(replaced, block.size());
    for (std::size_t index = 0; index < shared; ++index)
        m_runs[first + index] = std::move(block[index]);
    if (block.size() > replaced)
        m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(first + replaced),
                      std::make_move_iterator(block.begin() + static_cast<std::ptrdiff_t>(replaced)),
                      std::make_move_iterator(block.end()));
    else if (block.size() < replaced)
        m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(first + block.size()),
                     m_runs.begin() + static_cast<std::ptrdiff_t>(last));
    if (text.size() != range.length) {
        for (std::size_t run = first + block.size(); run < m_runs.size(); ++run)
            m_runs[run].location = m_runs[run].location - range.length + text.size();
    }
    m_text.replace(range.location, range.length, text.data(), text.size());
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
        if (slot->second)
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

Status MutableAttributedString::replaceAttributes(
    Range range, const std::function<AttributeDictionaryPtr(const AttributeDictionary&)>& replace)
{
    return transformAttributes(range, replace);
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
    if (&string == this || m_editingDepth > 0) {
        replaceCharactersInRangeWithAttributedString(Range{m_text.size(), 0}, string);
        return;
    }
    // Readers build whole documents by appending pieces: the pieces' runs go
    // straight onto the end, each merging into the run before it when equal,
    // as a replacement at the end would leave them.
    const std::size_t offset = m_text.size();
    for (const Run& run : runsOf(string)) {
        if (!m_runs.empty() && attributeDictionariesEqual(m_runs.back().attributes, run.attributes))
            continue;
        m_runs.push_back(Run{run.location + offset, run.attributes});
    }
    m_text.append(string.string());
}

void MutableAttributedString::appendAttributedString(AttributedString&& string)
{
    if (&string == this || m_editingDepth > 0) {
        appendAttributedString(static_cast<const AttributedString&>(string));
        return;
    }
    const std::size_t offset = m_text.size();
    for (Run& run : runsOf(string)) {
        if (!m_runs.empty() && attributeDictionariesEqual(m_runs.back().attributes, run.attributes))
            continue;
        m_runs.push_back(Run{run.location + offset, std::move(run.attributes)});
    }
    m_text.append(string.string());
    // Its runs have given their dictionaries away.
    string = AttributedString();
}

void MutableAttributedString::appendString(std::u16string_view text, AttributeDictionaryPtr attributes)
{
    if (text.empty())
        return;
    if (!attributes)
        attributes = AttributeDictionary::empty();
    // Readers build whole documents by appending: only the last run is
    // touched. The text starts a run of its own unless it continues the last
    // one (equal neighbours merge outside an edit, and when the edit ends).
    const bool continues =
        m_editingDepth == 0 && !m_runs.empty() && attributeDictionariesEqual(m_runs.back().attributes, attributes);
    if (!continues)
        m_runs.push_back(Run{m_text.size(), std::move(attributes)});
    const std::less<const char16_t*> before;
    const bool ownText = !before(text.data(), m_text.data()) && before(text.data(), m_text.data() + m_text.size());
    if (ownText) {
        // The text may be a view of this string's own characters.
        std::u16string copy(text);
        m_text.append(copy);
    } else {
        m_text.append(text);
    }
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
