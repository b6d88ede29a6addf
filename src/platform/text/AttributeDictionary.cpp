#include "platform/text/AttributeDictionary.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <new>
#include <type_traits>

namespace folio {

namespace {

using Entry = AttributeDictionary::Entry;

bool keyLess(const Entry& entry, std::string_view key)
{
    return entry.first.compare(key) < 0;
}

// Sorts by key and keeps the last entry of each key, dropping null values;
// answers how many entries are kept, at the front of `entries`.
std::size_t sortUnique(std::span<Entry> entries)
{
    // A set holds a dozen keys or so, and sets are made by the thousand: a
    // stable insertion sort in place costs less than the library's stable
    // sort, which takes a buffer each time. Both keep equal keys in order.
    constexpr std::size_t kInsertionSortLimit = 32;
    if (entries.size() <= kInsertionSortLimit) {
        for (std::size_t index = 1; index < entries.size(); ++index) {
            if (!(entries[index].first < entries[index - 1].first))
                continue;
            Entry entry = std::move(entries[index]);
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
    const auto withValues = std::remove_if(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(kept),
                                           [](const Entry& entry) { return !entry.second; });
    return static_cast<std::size_t>(withValues - entries.begin());
}

// A set's hash is the sum of its entries' own hashes plus a share for each
// entry. A set made from another by setting or adding a few entries (list
// and link sets, table marks) then takes its hash from the other's, adding
// and taking away only what changed, instead of hashing every key again.
constexpr std::size_t kHashPerEntry = kGoldenRatioHash;

std::size_t entryHash(const Entry& entry)
{
    return hashCombine(entry.first.hash(), entry.second->hash());
}

// Gives a set's shared block room for its entries right behind it, so that
// a set is one allocation, made and freed once: a document holds thousands
// of sets and destroys them all at once. The block's size is known before
// it is made, and `storage` learns where the entries go; the copy of the
// allocator kept in the block only frees it, and never reads `storage`.
template <typename T>
class TrailingEntriesAllocator {
public:
    using value_type = T;

    TrailingEntriesAllocator(std::size_t entryCount, Entry** storage) : m_entryCount(entryCount), m_storage(storage) {}
    template <typename Other>
    TrailingEntriesAllocator(const TrailingEntriesAllocator<Other>& other)
        : m_entryCount(other.entryCount())
        , m_storage(other.storage())
    {
    }

    T* allocate(std::size_t count)
    {
        char* block = static_cast<char*>(::operator new(blockSize(count)));
        *m_storage = reinterpret_cast<Entry*>(block + entriesOffset(count));
        return reinterpret_cast<T*>(block);
    }
    // Unsized: clang does not enable sized deallocation by default.
    void deallocate(T* block, std::size_t) { ::operator delete(static_cast<void*>(block)); }

    std::size_t entryCount() const { return m_entryCount; }
    Entry** storage() const { return m_storage; }
    template <typename Other>
    bool operator==(const TrailingEntriesAllocator<Other>& other) const
    {
        return m_entryCount == other.entryCount();
    }

private:
    static std::size_t entriesOffset(std::size_t count)
    {
        return (count * sizeof(T) + alignof(Entry) - 1) / alignof(Entry) * alignof(Entry);
    }
    std::size_t blockSize(std::size_t count) const { return entriesOffset(count) + m_entryCount * sizeof(Entry); }

    std::size_t m_entryCount;
    Entry** m_storage;
};

} // namespace

AttributeDictionary::AttributeDictionary(ConstructionKey, Entry* const& storage) : m_entries(storage) {}

AttributeDictionary::~AttributeDictionary()
{
    std::destroy_n(m_entries, m_count);
}

template <typename Fill>
AttributeDictionaryPtr AttributeDictionary::makeFilled(std::size_t count, Fill fill)
{
    Entry* storage = nullptr;
    std::shared_ptr<AttributeDictionary> dictionary = std::allocate_shared<AttributeDictionary>(
        TrailingEntriesAllocator<AttributeDictionary>(count, &storage), ConstructionKey(), storage);
    // Counted only once they are all made, so that the set never destroys
    // entries that are not there.
    const std::size_t entryHashSum = fill(dictionary->m_entries);
    dictionary->m_count = count;
    for (const Entry& entry : dictionary->entries())
        dictionary->m_presentKeys |= entry.first.presenceBit();
    dictionary->m_hash = entryHashSum + count * kHashPerEntry;
    return dictionary;
}

std::size_t AttributeDictionary::entryHashSum() const
{
    return m_hash - m_count * kHashPerEntry;
}

const AttributeDictionaryPtr& AttributeDictionary::empty()
{
    static const AttributeDictionaryPtr emptyDictionary = makeFilled(0, [](Entry*) { return std::size_t(0); });
    return emptyDictionary;
}

AttributeDictionaryPtr AttributeDictionary::makeSorted(std::span<Entry> sortedUniqueEntries)
{
    if (sortedUniqueEntries.empty())
        return empty();
    return makeFilled(sortedUniqueEntries.size(), [sortedUniqueEntries](Entry* storage) {
        std::size_t hashSum = 0;
        for (Entry& entry : sortedUniqueEntries) {
            hashSum += entryHash(entry);
            std::construct_at(storage++, std::move(entry));
        }
        return hashSum;
    });
}

AttributeDictionaryPtr AttributeDictionary::make(std::vector<Entry> entries)
{
    const std::size_t kept = sortUnique(entries);
    return makeSorted(std::span<Entry>(entries).first(kept));
}

AttributeDictionaryPtr AttributeDictionary::make(std::span<const Entry> entries)
{
    return make(std::vector<Entry>(entries.begin(), entries.end()));
}

AttributeDictionaryPtr AttributeDictionary::make(std::initializer_list<Entry> entries)
{
    return make(std::vector<Entry>(entries));
}

const AttributeValuePtr AttributeDictionary::s_noValue;

const AttributeDictionary::Entry* AttributeDictionary::findAmongKeys(std::string_view key, std::uint64_t prefix) const
{
    // Most sets hold a dozen keys or so: looking through them in order by
    // the first eight bytes of their names, which each name keeps as one
    // number, reads one number per entry and stops at the first greater one.
    constexpr std::size_t kMostLookedThrough = 16;
    if (m_count <= kMostLookedThrough) {
        for (const Entry* entry = begin(); entry != end(); ++entry) {
            const std::uint64_t own = entry->first.orderPrefix();
            if (own < prefix)
                continue;
            if (own > prefix)
                break;
            if (entry->first == key)
                return entry;
        }
        return nullptr;
    }
    const Entry* found = std::lower_bound(begin(), end(), key, keyLess);
    if (found != end() && found->first == key)
        return found;
    return nullptr;
}

AttributeDictionaryPtr AttributeDictionary::dictionaryBySettingValue(std::string_view key, AttributeValuePtr value) const
{
    // The new entries are laid out once, at their exact number: those before
    // the key, the key's own, those after it.
    const Entry* position = std::lower_bound(begin(), end(), key, keyLess);
    const bool present = position != end() && position->first == key;
    std::size_t size = m_count;
    if (value && !present)
        ++size;
    else if (!value && present)
        --size;
    if (size == 0)
        return empty();
    return makeFilled(size, [&](Entry* storage) {
        std::size_t hashSum = entryHashSum();
        if (present)
            hashSum -= entryHash(*position);
        storage = std::uninitialized_copy(begin(), position, storage);
        if (value) {
            Entry* own = std::construct_at(storage++, present ? position->first : AttributeKey(key), std::move(value));
            hashSum += entryHash(*own);
        }
        std::uninitialized_copy(present ? position + 1 : position, end(), storage);
        return hashSum;
    });
}

AttributeDictionaryPtr AttributeDictionary::dictionaryByAddingEntriesFrom(const AttributeDictionary& other) const
{
    return merged(other.entries());
}

AttributeDictionaryPtr AttributeDictionary::dictionaryByAddingEntries(std::vector<Entry> entries) const
{
    return dictionaryByAddingEntries(std::span<Entry>(entries));
}

AttributeDictionaryPtr AttributeDictionary::dictionaryByAddingEntries(std::span<Entry> entries) const
{
    return merged(entries.first(sortUnique(entries)));
}

template <typename AddedEntry>
AttributeDictionaryPtr AttributeDictionary::merged(std::span<AddedEntry> added) const
{
    // Keys both sides hold are counted first, so that the set is made at
    // its exact size.
    std::size_t replaced = 0;
    // Two declarations: the iterators are of different types, which one
    // `auto` may not deduce (gcc lets it pass, clang does not).
    auto own = begin();
    auto next = added.begin();
    while (own != end() && next != added.end()) {
        const int order = own->first.compare(next->first);
        if (order <= 0)
            ++own;
        if (order >= 0)
            ++next;
        if (order == 0)
            ++replaced;
    }
    const std::size_t size = m_count + added.size() - replaced;
    if (size == 0)
        return empty();
    return makeFilled(size, [&](Entry* storage) {
        std::size_t hashSum = entryHashSum();
        auto take = [&hashSum, &storage](AddedEntry& entry) {
            hashSum += entryHash(entry);
            if constexpr (std::is_const_v<AddedEntry>)
                std::construct_at(storage++, entry);
            else
                std::construct_at(storage++, std::move(entry));
        };
        auto own = begin();
        auto next = added.begin();
        while (own != end() && next != added.end()) {
            const int order = own->first.compare(next->first);
            if (order < 0) {
                std::construct_at(storage++, *own++);
            } else {
                if (order == 0)
                    hashSum -= entryHash(*own++);
                take(*next++);
            }
        }
        storage = std::uninitialized_copy(own, end(), storage);
        std::for_each(next, added.end(), take);
        return hashSum;
    });
}

AttributeDictionaryPtr AttributeDictionary::dictionaryByRemovingKey(std::string_view key) const
{
    return dictionaryBySettingValue(key, nullptr);
}

bool AttributeDictionary::isEqual(const AttributeDictionary& other) const
{
    if (this == &other)
        return true;
    if (m_hash != other.m_hash || m_count != other.m_count)
        return false;
    for (std::size_t i = 0; i < m_count; ++i) {
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
