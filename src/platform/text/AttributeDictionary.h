#pragma once

#include "platform/text/AttributeKey.h"
#include "platform/text/AttributeValue.h"

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <span>
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
    static AttributeDictionaryPtr make(std::span<const Entry> entries);
    static AttributeDictionaryPtr make(std::initializer_list<Entry> entries);

    std::size_t count() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    std::span<const Entry> entries() const { return {m_entries, m_count}; }
    const Entry* begin() const { return m_entries; }
    const Entry* end() const { return m_entries + m_count; }

    // Null when the key is absent. Sets are asked for keys millions of times,
    // most often for keys they do not hold: the presence bits answer those
    // here, without a call.
    [[gnu::always_inline]] const AttributeValuePtr& valueForKey(std::string_view key) const
    {
        const Entry* found = find(key);
        return found ? found->second : s_noValue;
    }
    [[gnu::always_inline]] bool containsKey(std::string_view key) const { return find(key) != nullptr; }

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
    // The same, sorting `entries` in place and moving out of them, so that a
    // caller that adds entries over and over can keep one buffer for them.
    AttributeDictionaryPtr dictionaryByAddingEntries(std::span<Entry> entries) const;
    AttributeDictionaryPtr dictionaryByRemovingKey(std::string_view key) const;

    // Same keys with equal values. Two dictionaries holding different but
    // equal list objects are equal; their identity is not compared.
    bool isEqual(const AttributeDictionary& other) const;
    friend bool operator==(const AttributeDictionary& a, const AttributeDictionary& b) { return a.isEqual(b); }
    std::size_t hash() const { return m_hash; }

private:
    // Only the factories may make dictionaries, because they keep the entries
    // sorted and unique; the key type keeps the constructor out of other hands
    // while still letting std::allocate_shared call it.
    struct ConstructionKey {
        explicit ConstructionKey() = default;
    };

public:
    // The entries live in the same allocation as the set, right behind it:
    // `storage` points to where the allocation put them once it is made.
    AttributeDictionary(ConstructionKey, Entry* const& storage);
    ~AttributeDictionary();
    AttributeDictionary(const AttributeDictionary&) = delete;
    AttributeDictionary& operator=(const AttributeDictionary&) = delete;

private:
    // A set of `count` entries, which `fill` constructs in key order in the
    // storage it is given; it answers the sum of their hashes.
    template <typename Fill>
    static AttributeDictionaryPtr makeFilled(std::size_t count, Fill fill);
    // Entries sorted and unique, moved into a set of their own.
    static AttributeDictionaryPtr makeSorted(std::span<Entry> sortedUniqueEntries);
    // Null when the key is absent. Inlined, so that the bit of a key named
    // by a constant is worked out as the program is compiled.
    [[gnu::always_inline]] const Entry* find(std::string_view key) const
    {
        const std::uint64_t prefix = AttributeKey::orderPrefixOf(key);
        if ((m_presentKeys & AttributeKey::presenceBitOf(key, prefix)) == 0)
            return nullptr;
        return findAmongKeys(key, prefix);
    }
    const Entry* findAmongKeys(std::string_view key, std::uint64_t prefix) const;
    static const AttributeValuePtr s_noValue;
    // Both sides sorted and unique: merged without sorting again. The added
    // entries are moved from unless they are const.
    template <typename AddedEntry>
    AttributeDictionaryPtr merged(std::span<AddedEntry> added) const;
    std::size_t entryHashSum() const;

    Entry* m_entries;
    std::size_t m_count = 0;
    std::size_t m_hash = 0;
    // The presence bits of the keys (AttributeKey::presenceBit): most
    // lookups, the writers' above all, ask for keys a set does not hold.
    std::uint64_t m_presentKeys = 0;
};

// True for the same object, two nulls, or two equal dictionaries.
bool attributeDictionariesEqual(const AttributeDictionary* a, const AttributeDictionary* b);
inline bool attributeDictionariesEqual(const AttributeDictionaryPtr& a, const AttributeDictionaryPtr& b)
{
    return attributeDictionariesEqual(a.get(), b.get());
}

} // namespace folio
