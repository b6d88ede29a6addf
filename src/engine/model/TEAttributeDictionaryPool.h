#pragma once

#include "engine/model/TEFormattingKey.h"
#include "platform/text/AttributeDictionary.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace folio {

// The attribute dictionaries one reading of a document has made, so that runs
// of the same formatting share one dictionary object instead of each holding
// its own: a long page then keeps a few hundred dictionaries, not one per
// element, and whoever walks its runs can remember what it found per
// dictionary.
//
// Two dictionaries are the same here only when their lists and blocks are the
// same objects: equal-looking lists of two different lists stay apart, as the
// numbering written from them depends on which list a paragraph is in.
class TEAttributeDictionaryPool {
public:
    // The pooled dictionary holding the same as `dictionary`; `dictionary`
    // itself, which joins the pool, when there is none yet.
    AttributeDictionaryPtr sharedDictionary(AttributeDictionaryPtr dictionary);
    // The pooled dictionary of the formatting the key stands for (see
    // TEFormattingKey), made by `make` and pooled the first time the key is
    // seen. The key must hold everything `make` reads: the same key always
    // answers the same dictionary.
    AttributeDictionaryPtr sharedDictionary(std::string_view key, const std::function<AttributeDictionaryPtr()>& make);
    // A value for the pool's dictionaries by a key of what it is made from
    // (see TEFormattingKey), made by `make` the first time: dictionaries of
    // one font, colour or paragraph settings then hold one value, not a copy
    // each. The key must hold everything `make` reads.
    AttributeValuePtr sharedValue(std::string_view key, const std::function<AttributeValuePtr()>& make);
    // The dictionary a fixed rule (named by `rule`, with whatever it depends
    // on) makes from `source`, made by `make` the first time the rule meets
    // that dictionary object: the runs of a page share few dictionaries, and
    // a paragraph end or a link's highlight is then worked out once for each.
    // The pool holds on to `source`, so that no later dictionary can take its
    // address and be mistaken for it.
    AttributeDictionaryPtr derivedDictionary(std::string_view rule, const AttributeDictionaryPtr& source,
                                             const std::function<AttributeDictionaryPtr()>& make);
    std::size_t count() const { return m_dictionaries.size(); }

    // Same keys, and values that are the same objects or, for values other
    // than arrays, equal; arrays (lists, blocks, shadows) hold the same objects.
    static bool holdTheSame(const AttributeDictionary& a, const AttributeDictionary& b);

private:
    std::unordered_multimap<std::size_t, AttributeDictionaryPtr> m_dictionaries;
    TEFormattingKeyMap<AttributeDictionaryPtr> m_dictionariesByKey;
    TEFormattingKeyMap<AttributeValuePtr> m_valuesByKey;
    struct Derived {
        AttributeDictionaryPtr source;
        AttributeDictionaryPtr dictionary;
    };
    // By rule, then by the source's address: a look-up, made for every
    // paragraph end of a page, allocates nothing.
    struct RuleHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view rule) const noexcept { return std::hash<std::string_view>{}(rule); }
    };
    using DerivedBySource = std::unordered_map<const AttributeDictionary*, Derived>;
    std::unordered_map<std::string, DerivedBySource, RuleHash, std::equal_to<>> m_derived;
};

} // namespace folio
