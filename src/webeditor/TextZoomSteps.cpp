#include "webeditor/TextZoomSteps.h"

#include "platform/foundation/Localization.h"

#include <array>
#include <utility>

namespace folio {

namespace {

struct Step {
    long long percent;
    const char* text;
};

constexpr std::array<Step, 5> kLadder{{
    {60, "Zoom 0.6x"}, {80, "Zoom 0.8x"}, {100, "Zoom 1x"}, {150, "Zoom 1.5x"}, {200, "Zoom 2x"},
}};

} // namespace

std::optional<long long> TextZoomSteps::zoomedOut(long long percent)
{
    if (percent == kLadder.front().percent)
        return kNormalPercent;
    for (std::size_t i = 1; i < kLadder.size(); ++i) {
        if (kLadder[i].percent == percent)
            return kLadder[i - 1].percent;
    }
    return std::nullopt;
}

std::optional<long long> TextZoomSteps::zoomedIn(long long percent)
{
    if (percent >= kLadder.back().percent)
        return kNormalPercent;
    for (std::size_t i = 0; i + 1 < kLadder.size(); ++i) {
        if (kLadder[i].percent == percent)
            return kLadder[i + 1].percent;
    }
    return std::nullopt;
}

std::string TextZoomSteps::overlayText(long long percent)
{
    for (const Step& step : kLadder) {
        if (step.percent == percent)
            return Localization::localizedString(step.text);
    }
    return {};
}

} // namespace folio
