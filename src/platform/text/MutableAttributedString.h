#pragma once

#include "platform/text/AttributedString.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Attributed text that can change. Every edit checks its range first: a range
// outside the text gives an error and changes nothing.
class MutableAttributedString : public AttributedString {
public:
    MutableAttributedString() = default;
    explicit MutableAttributedString(std::u16string text) : AttributedString(std::move(text)) {}
    MutableAttributedString(std::u16string text, AttributeDictionaryPtr attributes)
        : AttributedString(std::move(text), std::move(attributes))
    {
    }
    explicit MutableAttributedString(const AttributedString& other) : AttributedString(other) {}
    explicit MutableAttributedString(AttributedString&& other) : AttributedString(std::move(other)) {}

    // Replaces every attribute in range; a null dictionary counts as empty.
    Status setAttributes(AttributeDictionaryPtr attributes, Range range);
    Status addAttribute(std::string_view key, AttributeValuePtr value, Range range);
    Status addAttributes(const AttributeDictionary& attributes, Range range);
    Status removeAttribute(std::string_view key, Range range);
    // Gives each run in range the set replace answers for its own; runs that
    // shared a set share its replacement, and a null answer keeps the set.
    Status replaceAttributes(Range range,
                             const std::function<AttributeDictionaryPtr(const AttributeDictionary&)>& replace);

    // The new text takes the attributes of the character at range.location, or,
    // when the range starts at the end of the text, of the character before it.
    Status replaceCharactersInRange(Range range, std::u16string_view text);
    Status replaceCharactersInRangeWithAttributedString(Range range, const AttributedString& replacement);
    Status insertAttributedString(const AttributedString& string, std::size_t location);
    Status deleteCharactersInRange(Range range);
    void appendAttributedString(const AttributedString& string);
    // The same, taking the string's dictionaries over rather than sharing
    // them, which spares a count up and down for every run of a long piece;
    // the string is left empty.
    void appendAttributedString(AttributedString&& string);
    // Appends text with exactly the given attributes (null counts as empty).
    void appendString(std::u16string_view text, AttributeDictionaryPtr attributes);
    void setAttributedString(const AttributedString& string);

    // Between beginEditing and the matching endEditing, merging of equal
    // neighbouring runs is put off and done once at the end; queries stay
    // correct meanwhile, their effective ranges may just be shorter. Batches of
    // many small edits then pay for one merge pass instead of one per edit.
    void beginEditing();
    void endEditing();
    bool isEditing() const { return m_editingDepth > 0; }

private:
    // Makes a run start at location (inside the text or at its end) and answers
    // the index of that run (the run count when location is the end).
    std::size_t splitRunAt(std::size_t location);
    // Replaces the characters and runs of range with text whose runs are
    // given relative to its start.
    void replaceRunsInRange(Range range, std::u16string_view text, const std::vector<Run>& runs);
    // Merges equal neighbours among runs [first, last], unless editing.
    void coalesceRuns(std::size_t first, std::size_t last);
    // Applies transform to the dictionary of each run in range, mapping equal
    // inputs to one shared output so that sharing is kept; a null output
    // keeps the input.
    template <typename Transform>
    Status transformAttributes(Range range, Transform transform);

    int m_editingDepth = 0;
};

} // namespace folio
