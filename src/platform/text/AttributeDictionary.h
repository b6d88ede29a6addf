#pragma once

#include "platform/text/AttributeKey.h"
#include "platform/text/AttributeValue.h"

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace folio {

class AttributeDictionary;
using AttributeDictionaryPtr = std::shared_ptr<const AttributeDictionary>;

// The attributes of one run of text: an immutable map from key to value,
// ordered by key so that everything written from it is deterministic. It is
// shared between runs and strings; "changing" it makes a new dictionary.
class AttributeDictionary {
public:
    using Entry = std::pair<AttributeKey, AttributeValuePtr>;

    // The one shared empty dictionary.
    static const AttributeDictionaryPtr& empty();
    // Null values are left out; when a key repeats, the last entry wins, as
    // with successive assignments.
    static AttributeDictionaryPtr make(std::vector<Entry> entries);
    static AttributeDictionaryPtr make(std::initializer_list<Entry> entries);

    std::size_t count() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.empty(); }
    const std::vector<Entry>& entries() const { return m_entries; }
    std::vector<Entry>::const_iterator begin() const { return m_entries.begin(); }
    std::vector<Entry>::const_iterator end() const { return m_entries.end(); }

    // Null when the key is absent.
    const AttributeValuePtr& valueForKey(std::string_view key) const;
    bool containsKey(std::string_view key) const;

    // The value as the given kind; null when absent or of another kind.
    template <typename T>
    const T* valueForKeyAs(std::string_view key) const
    {
        const AttributeValuePtr& value = valueForKey(key);
        return value ? value->as<T>() : nullptr;
    }

    // New dictionaries; a null value removes the key.
    AttributeDictionaryPtr dictionaryBySettingValue(std::string_view key, AttributeValuePtr value) const;
    AttributeDictionaryPtr dictionaryByAddingEntriesFrom(const AttributeDictionary& other) const;
    // The same with entries as `make` takes them (the last of a key wins,
    // null values are left out); an added key replaces this dictionary's.
    AttributeDictionaryPtr dictionaryByAddingEntries(std::vector<Entry> entries) const;
    AttributeDictionaryPtr dictionaryByRemovingKey(std::string_view key) const;

    // Same keys with equal values. Two dictionaries holding different but
    // equal list objects are equal; their identity is not compared.
    bool isEqual(const AttributeDictionary& other) const;
    friend bool operator==(const AttributeDictionary& a, const AttributeDictionary& b) { return a.isEqual(b); }
    std::size_t hash() const { return m_hash; }

private:
    // Only the factories may make dictionaries, because they keep the entries
    // sorted and unique; the key type keeps the constructor out of other hands
    // while still letting std::make_shared call it.
    struct ConstructionKey {
        explicit ConstructionKey() = default;
    };

public:
    AttributeDictionary(ConstructionKey, std::vector<Entry> sortedUniqueEntries);
    // With the sum of the entries' hashes already known.
    AttributeDictionary(ConstructionKey, std::vector<Entry> sortedUniqueEntries, std::size_t entryHashSum);

private:
    std::vector<Entry>::const_iterator find(std::string_view key) const;
    // Both sides sorted and unique: one pass, without sorting again.
    AttributeDictionaryPtr merged(std::vector<Entry> added) const;
    std::size_t entryHashSum() const;

    std::vector<Entry> m_entries;
    std::size_t m_hash;
};

// True for the same object, two nulls, or two equal dictionaries.
bool attributeDictionariesEqual(const AttributeDictionary* a, const AttributeDictionary* b);
inline bool attributeDictionariesEqual(const AttributeDictionaryPtr& a, const AttributeDictionaryPtr& b)
{
    return attributeDictionariesEqual(a.get(), b.get());
}

} // namespace folio
