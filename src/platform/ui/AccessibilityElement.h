#pragma once

#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class View;

// What an element is to a screen reader.
inline constexpr std::uint64_t AccessibilityTraitStaticText = 1u << 0;
inline constexpr std::uint64_t AccessibilityTraitLink = 1u << 1;

// One of the things a view shows by drawing them itself (a run of laid-out
// text), or a stand-in for the view that shows it, as the view hands it to
// the desktop's screen readers.
class AccessibilityElement {
public:
    virtual ~AccessibilityElement() = default;
    // In window coordinates.
    virtual Rect accessibilityFrame() const = 0;
    virtual Point accessibilityActivationPoint() const = 0;
    virtual std::u16string accessibilityLabel() const = 0;
    virtual std::uint64_t accessibilityTraits() const = 0;
    virtual bool isEqual(const AccessibilityElement& other) const { return this == &other; }
    // In the coordinates of the view that holds the element; none when it
    // is shown nowhere.
    virtual std::optional<Rect> accessibilityFrameInContainer() const = 0;
    // The view that answers for the element now, when another view shows it.
    virtual std::shared_ptr<View> accessibilityProxiedView() const { return nullptr; }
};

} // namespace folio
