#include "platform/text/TypesetRun.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ShapingFace.h"
#include "platform/text/TextAttributeNames.h"

#include <algorithm>
#include <limits>

namespace folio {

TypesetRun::TypesetRun(AttributeDictionaryPtr attributes, std::shared_ptr<const Font> font, bool rightToLeft)
    : m_attributes(attributes ? std::move(attributes) : AttributeDictionary::empty())
    , m_font(std::move(font))
    , m_rightToLeft(rightToLeft)
{
    FontMetrics metrics = m_font->metrics();
    m_ascent = metrics.ascent;
    m_descent = metrics.descent;
    m_leading = metrics.leading;
}

void TypesetRun::addGlyph(std::uint32_t glyph, Point position, double advance, std::size_t stringIndex,
                          bool whitespace)
{
    m_glyphs.push_back(glyph);
    m_positions.push_back(position);
    m_advances.push_back(advance);
    m_stringIndices.push_back(stringIndex);
    m_whitespace.push_back(whitespace ? 1 : 0);
    m_width += advance;
}

void TypesetRun::setVerticalMetrics(double ascent, double descent, double leading)
{
    m_ascent = ascent;
    m_descent = descent;
    m_leading = leading;
}

void TypesetRun::moveBy(double dx)
{
    for (Point& position : m_positions)
        position.x += dx;
}

void TypesetRun::moveStringIndicesBy(std::ptrdiff_t delta)
{
    for (std::size_t& index : m_stringIndices)
        index = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(index) + delta);
    m_stringRange.location = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(m_stringRange.location) + delta);
}

void TypesetRun::widenGlyph(std::size_t index, double extra)
{
    if (index >= m_advances.size())
        return;
    m_advances[index] += extra;
    for (std::size_t i = index + 1; i < m_positions.size(); ++i)
        m_positions[i].x += extra;
    m_width += extra;
}

Rect TypesetRun::imageBounds() const
{
    std::shared_ptr<const ShapingFace> face = ShapingFace::forFace(m_font->face());
    double minX = std::numeric_limits<double>::max(), minY = minX;
    double maxX = std::numeric_limits<double>::lowest(), maxY = maxX;
    for (std::size_t i = 0; i < m_glyphs.size(); ++i) {
        if (m_glyphs[i] == kBlankGlyph)
            continue;
        Rect box = face->glyphBounds(m_glyphs[i], m_font->pointSize());
        if (box.isEmpty())
            continue;
        minX = std::min(minX, m_positions[i].x + box.minX());
        minY = std::min(minY, m_positions[i].y + box.minY());
        maxX = std::max(maxX, m_positions[i].x + box.maxX());
        maxY = std::max(maxY, m_positions[i].y + box.maxY());
    }
    if (minX > maxX)
        return {};
    return makeRect(minX, minY, maxX - minX, maxY - minY);
}

GraphicsPath TypesetRun::glyphOutlines() const
{
    std::shared_ptr<const ShapingFace> face = ShapingFace::forFace(m_font->face());
    GraphicsPath path;
    for (std::size_t i = 0; i < m_glyphs.size(); ++i)
        if (m_glyphs[i] != kBlankGlyph)
            path.append(face->glyphPath(m_glyphs[i], m_font->pointSize()), m_positions[i]);
    return path;
}

void TypesetRun::draw(GraphicsContext& context, Point lineOrigin, const Color& color) const
{
    std::vector<std::uint32_t> glyphs;
    std::vector<Point> positions;
    glyphs.reserve(m_glyphs.size());
    positions.reserve(m_glyphs.size());
    for (std::size_t i = 0; i < m_glyphs.size(); ++i) {
        if (m_glyphs[i] == kBlankGlyph)
            continue;
        glyphs.push_back(m_glyphs[i]);
        positions.push_back(m_positions[i]);
    }
    context.drawGlyphs(*m_font, glyphs, positions, lineOrigin, color);

    const IntegerValue* underline = m_attributes->valueForKeyAs<IntegerValue>(TextAttributeName::UnderlineStyle);
    const BoolValue* underlineFlag = m_attributes->valueForKeyAs<BoolValue>(TextAttributeName::UnderlineStyle);
    if ((underline && underline->value() != 0) || (underlineFlag && underlineFlag->value())) {
        if (m_positions.empty())
            return;
        FontMetrics metrics = m_font->metrics();
        double thickness = std::max(metrics.underlineThickness, 0.5);
        double left = m_positions.front().x, right = left;
        for (std::size_t i = 0; i < m_positions.size(); ++i) {
            left = std::min(left, m_positions[i].x);
            right = std::max(right, m_positions[i].x + m_advances[i]);
        }
        const ColorValue* underlineColor = m_attributes->valueForKeyAs<ColorValue>(TextAttributeName::UnderlineColor);
        context.saveGState();
        context.setFillColor(underlineColor ? underlineColor->color() : color);
        // The underline position is negative below the baseline; y grows downwards here.
        context.fillRect(makeRect(lineOrigin.x + left, lineOrigin.y - metrics.underlinePosition - thickness / 2,
                                  right - left, thickness));
        context.restoreGState();
    }
}

} // namespace folio
