#include "tools/ruler/RulerRangeSlider.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewAnimation.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

// The handles stand this far outside the spot their value gives, so that at
// the two ends of the travel they reach past the control's edges and the
// text column's edges stay visible between them.
constexpr float kHandleOffset = 14.0f;
constexpr double kTouchSlop = 5.0;
constexpr double kAnimationSeconds = 0.25;
constexpr double kTrackAlpha = 0.1;

double heightFor(const RulerSliderImage& image, const Rect& bounds)
{
    return image.stretchesDown() ? bounds.height() : image.size().height;
}

} // namespace

RulerRangeSlider::RulerRangeSlider(Rect frame) : Control(frame) {}

RulerRangeSlider::~RulerRangeSlider() = default;

void RulerRangeSlider::setLowerValue(float value)
{
    if (m_stepValueInternal > 0)
        value = m_stepValueInternal * std::floor(value / m_stepValueInternal);
    value = std::max(value, m_minimumValue);
    value = std::min(value, m_upperValue - m_minimumRange);
    if (m_maxLowerValue)
        value = std::min(value, *m_maxLowerValue);
    m_lowerValue = value;
    setNeedsLayout();
    setNeedsDisplay();
}

void RulerRangeSlider::setUpperValue(float value)
{
    if (m_stepValueInternal > 0)
        value = m_stepValueInternal * std::ceil(value / m_stepValueInternal);
    value = std::min(value, m_maximumValue);
    value = std::max(value, m_lowerValue + m_minimumRange);
    if (m_minUpperValue)
        value = std::max(value, *m_minUpperValue);
    m_upperValue = value;
    setNeedsLayout();
    setNeedsDisplay();
}

void RulerRangeSlider::setLowerAndUpperValue(float lower, float upper, bool animated)
{
    bool lowerStays = std::isnan(lower) || lower == m_lowerValue;
    bool upperStays = std::isnan(upper) || upper == m_upperValue;
    if (!animated && lowerStays && upperStays)
        return;
    auto change = [this, lower, upper] {
        if (!std::isnan(lower))
            setLowerValue(lower);
        if (!std::isnan(upper))
            setUpperValue(upper);
    };
    if (!animated) {
        change();
        sendActionsForControlEvent(ControlEvent::ValueChanged);
        return;
    }
    // The values change at once; only the views travel to them.
    Frames from = framesNow();
    change();
    Frames to = framesNow();
    std::weak_ptr<Responder> weak = weak_from_this();
    ViewAnimation::animate(
        kAnimationSeconds,
        [this, weak, from, to](double progress) {
            if (weak.expired())
                return;
            applyFrames({ViewAnimation::interpolate(from.trackBackground, to.trackBackground, progress),
                         ViewAnimation::interpolate(from.track, to.track, progress),
                         ViewAnimation::interpolate(from.lower, to.lower, progress),
                         ViewAnimation::interpolate(from.upper, to.upper, progress)});
        },
        [this, weak] {
            if (!weak.expired())
                sendActionsForControlEvent(ControlEvent::ValueChanged);
        });
}

void RulerRangeSlider::setLowerValueAnimated(float value, bool animated)
{
    setLowerAndUpperValue(value, NAN, animated);
}

void RulerRangeSlider::setUpperValueAnimated(float value, bool animated)
{
    setLowerAndUpperValue(NAN, value, animated);
}

float RulerRangeSlider::handleHalfWidth(const std::shared_ptr<ImageView>& handle) const
{
    if (handle)
        return static_cast<float>(handle->frame().width() / 2);
    return static_cast<float>(RulerSliderArtwork::handle().size().width / 2);
}

float RulerRangeSlider::valueAlongTravel(float x, float half) const
{
    // An empty travel, or a control no wider than its handle, has one value
    // only; dividing by its width would give no number at all.
    float span = static_cast<float>(frame().width()) - 2 * half;
    if (m_maximumValue == m_minimumValue || span <= 0)
        return m_minimumValue;
    return m_minimumValue + (x - half) / span * (m_maximumValue - m_minimumValue);
}

float RulerRangeSlider::lowerValueForCenterX(float x) const
{
    float value = valueAlongTravel(x, handleHalfWidth(m_lowerHandle));
    value = std::max(value, m_minimumValue);
    return std::min(value, m_upperValue - m_minimumRange);
}

float RulerRangeSlider::upperValueForCenterX(float x) const
{
    float value = valueAlongTravel(x, handleHalfWidth(m_upperHandle));
    value = std::min(value, m_maximumValue);
    return std::max(value, m_lowerValue + m_minimumRange);
}

float RulerRangeSlider::fractionOf(float value) const
{
    // An empty travel would divide by zero: both handles then rest at the left.
    if (m_maximumValue == m_minimumValue)
        return 0;
    return (value - m_minimumValue) / (m_maximumValue - m_minimumValue);
}

Rect RulerRangeSlider::thumbRectForValue(float value, const RulerSliderImage& image) const
{
    Rect bounds = this->bounds();
    Size size = image.size();
    double height = heightFor(image, bounds);
    float x = (static_cast<float>(bounds.width()) - static_cast<float>(size.width)) * fractionOf(value);
    return makeRect(x - kHandleOffset, bounds.height() / 2 - height / 2, size.width, height);
}

Rect RulerRangeSlider::thumbRectForValueLower(float value, const RulerSliderImage& image) const
{
    return thumbRectForValue(value, image);
}

Rect RulerRangeSlider::thumbRectForValueUpper(float value, const RulerSliderImage& image) const
{
    Rect rect = thumbRectForValue(value, image);
    rect.origin.x += 2 * kHandleOffset;
    return rect;
}

Rect RulerRangeSlider::trackBackgroundRect() const
{
    RulerSliderImage image = m_trackBackgroundImage.value_or(RulerSliderArtwork::trackBackground());
    Rect bounds = this->bounds();
    double height = heightFor(image, bounds);
    double width = (image.stretchesAcross() ? bounds.width() : image.size().width) - 4.0;
    return makeRect(2.0, bounds.height() / 2 - height / 2, width, height);
}

Rect RulerRangeSlider::trackRect() const
{
    RulerSliderImage image = m_trackImage.value_or(RulerSliderArtwork::track());
    Rect bounds = this->bounds();
    double height = heightFor(image, bounds);
    auto centreOf = [&](const std::shared_ptr<ImageView>& handle, float value) {
        float width = handle ? static_cast<float>(handle->frame().width()) : 2 * handleHalfWidth(handle);
        return (static_cast<float>(bounds.width()) - width) * fractionOf(value) + width / 2;
    };
    float x1 = centreOf(m_lowerHandle, m_lowerValue);
    float x2 = centreOf(m_upperHandle, m_upperValue);
    return makeRect(x1, bounds.height() / 2 - height / 2, x2 - x1, height);
}

Rect RulerRangeSlider::touchRectForHandle(const View& handle)
{
    Rect frame = handle.frame();
    return makeRect(frame.minX() - kTouchSlop, frame.minY() - kTouchSlop, frame.width() + 2 * kTouchSlop,
                    frame.height() + 2 * kTouchSlop);
}

const RulerSliderImage& RulerRangeSlider::lowerHandleImageNormal()
{
    if (!m_lowerHandleImageNormal)
        m_lowerHandleImageNormal = RulerSliderArtwork::handle();
    return *m_lowerHandleImageNormal;
}

const RulerSliderImage& RulerRangeSlider::lowerHandleImageHighlighted()
{
    if (!m_lowerHandleImageHighlighted)
        m_lowerHandleImageHighlighted = RulerSliderArtwork::highlightedHandle();
    return *m_lowerHandleImageHighlighted;
}

const RulerSliderImage& RulerRangeSlider::upperHandleImageNormal()
{
    if (!m_upperHandleImageNormal)
        m_upperHandleImageNormal = RulerSliderArtwork::handle();
    return *m_upperHandleImageNormal;
}

const RulerSliderImage& RulerRangeSlider::upperHandleImageHighlighted()
{
    if (!m_upperHandleImageHighlighted)
        m_upperHandleImageHighlighted = RulerSliderArtwork::highlightedHandle();
    return *m_upperHandleImageHighlighted;
}

const RulerSliderImage& RulerRangeSlider::trackImage()
{
    if (!m_trackImage)
        m_trackImage = RulerSliderArtwork::track();
    return *m_trackImage;
}

const RulerSliderImage& RulerRangeSlider::trackBackgroundImage()
{
    if (!m_trackBackgroundImage)
        m_trackBackgroundImage = RulerSliderArtwork::trackBackground();
    return *m_trackBackgroundImage;
}

Point RulerRangeSlider::lowerCenter() const
{
    return m_lowerHandle ? m_lowerHandle->center() : Point{};
}

Point RulerRangeSlider::upperCenter() const
{
    return m_upperHandle ? m_upperHandle->center() : Point{};
}

void RulerRangeSlider::addSubviews()
{
    m_trackBackground = std::make_shared<ImageView>(trackBackgroundImage().image, trackBackgroundRect());
    m_trackBackground->setAlpha(kTrackAlpha);
    m_track = std::make_shared<ImageView>(trackImage().image, trackRect());
    m_track->setAlpha(kTrackAlpha);
    m_lowerHandle = std::make_shared<ImageView>(lowerHandleImageNormal().image,
                                                thumbRectForValue(m_lowerValue, lowerHandleImageNormal()));
    m_upperHandle = std::make_shared<ImageView>(upperHandleImageNormal().image,
                                                thumbRectForValue(m_upperValue, upperHandleImageNormal()));
    addSubview(m_trackBackground);
    addSubview(m_track);
    addSubview(m_lowerHandle);
    addSubview(m_upperHandle);
}

RulerRangeSlider::Frames RulerRangeSlider::framesNow()
{
    return {trackBackgroundRect(), trackRect(), thumbRectForValueLower(m_lowerValue, lowerHandleImageNormal()),
            thumbRectForValueUpper(m_upperValue, upperHandleImageNormal())};
}

void RulerRangeSlider::drawRect(GraphicsContext& context, const Rect&)
{
    layoutIfNeeded();
    for (const std::shared_ptr<ImageView>& part : {m_trackBackground, m_track, m_lowerHandle, m_upperHandle}) {
        if (part && !part->isHidden() && part->image())
            context.drawImage(*part->image(), part->frame());
    }
}

void RulerRangeSlider::applyFrames(const Frames& frames)
{
    if (!m_lowerHandle)
        return;
    setNeedsDisplay();
    m_trackBackground->setFrame(frames.trackBackground);
    m_track->setFrame(frames.track);
    m_lowerHandle->setFrame(frames.lower);
    m_upperHandle->setFrame(frames.upper);
}

void RulerRangeSlider::placeSubviews()
{
    applyFrames(framesNow());
}

void RulerRangeSlider::layoutSubviews()
{
    if (!m_lowerHandle)
        addSubviews();
    placeSubviews();
}

void RulerRangeSlider::setHandleHighlighted(ImageView& handle, bool highlighted, bool lower)
{
    (lower ? m_lowerHighlighted : m_upperHighlighted) = highlighted;
    if (lower)
        handle.setImage(highlighted ? lowerHandleImageHighlighted().image : lowerHandleImageNormal().image);
    else
        handle.setImage(highlighted ? upperHandleImageHighlighted().image : upperHandleImageNormal().image);
}

void RulerRangeSlider::bringToFront(const std::shared_ptr<ImageView>& handle)
{
    addSubview(handle);
}

bool RulerRangeSlider::beginTrackingWithTouch(Point touch)
{
    if (!m_lowerHandle)
        layoutSubviews();
    if (touchRectForHandle(*m_lowerHandle).containsPoint(touch)) {
        setHandleHighlighted(*m_lowerHandle, true, true);
        m_lowerTouchOffset = static_cast<float>(touch.x - m_lowerHandle->center().x);
    }
    if (touchRectForHandle(*m_upperHandle).containsPoint(touch)) {
        setHandleHighlighted(*m_upperHandle, true, false);
        m_upperTouchOffset = static_cast<float>(touch.x - m_upperHandle->center().x);
    }
    m_stepValueInternal = m_stepValueContinuously ? m_stepValue : 0.0f;
    m_lowerMoved = false;
    m_upperMoved = false;
    return true;
}

bool RulerRangeSlider::continueTrackingWithTouch(Point touch)
{
    if (!m_lowerHighlighted && !m_upperHighlighted)
        return true;
    float x = static_cast<float>(touch.x);
    if (m_lowerHighlighted) {
        float value = lowerValueForCenterX(x - m_lowerTouchOffset);
        // Both handles under the finger: a drag to the right belongs to the upper one.
        if (m_upperHighlighted && value >= m_lowerValue) {
            setHandleHighlighted(*m_lowerHandle, false, true);
        } else {
            setHandleHighlighted(*m_upperHandle, false, false);
            bringToFront(m_lowerHandle);
            m_lowerMoved = true;
            setLowerValueAnimated(value, m_stepValueContinuously);
        }
    }
    if (m_upperHighlighted) {
        float value = upperValueForCenterX(x - m_upperTouchOffset);
        if (m_lowerHighlighted && value <= m_upperValue) {
            setHandleHighlighted(*m_upperHandle, false, false);
        } else {
            setHandleHighlighted(*m_lowerHandle, false, true);
            bringToFront(m_upperHandle);
            m_upperMoved = true;
            setUpperValueAnimated(value, m_stepValueContinuously);
        }
    }
    if (m_continuous)
        sendActionsForControlEvent(ControlEvent::ValueChanged);
    setNeedsLayout();
    return true;
}

void RulerRangeSlider::endTrackingWithTouch(Point)
{
    if (m_lowerHandle) {
        setHandleHighlighted(*m_lowerHandle, false, true);
        setHandleHighlighted(*m_upperHandle, false, false);
    }
    // The handle left alone keeps its value exactly: it may hold a margin
    // read from a file, which is no whole number of steps.
    if (m_stepValue > 0) {
        m_stepValueInternal = m_stepValue;
        if (m_lowerMoved)
            setLowerValueAnimated(m_lowerValue, true);
        if (m_upperMoved)
            setUpperValueAnimated(m_upperValue, true);
        m_stepValueInternal = 0;
    }
    sendActionsForControlEvent(ControlEvent::ValueChanged);
}

} // namespace folio
