#pragma once

#include "platform/graphics/Geometry.h"

#include <vector>

namespace folio {

// An outline made of straight and cubic segments, in user space (y down),
// such as the outlines of glyphs.
class GraphicsPath {
public:
    enum class Kind { MoveTo, LineTo, CurveTo, Close };
    struct Element {
        Kind kind;
        // One point for moves and lines, three (two controls, then the end) for curves.
        Point points[3];
    };

    void moveTo(Point point) { m_elements.push_back({Kind::MoveTo, {point, {}, {}}}); }
    void lineTo(Point point) { m_elements.push_back({Kind::LineTo, {point, {}, {}}}); }
    void curveTo(Point control1, Point control2, Point end)
    {
        m_elements.push_back({Kind::CurveTo, {control1, control2, end}});
    }
    void close() { m_elements.push_back({Kind::Close, {{}, {}, {}}}); }
    // Adds `other` with every point moved by `offset`.
    void append(const GraphicsPath& other, Point offset = {});

    bool isEmpty() const { return m_elements.empty(); }
    const std::vector<Element>& elements() const { return m_elements; }
    // The box of all points (controls included); the zero rectangle when empty.
    Rect boundingBox() const;

private:
    std::vector<Element> m_elements;
};

} // namespace folio
