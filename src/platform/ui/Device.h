#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/TraitCollection.h"

#include <string>

namespace folio {

class NotificationCenter;

enum class DeviceOrientation { Unknown = 0, Portrait = 1, PortraitUpsideDown = 2, LandscapeLeft = 3, LandscapeRight = 4, FaceUp = 5, FaceDown = 6 };

inline const std::string kDeviceOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

// The device and its screen as the program sees them. On Linux they describe
// the window the program runs in: a tablet in landscape by default, so the
// editors take their roomiest layout. Tests set whatever device they need.
class Device {
public:
    explicit Device(NotificationCenter& center);

    static Device& current();

    UserInterfaceIdiom userInterfaceIdiom() const { return m_traits.userInterfaceIdiom; }
    void setUserInterfaceIdiom(UserInterfaceIdiom idiom) { m_traits.userInterfaceIdiom = idiom; }
    bool isPad() const { return m_traits.userInterfaceIdiom == UserInterfaceIdiom::Pad; }

    DeviceOrientation orientation() const { return m_orientation; }
    // Posts the orientation notification when the orientation changes.
    void setOrientation(DeviceOrientation orientation);
    bool isLandscape() const;

    const std::string& systemVersion() const { return m_systemVersion; }
    void setSystemVersion(std::string version) { m_systemVersion = std::move(version); }
    // The leading number of the version ("17.4" -> 17); 0 when it has none.
    int systemMajorVersion() const;

    Rect screenBounds() const { return m_screenBounds; }
    void setScreenBounds(Rect bounds) { m_screenBounds = bounds; }
    double screenScale() const { return m_screenScale; }
    void setScreenScale(double scale) { m_screenScale = scale > 0 ? scale : 1; }

    // The traits a window starts with: idiom, size classes and style.
    TraitCollection traitCollection() const { return m_traits; }
    void setTraitCollection(const TraitCollection& traits) { m_traits = traits; }
    void setHorizontalSizeClass(UserInterfaceSizeClass sizeClass) { m_traits.horizontalSizeClass = sizeClass; }

private:
    NotificationCenter& m_center;
    TraitCollection m_traits;
    DeviceOrientation m_orientation = DeviceOrientation::LandscapeLeft;
    std::string m_systemVersion = "17.0";
    Rect m_screenBounds = makeRect(0, 0, 1366, 1024);
    double m_screenScale = 1;
};

} // namespace folio
