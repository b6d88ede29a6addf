#include "tools/statistics/SyllableCounter.h"

#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/StringUtilities.h"

#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace folio {

namespace {

// Words whose spelling misleads the rules below, with their true counts.
const std::map<std::u16string, std::size_t>& problemWords()
{
    static const std::map<std::u16string, std::size_t> words{
        {u"abalone", 4}, {u"abare", 3}, {u"abbruzzese", 4}, {u"abed", 2}, {u"aborigine", 5}, {u"abruzzese", 4},
        {u"acreage", 3}, {u"adame", 3}, {u"adieu", 2}, {u"adobe", 3}, {u"anemone", 4}, {u"apache", 3},
        {u"aphrodite", 4}, {u"apostrophe", 4}, {u"ariadne", 4}, {u"cafe", 2}, {u"calliope", 4}, {u"catastrophe", 4},
        {u"chile", 2}, {u"chloe", 2}, {u"circe", 2}, {u"coyote", 3}, {u"daphne", 2}, {u"epitome", 4},
        {u"eurydice", 4}, {u"euterpe", 3}, {u"forever", 3}, {u"gethsemane", 4}, {u"guacamole", 4}, {u"hermione", 4},
        {u"hyperbole", 4}, {u"jesse", 2}, {u"jukebox", 2}, {u"karate", 3}, {u"machete", 3}, {u"maybe", 2},
        {u"penelope", 4}, {u"people", 2}, {u"persephone", 4}, {u"phoebe", 2}, {u"poetry", 3}, {u"recipe", 3},
        {u"sesame", 3}, {u"shoreline", 2}, {u"simile", 3}, {u"syncope", 3}, {u"tamale", 3}, {u"wandered", 2},
        {u"yosemite", 4}, {u"you", 1}, {u"zoe", 2},
    };
    return words;
}

std::vector<RegularExpression> compileAll(std::initializer_list<const char16_t*> patterns, unsigned options)
{
    std::vector<RegularExpression> compiled;
    for (const char16_t* pattern : patterns)
        compiled.push_back(RegularExpression::make(pattern, options).value());
    return compiled;
}

struct Patterns {
    // Prefixes and suffixes that make a syllable of their own.
    std::vector<RegularExpression> affixes = compileAll(
        {u"^un", u"^fore", u"ly$", u"less$", u"ful$", u"ers?$", u"ings?$"},
        RegularExpressionCaseInsensitive | RegularExpressionDotMatchesLineSeparators);
    RegularExpression vowelGroups = RegularExpression::make(u"[aeiouy]+").value();
    // Vowel groups that are sounded as one syllable less than they look...
    std::vector<RegularExpression> fewer = compileAll(
        {u"cial", u"tia", u"cius", u"cious", u"[^aeiou]giu", u"[aeiouy][^aeiouy]ion", u"ion", u"iou", u"sia$",
         u"[^aeiuoyt]{2}ed$", u".ely$", u"^jua", u"uai'", u"eau'", u"[cg]h?e[rsd]?$", u"rved?$", u"[aeiouy][dt]es?$",
         u"[aeiouy][^aeiouydt]e[rsd]?$", u"[aeiouy]rse$"},
        0);
    // ...and those sounded as one more.
    std::vector<RegularExpression> more = compileAll(
        {u"ia", u"riet", u"dien", u"iu", u"io", u"ii", u"[ou]a$", u"[aeiouym]bl$", u"[aeiou]{3}", u"^mc", u"ism$",
         u"([^aeiouy])\\1l$", u"[^l]lien", u"^coa[dglx].", u"[^gq]ua[^auieo]", u"dnt$", u"uity$", u"ie(r|st)$",
         u"real", u"asm$", u"eings?$", u"thm$", u"gean$", u"uen", u"iell"},
        0);
};

const Patterns& patterns()
{
    static const Patterns compiled;
    return compiled;
}

std::u16string asciiLettersLowercased(const std::u16string& word)
{
    std::u16string letters;
    for (char16_t unit : word) {
        if (unit >= u'A' && unit <= u'Z')
            letters += static_cast<char16_t>(unit - u'A' + u'a');
        else if (unit >= u'a' && unit <= u'z')
            letters += unit;
    }
    return letters;
}

class SyllableCache {
public:
    std::optional<std::size_t> find(const std::u16string& word)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_counts.find(word);
        return it == m_counts.end() ? std::nullopt : std::optional<std::size_t>(it->second);
    }
    void store(const std::u16string& word, std::size_t count)
    {
        std::lock_guard lock(m_mutex);
        m_counts[word] = count;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<std::u16string, std::size_t> m_counts;
};

SyllableCache& syllableCache()
{
    static SyllableCache cache;
    return cache;
}

} // namespace

std::size_t SyllableCounter::syllableCount(const std::u16string& word)
{
    if (word.empty())
        return 0;
    if (auto cached = syllableCache().find(word))
        return *cached;
    // The table is looked up with the word as written, so "Penelope" goes by the rules.
    if (auto known = problemWords().find(word); known != problemWords().end())
        return known->second;

    std::u16string letters = asciiLettersLowercased(word);
    const Patterns& rules = patterns();
    long count = 0;
    std::u16string stripped = letters;
    for (const auto& affix : rules.affixes) {
        count += static_cast<long>(affix.numberOfMatches(letters));
        stripped = affix.stringByReplacingMatches(stripped, u"");
    }
    count += static_cast<long>(rules.vowelGroups.numberOfMatches(stripped));
    for (const auto& pattern : rules.fewer)
        count -= static_cast<long>(pattern.numberOfMatches(stripped));
    for (const auto& pattern : rules.more)
        count += static_cast<long>(pattern.numberOfMatches(stripped));
    std::size_t result = count < 1 ? 1 : static_cast<std::size_t>(count);
    syllableCache().store(word, result);
    return result;
}

} // namespace folio
