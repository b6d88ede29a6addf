#pragma once

#include "platform/graphics/FontCatalog.h"
#include "platform/text/AttributedString.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace folio {

class TECSSListStyle;

// The marker text laid out before a list item ("\t1.\t", a bullet, or a
// marker picture), with the attributes it is drawn in.
class TEListItemPrefix {
public:
    // The prefix of item `counter` of the list; `attributes` are those of the
    // item's text. The marker takes the item's font without bold or italic,
    // its colour, and a paragraph style whose head indent is `listIndent`,
    // with a right tab for the marker just before it. None for lists without
    // markers. A list whose marker picture is not among the application's
    // resources falls back to its text marker.
    static std::optional<AttributedString> prefixForListItemWithCounter(
        std::int64_t counter, const TECSSListStyle& listStyle, double listIndent, const AttributeDictionary& attributes,
        std::shared_ptr<const FontCatalog> catalog = nullptr);
};

} // namespace folio
