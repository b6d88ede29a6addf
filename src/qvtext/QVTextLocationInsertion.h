#pragma once

#include "tools/specialchars/ReverseGeocoder.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

// The insert menu's "Current Location": looks the place up and puts its
// coordinates and address in at the caret as text; a refused lookup ends
// silently, a failed one in an error overlay.
class QVTextLocationInsertion : public GeocoderProtocol, public std::enable_shared_from_this<QVTextLocationInsertion> {
public:
    using GeocoderMaker = std::function<std::unique_ptr<ReverseGeocoder>()>;

    static std::shared_ptr<QVTextLocationInsertion> make(std::function<void(const std::u16string&)> insertText,
                                                         GeocoderMaker makeGeocoder = {});

    void insertCurrentLocation();
    bool isLookingUp() const { return m_geocoder != nullptr; }

    void gotUserLocation() override;
    void gotUserLocationError() override;
    void gotUserPlacemarks() override;
    void gotUserPlacemarksError() override;
    void locationServicesDisabled() override;
    void updateFieldsWithError(const std::string& message) override;

private:
    QVTextLocationInsertion(std::function<void(const std::u16string&)> insertText, GeocoderMaker makeGeocoder);
    void finish(const std::u16string& text);
    void fail(const char* message);

    std::function<void(const std::u16string&)> m_insertText;
    GeocoderMaker m_makeGeocoder;
    std::unique_ptr<ReverseGeocoder> m_geocoder;
};

} // namespace folio
