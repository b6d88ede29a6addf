#pragma once

#include "webeditor/PageCounter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace folio {

// The rich-text page's virtual pages: the shared counting, with the moves
// as the scripts of the rich-text page.
class RichTextPageCounter : public PageCounter {
public:
    // The scripts that move to the top of the previous page (the top of the
    // current one when it is the last, scrolled part way), and the page
    // number then shown. `isEditing` first drops the selection.
    std::vector<std::string> pageUp(bool isEditing);
    // The script that moves to the top of the next page; none on the last.
    std::vector<std::string> pageDown();

    // Scrolls to the top of page n (from 1).
    std::string jumpToPageScript(int page) const;
    // The position the document was last read at, when there is one.
    static std::string scrollToOffsetScript(std::int64_t offset);
};

} // namespace folio
