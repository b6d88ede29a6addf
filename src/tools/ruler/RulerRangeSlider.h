#pragma once

#include "platform/ui/Control.h"
#include "tools/ruler/RulerSliderArtwork.h"

#include <memory>
#include <optional>

namespace folio {

class ImageView;

// A two-handle horizontal slider: the page ruler of every web-view editor,
// whose lower handle is the left margin and upper handle the right edge of
// the text column. It knows nothing of pages; it keeps two values apart by
// at least the minimum range, inside the travel, snapped to the step, and
// sends "value changed" when the user moves them.
class RulerRangeSlider : public Control {
public:
    explicit RulerRangeSlider(Rect frame = {});
    ~RulerRangeSlider() override;

    float minimumValue() const { return m_minimumValue; }
    void setMinimumValue(float value) { m_minimumValue = value; }
    // Set above the minimum before the first layout: an empty travel places
    // both handles at the left end.
    float maximumValue() const { return m_maximumValue; }
    void setMaximumValue(float value) { m_maximumValue = value; }
    float minimumRange() const { return m_minimumRange; }
    void setMinimumRange(float range) { m_minimumRange = range; }
    // 0 snaps nothing.
    float stepValue() const { return m_stepValue; }
    void setStepValue(float step) { m_stepValue = step; }
    // Snaps and animates while dragging, not only when the finger lifts.
    bool stepValueContinuously() const { return m_stepValueContinuously; }
    void setStepValueContinuously(bool on) { m_stepValueContinuously = on; }
    // Sends "value changed" on every drag movement.
    bool isContinuous() const { return m_continuous; }
    void setContinuous(bool on) { m_continuous = on; }
    const std::optional<float>& maxLowerValue() const { return m_maxLowerValue; }
    void setMaxLowerValue(std::optional<float> value) { m_maxLowerValue = value; }
    const std::optional<float>& minUpperValue() const { return m_minUpperValue; }
    void setMinUpperValue(std::optional<float> value) { m_minUpperValue = value; }

    float lowerValue() const { return m_lowerValue; }
    float upperValue() const { return m_upperValue; }
    // Snapped (lower down, upper up, to the step in force) and clamped; no
    // event. The step in force is 0 until a first drag has ended.
    void setLowerValue(float value);
    void setUpperValue(float value);
    // A NaN leaves that value. Not animated: nothing happens when neither
    // changes, else "value changed" at once. Animated: the handles move over
    // 0.25 s and the event follows when they stop.
    void setLowerAndUpperValue(float lower, float upper, bool animated);
    void setLowerValueAnimated(float value, bool animated);
    void setUpperValueAnimated(float value, bool animated);

    // The clamped value of a handle centred at x (control coordinates); unsnapped.
    float lowerValueForCenterX(float x) const;
    float upperValueForCenterX(float x) const;

    Rect trackRect() const;
    Rect trackBackgroundRect() const;
    Rect thumbRectForValue(float value, const RulerSliderImage& image) const;
    Rect thumbRectForValueLower(float value, const RulerSliderImage& image) const;
    Rect thumbRectForValueUpper(float value, const RulerSliderImage& image) const;
    // The handle's frame grown by 5 points on every side.
    static Rect touchRectForHandle(const View& handle);

    // The artwork, made the first time it is read.
    const RulerSliderImage& lowerHandleImageNormal();
    const RulerSliderImage& lowerHandleImageHighlighted();
    const RulerSliderImage& upperHandleImageNormal();
    const RulerSliderImage& upperHandleImageHighlighted();
    const RulerSliderImage& trackImage();
    const RulerSliderImage& trackBackgroundImage();

    // Created by the first layout.
    const std::shared_ptr<ImageView>& lowerHandle() const { return m_lowerHandle; }
    const std::shared_ptr<ImageView>& upperHandle() const { return m_upperHandle; }
    const std::shared_ptr<ImageView>& track() const { return m_track; }
    const std::shared_ptr<ImageView>& trackBackground() const { return m_trackBackground; }
    Point lowerCenter() const;
    Point upperCenter() const;

    // Drawn as one picture (the track and the handles at their frames), so
    // that a presenter shows it and hands it the pointer as one control.
    bool drawsOwnContent() const override { return true; }
    void drawRect(GraphicsContext& context, const Rect& rect) override;

    bool beginTrackingWithTouch(Point touch) override;
    bool continueTrackingWithTouch(Point touch) override;
    void endTrackingWithTouch(Point touch) override;

protected:
    void layoutSubviews() override;

private:
    void addSubviews();
    void placeSubviews();
    void setHandleHighlighted(ImageView& handle, bool highlighted, bool lower);
    void bringToFront(const std::shared_ptr<ImageView>& handle);
    float fractionOf(float value) const;
    float valueAlongTravel(float x, float handleHalfWidth) const;
    float handleHalfWidth(const std::shared_ptr<ImageView>& handle) const;
    struct Frames {
        Rect trackBackground, track, lower, upper;
    };
    Frames framesNow();
    void applyFrames(const Frames& frames);

    float m_minimumValue = 0;
    float m_maximumValue = 0;
    float m_minimumRange = 0;
    float m_lowerValue = 0;
    float m_upperValue = 1;
    float m_stepValue = 0;
    float m_stepValueInternal = 0;
    bool m_stepValueContinuously = false;
    bool m_continuous = true;
    std::optional<float> m_maxLowerValue;
    std::optional<float> m_minUpperValue;
    float m_lowerTouchOffset = 0;
    float m_upperTouchOffset = 0;
    // Which handles the current touch has moved: only they settle on a step.
    bool m_lowerMoved = false;
    bool m_upperMoved = false;
    bool m_lowerHighlighted = false;
    bool m_upperHighlighted = false;

    std::optional<RulerSliderImage> m_lowerHandleImageNormal;
    std::optional<RulerSliderImage> m_lowerHandleImageHighlighted;
    std::optional<RulerSliderImage> m_upperHandleImageNormal;
    std::optional<RulerSliderImage> m_upperHandleImageHighlighted;
    std::optional<RulerSliderImage> m_trackImage;
    std::optional<RulerSliderImage> m_trackBackgroundImage;
    std::shared_ptr<ImageView> m_lowerHandle;
    std::shared_ptr<ImageView> m_upperHandle;
    std::shared_ptr<ImageView> m_track;
    std::shared_ptr<ImageView> m_trackBackground;
};

} // namespace folio
