#pragma once

#include "platform/foundation/Range.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsPath.h"
#include "platform/text/AttributeDictionary.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class GraphicsContext;
class TELayoutLine;
class TETextAttachment;
class TypesetRun;

// One run of glyphs with uniform attributes inside a layout line. It reads
// the typeset run in place and refers back to its line, which owns it.
class TEGlyphRun {
public:
    TEGlyphRun(const TypesetRun& run, const TELayoutLine& line, double offset);

    const TypesetRun& run() const { return m_run; }
    const TELayoutLine& line() const { return m_line; }
    // The x of the first glyph within the line.
    double offset() const { return m_offset; }

    Rect frame() const;
    double width() const;
    double ascent() const { return m_ascent; }
    double descent() const { return m_descent; }
    double leading() const;
    std::size_t numberOfGlyphs() const;
    const AttributeDictionaryPtr& attributes() const;
    // The attachment the run shows; null for text.
    const std::shared_ptr<const TETextAttachment>& attachment() const { return m_attachment; }
    bool isHyperlink() const { return m_hyperlink; }
    // Only the line's last run (its first, right to left) can be; it is when
    // the line's trailing white space is at least as wide as the run.
    bool isTrailingWhitespace() const;
    bool writingDirectionIsRightToLeft() const;
    // In the text of the frame: moved by the line's string location offset.
    Range stringRange() const;
    std::vector<std::size_t> stringIndices() const;
    // The glyph's box within the line; the null rectangle out of range.
    Rect frameOfGlyphAtIndex(std::size_t index) const;
    Rect imageBounds() const;
    // The glyph outlines from the line's baseline start; none (and an error
    // to the engine's log) when the attributes name no font.
    std::optional<GraphicsPath> newPathWithGlyphs() const;
    // Makes the run as tall as its attachment and no deeper.
    void fixMetricsFromAttachment();

    // Draws the glyphs with the text position (the line's baseline start) at `textPosition`.
    void drawInContext(GraphicsContext& context, Point textPosition, const Color& color) const;
    // The background and strike-through of the run.
    void drawDecorationInContext(GraphicsContext& context) const;

    std::string description() const;

private:
    const TypesetRun& m_run;
    const TELayoutLine& m_line;
    double m_offset = 0;
    double m_ascent = 0;
    double m_descent = 0;
    std::shared_ptr<const TETextAttachment> m_attachment;
    bool m_hyperlink = false;
    mutable std::once_flag m_trailingOnce;
    mutable bool m_trailingWhitespace = false;
};

} // namespace folio
