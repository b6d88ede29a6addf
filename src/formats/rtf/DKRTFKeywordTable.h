#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_map>

namespace folio {

class DKRTFReader;

// What a control word does: the reader's handler and the value it gets.
struct DKRTFKeyword {
    using Handler = void (DKRTFReader::*)(int value);

    Handler handler = nullptr;
    // Given when the word has no parameter.
    int defaultValue = 1;
    // When set, defaultValue replaces any parameter ("\sub" is -1 whatever follows).
    bool forced = false;

    int valueForParameter(const int* parameter) const
    {
        return forced || !parameter ? defaultValue : *parameter;
    }
};

// Control-word name to action. Names are matched case-sensitively, as RTF
// requires ("\PAR" is not "\par"). The table is immutable data made once, so
// any number of readers may use it at the same time.
class DKRTFKeywordTable {
public:
    // RTF limits a control word to 32 letters; every name in the table fits.
    static constexpr std::size_t kLongestName = 32;

    static const DKRTFKeywordTable& shared();

    // Null for a word the reader does not know.
    const DKRTFKeyword* keywordNamed(std::string_view name) const;
    std::size_t count() const { return m_keywords.size(); }

private:
    DKRTFKeywordTable();

    // Every control word of a document is looked up here, and the names are
    // a few ASCII letters: a short multiplicative hash does for them what the
    // general byte hash does at a fraction of its cost.
    struct NameHash {
        std::size_t operator()(std::string_view name) const
        {
            std::size_t hash = 14695981039346656037ULL;
            for (char letter : name)
                hash = (hash ^ static_cast<unsigned char>(letter)) * 1099511628211ULL;
            return hash;
        }
    };

    std::unordered_map<std::string_view, DKRTFKeyword, NameHash> m_keywords;
};

} // namespace folio
