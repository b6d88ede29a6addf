#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// A list item's own indents as its "li" carries them in "data-indent" on the
// editing page, so that a save gives back the item's hanging first line and
// left indent as the file had them: the page lays the item out by its list's
// padding, which keeps neither. The value is the item's depth (how many lists
// it is inside), its head indent and its first-line indent, in the text's own
// units: "1 52.55 -0.63". The depth tells an item the page has since moved to
// another level, where the indents no longer hold.
struct HTMLListItemIndents {
    std::size_t depth = 0;
    double headIndent = 0;
    double firstLineHeadIndent = 0;

    std::u16string attributeText() const;
    // Nothing when the value cannot be read, so that a damaged attribute
    // leaves the item as the page lays it out.
    static std::optional<HTMLListItemIndents> fromAttribute(std::u16string_view text);
};

} // namespace folio
