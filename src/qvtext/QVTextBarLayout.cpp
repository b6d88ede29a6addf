#include "qvtext/QVTextBarLayout.h"

#include <algorithm>

namespace folio {

namespace {

BarLayout::Result groups(bool titleHidden, const char* leading, const char* trailing)
{
    return BarLayout::Result{true, titleHidden, false, leading, trailing};
}

} // namespace

BarLayout::Result QVTextBarLayout::layoutFor(const BarLayout::Input& input)
{
    if (input.systemMajorVersion < 16) {
        bool compact = !input.regularWidth;
        return BarLayout::Result{false, compact, compact, "C__UR", compact ? "SIY" : "STIY"};
    }
    if (input.isPhone)
        return groups(true, "CUR", "YWITS");

    double w = input.viewSize.width;
    double h = input.viewSize.height;
    double s = std::min(input.screenBounds.size.width, input.screenBounds.size.height);
    double L = std::max(input.screenBounds.size.width, input.screenBounds.size.height);
    bool narrowTitle = w < BarLayout::kNarrowTitleWidth;
    bool landscapeDevice = input.orientation == DeviceOrientation::LandscapeLeft
                           || input.orientation == DeviceOrientation::LandscapeRight;
    bool landscape = input.screenBounds.size.width > input.screenBounds.size.height || landscapeDevice;

    if (!landscape) {
        if (w <= s / 2)
            return groups(true, "CW", "URYITS");
        if (w < s && L >= 1194)
            return groups(true, "CWUR", "YITS");
        return groups(narrowTitle, "CWUR", "YITS");
    }
    if (w >= h)
        return groups(false, "CWUR", "YITS");
    if (w >= L / 2)
        return groups(narrowTitle, "CURW", "YITS");
    if (w > L / 3)
        return groups(true, "CWUR", "YITS");
    return groups(true, "CW", "URYITS");
}

} // namespace folio
