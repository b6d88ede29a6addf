#pragma once

#include "platform/foundation/Range.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsPath.h"
#include "platform/text/AttributeDictionary.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace folio {

class GraphicsContext;

// One run of a typeset line: glyphs of one font, one attribute dictionary and
// one direction, in visual order. Positions are relative to the line's origin
// on its baseline (x to the right, y down); string indices are those of the
// typesetter's text.
class TypesetRun {
public:
    // A glyph that takes room but draws nothing (tabs, line ends, objects).
    static constexpr std::uint32_t kBlankGlyph = 0xFFFFFFFFu;

    TypesetRun(AttributeDictionaryPtr attributes, std::shared_ptr<const Font> font, bool rightToLeft);

    const AttributeDictionaryPtr& attributes() const { return m_attributes; }
    const Font& font() const { return *m_font; }
    bool isRightToLeft() const { return m_rightToLeft; }
    Range stringRange() const { return m_stringRange; }
    std::size_t glyphCount() const { return m_glyphs.size(); }
    const std::vector<std::uint32_t>& glyphs() const { return m_glyphs; }
    const std::vector<Point>& positions() const { return m_positions; }
    const std::vector<double>& advances() const { return m_advances; }
    const std::vector<std::size_t>& stringIndices() const { return m_stringIndices; }
    // Whether the glyph stands for white space (spaces, tabs, line ends).
    bool isWhitespaceGlyph(std::size_t index) const { return m_whitespace[index] != 0; }

    // Typographic bounds: the font's (or the run delegate's) ascent, descent
    // and leading, and the sum of the advances.
    double ascent() const { return m_ascent; }
    double descent() const { return m_descent; }
    double leading() const { return m_leading; }
    double width() const { return m_width; }
    // The ink of the glyphs, relative to the line origin; empty for blank runs.
    Rect imageBounds() const;

    // The outlines of the glyphs at their positions, from the line origin.
    GraphicsPath glyphOutlines() const;

    // Draws the glyphs with the line origin at `lineOrigin`, and the run's
    // underline when its attributes ask for one.
    void draw(GraphicsContext& context, Point lineOrigin, const Color& color) const;

    // Building (the typesetter and line operations).
    void addGlyph(std::uint32_t glyph, Point position, double advance, std::size_t stringIndex, bool whitespace);
    void setVerticalMetrics(double ascent, double descent, double leading);
    void moveBy(double dx);
    void moveStringIndicesBy(std::ptrdiff_t delta);
    // Adds `extra` to the advance of glyph `index`; later glyphs move with it.
    void widenGlyph(std::size_t index, double extra);
    void setStringRange(Range range) { m_stringRange = range; }

private:
    AttributeDictionaryPtr m_attributes;
    std::shared_ptr<const Font> m_font;
    bool m_rightToLeft = false;
    Range m_stringRange{0, 0};
    std::vector<std::uint32_t> m_glyphs;
    std::vector<Point> m_positions;
    std::vector<double> m_advances;
    std::vector<std::size_t> m_stringIndices;
    std::vector<std::uint8_t> m_whitespace;
    double m_ascent = 0;
    double m_descent = 0;
    double m_leading = 0;
    double m_width = 0;
};

} // namespace folio
