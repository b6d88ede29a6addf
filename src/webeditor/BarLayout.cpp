#include "webeditor/BarLayout.h"

#include <algorithm>

namespace folio {

namespace {

BarLayout::Result groups(bool hidden, const char* leading, const char* trailing)
{
    return BarLayout::Result{true, hidden, false, leading, trailing};
}

} // namespace

BarLayout::Result BarLayout::layoutFor(const Input& input)
{
    if (input.systemMajorVersion < 16) {
        bool compact = !input.regularWidth;
        return Result{false, compact, compact, "C__UR", compact ? "SIY" : "STIY"};
    }
    if (input.isPhone)
        return groups(true, "CUR", "YWITS");

    double w = input.viewSize.width;
    double h = input.viewSize.height;
    double s = std::min(input.screenBounds.size.width, input.screenBounds.size.height);
    double L = std::max(input.screenBounds.size.width, input.screenBounds.size.height);
    bool narrowTitle = w < kNarrowTitleWidth;
    bool landscapeDevice = input.orientation == DeviceOrientation::LandscapeLeft
                           || input.orientation == DeviceOrientation::LandscapeRight;
    bool portrait = input.screenBounds.size.width <= input.screenBounds.size.height && !landscapeDevice;

    if (portrait) {
        if (w >= s)
            return groups(narrowTitle, "CWUR", "YITS");
        if (w > s / 2) {
            if (L >= 1366)
                return groups(true, "CWUR", "YITS");
            if (L >= 1194)
                return groups(true, "CW", "URYITS");
            return groups(narrowTitle, "CWU", "RYITS");
        }
        return groups(true, "CW", "URYITS");
    }
    if (h <= w)
        return groups(false, "CWUR", "YITS");
    if (w >= L / 2)
        return groups(narrowTitle, "CWUR", "YITS");
    if (w > L / 3)
        return groups(true, "CWUR", "YITS");
    return groups(true, "CWU", "RYITS");
}

} // namespace folio
