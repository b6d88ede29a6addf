#include "qvtext/QVTextLocationInsertion.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/ProgressHUD.h"

namespace folio {

namespace {

std::u16string frameworkText(const char* key)
{
    return toUtf16(Localization::localizedString(key, "", "DocKitUIDocument"));
}

} // namespace

std::shared_ptr<QVTextLocationInsertion> QVTextLocationInsertion::make(std::function<void(const std::u16string&)> insertText,
                                                                       GeocoderMaker makeGeocoder)
{
    return std::shared_ptr<QVTextLocationInsertion>(new QVTextLocationInsertion(std::move(insertText), std::move(makeGeocoder)));
}

QVTextLocationInsertion::QVTextLocationInsertion(std::function<void(const std::u16string&)> insertText, GeocoderMaker makeGeocoder)
    : m_insertText(std::move(insertText))
    , m_makeGeocoder(makeGeocoder ? std::move(makeGeocoder) : [] { return ReverseGeocoder::make(); })
{
}

void QVTextLocationInsertion::insertCurrentLocation()
{
    m_geocoder = m_makeGeocoder();
    if (!m_geocoder)
        return;
    m_geocoder->setGeocoderDelegate(weak_from_this());
    // Refused or restricted: the lookup ends here, without a word.
    int status = m_geocoder->getAuthStatus();
    if (status != 0 && status != 3) {
        m_geocoder.reset();
        return;
    }
    ProgressHUD::showWithStatus(frameworkText("Getting current location..."));
    m_geocoder->reverseGeocode();
}

void QVTextLocationInsertion::finish(const std::u16string& text)
{
    // The geocoder may be what called: it goes after its call.
    std::unique_ptr<ReverseGeocoder> geocoder = std::move(m_geocoder);
    geocoder->stopActivity();
    if (m_insertText)
        m_insertText(text);
}

void QVTextLocationInsertion::fail(const char* message)
{
    std::unique_ptr<ReverseGeocoder> geocoder = std::move(m_geocoder);
    if (geocoder)
        geocoder->stopActivity();
    ProgressHUD::showErrorWithStatus(message ? frameworkText(message) : std::u16string());
}

void QVTextLocationInsertion::gotUserLocation()
{
    if (!m_geocoder)
        return;
    const ReverseGeocoder& place = *m_geocoder;
    finish(formatString(frameworkText("Latitude: %f - Longitude: %f \n%@\n%@\n%@\n%@\n%@\n"),
                        {place.latitude(), place.longitude(), place.address(), place.city(), place.state(), place.zipcode(),
                         place.country()}));
}

void QVTextLocationInsertion::gotUserPlacemarks()
{
    if (!m_geocoder)
        return;
    ProgressHUD::showSuccessWithStatus({});
    const ReverseGeocoder& place = *m_geocoder;
    finish(formatString(u"Latitude: %f - Longitude: %f \n%@\n%@  %@\n%@\n%@\n%@",
                        {place.latitude(), place.longitude(), place.address(), place.zipcode(), place.city(), place.state(),
                         place.subAdministrativeArea(), place.country()}));
}

void QVTextLocationInsertion::gotUserLocationError() { fail("Failed to find user's location."); }
void QVTextLocationInsertion::gotUserPlacemarksError() { fail(nullptr); }
void QVTextLocationInsertion::locationServicesDisabled() { fail("Location Services disabled."); }
void QVTextLocationInsertion::updateFieldsWithError(const std::string&) { fail("Failed to find user's location."); }

} // namespace folio
