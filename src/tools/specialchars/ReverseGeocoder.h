#pragma once

#include <memory>
#include <string>

namespace folio {

// What a reverse geocoder reports, on the main thread.
class GeocoderProtocol {
public:
    virtual ~GeocoderProtocol() = default;
    virtual void gotUserLocation() = 0;
    virtual void gotUserLocationError() = 0;
    virtual void gotUserPlacemarks() = 0;
    virtual void gotUserPlacemarksError() = 0;
    virtual void locationServicesDisabled() = 0;
    virtual void updateFieldsWithError(const std::string& message) = 0;
};

// Finds where the device is and names the place. The status numbers follow
// the platform's: 0 not yet asked, 1 restricted, 2 denied, 3 always allowed,
// 4 allowed while in use.
class ReverseGeocoder {
public:
    virtual ~ReverseGeocoder() = default;

    // The geocoder of this system. There is no location service on the
    // desktop, so it answers that location services are disabled.
    static std::unique_ptr<ReverseGeocoder> make();

    void setGeocoderDelegate(std::weak_ptr<GeocoderProtocol> delegate) { m_delegate = std::move(delegate); }
    virtual int getAuthStatus() = 0;
    virtual void reverseGeocode() = 0;
    virtual void stopActivity() = 0;

    virtual double latitude() const { return 0; }
    virtual double longitude() const { return 0; }
    virtual std::u16string address() const { return {}; }
    virtual std::u16string city() const { return {}; }
    virtual std::u16string state() const { return {}; }
    virtual std::u16string zipcode() const { return {}; }
    virtual std::u16string subAdministrativeArea() const { return {}; }
    virtual std::u16string country() const { return {}; }

protected:
    std::shared_ptr<GeocoderProtocol> delegate() const { return m_delegate.lock(); }

private:
    std::weak_ptr<GeocoderProtocol> m_delegate;
};

} // namespace folio
