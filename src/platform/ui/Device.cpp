#include "platform/ui/Device.h"

#include "platform/foundation/NotificationCenter.h"

#include <cctype>

namespace folio {

Device::Device(NotificationCenter& center) : m_center(center) {}

Device& Device::current()
{
    static Device device(NotificationCenter::defaultCenter());
    return device;
}

void Device::setOrientation(DeviceOrientation orientation)
{
    if (m_orientation == orientation)
        return;
    m_orientation = orientation;
    m_center.postNotification(kDeviceOrientationDidChangeNotification, this);
}

bool Device::isLandscape() const
{
    return m_orientation == DeviceOrientation::LandscapeLeft || m_orientation == DeviceOrientation::LandscapeRight;
}

int Device::systemMajorVersion() const
{
    int major = 0;
    for (char c : m_systemVersion) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        major = major * 10 + (c - '0');
        if (major > 100000)
            break;
    }
    return major;
}

} // namespace folio
