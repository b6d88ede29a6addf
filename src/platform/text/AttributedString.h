#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Range.h"
#include "platform/text/AttributeDictionary.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class MutableAttributedString;

// How enumerations walk the runs. Flags combine with |.
enum class AttributeEnumerationOptions : unsigned {
    None = 0,
    // Report maximal ranges of equal values rather than one range per stored run.
    LongestEffectiveRange = 1u << 0,
    Reverse = 1u << 1,
};

constexpr AttributeEnumerationOptions operator|(AttributeEnumerationOptions a, AttributeEnumerationOptions b)
{
    return static_cast<AttributeEnumerationOptions>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool hasOption(AttributeEnumerationOptions options, AttributeEnumerationOptions flag)
{
    return (static_cast<unsigned>(options) & static_cast<unsigned>(flag)) != 0;
}

// Text (UTF-16) with attributes: every character belongs to exactly one run,
// and each run holds one shared, immutable dictionary. Adjacent runs with equal
// dictionaries are merged, keeping the earlier run's dictionary object, so code
// that compares list or block objects by identity keeps seeing the objects it
// first put in. Runs sit in a vector sorted by start so that lookups are a
// binary search even for documents with hundreds of thousands of runs.
//
// Indexes outside the text are answered with null (queries) or an error that
// leaves the string untouched (edits); they never crash.
class AttributedString {
public:
    using AttributesBlock = std::function<void(const AttributeDictionaryPtr& attributes, Range range, bool& stop)>;
    using AttributeBlock = std::function<void(const AttributeValuePtr& value, Range range, bool& stop)>;

    AttributedString() = default;
    explicit AttributedString(std::u16string text);
    AttributedString(std::u16string text, AttributeDictionaryPtr attributes);

    const std::u16string& string() const { return m_text; }
    std::size_t length() const { return m_text.size(); }
    // How many runs the text is stored in: no more than the number of
    // formatting changes it has, and at least one for a text that is not empty.
    std::size_t runCount() const { return m_runs.size(); }

    // Where a caller that asks about one place after another in text order
    // last found itself: the next answer is looked for from there instead of
    // searched for among all the runs, which keeps a walk through a long text
    // linear. Any place may still be asked for; one behind the cursor is
    // searched for as without it, and one far ahead of it in steps from the
    // cursor that double. A cursor belongs to the string it was last used
    // with and to one thread.
    class RunCursor {
        friend class AttributedString;
        std::size_t m_run = 0;
    };

    // The dictionary of the character at index and the range of its run; null
    // (and NotFoundRange) when index is not in the text.
    AttributeDictionaryPtr attributesAtIndex(std::size_t index, Range* effectiveRange = nullptr) const;
    AttributeDictionaryPtr attributesAtIndex(std::size_t index, Range* effectiveRange, RunCursor& cursor) const;
    // As above, widened over neighbouring equal dictionaries but kept inside
    // rangeLimit; null when index is not inside both the text and the limit.
    AttributeDictionaryPtr attributesAtIndexLongestEffectiveRange(std::size_t index, Range* range, Range rangeLimit) const;
    AttributeDictionaryPtr attributesAtIndexLongestEffectiveRange(std::size_t index, Range* range, Range rangeLimit,
                                                                  RunCursor& cursor) const;
    // The value under key at index (null when absent or out of the text) and the
    // range of the run it was found in.
    AttributeValuePtr attributeAtIndex(std::string_view key, std::size_t index, Range* effectiveRange = nullptr) const;
    // The widest range around index, inside rangeLimit, over which the key's value
    // is equal (or absent throughout).
    AttributeValuePtr attributeAtIndexLongestEffectiveRange(std::string_view key, std::size_t index, Range* range,
                                                            Range rangeLimit) const;

    // Calls block for each part of range, in text order unless Reverse is given.
    // A range reaching past the end is cut at the end of the text.
    void enumerateAttributes(Range range, AttributeEnumerationOptions options, const AttributesBlock& block) const;
    void enumerateAttribute(std::string_view key, Range range, AttributeEnumerationOptions options,
                            const AttributeBlock& block) const;
    // Calls visit(attributes, range) for each stored run in range, in text
    // order, as enumerateAttributes without options does, for loops that
    // visit every run of a long text and cannot afford a call through a
    // std::function for each.
    template <typename Visit>
    void forEachRun(Range range, Visit&& visit) const
    {
        Range clipped = intersectionRange(range, Range{0, m_text.size()});
        if (clipped.length == 0 || range.location >= m_text.size())
            return;
        for (std::size_t run = runIndexForCharacter(clipped.location);
             run < m_runs.size() && m_runs[run].location < clipped.end(); ++run) {
            const std::size_t start = m_runs[run].location > clipped.location ? m_runs[run].location : clipped.location;
            const std::size_t end = runEnd(run) < clipped.end() ? runEnd(run) : clipped.end();
            visit(m_runs[run].attributes, Range{start, end - start});
        }
    }

    // The part in range, sharing this string's dictionaries; an error when the
    // range reaches outside the text.
    Result<AttributedString> attributedSubstringFromRange(Range range) const;

    AttributedString copy() const;
    MutableAttributedString mutableCopy() const;

    // Same text and, character by character, equal dictionaries; where the runs
    // happen to be split does not matter.
    bool isEqualToAttributedString(const AttributedString& other) const;
    friend bool operator==(const AttributedString& a, const AttributedString& b)
    {
        return a.isEqualToAttributedString(b);
    }
    std::size_t hash() const;

    // Whether range lies within the text (an empty range may sit at the end).
    bool containsRange(Range range) const;

protected:
    struct Run {
        std::size_t location;
        AttributeDictionaryPtr attributes;
    };

    static const std::vector<Run>& runsOf(const AttributedString& string) { return string.m_runs; }
    static std::vector<Run>& runsOf(AttributedString& string) { return string.m_runs; }
    // Index of the run holding the character at index; index must be in the text.
    std::size_t runIndexForCharacter(std::size_t index) const;
    // The same, looked for first in the few runs from the cursor's on, and
    // left in the cursor.
    std::size_t runIndexForCharacter(std::size_t index, RunCursor& cursor) const;
    std::size_t runEnd(std::size_t runIndex) const;
    Range runRange(std::size_t runIndex) const;
    Error rangeError(Range range) const;

    std::u16string m_text;
    std::vector<Run> m_runs;
};

} // namespace folio

template <>
struct std::hash<folio::AttributedString> {
    std::size_t operator()(const folio::AttributedString& string) const { return string.hash(); }
};
