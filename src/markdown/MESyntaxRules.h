#pragma once

#include "platform/foundation/RegularExpression.h"
#include "platform/graphics/Font.h"
#include "platform/text/AttributeDictionary.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class FontCatalog;

// A rule whose matches may run over empty lines (a fenced code block) says so
// with its shape: every match begins with `opening`, then holds any number
// of body characters (one character class), and ends with a closing; the
// opening and the closing are at most four characters each.
struct MESpanningShape {
    std::u16string opening;
    RegularExpression bodyCharacters;
};

// One highlighting rule: what the pattern's first group matches gets the
// attributes, merged over what is there. Most patterns cannot match without
// one of a few marks (a star, a bracket); text holding none of a rule's marks
// is not searched, which spares the restyle after a key most of its matching
// in plain prose.
struct MESyntaxRule {
    RegularExpression expression;
    AttributeDictionaryPtr attributes;
    std::optional<MESpanningShape> spanning = std::nullopt;
    // Every non-empty first group of a match lies in a match holding one of
    // these; empty when any text may match.
    std::u16string marks = {};

    bool mayMatchIn(std::u16string_view text) const
    {
        return marks.empty() || text.find_first_of(marks) != std::u16string_view::npos;
    }
};

// The rule tables of the highlighting storage. Rules apply in table order and
// a later rule wins where two set the same attribute, so each table lists the
// general rules before the specific ones: the first-level header rule (which
// also matches "##" and "###" lines) before the second and third, and in TeX
// the comment rule last, so that a commented-out command reads as a comment.
class MESyntaxRules {
public:
    // For the body font F; a rule that needs a face F's family lacks (bold,
    // italic, bold italic) is left out.
    static std::vector<MESyntaxRule> markdownRules(const Font& body, std::shared_ptr<const FontCatalog> catalog = nullptr);
    static std::vector<MESyntaxRule> texRules(const Font& body);

    // Header sizes for a body size S: 2 x round(S x 0.6) and 2 x round(S x 0.55).
    static double header1Size(double bodySize);
    static double header2Size(double bodySize);

    // Adds a rule compiled with "^" and "$" matching at line ends. A pattern
    // already in the table keeps its place and takes the new attributes; one
    // that does not compile is logged and left out. `marks` are the
    // characters one of which every match holds (none: any text may match).
    static void registerRule(std::vector<MESyntaxRule>& rules, std::u16string_view pattern, AttributeDictionaryPtr attributes,
                             std::u16string_view marks = {}, std::optional<MESpanningShape> spanning = std::nullopt);
};

} // namespace folio
