#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/AccessibilityElement.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

namespace folio {

class View;

// Accessibility traits the elements of laid-out text carry.
inline constexpr std::uint64_t TEAccessibilityTraitStaticText = AccessibilityTraitStaticText;
inline constexpr std::uint64_t TEAccessibilityTraitLink = AccessibilityTraitLink;

// The point that stands for "the platform's default activation point".
inline constexpr Point TEAccessibilityElementNullActivationPoint{std::numeric_limits<double>::max(),
                                                                 std::numeric_limits<double>::max()};

// What a screen reader is given for a piece of laid-out text: a text element
// or a stand-in for the view that shows an attachment.
using TEAccessibilityObject = AccessibilityElement;

// A text element framed in its parent view's coordinates and reported in
// its window's.
class TEAccessibilityElement : public TEAccessibilityObject {
public:
    explicit TEAccessibilityElement(const View* parentView) : m_parentView(parentView) {}

    const View* parentView() const { return m_parentView; }
    Rect localCoordinateAccessibilityFrame() const { return m_localFrame; }
    void setLocalCoordinateAccessibilityFrame(Rect frame) { m_localFrame = frame; }
    Point localCoordinateAccessibilityActivationPoint() const { return m_localActivationPoint; }
    void setLocalCoordinateAccessibilityActivationPoint(Point point) { m_localActivationPoint = point; }
    void setAccessibilityLabel(std::u16string label) { m_label = std::move(label); }
    void setAccessibilityTraits(std::uint64_t traits) { m_traits = traits; }

    Rect accessibilityFrame() const override;
    // The local point, or the middle of the frame for the null point.
    Point accessibilityActivationPoint() const override;
    std::u16string accessibilityLabel() const override { return m_label; }
    std::uint64_t accessibilityTraits() const override { return m_traits; }
    std::optional<Rect> accessibilityFrameInContainer() const override;

private:
    const View* m_parentView = nullptr;
    Rect m_localFrame;
    Point m_localActivationPoint = TEAccessibilityElementNullActivationPoint;
    std::u16string m_label;
    std::uint64_t m_traits = 0;
};

} // namespace folio
