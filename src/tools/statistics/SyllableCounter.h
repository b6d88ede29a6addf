#pragma once

#include <cstddef>
#include <string>

namespace folio {

// The syllables of an English word from its spelling: a table of words the
// rules get wrong, affixes that count one each, vowel groups, and patterns
// that merge or split them. Answers are cached for the process, thread-safely.
class SyllableCounter {
public:
    static std::size_t syllableCount(const std::u16string& word);
};

} // namespace folio
