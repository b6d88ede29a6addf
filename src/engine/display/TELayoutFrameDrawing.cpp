// Drawing of a layout frame: text-block backgrounds, horizontal rules, run
// backgrounds and strike-throughs, attachments that draw themselves, then the
// glyphs with their colours, link highlighting, raised and lowered text and
// shadows. Coordinates stay the views' (y down) throughout.
#include "engine/display/TELayoutFrame.h"

#include "engine/attachments/TETextAttachment.h"
#include "engine/attachments/TETextAttachmentDrawing.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TEGlyphRun.h"
#include "engine/display/TELayoutLine.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEAttributeQueries.h"
#include "engine/model/TETextBlock.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

Color runColor(const TEGlyphRun& run, unsigned options)
{
    const AttributeDictionary& attributes = *run.attributes();
    if ((options & TELayoutFrameDrawingDrawLinksHighlighted) && run.isHyperlink())
        if (const ColorValue* highlight = attributes.valueForKeyAs<ColorValue>(TELinkHighlightColorAttribute))
            return highlight->color();
    return TEAttributeQueries::foregroundColor(attributes);
}

// One shadow of the run's "TEShadows" list.
struct RunShadow {
    Size offset;
    double blur = 0;
    Color color;
};

std::vector<RunShadow> shadowsOf(const AttributeDictionary& attributes)
{
    std::vector<RunShadow> shadows;
    const ArrayValue* list = attributes.valueForKeyAs<ArrayValue>(TEShadowsAttribute);
    if (!list)
        return shadows;
    for (const AttributeValuePtr& element : list->elements())
        if (const ShadowValue* shadow = element ? element->as<ShadowValue>() : nullptr)
            shadows.push_back({shadow->offset(), shadow->blur(), shadow->color()});
    return shadows;
}

// On a 1x device a one-point offset would hide under the glyph's own
// antialiasing; it is drawn as 1.5.
Size deviceAdjustedOffset(Size offset, const GraphicsContext& context)
{
    AffineTransform transform = context.currentTransform();
    double scale = std::max(std::abs(transform.a), std::abs(transform.d));
    if (scale == 1 || scale == 0) {
        if (std::abs(offset.width) == 1)
            offset.width *= 1.5;
        if (std::abs(offset.height) == 1)
            offset.height *= 1.5;
    }
    return offset;
}

} // namespace

void TELayoutFrame::drawInContext(GraphicsContext& context, bool drawImages, bool drawLinks)
{
    unsigned options = TELayoutFrameDrawingDefault;
    if (!drawImages)
        options |= TELayoutFrameDrawingOmitAttachments;
    if (!drawLinks)
        options |= TELayoutFrameDrawingOmitLinks;
    drawInContext(context, options);
}

void TELayoutFrame::drawInContext(GraphicsContext& context, unsigned options)
{
    const Rect clip = context.clipBoundingBox();
    const bool debug = shouldDrawDebugFrames();
    Rect frameRect = frame();
    if (debug) {
        context.saveGState();
        context.saveGState();
        context.setLineDash({10, 2});
        context.setStrokeColor(Color::colorWithWhite(0));
        context.moveToPoint(frameRect.origin);
        context.addLineToPoint(Point{frameRect.maxX(), frameRect.minY()});
        context.addLineToPoint(Point{frameRect.maxX(), frameRect.maxY()});
        context.addLineToPoint(Point{frameRect.minX(), frameRect.maxY()});
        context.closePath();
        context.moveToPoint(Point{frameRect.midX(), frameRect.minY()});
        context.addLineToPoint(Point{frameRect.midX(), frameRect.maxY()});
        context.strokePath();
        context.restoreGState();
        context.setStrokeColor(Color::colorWithRed(1, 0, 0, 0.5));
        context.moveToPoint(clip.origin);
        context.addLineToPoint(Point{clip.maxX(), clip.minY()});
        context.addLineToPoint(Point{clip.maxX(), clip.maxY()});
        context.addLineToPoint(Point{clip.minX(), clip.maxY()});
        context.closePath();
        context.strokePath();
        context.restoreGState();
    }
    std::vector<TELayoutLinePtr> visible = linesVisibleInRect(clip);
    if (visible.empty())
        return;
    context.saveGState();

    drawTextBlocks(context, Range{0, m_fragment->length()});

    // Decorations under the glyphs.
    for (const TELayoutLinePtr& line : visible) {
        if (line->isHorizontalRule()) {
            drawHorizontalRuleFromLine(*line, context);
            continue;
        }
        if (debug) {
            Rect lineFrame = line->frame();
            context.saveGState();
            context.setStrokeColor(Color::colorWithRed(0, 0, 1, 1));
            context.moveToPoint(Point{lineFrame.minX(), lineFrame.minY()});
            context.addLineToPoint(Point{lineFrame.maxX(), lineFrame.minY()});
            context.addLineToPoint(Point{lineFrame.maxX(), lineFrame.maxY()});
            context.addLineToPoint(Point{lineFrame.minX(), lineFrame.maxY()});
            context.closePath();
            context.moveToPoint(Point{line->baselineOrigin().x - 5, line->baselineOrigin().y});
            context.addLineToPoint(Point{lineFrame.maxX() + 5, line->baselineOrigin().y});
            context.strokePath();
            context.restoreGState();
        }
        bool green = true;
        for (const auto& run : line->glyphRuns()) {
            Rect runFrame = run->frame();
            if (!TERectsMeet(runFrame, clip))
                continue;
            if (debug) {
                context.setFillColor(green ? Color::colorWithRed(0, 1, 0, 0.2) : Color::colorWithRed(1, 0, 0, 0.2));
                context.fillRect(runFrame);
                green = !green;
            }
            const auto& attachment = run->attachment();
            if (attachment && !(options & TELayoutFrameDrawingOmitAttachments)) {
                if (const auto* drawing = dynamic_cast<const TETextAttachmentDrawing*>(attachment.get())) {
                    Size size = attachment->displaySize();
                    drawing->drawInRect(makeRect(runFrame.origin.x,
                                                 line->baselineOrigin().y - attachment->ascentForLayout(), size.width,
                                                 size.height),
                                        context.cairoContext());
                }
            }
            if (attachment || ((options & TELayoutFrameDrawingOmitLinks) && run->isHyperlink()))
                continue;
            if (!run->isTrailingWhitespace())
                run->drawDecorationInContext(context);
        }
    }

    // The glyphs.
    for (const TELayoutLinePtr& line : visible) {
        for (const auto& run : line->glyphRuns()) {
            if (!TERectsMeet(run->frame(), clip) || run->attachment())
                continue;
            if ((options & TELayoutFrameDrawingOmitLinks) && run->isHyperlink())
                continue;
            const AttributeDictionary& attributes = *run->attributes();
            Point position = line->baselineOrigin();
            const IntegerValue* superscript = attributes.valueForKeyAs<IntegerValue>(kCTSuperscriptAttributeName);
            if (superscript && (superscript->value() == 1 || superscript->value() == -1)) {
                const DoubleValue* multiplier = attributes.valueForKeyAs<DoubleValue>(TEAscentMultiplierAttribute);
                double factor = multiplier ? multiplier->value()
                                           : static_cast<double>(superscript->value() == 1 ? 0.47f : 0.25f);
                position.y -= static_cast<double>(superscript->value()) * run->ascent() * factor;
            }
            Color color = runColor(*run, options);
            std::vector<RunShadow> shadows = shadowsOf(attributes);
            if (shadows.empty()) {
                run->drawInContext(context, position, color);
                continue;
            }
            // Every shadow falls beneath the text, which is drawn once, last.
            context.saveGState();
            // The shadows before the last are cast by invisible glyphs.
            for (std::size_t i = 0; i + 1 < shadows.size(); ++i) {
                context.setShadow(deviceAdjustedOffset(shadows[i].offset, context), shadows[i].blur,
                                  shadows[i].color);
                run->drawInContext(context, position, Color::colorWithWhite(0, 0));
            }
            const RunShadow& last = shadows.back();
            context.setShadow(deviceAdjustedOffset(last.offset, context), last.blur, last.color);
            run->drawInContext(context, position, color);
            context.restoreGState();
        }
    }
    context.restoreGState();
}

void TELayoutFrame::drawHorizontalRuleFromLine(const TELayoutLine& line, GraphicsContext& context)
{
    const auto& runs = line.glyphRuns();
    if (runs.empty() || !runs.back()->attributes()->containsKey(TEHorizontalRuleStyleAttribute))
        return;
    const TEGlyphRun& run = *runs.back();
    Rect lineFrame = line.frame();
    double y = std::round(lineFrame.origin.y + run.frame().height() / 2) + 0.5;
    double width = m_frame.size.width;
    if (const ArrayValue* blocks = run.attributes()->valueForKeyAs<ArrayValue>(TETextBlocksAttribute))
        if (!blocks->isEmpty())
            if (const TETextBlock* inner = blocks->elements().back()->as<TETextBlock>())
                width -= inner->padding().left + inner->padding().right;
    context.saveGState();
    context.setStrokeColor(TEAttributeQueries::foregroundColor(*run.attributes()));
    context.moveToPoint(Point{lineFrame.origin.x, y});
    context.addLineToPoint(Point{lineFrame.origin.x + width, y});
    context.strokePath();
    context.restoreGState();
}

bool TELayoutFrame::enumerateTextBlocksAtLevel(std::size_t level, Range range,
                                               const std::function<void(const TETextBlock&, Range, bool&)>& callback)
{
    const AttributedString& text = *m_fragment;
    bool any = false;
    std::size_t index = range.location;
    const std::size_t end = std::min(range.end(), text.length());
    while (index < end) {
        Range effective;
        AttributeValuePtr value =
            text.attributeAtIndexLongestEffectiveRange(TETextBlocksAttribute, index, &effective, Range{index, end - index});
        const ArrayValue* blocks = value ? value->as<ArrayValue>() : nullptr;
        std::size_t next = std::max(effective.end(), index + 1);
        if (!blocks || blocks->count() <= level) {
            index = next;
            continue;
        }
        const AttributeValuePtr& blockValue = (*blocks)[level];
        const TETextBlock* block = blockValue ? blockValue->as<TETextBlock>() : nullptr;
        if (!block) {
            index = next;
            continue;
        }
        // Extend over the following stretches that hold the very same block.
        while (next < end) {
            Range following;
            AttributeValuePtr followingValue = text.attributeAtIndexLongestEffectiveRange(
                TETextBlocksAttribute, next, &following, Range{next, end - next});
            const ArrayValue* followingBlocks = followingValue ? followingValue->as<ArrayValue>() : nullptr;
            bool contains = false;
            if (followingBlocks)
                for (const AttributeValuePtr& element : followingBlocks->elements())
                    contains = contains || element.get() == blockValue.get();
            if (!contains)
                break;
            next = std::max(following.end(), next + 1);
        }
        any = true;
        bool stop = false;
        callback(*block, Range{index, next - index}, stop);
        if (stop)
            break;
        index = next;
    }
    return any;
}

Rect TELayoutFrame::blockFrameForEffectiveRange(Range range, std::size_t level)
{
    TELayoutLinePtr first = lineContainingIndex(range.location);
    TELayoutLinePtr last = lineContainingIndex(range.end() - 1);
    if (!first || !last)
        return TERectNull();
    double y = first->frame().minY();
    double height = last->frame().maxY() - y;
    auto blocksOf = [](const TELayoutLine& line) {
        std::vector<const TETextBlock*> blocks;
        if (const ArrayValue* array = line.textBlocks())
            for (const AttributeValuePtr& element : array->elements())
                blocks.push_back(element ? element->as<TETextBlock>() : nullptr);
        return blocks;
    };
    std::vector<const TETextBlock*> firstBlocks = blocksOf(*first), lastBlocks = blocksOf(*last);
    for (std::size_t i = firstBlocks.size(); i-- > level;)
        if (firstBlocks[i]) {
            y -= firstBlocks[i]->padding().top;
            height += firstBlocks[i]->padding().top;
        }
    for (std::size_t i = lastBlocks.size(); i-- > level;)
        if (lastBlocks[i])
            height += lastBlocks[i]->padding().bottom;
    double x = m_frame.origin.x, width = m_frame.size.width;
    for (std::size_t i = 0; i < level && i < firstBlocks.size(); ++i)
        if (firstBlocks[i]) {
            x += firstBlocks[i]->padding().left;
            width -= firstBlocks[i]->padding().left + firstBlocks[i]->padding().right;
        }
    return TERectIntegral(makeRect(x, y, width, height));
}

void TELayoutFrame::drawTextBlock(const TETextBlock& block, GraphicsContext& context, Rect frame)
{
    bool drawBackground = true;
    if (m_textBlockHandler)
        m_textBlockHandler(block, frame, context, drawBackground);
    if (drawBackground && block.backgroundColor()) {
        context.setFillColor(*block.backgroundColor());
        context.fillRect(frame);
    }
    if (shouldDrawDebugFrames()) {
        context.saveGState();
        context.setLineWidth(2);
        context.setStrokeColor(Color::colorWithRed(0.5, 0, 0.5, 1));
        Rect inset = frame.insetBy(2, 2);
        context.moveToPoint(inset.origin);
        context.addLineToPoint(Point{inset.maxX(), inset.minY()});
        context.addLineToPoint(Point{inset.maxX(), inset.maxY()});
        context.addLineToPoint(Point{inset.minX(), inset.maxY()});
        context.closePath();
        context.strokePath();
        context.restoreGState();
    }
}

void TELayoutFrame::drawTextBlocks(GraphicsContext& context, Range range)
{
    std::lock_guard lock(m_mutex);
    for (std::size_t level = 0;; ++level) {
        bool met = enumerateTextBlocksAtLevel(level, range, [&](const TETextBlock& block, Range blockRange, bool&) {
            Rect frame = blockFrameForEffectiveRange(blockRange, level);
            if (!TERectIsNull(frame))
                drawTextBlock(block, context, frame);
        });
        if (!met)
            break;
    }
}

} // namespace folio
