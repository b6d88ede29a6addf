#include "qvoutline/QVOutlineBarLayout.h"

#include <algorithm>

namespace folio {

std::optional<QVOutlineBarLayout::Groups> QVOutlineBarLayout::groupsFor(const Input& input)
{
    if (input.isPhone)
        return Groups{true, "CUR", "WITS"};
    double w = input.viewSize.width;
    double h = input.viewSize.height;
    double shortSide = std::min(input.screenSize.width, input.screenSize.height);
    double longSide = std::max(input.screenSize.width, input.screenSize.height);
    if (!input.landscape && w <= shortSide / 2)
        return Groups{true, "CWU", "RYITS"};
    if (input.landscape && w < h && w >= longSide / 2)
        return Groups{w < kNarrowTitleWidth, "CWUR", "YITS"};
    return std::nullopt;
}

} // namespace folio
