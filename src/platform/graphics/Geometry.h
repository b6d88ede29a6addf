#pragma once

#include <cmath>

namespace folio {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }
    bool containsPoint(Point point) const
    {
        return point.x >= minX() && point.x < maxX() && point.y >= minY() && point.y < maxY();
    }
    // Whether the two share any area.
    bool intersects(const Rect& other) const
    {
        return !isEmpty() && !other.isEmpty() && minX() < other.maxX() && other.minX() < maxX()
            && minY() < other.maxY() && other.minY() < maxY();
    }
    Rect insetBy(double dx, double dy) const
    {
        return Rect{{origin.x + dx, origin.y + dy}, {size.width - 2 * dx, size.height - 2 * dy}};
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect makeRect(double x, double y, double width, double height) { return Rect{{x, y}, {width, height}}; }

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

inline Rect insetRect(const Rect& rect, const EdgeInsets& insets)
{
    return Rect{{rect.origin.x + insets.left, rect.origin.y + insets.top},
                {rect.size.width - insets.left - insets.right, rect.size.height - insets.top - insets.bottom}};
}

// x' = a*x + c*y + tx, y' = b*x + d*y + ty, as in PDF and cairo.
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static AffineTransform identity() { return {}; }
    static AffineTransform translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static AffineTransform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform rotation(double radians)
    {
        double cosine = std::cos(radians), sine = std::sin(radians);
        return {cosine, sine, -sine, cosine, 0, 0};
    }

    bool isIdentity() const { return *this == AffineTransform{}; }

    // Applies this transform, then `next`.
    AffineTransform concatenating(const AffineTransform& next) const
    {
        return {a * next.a + b * next.c,       a * next.b + b * next.d,
                c * next.a + d * next.c,       c * next.b + d * next.d,
                tx * next.a + ty * next.c + next.tx, tx * next.b + ty * next.d + next.ty};
    }
    Point apply(Point point) const { return {a * point.x + c * point.y + tx, b * point.x + d * point.y + ty}; }
    Size apply(Size size) const { return {a * size.width + c * size.height, b * size.width + d * size.height}; }

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

} // namespace folio
