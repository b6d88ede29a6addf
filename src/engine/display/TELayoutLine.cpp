#include "engine/display/TELayoutLine.h"

#include "engine/attachments/TETextAttachment.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TEGlyphRun.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEAttributeQueries.h"
#include "platform/text/FontAttributeValue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace folio {

TELayoutLine::TELayoutLine(TypesetLine line, std::ptrdiff_t stringLocationOffset)
    : m_line(std::move(line)), m_stringLocationOffset(stringLocationOffset), m_ascent(m_line.ascent())
{
}

Range TELayoutLine::stringRange() const
{
    Range range = m_line.stringRange();
    range.location = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(range.location) + m_stringLocationOffset);
    return range;
}

const std::vector<std::unique_ptr<TEGlyphRun>>& TELayoutLine::glyphRuns() const
{
    std::call_once(m_runsOnce, [this] {
        for (const TypesetRun& run : m_line.runs()) {
            // The first glyph position of each run is read once, here.
            double offset = run.positions().empty() ? 0 : run.positions().front().x;
            m_glyphRuns.push_back(std::make_unique<TEGlyphRun>(run, *this, offset));
        }
    });
    return m_glyphRuns;
}

std::vector<const TEGlyphRun*> TELayoutLine::glyphRunsWithRange(Range range) const
{
    std::vector<const TEGlyphRun*> runs;
    for (const auto& run : glyphRuns()) {
        Range runRange = run->stringRange();
        std::size_t start = std::max(runRange.location, range.location);
        std::size_t end = std::min(runRange.location + runRange.length, range.location + range.length);
        if (start < end)
            runs.push_back(run.get());
    }
    return runs;
}

std::vector<std::shared_ptr<const TETextAttachment>> TELayoutLine::attachments() const
{
    std::vector<std::shared_ptr<const TETextAttachment>> found;
    for (const auto& run : glyphRuns())
        if (run->attachment())
            found.push_back(run->attachment());
    return found;
}

const std::optional<TEParagraphStyle>& TELayoutLine::paragraphStyle() const
{
    std::call_once(m_paragraphStyleOnce, [this] {
        if (!m_line.runs().empty())
            m_paragraphStyle = TEAttributeQueries::paragraphStyle(*m_line.runs().back().attributes());
    });
    return m_paragraphStyle;
}

const ArrayValue* TELayoutLine::textBlocks() const
{
    if (m_line.runs().empty())
        return nullptr;
    return m_line.runs().back().attributes()->valueForKeyAs<ArrayValue>(TETextBlocksAttribute);
}

bool TELayoutLine::isHorizontalRule() const
{
    if (stringRange().length > 1 || m_line.runs().size() != 1)
        return false;
    return m_line.runs().front().attributes()->containsKey(TEHorizontalRuleStyleAttribute);
}

Rect TELayoutLine::frame() const
{
    double width = isHorizontalRule() ? kTEGreatestFiniteDouble : m_line.width();
    return makeRect(m_baselineOrigin.x, m_baselineOrigin.y - m_ascent, width, m_ascent + descent());
}

void TELayoutLine::computeFontValues() const
{
    std::call_once(m_fontValuesOnce, [this] {
        for (const TypesetRun& run : m_line.runs()) {
            const FontAttributeValue* font = run.attributes()->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
            if (!font)
                continue;
            m_underlineOffset = std::max(m_underlineOffset, std::abs(font->font().underlinePosition()));
            m_lineHeight = std::max(m_lineHeight, font->font().pointSize());
        }
    });
}

double TELayoutLine::underlineOffset() const
{
    computeFontValues();
    return m_underlineOffset;
}

double TELayoutLine::lineHeight() const
{
    computeFontValues();
    return m_lineHeight;
}

bool TELayoutLine::writingDirectionIsRightToLeft() const
{
    if (m_rightToLeft)
        return *m_rightToLeft;
    const auto& runs = glyphRuns();
    return !runs.empty() && runs.front()->writingDirectionIsRightToLeft();
}

void TELayoutLine::setWritingDirectionIsRightToLeft(bool rightToLeft) { m_rightToLeft = rightToLeft; }

Rect TELayoutLine::frameOfGlyphAtIndex(std::size_t index) const
{
    for (const auto& run : glyphRuns()) {
        if (index < run->numberOfGlyphs())
            return run->frameOfGlyphAtIndex(index);
        index -= run->numberOfGlyphs();
    }
    return Rect{};
}

Rect TELayoutLine::frameOfGlyphsWithRange(Range range) const
{
    double minX = kTEGreatestFiniteDouble, minY = kTEGreatestFiniteDouble, maxHeight = 0, lastMaxX = 0;
    bool any = false;
    for (const TEGlyphRun* run : glyphRunsWithRange(range)) {
        Rect runFrame = run->frame();
        minX = std::min(minX, runFrame.minX());
        minY = std::min(minY, runFrame.minY());
        maxHeight = std::max(maxHeight, runFrame.height());
        lastMaxX = runFrame.maxX();
        any = true;
    }
    double width = any ? lastMaxX - minX : 0;
    Rect lineFrame = frame();
    double limit = lineFrame.origin.x + m_line.width() - trailingWhitespaceWidth();
    // The box never reaches into the trailing white space, and never turns
    // inside out when no run met the range.
    width = std::max(0.0, std::min(width, limit - minX));
    return makeRect(minX, minY, width, maxHeight);
}

double TELayoutLine::offsetForStringIndex(std::size_t index) const
{
    return m_line.offsetForStringIndex(
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(index) - m_stringLocationOffset));
}

std::size_t TELayoutLine::stringIndexForPosition(Point point) const
{
    std::size_t index = m_line.stringIndexForPosition(point.x - frame().origin.x);
    if (index == NotFound)
        return NotFound;
    return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(index) + m_stringLocationOffset);
}

std::vector<std::size_t> TELayoutLine::stringIndices() const
{
    std::vector<std::size_t> indices;
    for (const auto& run : glyphRuns()) {
        std::vector<std::size_t> runIndices = run->stringIndices();
        indices.insert(indices.end(), runIndices.begin(), runIndices.end());
    }
    return indices;
}

Rect TELayoutLine::imageBounds() const
{
    Rect bounds = m_line.imageBounds();
    if (bounds.isEmpty())
        return bounds;
    bounds.origin.x += m_baselineOrigin.x;
    bounds.origin.y += m_baselineOrigin.y;
    return bounds;
}

std::unique_ptr<TELayoutLine> TELayoutLine::justifiedLineWithFactor(double factor, double width) const
{
    std::optional<TypesetLine> justified = m_line.justifiedLine(factor, width);
    if (!justified)
        return nullptr;
    return std::make_unique<TELayoutLine>(std::move(*justified), m_stringLocationOffset);
}

GraphicsPath TELayoutLine::newPathWithGlyphs() const
{
    GraphicsPath path;
    for (const auto& run : glyphRuns())
        if (std::optional<GraphicsPath> runPath = run->newPathWithGlyphs())
            path.append(*runPath, m_baselineOrigin);
    return path;
}

void TELayoutLine::drawInContext(GraphicsContext& context) const
{
    m_line.draw(context, m_baselineOrigin,
                [](const TypesetRun& run) { return TEAttributeQueries::foregroundColor(*run.attributes()); });
}

std::string TELayoutLine::description() const
{
    Rect f = frame();
    Range range = stringRange();
    char text[256];
    std::snprintf(text, sizeof text, "<TELayoutLine origin={%g, %g} frame={{%g, %g}, {%g, %g}} range={%zu, %zu}>",
                  m_baselineOrigin.x, m_baselineOrigin.y, f.origin.x, f.origin.y, f.size.width, f.size.height,
                  range.location, range.length);
    return text;
}

} // namespace folio
