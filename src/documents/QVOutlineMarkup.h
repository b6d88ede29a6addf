#pragma once

#include <string>
#include <string_view>

namespace folio {

// What a QV outline's stored page holds beyond the writer's words. Each
// branch carries the handle the page drags it by (a bullet "●" in an element
// of class "branch-drag-handler"); the saved file keeps it, since the page
// builds its tree from that markup, but it is the page's control, not text:
// whatever leaves the program as the outline's words goes without it.
class QVOutlineMarkup {
public:
    QVOutlineMarkup() = delete;

    // The page's HTML without its branches' drag handles, everything else
    // as it was written. A handle whose element never ends is left in
    // place rather than taking the rest of the outline with it.
    static std::string withoutDragHandles(std::string_view html);
};

} // namespace folio
