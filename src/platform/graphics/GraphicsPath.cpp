#include "platform/graphics/GraphicsPath.h"

#include <algorithm>
#include <limits>

namespace folio {

void GraphicsPath::append(const GraphicsPath& other, Point offset)
{
    for (Element element : other.m_elements) {
        for (Point& point : element.points) {
            point.x += offset.x;
            point.y += offset.y;
        }
        m_elements.push_back(element);
    }
}

Rect GraphicsPath::boundingBox() const
{
    double minX = std::numeric_limits<double>::max(), minY = minX;
    double maxX = std::numeric_limits<double>::lowest(), maxY = maxX;
    for (const Element& element : m_elements) {
        int count = element.kind == Kind::CurveTo ? 3 : element.kind == Kind::Close ? 0 : 1;
        for (int i = 0; i < count; ++i) {
            minX = std::min(minX, element.points[i].x);
            minY = std::min(minY, element.points[i].y);
            maxX = std::max(maxX, element.points[i].x);
            maxY = std::max(maxY, element.points[i].y);
        }
    }
    if (minX > maxX)
        return Rect{};
    return makeRect(minX, minY, maxX - minX, maxY - minY);
}

} // namespace folio
