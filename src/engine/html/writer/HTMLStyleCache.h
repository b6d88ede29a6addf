#pragma once

#include "engine/html/writer/HTMLParagraphForm.h"
#include "engine/html/writer/HTMLRunForm.h"
#include "platform/foundation/HashMixing.h"
#include "platform/text/AttributeDictionary.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace folio {

class Font;

// The CSS one write has already made, kept by the address of the font or by
// the value of the attribute dictionary it was made from. A document of any
// length uses a few hundred distinct formatting states and fewer fonts,
// shared by all its runs, though a reader may have made a new dictionary for
// each run; while a write runs its text does not change, so an address names
// one object for the whole write. A cache lives exactly as long as one write.
class HTMLStyleCache {
public:
    // The cached CSS of the font, or `make()` stored under it.
    template <typename Make>
    const std::string& fontCSS(const Font& font, Make&& make)
    {
        return lookUp(m_fontCSS, &font, make);
    }

    // What the run writer needs of attributes equal to these, found on
    // first use; the answer stays put for the whole write.
    HTMLRunForm& runForm(const AttributeDictionary& attributes)
    {
        return formFor(m_runForms, m_knownRunForms, attributes);
    }

    // The style of runs of this look, or `make()` stored under it.
    template <typename Make>
    const HTMLRunStyle& runStyle(const HTMLRunLook& look, Make&& make)
    {
        return lookUp(m_runStyles, look, make);
    }

    // The start tag of a list of the key's element, start and style, or
    // `make()` stored under it.
    template <typename Make>
    const std::string& listTag(std::string key, Make&& make)
    {
        auto found = m_listTags.find(key);
        if (found == m_listTags.end())
            found = m_listTags.emplace(std::move(key), make()).first;
        return found->second;
    }

    // The start tag of the spans of runs made of these addresses (of the
    // keys and values that bear on the tag), or `make()` stored under them:
    // the paragraphs of a list each have a dictionary of their own, whose
    // runs mostly share one tag.
    template <typename Make>
    const std::string& spanStartTag(std::vector<const void*> addresses, Make&& make)
    {
        auto found = m_spanStartTags.find(addresses);
        if (found == m_spanStartTags.end())
            found = m_spanStartTags.emplace(std::move(addresses), make()).first;
        return found->second;
    }

    // What the paragraph writer needs of attributes equal to these, found
    // on first use; the answer stays put for the whole write.
    HTMLParagraphForm& paragraphForm(const AttributeDictionary& attributes)
    {
        return formFor(m_paragraphForms, m_knownParagraphForms, attributes);
    }

private:
    template <typename Map, typename Key, typename Make>
    static const typename Map::mapped_type& lookUp(Map& map, const Key& key, Make& make)
    {
        auto found = map.find(key);
        if (found == map.end())
            found = map.emplace(key, make()).first;
        return found->second;
    }

    // Dictionaries by value: their hash is kept, and one compared with
    // itself is equal at once.
    struct DictionaryHash {
        std::size_t operator()(const AttributeDictionary* attributes) const { return attributes->hash(); }
    };
    struct DictionaryEqual {
        bool operator()(const AttributeDictionary* a, const AttributeDictionary* b) const { return *a == *b; }
    };

    // The forms last found, by the address of their dictionary: one slot
    // for each address, the last one found there kept. The forms stay where
    // the map put them for as long as the cache lives.
    template <typename Form>
    struct KnownForm {
        const AttributeDictionary* attributes = nullptr;
        Form* form = nullptr;
    };
    static constexpr std::size_t kKnownSlots = 512;
    template <typename Form>
    using KnownForms = std::array<KnownForm<Form>, kKnownSlots>;

    // Text of one formatting state mostly shares one dictionary, so its
    // address is tried before its value is looked up.
    template <typename Map, typename Form>
    static Form& formFor(Map& forms, KnownForms<Form>& known, const AttributeDictionary& attributes)
    {
        KnownForm<Form>& slot = known[knownSlot(&attributes)];
        if (slot.attributes == &attributes)
            return *slot.form;
        auto found = forms.find(&attributes);
        if (found == forms.end())
            found = forms.emplace(&attributes, Form(attributes)).first;
        slot = {&attributes, &found->second};
        return found->second;
    }
    static std::size_t knownSlot(const AttributeDictionary* attributes)
    {
        // The address's low bits are alike for every object; a multiplication
        // brings its higher ones into the bits taken.
        return (reinterpret_cast<std::uintptr_t>(attributes) * kGoldenRatioHash) >> 55;
    }

    std::unordered_map<const Font*, std::string> m_fontCSS;
    std::unordered_map<const AttributeDictionary*, HTMLRunForm, DictionaryHash, DictionaryEqual> m_runForms;
    // Distinct formatting states often come to the same look.
    std::unordered_map<HTMLRunLook, HTMLRunStyle, HTMLRunLook::Hash> m_runStyles;
    std::unordered_map<std::string, std::string> m_listTags;
    struct AddressesHash {
        std::size_t operator()(const std::vector<const void*>& addresses) const
        {
            std::uint64_t hash = addresses.size();
            for (const void* address : addresses)
                hash = hashMultiplyStep(hash, reinterpret_cast<std::uintptr_t>(address));
            return hashFinish(hash);
        }
    };
    std::unordered_map<std::vector<const void*>, std::string, AddressesHash> m_spanStartTags;
    std::unordered_map<const AttributeDictionary*, HTMLParagraphForm, DictionaryHash, DictionaryEqual> m_paragraphForms;
    KnownForms<HTMLRunForm> m_knownRunForms{};
    KnownForms<HTMLParagraphForm> m_knownParagraphForms{};
};

} // namespace folio
