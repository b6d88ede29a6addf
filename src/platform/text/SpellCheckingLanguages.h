#pragma once

#include <string>
#include <vector>

namespace folio {

// The languages the web engine checks spelling in. The engine checks
// nothing until it is given some, and takes only those it has a dictionary
// for: the person's own languages where a dictionary of theirs is
// installed, else every dictionary that is.
class SpellCheckingLanguages {
public:
    // From the locale's language names ("en_GB.UTF-8", "en", "C"), in order
    // of preference, and the dictionaries installed ("en_US", "de_DE"): each
    // locale language with a dictionary of its own, or of its language in
    // another country; all installed ones when none matches.
    static std::vector<std::string> choose(const std::vector<std::string>& localeNames,
                                           const std::vector<std::string>& installed);
    // The dictionaries in the system's hunspell folders, sorted.
    static std::vector<std::string> installedDictionaries();
    // The locale's languages and the installed dictionaries, chosen as above.
    static std::vector<std::string> forThisSystem();
};

} // namespace folio
