#include "platform/text/AttributeDictionary.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>

namespace folio {

namespace {

bool keyLess(const AttributeDictionary::Entry& entry, std::string_view key)
{
    return entry.first.compare(key) < 0;
}

// Sorts by key and keeps the last entry of each key, dropping null values.
// The vector keeps its room: entries merged into a set are moved out of it.
std::vector<AttributeDictionary::Entry> sortedUnique(std::vector<AttributeDictionary::Entry> entries)
{
    // A set holds a dozen keys or so, and sets are made by the thousand: a
    // stable insertion sort in place costs less than the library's stable
    // sort, which takes a buffer each time. Both keep equal keys in order.
    constexpr std::size_t kInsertionSortLimit = 32;
    if (entries.size() <= kInsertionSortLimit) {
        for (std::size_t index = 1; index < entries.size(); ++index) {
            if (!(entries[index].first < entries[index - 1].first))
                continue;
            AttributeDictionary::Entry entry = std::move(entries[index]);
            std::size_t position = index;
            for (; position > 0 && entry.first < entries[position - 1].first; --position)
                entries[position] = std::move(entries[position - 1]);
            entries[position] = std::move(entry);
        }
    } else {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    std::size_t kept = 0;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (kept > 0 && entries[kept - 1].first == entries[index].first)
            entries[kept - 1] = std::move(entries[index]);
        else if (kept++ != index)
            entries[kept - 1] = std::move(entries[index]);
    }
    entries.resize(kept);
    std::erase_if(entries, [](const auto& entry) { return !entry.second; });
    return entries;
}

// The same, for entries that become a set of their own.
std::vector<AttributeDictionary::Entry> normalized(std::vector<AttributeDictionary::Entry> entries)
{
    entries = sortedUnique(std::move(entries));
    // A set lives as long as the text that uses it: it keeps no spare room.
    entries.shrink_to_fit();
    return entries;
}

// A set's hash is the sum of its entries' own hashes plus a share for each
// entry. A set made from another by setting or adding a few entries (list
// and link sets, table marks) then takes its hash from the other's, adding
// and taking away only what changed, instead of hashing every key again.
constexpr std::size_t kHashPerEntry = 0x9e3779b97f4a7c15ULL;

std::size_t entryHash(const AttributeDictionary::Entry& entry)
{
    return hashCombine(entry.first.hash(), entry.second->hash());
}

} // namespace

AttributeDictionary::AttributeDictionary(ConstructionKey, std::vector<Entry> sortedUniqueEntries)
    : m_entries(std::move(sortedUniqueEntries)), m_hash(0)
{
    for (const Entry& entry : m_entries)
        m_hash += entryHash(entry);
    m_hash += m_entries.size() * kHashPerEntry;
}

AttributeDictionary::AttributeDictionary(ConstructionKey, std::vector<Entry> sortedUniqueEntries, std::size_t entryHashSum)
    : m_entries(std::move(sortedUniqueEntries)), m_hash(entryHashSum + m_entries.size() * kHashPerEntry)
{
}

std::size_t AttributeDictionary::entryHashSum() const
{
    return m_hash - m_entries.size() * kHashPerEntry;
}

const AttributeDictionaryPtr& AttributeDictionary::empty()
{
    static const AttributeDictionaryPtr emptyDictionary =
        std::make_shared<const AttributeDictionary>(ConstructionKey(), std::vector<Entry>{});
    return emptyDictionary;
}

AttributeDictionaryPtr AttributeDictionary::make(std::vector<Entry> entries)
{
    std::vector<Entry> sorted = normalized(std::move(entries));
    if (sorted.empty())
        return empty();
    return std::make_shared<const AttributeDictionary>(ConstructionKey(), std::move(sorted));
}

AttributeDictionaryPtr AttributeDictionary::make(std::initializer_list<Entry> entries)
{
    return make(std::vector<Entry>(entries));
}

std::vector<AttributeDictionary::Entry>::const_iterator AttributeDictionary::find(std::string_view key) const
{
    // Most sets hold a dozen keys or so, nearly all of them beginning alike:
    // looking through them by length and last letter compares fewer
    // characters than a binary search does.
    constexpr std::size_t kMostLookedThrough = 16;
    if (m_entries.size() <= kMostLookedThrough) {
        if (key.empty())
            return m_entries.begin() != m_entries.end() && m_entries.front().first.empty() ? m_entries.begin()
                                                                                          : m_entries.end();
        for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
            const std::string& name = entry->first;
            if (name.size() == key.size() && name.back() == key.back() &&
                std::memcmp(name.data(), key.data(), key.size()) == 0)
                return entry;
        }
        return m_entries.end();
    }
    auto found = std::lower_bound(m_entries.begin(), m_entries.end(), key, keyLess);
    if (found != m_entries.end() && found->first == key)
        return found;
    return m_entries.end();
}

const AttributeValuePtr& AttributeDictionary::valueForKey(std::string_view key) const
{
    static const AttributeValuePtr none;
    auto found = find(key);
    return found == m_entries.end() ? none : found->second;
}

bool AttributeDictionary::containsKey(std::string_view key) const
{
    return find(key) != m_entries.end();
}

AttributeDictionaryPtr AttributeDictionary::dictionaryBySettingValue(std::string_view key, AttributeValuePtr value) const
{
    // The new entries are laid out once, in a vector of their exact size:
    // those before the key, the key's own, those after it.
    auto position = std::lower_bound(m_entries.begin(), m_entries.end(), key, keyLess);
    const bool present = position != m_entries.end() && position->first == key;
    std::size_t hashSum = entryHashSum();
    if (present)
        hashSum -= entryHash(*position);
    std::size_t size = m_entries.size();
    if (value && !present)
        ++size;
    else if (!value && present)
        --size;
    if (size == 0)
        return empty();
    std::vector<Entry> entries;
    entries.reserve(size);
    entries.insert(entries.end(), m_entries.begin(), position);
    if (value) {
        entries.emplace_back(present ? position->first : AttributeKey(key), std::move(value));
        hashSum += entryHash(entries.back());
    }
    entries.insert(entries.end(), present ? position + 1 : position, m_entries.end());
    return std::make_shared<const AttributeDictionary>(ConstructionKey(), std::move(entries), hashSum);
}

AttributeDictionaryPtr AttributeDictionary::dictionaryByAddingEntriesFrom(const AttributeDictionary& other) const
{
    return merged(other.m_entries);
}

AttributeDictionaryPtr AttributeDictionary::dictionaryByAddingEntries(std::vector<Entry> entries) const
{
    return merged(sortedUnique(std::move(entries)));
}

AttributeDictionaryPtr AttributeDictionary::merged(std::vector<Entry> added) const
{
    std::vector<Entry> entries;
    entries.reserve(m_entries.size() + added.size());
    std::size_t hashSum = entryHashSum();
    auto own = m_entries.begin();
    auto next = added.begin();
    while (own != m_entries.end() && next != added.end()) {
        const int order = own->first.compare(next->first);
        if (order < 0) {
            entries.push_back(*own++);
        } else {
            if (order == 0)
                hashSum -= entryHash(*own++);
            hashSum += entryHash(*next);
            entries.push_back(std::move(*next++));
        }
    }
    for (auto rest = next; rest != added.end(); ++rest)
        hashSum += entryHash(*rest);
    entries.insert(entries.end(), own, m_entries.end());
    entries.insert(entries.end(), std::make_move_iterator(next), std::make_move_iterator(added.end()));
    if (entries.empty())
        return empty();
    // A set lives as long as the text that uses it: it keeps no spare room.
    if (entries.size() != entries.capacity())
        entries.shrink_to_fit();
    return std::make_shared<const AttributeDictionary>(ConstructionKey(), std::move(entries), hashSum);
}

AttributeDictionaryPtr AttributeDictionary::dictionaryByRemovingKey(std::string_view key) const
{
    return dictionaryBySettingValue(key, nullptr);
}

bool AttributeDictionary::isEqual(const AttributeDictionary& other) const
{
    if (this == &other)
        return true;
    if (m_hash != other.m_hash || m_entries.size() != other.m_entries.size())
        return false;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].first != other.m_entries[i].first
            || !attributeValuesEqual(m_entries[i].second, other.m_entries[i].second))
            return false;
    }
    return true;
}

bool attributeDictionariesEqual(const AttributeDictionary* a, const AttributeDictionary* b)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    return a->isEqual(*b);
}

} // namespace folio
