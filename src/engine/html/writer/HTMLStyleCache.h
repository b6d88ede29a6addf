#pragma once

#include <string>
#include <unordered_map>

namespace folio {

class AttributeDictionary;
class Font;

// The CSS one write has already made, kept by the address of the font or the
// attribute dictionary it was made from. A document of any length uses a
// few hundred distinct dictionaries and fewer fonts, shared by all its runs;
// while a write runs its text does not change, so an address names one
// object for the whole write. A cache lives exactly as long as one write.
class HTMLStyleCache {
public:
    // The cached CSS of the font, or `make()` stored under it.
    template <typename Make>
    const std::string& fontCSS(const Font& font, Make&& make)
    {
        return lookUp(m_fontCSS, &font, make);
    }

    // The cached style of a run with these attributes, or `make()` stored
    // under them. A run inside a paragraph whose font is uniform leaves its
    // font to the paragraph, so the two cases are kept apart.
    template <typename Make>
    const std::string& runStyle(const AttributeDictionary& attributes, bool writesFont, Make&& make)
    {
        return lookUp(writesFont ? m_runStyleWithFont : m_runStyleWithoutFont, &attributes, make);
    }

    // The start tag of a span styled with `css` alone, or `make()` stored
    // under it; `css` is a run style this cache holds, so its address names it.
    template <typename Make>
    const std::string& spanStartTag(const std::string& css, Make&& make)
    {
        return lookUp(m_spanStartTags, &css, make);
    }

private:
    template <typename Key, typename Make>
    static const std::string& lookUp(std::unordered_map<Key, std::string>& map, Key key, Make& make)
    {
        auto found = map.find(key);
        if (found == map.end())
            found = map.emplace(key, make()).first;
        return found->second;
    }

    std::unordered_map<const Font*, std::string> m_fontCSS;
    std::unordered_map<const AttributeDictionary*, std::string> m_runStyleWithFont;
    std::unordered_map<const AttributeDictionary*, std::string> m_runStyleWithoutFont;
    std::unordered_map<const std::string*, std::string> m_spanStartTags;
};

} // namespace folio
