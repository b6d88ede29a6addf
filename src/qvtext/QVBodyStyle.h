#pragma once

#include <string>
#include <string_view>

namespace folio {

// The editing body's own style travels with a saved QV page as a hidden
// element with id "bodyStyle" after the content (EditorContent::storedQVPage).
// When a page opens, that style goes back onto the body and the element
// leaves the content; when it saves, one fresh element is written.
class QVBodyStyle {
public:
    static constexpr std::string_view kElementId = "bodyStyle";

    QVBodyStyle() = delete;

    // The stored style with the hiding declarations taken out, as the body
    // takes it back.
    static std::string restoredStyle(std::string_view storedStyle);

    // The content without any element with id "bodyStyle", with whatever it
    // holds: a page that kept such an element (files from before, a blank
    // document's placeholder, pasted markup) would otherwise carry it into
    // every later save, and the next opening would take the wrong one.
    static std::string withoutStyleElements(std::string_view html);
};

} // namespace folio
