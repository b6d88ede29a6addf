#include "engine/display/TEAttributedTextContentView.h"

#include "engine/attachments/TEDictationPlaceholderTextAttachment.h"
#include "engine/attachments/TETextAttachment.h"
#include "engine/display/TEDictationPlaceholderView.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TEGlyphRun.h"
#include "engine/display/TELayoutFrameAccessibilityElementGenerator.h"
#include "engine/display/TELayoutLine.h"
#include "engine/display/TELayouter.h"
#include "engine/model/TEAttributeKeys.h"
#include "foundation/system/TEUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace folio {

namespace {

Rect infiniteRect()
{
    const double big = std::numeric_limits<double>::max() / 4;
    return makeRect(-big, -big, 2 * big, 2 * big);
}

bool isInfinite(const Rect& rect) { return rect.size.width >= std::numeric_limits<double>::max() / 4; }

} // namespace

TEAttributedTextContentView::TEAttributedTextContentView(Rect frame) : View(frame)
{
    if (!backgroundColor())
        setBackgroundColor(Color::colorWithWhite(1));
}

TEAttributedTextContentView::~TEAttributedTextContentView()
{
    for (const auto& view : m_customViews)
        view->removeFromSuperview();
}

void TEAttributedTextContentView::setAttributedString(std::shared_ptr<const AttributedString> string)
{
    std::shared_ptr<TELayoutFrame> existing;
    {
        std::lock_guard lock(m_mutex);
        if (string == m_attributedString)
            return;
        m_attributedString = std::move(string);
        if (m_layouter)
            m_layouter->setAttributedString(m_attributedString);
        existing = m_layoutFrame;
    }
    if (existing) {
        removeAllCustomViews();
        relayoutText();
    } else {
        setNeedsLayout();
        setNeedsDisplay();
    }
}

std::shared_ptr<TELayouter> TEAttributedTextContentView::layouter()
{
    std::lock_guard lock(m_mutex);
    if (!m_layouter && m_attributedString) {
        m_layouter = TELayouter::make(m_attributedString);
        m_layouter->setShouldCacheLayoutFrames(true);
    }
    return m_layouter;
}

void TEAttributedTextContentView::setLayouter(std::shared_ptr<TELayouter> layouter)
{
    std::lock_guard lock(m_mutex);
    m_layouter = std::move(layouter);
}

Rect TEAttributedTextContentView::frameForLayoutFrameConstraintedToWidth(double width) const
{
    if (!std::isnormal(width))
        width = bounds().size.width;
    double available = width - m_edgeInsets.left - m_edgeInsets.right;
    double height = m_heightConstrainedByBounds ? bounds().size.height - m_edgeInsets.top - m_edgeInsets.bottom
                                                : kTEOpenEndedDimension;
    if (available <= 0 || height <= 0)
        return Rect{};
    return makeRect(bounds().origin.x + m_edgeInsets.left, bounds().origin.y + m_edgeInsets.top, available, height);
}

std::shared_ptr<TELayoutFrame> TEAttributedTextContentView::layoutFrame()
{
    std::shared_ptr<TELayoutFrame> created;
    {
        std::lock_guard lock(m_mutex);
        if (m_layoutFrame || !layouter())
            return m_layoutFrame;
        Rect rect = frameForLayoutFrameConstraintedToWidth(bounds().size.width);
        if (rect.size.width <= 0 || rect.size.height <= 0)
            return nullptr;
        created = m_layouter->layoutFrameWithRect(rect);
        if (!created)
            return nullptr;
        created->setNumberOfLines(m_numberOfLines);
        created->setLineBreakMode(m_lineBreakMode);
        created->setTruncationString(m_truncationString);
        std::shared_ptr<const TEAttributedTextContentViewDelegate> delegate = m_delegate.lock();
        if (delegate && delegate->shouldDrawBackgroundForTextBlock) {
            std::weak_ptr<TEAttributedTextContentView> weakSelf = std::static_pointer_cast<TEAttributedTextContentView>(weak_from_this().lock());
            std::weak_ptr<const TEAttributedTextContentViewDelegate> weakDelegate = delegate;
            TELayoutFrame* frame = created.get();
            created->setTextBlockHandler(
                [weakSelf, weakDelegate, frame](const TETextBlock& block, Rect blockFrame, GraphicsContext& context,
                                                bool& drawBackground) {
                    auto self = weakSelf.lock();
                    auto owner = weakDelegate.lock();
                    if (self && owner && owner->shouldDrawBackgroundForTextBlock)
                        drawBackground =
                            owner->shouldDrawBackgroundForTextBlock(*self, block, blockFrame, context, *frame);
                });
        }
        m_layoutFrame = created;
        m_accessibilityElements.reset();
    }
    Rect laidOut = created->frame();
    postDidFinishLayout(makeRect(frame().origin.x, frame().origin.y,
                                 laidOut.size.width + m_edgeInsets.left + m_edgeInsets.right,
                                 laidOut.maxY() + m_edgeInsets.bottom));
    return created;
}

void TEAttributedTextContentView::setLayoutFrame(std::shared_ptr<TELayoutFrame> frame)
{
    bool changed = false;
    {
        std::lock_guard lock(m_mutex);
        changed = frame != m_layoutFrame;
        if (changed) {
            m_layoutFrame = frame;
            m_accessibilityElements.reset();
        }
    }
    if (!changed)
        return;
    removeAllCustomViewsForLinks();
    if (frame) {
        setNeedsLayout();
        setNeedsDisplay();
    }
}

void TEAttributedTextContentView::postDidFinishLayout(Rect optimalFrame)
{
    NotificationCenter::defaultCenter().postNotification(TEAttributedTextContentViewDidFinishLayoutNotification, this,
                                                         UserInfo{{"OptimalFrame", optimalFrame}});
}

void TEAttributedTextContentView::relayoutText()
{
    std::weak_ptr<TEAttributedTextContentView> weakSelf = std::static_pointer_cast<TEAttributedTextContentView>(weak_from_this().lock());
    const bool owned = !weakSelf.expired();
    auto relayout = [this, weakSelf, owned] {
        // The view may be gone by the time a queued relayout runs.
        auto self = weakSelf.lock();
        if (owned && !self)
            return;
        {
            std::lock_guard lock(m_mutex);
            if (!m_layoutFrame || !superview())
                return;
            m_layoutFrame.reset();
            m_accessibilityElements.reset();
        }
        removeAllCustomViewsForLinks();
        if (m_attributedString) {
            Size size = intrinsicContentSize();
            postDidFinishLayout(makeRect(frame().origin.x, frame().origin.y, size.width, size.height));
        }
        setNeedsLayout();
        setNeedsDisplay();
    };
    TEBlockPerformSyncIfOnMainThreadElseAsync(relayout);
}

void TEAttributedTextContentView::setEdgeInsets(const EdgeInsets& insets)
{
    if (insets == m_edgeInsets)
        return;
    m_edgeInsets = insets;
    relayoutText();
}

void TEAttributedTextContentView::setShouldDrawImages(bool draw)
{
    if (draw != m_shouldDrawImages) {
        m_shouldDrawImages = draw;
        setNeedsDisplay();
    }
}

void TEAttributedTextContentView::setShouldDrawLinks(bool draw)
{
    if (draw != m_shouldDrawLinks) {
        m_shouldDrawLinks = draw;
        setNeedsDisplay();
    }
}

void TEAttributedTextContentView::setShouldAddFirstLineLeading(bool add)
{
    if (add != m_shouldAddFirstLineLeading) {
        m_shouldAddFirstLineLeading = add;
        setNeedsDisplay();
    }
}

void TEAttributedTextContentView::setDelegate(const std::shared_ptr<const TEAttributedTextContentViewDelegate>& delegate)
{
    m_delegate = delegate;
    bool attachmentViews = delegate && delegate->viewForAttachment;
    bool linkViews = delegate && delegate->viewForLink;
    bool genericViews = delegate && delegate->viewForAttributedString;
    if (!linkViews && !genericViews)
        removeAllCustomViewsForLinks();
    m_shouldDrawImages = !attachmentViews && !genericViews;
}

void TEAttributedTextContentView::setFrame(const Rect& newFrame)
{
    Rect old = frame();
    View::setFrame(newFrame);
    bool hasFrame = false;
    {
        std::lock_guard lock(m_mutex);
        hasFrame = m_layoutFrame != nullptr;
    }
    if (hasFrame) {
        bool widthChanged = old.size.width != newFrame.size.width;
        bool heightChanged = old.size.height != newFrame.size.height;
        if (((m_relayoutMask & TEAttributedTextContentViewRelayoutOnWidthChanged) && widthChanged)
            || ((m_relayoutMask & TEAttributedTextContentViewRelayoutOnHeightChanged) && heightChanged))
            relayoutText();
    }
    if (newFrame.size.height > old.size.height)
        setNeedsDisplay();
}

void TEAttributedTextContentView::setBoundsSize(Size size)
{
    Rect newBounds = bounds();
    if (newBounds.size == size)
        return;
    newBounds.size = size;
    setBounds(newBounds);
    std::lock_guard lock(m_mutex);
    m_layoutFrame.reset();
}

void TEAttributedTextContentView::setLineSettings(std::int64_t numberOfLines, TELineBreakMode mode,
                                                  std::optional<AttributedString> token)
{
    m_numberOfLines = numberOfLines;
    m_lineBreakMode = mode;
    m_truncationString = std::move(token);
}

Size TEAttributedTextContentView::intrinsicContentSize()
{
    std::shared_ptr<TELayoutFrame> frame = layoutFrame();
    if (!frame)
        return Size{-1, -1};
    Rect laidOut = frame->frame();
    return Size{laidOut.size.width + m_edgeInsets.left + m_edgeInsets.right, laidOut.maxY() + m_edgeInsets.bottom};
}

Size TEAttributedTextContentView::sizeThatFits(Size)
{
    Size size = intrinsicContentSize();
    if (size.width >= 0 && size.height >= 0)
        return size;
    return Size{m_edgeInsets.left + m_edgeInsets.right, m_edgeInsets.top + m_edgeInsets.bottom};
}

Size TEAttributedTextContentView::suggestedFrameSizeToFitEntireStringConstraintedToWidth(double width)
{
    Rect rect = frameForLayoutFrameConstraintedToWidth(width);
    std::shared_ptr<TELayouter> owner = layouter();
    if (!owner || rect.size.width <= 0)
        return Size{m_edgeInsets.left + m_edgeInsets.right, m_edgeInsets.top + m_edgeInsets.bottom};
    // A frame of our own: the cached one of the view's width must not change.
    auto frame = TELayoutFrame::make(rect, *owner);
    if (!frame)
        return Size{m_edgeInsets.left + m_edgeInsets.right, m_edgeInsets.top + m_edgeInsets.bottom};
    frame->setNumberOfLines(m_numberOfLines);
    frame->setLineBreakMode(m_lineBreakMode);
    frame->setTruncationString(m_truncationString);
    Rect laidOut = frame->frame();
    return Size{laidOut.size.width + m_edgeInsets.left + m_edgeInsets.right, laidOut.maxY() + m_edgeInsets.bottom};
}

void TEAttributedTextContentView::removeAllCustomViews()
{
    for (const auto& view : m_customViews)
        view->removeFromSuperview();
    m_customViews.clear();
    m_customViewsForLinks.clear();
    m_customViewsForAttachments.clear();
}

void TEAttributedTextContentView::removeAllCustomViewsForLinks()
{
    for (const auto& [key, view] : m_customViewsForLinks) {
        view->removeFromSuperview();
        m_customViews.erase(view);
    }
    m_customViewsForLinks.clear();
}

void TEAttributedTextContentView::removeSubviewsOutsideRect(const Rect& rect)
{
    std::vector<std::shared_ptr<View>> outside;
    for (const auto& view : m_customViews)
        if (view->frame().maxY() < rect.minY() || view->frame().minY() > rect.maxY())
            outside.push_back(view);
    for (const auto& view : outside) {
        view->removeFromSuperview();
        m_customViews.erase(view);
        for (auto* index : {&m_customViewsForLinks, &m_customViewsForAttachments})
            for (auto it = index->begin(); it != index->end();)
                it = it->second == view ? index->erase(it) : std::next(it);
    }
}

std::shared_ptr<View> TEAttributedTextContentView::customViewForLinkAtLocation(std::size_t location) const
{
    auto found = m_customViewsForLinks.find(location);
    return found == m_customViewsForLinks.end() ? nullptr : found->second;
}

std::shared_ptr<View> TEAttributedTextContentView::customViewForAttachmentHash(std::size_t hash) const
{
    auto found = m_customViewsForAttachments.find(hash);
    return found == m_customViewsForAttachments.end() ? nullptr : found->second;
}

void TEAttributedTextContentView::registerCustomView(const std::shared_ptr<View>& view, long tag, bool forLink,
                                                     std::size_t key)
{
    view->setTag(tag);
    addSubview(view);
    m_customViews.insert(view);
    (forLink ? m_customViewsForLinks : m_customViewsForAttachments)[key] = view;
}

void TEAttributedTextContentView::layoutSubviews()
{
    if (m_shouldLayoutCustomSubviews)
        layoutSubviewsInRect(infiniteRect());
}

void TEAttributedTextContentView::layoutSubviewsInRect(const Rect& rect)
{
    const bool all = isInfinite(rect);
    if (!all)
        removeSubviewsOutsideRect(rect);
    std::shared_ptr<TELayoutFrame> frame = layoutFrame();
    for (const auto& view : m_customViews)
        view->setHidden(true);
    if (!frame)
        return;
    std::shared_ptr<const TEAttributedTextContentViewDelegate> delegate = m_delegate.lock();
    const bool linkViews = delegate && (delegate->viewForLink || delegate->viewForAttributedString);
    const AttributedString& text = frame->attributedStringFragment();
    std::vector<TELayoutLinePtr> lines = all ? frame->lines() : frame->linesVisibleInRect(rect);

    for (const TELayoutLinePtr& line : lines) {
        const auto& runs = line->glyphRuns();
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const TEGlyphRun& run = *runs[r];
            const auto& attachment = run.attachment();
            const URLValue* link = run.attributes()->valueForKeyAs<URLValue>(TELinkAttribute);
            Range range = run.stringRange();
            Rect runFrame;
            std::size_t merged = r;
            if (link && !attachment) {
                // A link over several runs gets one view spanning all of them.
                while (merged + 1 < runs.size()) {
                    const TEGlyphRun& next = *runs[merged + 1];
                    const URLValue* nextLink = next.attributes()->valueForKeyAs<URLValue>(TELinkAttribute);
                    if (!nextLink || next.attachment() || nextLink->urlString() != link->urlString())
                        break;
                    ++merged;
                    range.length = next.stringRange().end() - range.location;
                }
                runFrame = line->frameOfGlyphsWithRange(range);
            } else if (attachment) {
                runFrame = makeRect(run.frame().origin.x, line->baselineOrigin().y - attachment->ascentForLayout(),
                                    run.width(), attachment->ascentForLayout() + attachment->descentForLayout());
            } else {
                runFrame = run.frame();
            }
            const std::size_t first = r;
            r = merged;
            if (!attachment && !(runFrame.size.width > 0 && runFrame.size.height > 0))
                continue;
            runFrame.origin.x += m_layoutOffset.x;
            runFrame.origin.y += m_layoutOffset.y;
            runFrame = makeRect(std::floor(runFrame.origin.x), std::ceil(runFrame.origin.y),
                                std::round(runFrame.size.width), std::round(runFrame.size.height));
            if (!all && (runFrame.maxY() < rect.minY() || runFrame.minY() > rect.maxY()))
                continue;

            bool attachmentGotView = false;
            if (attachment) {
                std::size_t key = attachment->hash();
                std::shared_ptr<View> view = customViewForAttachmentHash(key);
                if (view) {
                    view->setHidden(false);
                    view->setFrame(runFrame);
                    view->setAlpha(1);
                    view->setNeedsLayout();
                    view->setNeedsDisplay();
                    attachmentGotView = true;
                } else {
                    if (dynamic_cast<const TEDictationPlaceholderTextAttachment*>(attachment.get())) {
                        auto placeholder = TEDictationPlaceholderView::placeholderView();
                        placeholder->setFrame(runFrame);
                        view = placeholder;
                    } else if (delegate && delegate->viewForAttachment) {
                        view = delegate->viewForAttachment(*this, attachment, runFrame);
                    } else if (delegate && delegate->viewForAttributedString) {
                        view = delegate->viewForAttributedString(
                            *this, text.attributedSubstringFromRange(run.stringRange()).valueOr(AttributedString()),
                            runFrame);
                    }
                    if (view) {
                        registerCustomView(view, static_cast<long>(key), false, key);
                        attachmentGotView = true;
                    }
                }
            }
            if (attachmentGotView || !link || !linkViews)
                continue;
            std::size_t key = attachment ? attachment->hash() : runs[first]->stringRange().location;
            if (runFrame.size.height < line->frame().size.height) {
                runFrame.origin.y = std::trunc(line->frame().origin.y);
                runFrame.size.height = std::ceil(line->frame().size.height);
            }
            std::shared_ptr<View> view = customViewForLinkAtLocation(key);
            if (view) {
                view->setFrame(runFrame);
                view->setHidden(false);
                continue;
            }
            if (delegate->viewForLink) {
                const StringValue* guid = text.attributesAtIndex(range.location)
                                              ? text.attributesAtIndex(range.location)->valueForKeyAs<StringValue>(TEGUIDAttribute)
                                              : nullptr;
                view = delegate->viewForLink(*this, link->urlString(), guid ? guid->value() : std::u16string(), runFrame);
            } else {
                view = delegate->viewForAttributedString(
                    *this, text.attributedSubstringFromRange(runs[first]->stringRange()).valueOr(AttributedString()),
                    runFrame);
            }
            if (view)
                registerCustomView(view, static_cast<long>(key), true, key);
        }
    }
}

void TEAttributedTextContentView::drawLayerInContext(GraphicsContext& context)
{
    Rect clip = context.clipBoundingBox();
    // NOTE: the background offset only shifts pattern colours, and plain
    // colours are all this view's background can be, so it changes nothing here.
    if (backgroundColor()) {
        context.setFillColor(*backgroundColor());
        context.fillRect(clip);
    }
    context.saveGState();
    if (m_layoutOffset.x != 0 || m_layoutOffset.y != 0)
        context.translateCTM(m_layoutOffset.x, m_layoutOffset.y);
    unsigned options = TELayoutFrameDrawingDefault;
    if (!m_shouldDrawImages)
        options |= TELayoutFrameDrawingOmitAttachments;
    if (!m_shouldDrawLinks)
        options |= TELayoutFrameDrawingOmitLinks;
    std::shared_ptr<TELayoutFrame> frame = layoutFrame();
    std::shared_ptr<const TEAttributedTextContentViewDelegate> delegate = m_delegate.lock();
    if (frame) {
        if (delegate && delegate->willDrawLayoutFrame)
            delegate->willDrawLayoutFrame(*this, *frame, context);
        frame->drawInContext(context, options);
        if (delegate && delegate->didDrawLayoutFrame)
            delegate->didDrawLayoutFrame(*this, *frame, context);
    }
    context.restoreGState();
}

void TEAttributedTextContentView::drawRect(GraphicsContext& context, const Rect&)
{
    if (std::shared_ptr<TELayoutFrame> frame = layoutFrame())
        frame->drawInContext(context, TELayoutFrameDrawingDefault);
}

Result<Image::Pointer> TEAttributedTextContentView::contentImageWithBounds(const Rect& rect, unsigned options,
                                                                           double scale)
{
    auto context = GraphicsContext::imageContext(rect.size, scale);
    if (!context.ok())
        return context.error();
    (*context)->translateCTM(-rect.origin.x, -rect.origin.y);
    if (std::shared_ptr<TELayoutFrame> frame = layoutFrame())
        frame->drawInContext(**context, options);
    return (*context)->makeImage();
}

std::size_t TEAttributedTextContentView::closestCursorIndexToPoint(Point point)
{
    std::shared_ptr<TELayoutFrame> frame = layoutFrame();
    return frame ? frame->closestCursorIndexToPoint(point) : NotFound;
}

Rect TEAttributedTextContentView::cursorRectAtIndex(std::size_t index)
{
    std::shared_ptr<TELayoutFrame> frame = layoutFrame();
    return frame ? frame->cursorRectAtIndex(index) : Rect{};
}

std::string TEAttributedTextContentView::debugDescription()
{
    std::shared_ptr<TELayoutFrame> frame = layoutFrame();
    Range visible = frame ? frame->visibleStringRange() : Range{0, 0};
    std::string excerpt;
    if (m_attributedString && visible.location < m_attributedString->length()) {
        std::u16string part = m_attributedString->string().substr(visible.location, 10);
        for (char16_t c : part)
            excerpt += c < 0x80 ? static_cast<char>(c) : '?';
    }
    char text[256];
    std::snprintf(text, sizeof text, "<TEAttributedTextContentView {{%g, %g}, {%g, %g}} range:{%zu, %zu} '%s...'>",
                  this->frame().origin.x, this->frame().origin.y, this->frame().size.width,
                  this->frame().size.height, visible.location, visible.length, excerpt.c_str());
    return text;
}

const std::vector<std::shared_ptr<TEAccessibilityObject>>& TEAttributedTextContentView::accessibilityElements()
{
    if (m_accessibilityElements)
        return *m_accessibilityElements;
    std::shared_ptr<TELayoutFrame> frame = layoutFrame();
    m_accessibilityElements.emplace();
    if (!frame)
        return *m_accessibilityElements;
    TELayoutFrameAccessibilityElementGenerator generator;
    *m_accessibilityElements = generator.accessibilityElementsForLayoutFrame(
        *frame, this, [this](const std::shared_ptr<const TETextAttachment>& attachment) {
            return std::make_shared<TEAccessibilityViewProxy>(attachment, this);
        });
    return *m_accessibilityElements;
}

std::size_t TEAttributedTextContentView::accessibilityElementCount() { return accessibilityElements().size(); }

std::shared_ptr<TEAccessibilityObject> TEAttributedTextContentView::accessibilityElementAtIndex(std::size_t index)
{
    const auto& elements = accessibilityElements();
    return index < elements.size() ? elements[index] : nullptr;
}

std::size_t TEAttributedTextContentView::indexOfAccessibilityElement(const TEAccessibilityObject& element)
{
    const auto& elements = accessibilityElements();
    for (std::size_t i = 0; i < elements.size(); ++i)
        if (elements[i]->isEqual(element))
            return i;
    return NotFound;
}

void TEAttributedTextContentView::invalidateAccessibilityElements() { m_accessibilityElements.reset(); }

std::shared_ptr<View> TEAttributedTextContentView::viewForTextAttachment(const TETextAttachment& attachment,
                                                                         const TEAccessibilityViewProxy&)
{
    return customViewForAttachmentHash(attachment.hash());
}

} // namespace folio
