#pragma once

#include "markdown/MESyntaxRules.h"
#include "platform/foundation/Range.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace folio {

// Decides what an edit of a highlighted text requires restyling, so that the
// result is the same as restyling the whole text while the work stays near
// the edit.
//
// The text falls into paragraphs that no rule match crosses: in Markdown they
// begin at an empty line (ended by a line feed, or a return and line feed),
// in TeX at the first line after one ended by a line feed (a TeX comment runs
// on over the empty lines after it). An edit restyles the paragraphs it
// touches. Rules whose matches may run over empty lines (fenced code blocks)
// are matched over the whole text instead; their matches are kept here and
// brought up to date after each edit by matching again only from the last
// point the edit cannot have changed to the first point where the matches
// fall in step with the old ones. Where one of them changed (a fence opened
// or closed), its old and its new extent are restyled too.
class MERestyleTracker {
public:
    explicit MERestyleTracker(bool texParagraphs) : m_texParagraphs(texParagraphs) {}

    // Forgets the kept matches; the next edit restyles the whole text.
    void reset() { m_valid = false; }

    // The text changed from `before` to `after` (both at one location; the
    // same range when only attributes changed). Answers the ranges of the new
    // text to restyle: sorted, apart, each made of whole paragraphs.
    std::vector<Range> rangesToRestyle(std::u16string_view text, const std::vector<MESyntaxRule>& rules, Range before, Range after,
                                       bool charactersChanged);

    // The whole paragraphs around range.
    Range paragraphsAround(std::u16string_view text, Range range) const;

    // Calls block with the first group of each kept match of a spanning rule
    // (by its index in the table) that overlaps range.
    void forEachSpanningMatch(std::size_t rule, Range range, const std::function<void(Range)>& block) const;

private:
    struct Match {
        Range whole;
        Range group;
    };
    struct SpanningRule {
        std::size_t index = 0;
        const MESyntaxRule* rule = nullptr;
        std::vector<Match> matches;
        // Where the text holds the rule's opening: only there can a match
        // begin, and only from there can one reach far.
        std::vector<std::size_t> openings;
        // Per UTF-16 unit: 0 unknown, 1 may be inside a match's body, 2 may not.
        std::vector<std::uint8_t> spanning;
    };

    void rebuild(std::u16string_view text, const std::vector<MESyntaxRule>& rules);
    static std::vector<Match> matchesIn(const MESyntaxRule& rule, std::u16string_view text, Range range, std::size_t startsBefore);
    // The ranges of the new text where the rule's matches changed.
    std::vector<Range> update(SpanningRule& spanning, std::u16string_view text, Range before, Range after);
    bool mayBeInBody(SpanningRule& spanning, char16_t unit) const;
    static void findOpenings(const SpanningRule& spanning, std::u16string_view text, Range range, std::vector<std::size_t>& found);
    static void updateOpenings(SpanningRule& spanning, std::u16string_view text, Range before, Range after);
    std::size_t paragraphStartBefore(std::u16string_view text, std::size_t location) const;
    std::size_t paragraphEndAfter(std::u16string_view text, std::size_t location) const;

    bool m_texParagraphs = false;
    bool m_valid = false;
    std::vector<SpanningRule> m_spanning;
};

} // namespace folio
