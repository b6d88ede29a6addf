#pragma once

#include <string>
#include <string_view>

namespace folio {

// What a file never said about its page: its paper size and which of its
// margins. The editor lays such a page out with its own defaults, but a save
// leaves them out again, so that other programs keep showing their own
// (Letter, in much of the world) instead of ours.
struct DKRTFUnstatedPage {
    bool paper = false;
    bool leftMargin = false;
    bool rightMargin = false;
    bool topMargin = false;
    bool bottomMargin = false;

    bool isEmpty() const { return !(paper || leftMargin || rightMargin || topMargin || bottomMargin); }
    // The words "paper", "left", "right", "top" and "bottom", separated by
    // blanks, for those that are unstated.
    std::string text() const;
    // Unknown words are ignored, so that a damaged value only ever makes a
    // save write more of the page, never less.
    static DKRTFUnstatedPage fromText(std::string_view text);

    friend bool operator==(const DKRTFUnstatedPage&, const DKRTFUnstatedPage&) = default;
};

} // namespace folio
