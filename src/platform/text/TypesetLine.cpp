#include "platform/text/TypesetLine.h"

#include <algorithm>
#include <limits>

namespace folio {

TypesetLine::TypesetLine(std::vector<TypesetRun> runs, Range stringRange, bool rightToLeft)
    : m_runs(std::move(runs)), m_stringRange(stringRange), m_rightToLeft(rightToLeft)
{
    computeMetrics();
}

void TypesetLine::computeMetrics()
{
    m_ascent = m_descent = m_leading = m_width = 0;
    for (const TypesetRun& run : m_runs) {
        m_ascent = std::max(m_ascent, run.ascent());
        m_descent = std::max(m_descent, run.descent());
        m_leading = std::max(m_leading, run.leading());
        m_width += run.width();
    }
    // Trailing white space: everything after the last character that has a
    // glyph of ink (or of an object), in logical order.
    std::size_t end = m_stringRange.location + m_stringRange.length;
    std::size_t trailingStart = trailingWhitespaceStart();
    m_trailingWhitespaceWidth = 0;
    for (const TypesetRun& run : m_runs)
        for (std::size_t i = 0; i < run.glyphCount(); ++i)
            if (run.stringIndices()[i] >= trailingStart && run.stringIndices()[i] < end)
                m_trailingWhitespaceWidth += run.advances()[i];
}

std::size_t TypesetLine::trailingWhitespaceStart() const
{
    std::size_t start = m_stringRange.location;
    for (const TypesetRun& run : m_runs)
        for (std::size_t i = 0; i < run.glyphCount(); ++i)
            if (!run.isWhitespaceGlyph(i))
                start = std::max(start, run.stringIndices()[i] + 1);
    return start;
}

std::size_t TypesetLine::glyphCount() const
{
    std::size_t count = 0;
    for (const TypesetRun& run : m_runs)
        count += run.glyphCount();
    return count;
}

Rect TypesetLine::imageBounds() const
{
    Rect result;
    bool any = false;
    for (const TypesetRun& run : m_runs) {
        Rect box = run.imageBounds();
        if (box.isEmpty())
            continue;
        if (!any) {
            result = box;
            any = true;
            continue;
        }
        double minX = std::min(result.minX(), box.minX()), minY = std::min(result.minY(), box.minY());
        double maxX = std::max(result.maxX(), box.maxX()), maxY = std::max(result.maxY(), box.maxY());
        result = makeRect(minX, minY, maxX - minX, maxY - minY);
    }
    return result;
}

double TypesetLine::offsetForStringIndex(std::size_t index) const
{
    // The glyph of the cluster holding the index: the one with the largest
    // string index not after it.
    const TypesetRun* bestRun = nullptr;
    std::size_t bestGlyph = 0;
    std::size_t bestIndex = 0;
    for (const TypesetRun& run : m_runs) {
        for (std::size_t i = 0; i < run.glyphCount(); ++i) {
            std::size_t glyphIndex = run.stringIndices()[i];
            if (glyphIndex > index || glyphIndex < m_stringRange.location)
                continue;
            if (!bestRun || glyphIndex > bestIndex) {
                bestRun = &run;
                bestGlyph = i;
                bestIndex = glyphIndex;
            }
        }
    }
    std::size_t end = m_stringRange.location + m_stringRange.length;
    if (!bestRun || index >= end)
        return m_rightToLeft ? 0 : m_width;
    double x = bestRun->positions()[bestGlyph].x;
    double advance = bestRun->advances()[bestGlyph];
    if (bestIndex != index)
        // Inside a cluster (a ligature): its trailing edge.
        return bestRun->isRightToLeft() ? x : x + advance;
    return bestRun->isRightToLeft() ? x + advance : x;
}

std::size_t TypesetLine::stringIndexForPosition(double x) const
{
    if (glyphCount() == 0)
        return NotFound;
    std::size_t end = m_stringRange.location + m_stringRange.length;
    for (const TypesetRun& run : m_runs) {
        const auto& indices = run.stringIndices();
        for (std::size_t i = 0; i < run.glyphCount(); ++i) {
            double left = run.positions()[i].x;
            double advance = run.advances()[i];
            if (x >= left + advance / 2)
                continue;
            if (!run.isRightToLeft())
                return indices[i];
            // Right to left: the left half of a glyph is after its character.
            std::size_t after = run.stringRange().location + run.stringRange().length;
            for (std::size_t j = i; j-- > 0;)
                if (indices[j] != indices[i]) {
                    after = indices[j];
                    break;
                }
            return std::min(after, end);
        }
    }
    return m_rightToLeft ? m_stringRange.location : end;
}

double TypesetLine::penOffsetForFlush(double flushFactor, double width) const
{
    double used = m_width - m_trailingWhitespaceWidth;
    double offset = (width - used) * std::clamp(flushFactor, 0.0, 1.0);
    return offset > 0 ? offset : 0;
}

std::optional<TypesetLine> TypesetLine::justifiedLine(double factor, double width) const
{
    double used = m_width - m_trailingWhitespaceWidth;
    double missing = (width - used) * std::clamp(factor, 0.0, 1.0);
    if (!(missing > 0))
        return std::nullopt;
    std::size_t trailingStart = trailingWhitespaceStart();
    std::size_t spaces = 0;
    for (const TypesetRun& run : m_runs)
        for (std::size_t i = 0; i < run.glyphCount(); ++i)
            if (run.isWhitespaceGlyph(i) && run.stringIndices()[i] < trailingStart)
                ++spaces;
    if (spaces == 0)
        return std::nullopt;
    double extra = missing / static_cast<double>(spaces);
    std::vector<TypesetRun> runs = m_runs;
    double shift = 0;
    for (TypesetRun& run : runs) {
        run.moveBy(shift);
        for (std::size_t i = 0; i < run.glyphCount(); ++i)
            if (run.isWhitespaceGlyph(i) && run.stringIndices()[i] < trailingStart) {
                run.widenGlyph(i, extra);
                shift += extra;
            }
    }
    return TypesetLine(std::move(runs), m_stringRange, m_rightToLeft);
}

TypesetLine TypesetLine::joining(const std::vector<const TypesetLine*>& parts, Range stringRange, bool rightToLeft)
{
    std::vector<TypesetRun> runs;
    double x = 0;
    for (const TypesetLine* part : parts) {
        for (TypesetRun run : part->m_runs) {
            run.moveBy(x);
            runs.push_back(std::move(run));
        }
        x += part->m_width;
    }
    return TypesetLine(std::move(runs), stringRange, rightToLeft);
}

void TypesetLine::moveStringIndicesBy(std::ptrdiff_t delta)
{
    for (TypesetRun& run : m_runs)
        run.moveStringIndicesBy(delta);
    m_stringRange.location = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(m_stringRange.location) + delta);
}

void TypesetLine::draw(GraphicsContext& context, Point origin,
                       const std::function<Color(const TypesetRun&)>& colorForRun) const
{
    for (const TypesetRun& run : m_runs)
        run.draw(context, origin, colorForRun(run));
}

} // namespace folio
