#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// The system's spelling dictionaries, the ones the web engine underlines
// misspellings with, asked about one word at a time: a menu's spelling
// check finds the next misspelled word by them.
class SpellingDictionary {
public:
    ~SpellingDictionary();
    SpellingDictionary(const SpellingDictionary&) = delete;
    SpellingDictionary& operator=(const SpellingDictionary&) = delete;

    // The dictionaries of those languages ("en_US") that are installed;
    // none when the spelling library or all of them are missing.
    static std::unique_ptr<SpellingDictionary> forLanguages(const std::vector<std::string>& languages);
    // Those of the languages the web engine checks (SpellCheckingLanguages),
    // opened once.
    static SpellingDictionary* forThisSystem();

    // A word (UTF-8) that none of the dictionaries knows.
    bool isMisspelled(std::string_view word) const;

private:
    struct Library;
    SpellingDictionary(const Library& library, void* broker, std::vector<void*> dictionaries);

    const Library& m_library;
    void* m_broker;
    std::vector<void*> m_dictionaries;
};

} // namespace folio
