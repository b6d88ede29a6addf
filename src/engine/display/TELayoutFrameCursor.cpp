// Caret geometry of a layout frame: which string index a point is nearest,
// and where the caret stands for an index.
#include "engine/display/TELayoutFrame.h"

#include "engine/display/TELayoutLine.h"

#include <algorithm>
#include <cmath>

namespace folio {

std::size_t TELayoutFrame::closestCursorIndexToPoint(Point point)
{
    const std::vector<TELayoutLinePtr>& all = lines();
    if (all.empty())
        return NotFound;
    if (point.y < all.front()->frame().minY())
        return 0;
    Range visible = visibleStringRange();
    if (point.y > all.back()->frame().maxY() && visible.length > 0)
        return visible.end() - 1;
    const TELayoutLine* chosen = nullptr;
    for (const TELayoutLinePtr& line : all) {
        Rect frame = line->frame();
        if (frame.minY() <= point.y && point.y <= frame.maxY()) {
            chosen = line.get();
            break;
        }
    }
    if (!chosen) {
        double best = 0;
        for (const TELayoutLinePtr& line : all) {
            Rect frame = line->frame();
            double distance = std::min(std::abs(point.y - frame.minY()), std::abs(point.y - frame.maxY()));
            if (!chosen || distance < best) {
                chosen = line.get();
                best = distance;
            }
        }
    }
    std::size_t index = chosen->stringIndexForPosition(point);
    if (index == NotFound)
        return NotFound;
    Range range = chosen->stringRange();
    if (range.length > 0)
        index = std::min(index, range.end() - 1);
    return index;
}

Rect TELayoutFrame::cursorRectAtIndex(std::size_t index)
{
    TELayoutLinePtr line = lineContainingIndex(index);
    if (!line)
        return Rect{};
    Rect frame = line->frame();
    return makeRect(frame.origin.x + line->offsetForStringIndex(index), frame.origin.y, 3, frame.height());
}

} // namespace folio
