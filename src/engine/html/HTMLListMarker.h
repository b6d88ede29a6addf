#pragma once

#include "engine/html/writer/HTMLAttributeMap.h"

#include <functional>
#include <string>
#include <string_view>

namespace folio {

class TECSSListStyle;

// A list whose markers have words of their own ("CH I", "一、", "①") as its
// element carries them on the editing page: the page shows each marker as
// text in its item and draws none itself, so the list's type, numbering and
// words ride along in "data-marker" (type and numbering, by their numbers),
// "data-marker-before" and "data-marker-after", with the word processor's
// own numbering style in "data-marker-format" and where the number stands
// in "data-marker-align", and come back with the list when the page is saved.
// The size the file sets the markers in rides in "data-marker-size" (half
// points), with or without words.
class HTMLListMarker {
public:
    // Nothing for a list without marker words.
    static void addAttributes(const TECSSListStyle& style, HTMLAttributeMap& attributes);
    // Gives the style the type and marker words the attributes name; a list
    // without them, or with a damaged value, is left as its CSS made it.
    static void applyAttributes(TECSSListStyle& style,
                                const std::function<const std::u16string*(std::string_view)>& attributeForKey);
};

} // namespace folio
