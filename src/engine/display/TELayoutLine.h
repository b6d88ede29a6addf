#pragma once

#include "engine/model/TEParagraphStyle.h"
#include "platform/foundation/Range.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsPath.h"
#include "platform/text/TypesetLine.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class ArrayValue;
class GraphicsContext;
class TEGlyphRun;
class TETextAttachment;

// One typeset line placed by its baseline origin in the coordinates of the
// views (origin top left, y down). A line typeset from a copy of part of the
// text (the soft-hyphen case) carries the copy's start as its string location
// offset, so that every index it reports refers to the frame's text.
class TELayoutLine {
public:
    explicit TELayoutLine(TypesetLine line, std::ptrdiff_t stringLocationOffset = 0);
    TELayoutLine(const TELayoutLine&) = delete;
    TELayoutLine& operator=(const TELayoutLine&) = delete;

    const TypesetLine& line() const { return m_line; }
    std::ptrdiff_t stringLocationOffset() const { return m_stringLocationOffset; }

    Range stringRange() const;
    std::size_t numberOfGlyphs() const { return m_line.glyphCount(); }
    // Empty for a line without runs.
    const std::vector<std::unique_ptr<TEGlyphRun>>& glyphRuns() const;
    // The runs whose string range meets `range`.
    std::vector<const TEGlyphRun*> glyphRunsWithRange(Range range) const;
    std::vector<std::shared_ptr<const TETextAttachment>> attachments() const;
    // From the attributes of the line's last run.
    const std::optional<TEParagraphStyle>& paragraphStyle() const;
    const ArrayValue* textBlocks() const;
    bool isHorizontalRule() const;

    // (baseline x, baseline y - ascent, width, ascent + descent); a horizontal
    // rule is as wide as can be. Leading is not part of it.
    Rect frame() const;
    double width() const { return m_line.width(); }
    double ascent() const { return m_ascent; }
    void setAscent(double ascent) { m_ascent = ascent; }
    double descent() const { return m_line.descent(); }
    double leading() const { return m_line.leading(); }
    double trailingWhitespaceWidth() const { return m_line.trailingWhitespaceWidth(); }
    // The largest distance of an underline from the baseline, and the largest
    // point size, among the fonts of the runs; 0 without fonts.
    double underlineOffset() const;
    double lineHeight() const;
    Point baselineOrigin() const { return m_baselineOrigin; }
    void setBaselineOrigin(Point origin) { m_baselineOrigin = origin; }
    // Taken from the first run until set; once set, stays.
    bool writingDirectionIsRightToLeft() const;
    void setWritingDirectionIsRightToLeft(bool rightToLeft);

    // The zero rectangle past the last glyph.
    Rect frameOfGlyphAtIndex(std::size_t index) const;
    Rect frameOfGlyphsWithRange(Range range) const;
    double offsetForStringIndex(std::size_t index) const;
    // The caret index nearest to a point in frame coordinates; NotFound without glyphs.
    std::size_t stringIndexForPosition(Point point) const;
    std::vector<std::size_t> stringIndices() const;
    Rect imageBounds() const;
    // A new line stretched to `width`; null when the line cannot be justified.
    std::unique_ptr<TELayoutLine> justifiedLineWithFactor(double factor, double width) const;

    // The outlines of every run's glyphs where the line places them.
    GraphicsPath newPathWithGlyphs() const;
    void drawInContext(GraphicsContext& context) const;
    std::string description() const;

private:
    void computeFontValues() const;

    TypesetLine m_line;
    std::ptrdiff_t m_stringLocationOffset = 0;
    Point m_baselineOrigin;
    double m_ascent = 0;
    std::optional<bool> m_rightToLeft;

    mutable std::once_flag m_runsOnce;
    mutable std::vector<std::unique_ptr<TEGlyphRun>> m_glyphRuns;
    mutable std::once_flag m_paragraphStyleOnce;
    mutable std::optional<TEParagraphStyle> m_paragraphStyle;
    mutable std::once_flag m_fontValuesOnce;
    mutable double m_underlineOffset = 0;
    mutable double m_lineHeight = 0;
};

} // namespace folio
