#pragma once

#include "platform/graphics/Geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace folio {

// Rectangle arithmetic of the display classes, with the null rectangle (no
// place at all) distinct from the zero rectangle (a place of no size).
inline constexpr double kTEGreatestFiniteDouble = std::numeric_limits<double>::max();
// Open-ended frame sides: the layout works the real value out from its lines.
inline constexpr double kTEOpenEndedDimension = 16777215.0;

inline Rect TERectNull()
{
    const double infinity = std::numeric_limits<double>::infinity();
    return Rect{{infinity, infinity}, {0, 0}};
}

inline bool TERectIsNull(const Rect& rect) { return std::isinf(rect.origin.x) || std::isinf(rect.origin.y); }

// The smallest rectangle holding both; a null rectangle adds nothing.
inline Rect TERectUnion(const Rect& a, const Rect& b)
{
    if (TERectIsNull(a))
        return b;
    if (TERectIsNull(b))
        return a;
    double minX = std::min(a.minX(), b.minX()), minY = std::min(a.minY(), b.minY());
    double maxX = std::max(a.maxX(), b.maxX()), maxY = std::max(a.maxY(), b.maxY());
    return makeRect(minX, minY, maxX - minX, maxY - minY);
}

// The shared part; the null rectangle when they do not meet.
inline Rect TERectIntersection(const Rect& a, const Rect& b)
{
    if (TERectIsNull(a) || TERectIsNull(b))
        return TERectNull();
    double minX = std::max(a.minX(), b.minX()), minY = std::max(a.minY(), b.minY());
    double maxX = std::min(a.maxX(), b.maxX()), maxY = std::min(a.maxY(), b.maxY());
    if (maxX < minX || maxY < minY)
        return TERectNull();
    return makeRect(minX, minY, maxX - minX, maxY - minY);
}

// Whether the two meet, edges included (a zero-width rectangle on an edge meets it).
inline bool TERectsMeet(const Rect& a, const Rect& b) { return !TERectIsNull(TERectIntersection(a, b)); }

// The smallest rectangle on whole points that holds `rect`.
inline Rect TERectIntegral(const Rect& rect)
{
    if (TERectIsNull(rect))
        return rect;
    double minX = std::floor(rect.minX()), minY = std::floor(rect.minY());
    double maxX = std::ceil(rect.maxX()), maxY = std::ceil(rect.maxY());
    return makeRect(minX, minY, maxX - minX, maxY - minY);
}

inline double TERoundWithContentScale(double value, double scale) { return std::round(value * scale) / scale; }
inline double TECeilWithContentScale(double value, double scale) { return std::ceil(value * scale) / scale; }

} // namespace folio
