#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Range.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Option bits, numbered as the platform's regular-expression class numbers
// them, since callers and stored settings pass them as plain integers.
enum RegularExpressionOptions : unsigned {
    RegularExpressionCaseInsensitive = 1u << 0,
    RegularExpressionAllowCommentsAndWhitespace = 1u << 1,
    RegularExpressionIgnoreMetacharacters = 1u << 2,
    RegularExpressionDotMatchesLineSeparators = 1u << 3,
    RegularExpressionAnchorsMatchLines = 1u << 4,
    RegularExpressionUseUnixLineSeparators = 1u << 5,
    RegularExpressionUseUnicodeWordBoundaries = 1u << 6,
};

// One match: the whole match first, then each capture group; a group that
// took no part in the match is NotFoundRange.
using RegularExpressionMatch = std::vector<Range>;

// A compiled pattern in ICU syntax (nested character sets, \h and the rest).
// Searching never copies the text: the matcher reads the caller's characters
// in place, so a search within a small range of a large text costs only the
// range. The ends of the searched range act as the text's ends for "^", "$"
// and look-around, as the platform's class does by default.
class RegularExpression {
public:
    static constexpr const char* kErrorDomain = "RegularExpression";

    static Result<RegularExpression> make(std::u16string_view pattern, unsigned options = 0);
    // A pattern that matches `text` literally.
    static std::u16string escapedPatternForString(std::u16string_view text);

    const std::u16string& pattern() const { return m_pattern; }
    unsigned options() const { return m_options; }

    // Calls `block` for each match inside `range` (cut at the end of the
    // text), in text order, until it sets `stop`.
    using MatchBlock = std::function<void(const RegularExpressionMatch&, bool& stop)>;
    void enumerateMatches(std::u16string_view text, Range range, const MatchBlock& block) const;
    std::vector<RegularExpressionMatch> matchesInString(std::u16string_view text, Range range) const;
    std::vector<RegularExpressionMatch> matchesInString(std::u16string_view text) const
    {
        return matchesInString(text, Range{0, text.size()});
    }
    // The first match in range; empty when there is none.
    RegularExpressionMatch firstMatchInString(std::u16string_view text, Range range) const;
    std::size_t numberOfMatches(std::u16string_view text) const;
    // The whole text with every match replaced by the template ("$1" names a group).
    std::u16string stringByReplacingMatches(std::u16string_view text, std::u16string_view replacementTemplate) const;

    // The same pattern text and options.
    friend bool operator==(const RegularExpression& a, const RegularExpression& b)
    {
        return a.m_pattern == b.m_pattern && a.m_options == b.m_options;
    }

private:
    class Compiled;
    RegularExpression(std::u16string pattern, unsigned options, std::shared_ptr<const Compiled> compiled);

    std::u16string m_pattern;
    unsigned m_options = 0;
    // The compiled pattern is immutable and shared between copies; each
    // search makes its own matcher, so copies may search at the same time.
    std::shared_ptr<const Compiled> m_compiled;
};

} // namespace folio
