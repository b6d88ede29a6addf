#pragma once

#include "platform/foundation/Range.h"
#include "platform/graphics/Geometry.h"
#include "platform/text/TypesetRun.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace folio {

class GraphicsContext;

// One typeset line: its runs in visual order from the line origin, which sits
// on the baseline at the line's left end. Lines are values; the operations
// that change a line (justification, joining) make a new one.
class TypesetLine {
public:
    TypesetLine() = default;
    TypesetLine(std::vector<TypesetRun> runs, Range stringRange, bool rightToLeft);

    const std::vector<TypesetRun>& runs() const { return m_runs; }
    Range stringRange() const { return m_stringRange; }
    // The paragraph direction the line was set in.
    bool isRightToLeft() const { return m_rightToLeft; }
    std::size_t glyphCount() const;

    // Typographic bounds: the largest ascent, descent and leading of the runs,
    // and the sum of their widths, trailing white space included.
    double ascent() const { return m_ascent; }
    double descent() const { return m_descent; }
    double leading() const { return m_leading; }
    double width() const { return m_width; }
    // The width of the white space at the logical end of the line.
    double trailingWhitespaceWidth() const { return m_trailingWhitespaceWidth; }
    Rect imageBounds() const;

    // The x of the caret before the character at `index` (its leading edge);
    // the line's end for the end of its range.
    double offsetForStringIndex(std::size_t index) const;
    // The caret index nearest to `x`, from the line origin; NotFound without glyphs.
    std::size_t stringIndexForPosition(double x) const;
    // How far to move the line so that it sits `flushFactor` of the way from
    // the left (0) to the right (1) of `width`; trailing white space hangs.
    double penOffsetForFlush(double flushFactor, double width) const;
    // The line stretched to `width` (times `factor` of the missing room) by
    // widening the spaces inside it; none when it has no inner spaces or does
    // not fall short of the width.
    std::optional<TypesetLine> justifiedLine(double factor, double width) const;
    // The parts side by side, left to right, as one line of `stringRange`.
    static TypesetLine joining(const std::vector<const TypesetLine*>& parts, Range stringRange, bool rightToLeft);
    // String indices of every run moved by `delta` (lines set from a copy of part of the text).
    void moveStringIndicesBy(std::ptrdiff_t delta);

    // Draws every run with its origin at `origin`, in the colour `colorForRun` gives.
    void draw(GraphicsContext& context, Point origin,
              const std::function<Color(const TypesetRun&)>& colorForRun) const;

private:
    void computeMetrics();
    std::size_t trailingWhitespaceStart() const;

    std::vector<TypesetRun> m_runs;
    Range m_stringRange{0, 0};
    bool m_rightToLeft = false;
    double m_ascent = 0;
    double m_descent = 0;
    double m_leading = 0;
    double m_width = 0;
    double m_trailingWhitespaceWidth = 0;
};

} // namespace folio
