#pragma once

#include "platform/text/PlatformParagraphStyle.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// A paragraph's tab stops as its element carries them in "data-tabs", on the
// print page (whose script sets its tabs on them) and on the editing page
// (which hands them back with the paragraph when the text is saved). Each
// stop is a kind letter (L, R, C, D for decimal), the position in points from
// the text column's edge, and the leader character if any: "L36 R432.".
class HTMLTabStops {
public:
    // Stops without a finite position past the edge are left out; empty when
    // none is left.
    static std::u16string attributeText(const std::vector<TextTab>& stops);
    // The stops of an attribute value; nothing when a stop cannot be read,
    // so that a damaged value leaves the paragraph's stops as they were.
    static std::optional<std::vector<TextTab>> stopsFromAttribute(std::u16string_view text);
};

} // namespace folio
