#include "richtext/FontSizeRules.h"

#include <algorithm>
#include <array>

namespace folio {

namespace {

constexpr std::array<int, 7> kLegacySizes = {8, 10, 13, 18, 24, 32, 48};
constexpr long long kFallbackSize = 12;
constexpr long long kUnreadableSize = 500;
constexpr long long kLargestShownPageSize = 460;

} // namespace

std::optional<int> FontSizeRules::legacyPageSize(long long legacySize)
{
    if (legacySize < 1 || legacySize > 7)
        return std::nullopt;
    return kLegacySizes[static_cast<size_t>(legacySize - 1)];
}

long long FontSizeRules::shownSizeFromPage(long long pageSize)
{
    long long n = pageSize;
    if (n < 1 || n >= kUnreadableSize)
        n = kFallbackSize;
    if (n >= kLargestShownPageSize)
        n = kLargestShownPageSize;
    return n - kFontSizeOffset;
}

FontSizeRules::Step FontSizeRules::step(int current, int points)
{
    // Sums beyond the limits only need to stay beyond them.
    long long sum = static_cast<long long>(current) + points;
    Step result{static_cast<int>(std::clamp<long long>(sum, kLowestSteppedSize - 1, kHighestSteppedSize + 1)), true, true};
    if (result.size >= kHighestSteppedSize) {
        result.increaseEnabled = false;
        result.size = kHighestSteppedSize;
    }
    if (result.size <= kLowestSteppedSize) {
        result.decreaseEnabled = false;
        result.size = kLowestSteppedSize;
    }
    return result;
}

int FontSizeRules::pageSizeForShownSize(int shown)
{
    if (shown < 1 || shown > 499)
        shown = static_cast<int>(kFallbackSize);
    return shown + kFontSizeOffset;
}

} // namespace folio
