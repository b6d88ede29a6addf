#include "engine/display/TEGlyphRun.h"

#include "engine/attachments/TETextAttachment.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TELayoutLine.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEAttributeQueries.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TypesetRun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace folio {

TEGlyphRun::TEGlyphRun(const TypesetRun& run, const TELayoutLine& line, double offset)
    : m_run(run), m_line(line), m_offset(offset), m_ascent(run.ascent()), m_descent(run.descent())
{
    const AttributeValuePtr& attachment = run.attributes()->valueForKey(NSAttachmentAttributeName);
    m_attachment = std::dynamic_pointer_cast<const TETextAttachment>(attachment);
    m_hyperlink = run.attributes()->containsKey(TELinkAttribute);
}

Rect TEGlyphRun::frame() const
{
    Point origin = m_line.baselineOrigin();
    return makeRect(origin.x + m_offset, origin.y - m_ascent, width(), m_ascent + m_descent);
}

double TEGlyphRun::width() const { return m_run.width(); }

double TEGlyphRun::leading() const { return m_run.leading(); }

std::size_t TEGlyphRun::numberOfGlyphs() const { return m_run.glyphCount(); }

const AttributeDictionaryPtr& TEGlyphRun::attributes() const { return m_run.attributes(); }

bool TEGlyphRun::writingDirectionIsRightToLeft() const { return m_run.isRightToLeft(); }

bool TEGlyphRun::isTrailingWhitespace() const
{
    std::call_once(m_trailingOnce, [this] {
        const auto& runs = m_line.glyphRuns();
        if (runs.empty())
            return;
        const TEGlyphRun* candidate = m_line.writingDirectionIsRightToLeft() ? runs.front().get() : runs.back().get();
        m_trailingWhitespace = candidate == this && m_line.trailingWhitespaceWidth() >= width();
    });
    return m_trailingWhitespace;
}

Range TEGlyphRun::stringRange() const
{
    Range range = m_run.stringRange();
    range.location =
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(range.location) + m_line.stringLocationOffset());
    return range;
}

std::vector<std::size_t> TEGlyphRun::stringIndices() const
{
    std::vector<std::size_t> indices = m_run.stringIndices();
    for (std::size_t& index : indices)
        index = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(index) + m_line.stringLocationOffset());
    return indices;
}

Rect TEGlyphRun::frameOfGlyphAtIndex(std::size_t index) const
{
    if (index >= m_run.glyphCount())
        return TERectNull();
    Point origin = m_line.baselineOrigin();
    double x = m_run.positions()[index].x;
    double next = index + 1 < m_run.glyphCount() ? m_run.positions()[index + 1].x : m_offset + width();
    return makeRect(x + origin.x, origin.y - m_ascent, next - x, m_ascent + m_descent);
}

Rect TEGlyphRun::imageBounds() const
{
    Rect bounds = m_run.imageBounds();
    if (bounds.isEmpty())
        return bounds;
    bounds.origin.x += m_line.baselineOrigin().x;
    bounds.origin.y += m_line.baselineOrigin().y;
    return bounds;
}

std::optional<GraphicsPath> TEGlyphRun::newPathWithGlyphs() const
{
    if (!m_run.attributes()->containsKey(kCTFontAttributeName)) {
        TELog(TELogLevelError, "CTFont missing on " + description());
        return std::nullopt;
    }
    return m_run.glyphOutlines();
}

void TEGlyphRun::fixMetricsFromAttachment()
{
    if (!m_attachment)
        return;
    m_descent = 0;
    m_ascent = m_attachment->displaySize().height;
}

void TEGlyphRun::drawInContext(GraphicsContext& context, Point textPosition, const Color& color) const
{
    m_run.draw(context, textPosition, color);
}

void TEGlyphRun::drawDecorationInContext(GraphicsContext& context) const
{
    // A pixel on the device: at most 2 and at least 1 device pixels per point.
    AffineTransform transform = context.currentTransform();
    double scale = std::max(transform.a, -transform.d);
    if (!(scale >= 1 && scale <= 2))
        scale = 2;
    const double pixel = 1 / scale;

    const AttributeDictionary& attributes = *m_run.attributes();
    bool strike = TEAttributeQueries::isStrikethrough(attributes);
    bool underline = TEAttributeQueries::isUnderline(attributes);
    std::optional<Color> background = TEAttributeQueries::backgroundColor(attributes);
    if (!strike && !underline && !background)
        return;

    Rect lineFrame = m_line.frame();
    lineFrame.size.width = m_line.width();
    if (!m_line.writingDirectionIsRightToLeft())
        lineFrame.size.width -= m_line.trailingWhitespaceWidth();
    Rect box = TERectIntersection(lineFrame, frame());
    if (TERectIsNull(box))
        return;
    double reference = box.origin.y;
    const IntegerValue* superscript = attributes.valueForKeyAs<IntegerValue>(kCTSuperscriptAttributeName);
    if (superscript && superscript->value() == 1)
        reference -= 0.47 * m_ascent;
    else if (superscript && superscript->value() == -1)
        reference += 0.25 * m_ascent;

    if (background) {
        context.setFillColor(*background);
        context.fillRect(TERectIntegral(makeRect(box.origin.x, lineFrame.origin.y, box.width(), lineFrame.height())));
    }
    if (strike) {
        const FontAttributeValue* font = attributes.valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
        context.saveGState();
        double lineWidth = TECeilWithContentScale(font ? pixel * font->font().underlineThickness() : pixel, scale);
        lineWidth = std::max(lineWidth, pixel);
        double y = font ? reference + m_ascent - font->font().xHeight() / 2 : reference + frame().height() / 2 + 1;
        y = TERoundWithContentScale(y, scale);
        if (static_cast<long>(std::lround(lineWidth / pixel)) % 2 == 1)
            y += pixel / 2;
        context.setStrokeColor(TEAttributeQueries::foregroundColor(attributes));
        context.setLineWidth(lineWidth);
        context.moveToPoint(Point{box.origin.x, y});
        context.addLineToPoint(Point{box.origin.x + box.width(), y});
        context.strokePath();
        context.restoreGState();
    }
    // Underlines are drawn with the glyphs.
}

std::string TEGlyphRun::description() const
{
    Rect f = frame();
    char text[160];
    std::snprintf(text, sizeof text, "<TEGlyphRun glyphs=%zu {{%g, %g}, {%g, %g}}>", numberOfGlyphs(), f.origin.x,
                  f.origin.y, f.size.width, f.size.height);
    return text;
}

} // namespace folio
