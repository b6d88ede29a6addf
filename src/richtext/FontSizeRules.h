#pragma once

#include "richtext/RichTextPageTemplate.h"

#include <optional>

namespace folio {

// The arithmetic of the rich-text editor's font sizes. The page works in
// whole CSS pixels; the user sees the page size less kFontSizeOffset, and
// every size sent to the page is the shown size plus the offset.
class FontSizeRules {
public:
    static constexpr int kFontSizeOffset = RichTextPageTemplate::kFontSizeOffset;
    // Stepping keeps the shown size within these (16 to 472 in the page).
    static constexpr int kLowestSteppedSize = kFontSizeOffset + 4;
    static constexpr int kHighestSteppedSize = kFontSizeOffset + 460;

    // The page size of the legacy HTML sizes 1 to 7; none for other sizes.
    static std::optional<int> legacyPageSize(long long legacySize);

    // The shown size the style bar takes from a page answer. The page zooms
    // its editable element as a whole, so the sizes it reports are the
    // text's own at any zoom and are never divided by it.
    static long long shownSizeFromPage(long long pageSize);

    // One step from the shown size `current`, kept within the limits, with
    // whether each step button stays enabled.
    struct Step {
        int size;
        bool increaseEnabled;
        bool decreaseEnabled;
    };
    static Step step(int current, int points);

    // A page size for inline styles, from the size the style bar shows: a
    // title outside 1 to 499 counts as 12.
    static int pageSizeForShownSize(int shown);
};

} // namespace folio
