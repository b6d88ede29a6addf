#pragma once

#include <optional>
#include <string>

namespace folio {

// The text zoom levels a pinch steps through, in percent: 60, 80, 100, 150
// and 200. Zooming out of the smallest level and in past the largest one
// return to 100; a level set elsewhere (the zoom slice) that is not on the
// ladder stays where it is, except that zooming in from above 200 returns
// to 100 as well.
class TextZoomSteps {
public:
    static constexpr long long kNormalPercent = 100;
    static constexpr long long kToggledPercent = 150;

    TextZoomSteps() = delete;

    static std::optional<long long> zoomedOut(long long percent);
    static std::optional<long long> zoomedIn(long long percent);
    // The progress overlay's text for a level of the ladder ("Zoom 1.5x");
    // empty for any other.
    static std::string overlayText(long long percent);
};

} // namespace folio
