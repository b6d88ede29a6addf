#include "engine/model/TEAttributeDictionaryPool.h"

#include <functional>

namespace folio {

namespace {

bool sameValue(const AttributeValuePtr& a, const AttributeValuePtr& b)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    const auto* arrayA = a->as<ArrayValue>();
    const auto* arrayB = b->as<ArrayValue>();
    if (!arrayA || !arrayB)
        return !arrayA && !arrayB && a->isEqual(*b);
    if (arrayA->count() != arrayB->count())
        return false;
    for (std::size_t index = 0; index < arrayA->count(); ++index) {
        if ((*arrayA)[index] != (*arrayB)[index])
            return false;
    }
    return true;
}

// The dictionary's hash, which sees lists by their content, mixed with the
// identity of the objects its arrays hold: every list of a long page may look
// alike, and they must not all fall in one bucket.
std::size_t identityHash(const AttributeDictionary& dictionary)
{
    std::size_t hash = dictionary.hash();
    for (const auto& [key, value] : dictionary) {
        if (const auto* array = value ? value->as<ArrayValue>() : nullptr) {
            for (const AttributeValuePtr& element : array->elements())
                hash = hashCombine(hash, std::hash<const AttributeValue*>{}(element.get()));
        }
    }
    return hash;
}

} // namespace

bool TEAttributeDictionaryPool::holdTheSame(const AttributeDictionary& a, const AttributeDictionary& b)
{
    if (&a == &b)
        return true;
    if (a.hash() != b.hash() || a.count() != b.count())
        return false;
    const auto& entriesA = a.entries();
    const auto& entriesB = b.entries();
    for (std::size_t index = 0; index < entriesA.size(); ++index) {
        if (entriesA[index].first != entriesB[index].first || !sameValue(entriesA[index].second, entriesB[index].second))
            return false;
    }
    return true;
}

AttributeDictionaryPtr TEAttributeDictionaryPool::sharedDictionary(AttributeDictionaryPtr dictionary)
{
    if (!dictionary)
        return dictionary;
    const std::size_t hash = identityHash(*dictionary);
    auto [first, last] = m_dictionaries.equal_range(hash);
    for (auto found = first; found != last; ++found) {
        if (holdTheSame(*found->second, *dictionary))
            return found->second;
    }
    m_dictionaries.emplace(hash, dictionary);
    return dictionary;
}

AttributeDictionaryPtr TEAttributeDictionaryPool::sharedDictionary(std::string_view key,
                                                                   const std::function<AttributeDictionaryPtr()>& make)
{
    const TEFormattingKeyProbe probe(key);
    if (auto known = m_dictionariesByKey.find(probe); known != m_dictionariesByKey.end())
        return known->second;
    AttributeDictionaryPtr dictionary = sharedDictionary(make());
    m_dictionariesByKey.emplace(TEStoredFormattingKey(probe), dictionary);
    return dictionary;
}

AttributeValuePtr TEAttributeDictionaryPool::sharedValue(std::string_view key,
                                                       const std::function<AttributeValuePtr()>& make)
{
    const TEFormattingKeyProbe probe(key);
    if (auto known = m_valuesByKey.find(probe); known != m_valuesByKey.end())
        return known->second;
    AttributeValuePtr value = make();
    m_valuesByKey.emplace(TEStoredFormattingKey(probe), value);
    return value;
}

AttributeDictionaryPtr TEAttributeDictionaryPool::derivedDictionary(std::string_view rule,
                                                                   const AttributeDictionaryPtr& source,
                                                                   const std::function<AttributeDictionaryPtr()>& make)
{
    auto byRule = m_derived.find(rule);
    if (byRule == m_derived.end())
        byRule = m_derived.emplace(std::string(rule), DerivedBySource()).first;
    DerivedBySource& bySource = byRule->second;
    if (auto known = bySource.find(source.get()); known != bySource.end())
        return known->second.dictionary;
    AttributeDictionaryPtr dictionary = make();
    bySource.emplace(source.get(), Derived{source, dictionary});
    return dictionary;
}

} // namespace folio
