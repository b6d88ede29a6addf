#pragma once

#include <optional>

namespace folio {

class PageConnection;

// The size text inserted at the caret takes, asked of the page at the
// moment of inserting: the style bar follows the caret only from one tick
// of its poll to the next, and only while the page has the keyboard, so
// its size may be an old caret's or the default.
class TypingFontSize {
public:
    TypingFontSize() = delete;

    // In the page's pixels: the size of the text the caret follows. None
    // when the page does not answer with a size.
    static std::optional<int> pixelsAtCaret(PageConnection& page);
};

} // namespace folio
