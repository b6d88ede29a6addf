#include "tools/specialchars/InsertMenuController.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/StringFormat.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "tools/ToolsText.h"
#include "tools/textstyle/TextStyleListController.h"

namespace folio {

InsertMenuController::InsertMenuController(UserDefaults& defaults)
    : TableViewController(TableViewStyle::Plain), m_defaults(defaults), m_clock([] { return std::chrono::system_clock::now(); }),
      m_makeGeocoder([] { return ReverseGeocoder::make(); })
{
}

std::u16string InsertMenuController::dateAndTime(bool shortDate) const
{
    return localizedStringFromDate(m_clock(), shortDate ? DateFormatterStyle::Short : DateFormatterStyle::Full,
                                   DateFormatterStyle::Short);
}

std::shared_ptr<TableViewCell> InsertMenuController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier("Cell");
    if (!cell)
        cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, "Cell");
    cell->textLabel()->setText(m_options.at(indexPath.row));
    cell->textLabel()->setTextAlignment(TextAlignment::Natural);
    applyThemeBackground(*cell);
    return cell;
}

void InsertMenuController::pushCharacterSet(int set)
{
    auto grid = std::make_shared<ArrowsSpecialCharsViewController>(m_defaults);
    grid->setDelegate(std::shared_ptr<ArrowsSpecialCharsPickerDelegate>(sharedAs<InsertMenuController>(), this));
    grid->setCharacterSet(set);
    if (auto* navigation = navigationController())
        navigation->pushViewController(grid, true);
}

void InsertMenuController::specialCharsOptionSelected(const std::u16string& characters, bool) { sendToDelegate(characters); }

void InsertMenuController::startLocationLookup()
{
    // The menu may be released once it is closed; it stays alive until the lookup ends.
    auto keep = sharedAs<InsertMenuController>();
    closeForLocationLookup();
    m_geocoder = m_makeGeocoder();
    if (!m_geocoder)
        return;
    m_geocoder->setGeocoderDelegate(std::shared_ptr<GeocoderProtocol>(keep, this));
    int status = m_geocoder->getAuthStatus();
    if (status != 0 && status != 3) {
        m_geocoder.reset();
        return;
    }
    if (showsLocationProgress())
        ProgressHUD::showWithStatus(localized("Getting current location..."));
    m_geocoder->reverseGeocode();
}

void InsertMenuController::finishLocationLookup(const std::u16string& text, bool releaseBeforeSending)
{
    auto keep = sharedAs<InsertMenuController>();
    if (showsLocationProgress())
        ProgressHUD::showSuccessWithStatus(localized("Done!"));
    std::unique_ptr<ReverseGeocoder> geocoder = std::move(m_geocoder);
    if (geocoder)
        geocoder->stopActivity();
    if (releaseBeforeSending)
        geocoder.reset();
    sendToDelegate(text);
}

void InsertMenuController::gotUserLocation()
{
    if (!m_geocoder)
        return;
    const ReverseGeocoder& place = *m_geocoder;
    std::u16string text = formatString(localized("Latitude: %f - Longitude: %f \n%@\n%@\n%@\n%@\n%@\n"),
                                       {place.latitude(), place.longitude(), place.address(), place.city(), place.state(),
                                        place.zipcode(), place.country()});
    finishLocationLookup(text, false);
}

void InsertMenuController::gotUserPlacemarks()
{
    if (!m_geocoder)
        return;
    const ReverseGeocoder& place = *m_geocoder;
    std::u16string text = formatString(u"Latitude: %f - Longitude: %f \n%@\n%@  %@\n%@\n%@\n%@",
                                       {place.latitude(), place.longitude(), place.address(), place.zipcode(), place.city(),
                                        place.state(), place.subAdministrativeArea(), place.country()});
    // The web editors' menu lets the geocoder go before it sends the place.
    finishLocationLookup(text, !showsLocationProgress());
}

void InsertMenuController::failLocationLookup(const char* message)
{
    auto keep = sharedAs<InsertMenuController>();
    ProgressHUD::showErrorWithStatus(localized(message));
    if (auto geocoder = std::move(m_geocoder))
        geocoder->stopActivity();
}

void InsertMenuController::gotUserLocationError() { failLocationLookup("Failed to find user's location."); }
void InsertMenuController::gotUserPlacemarksError() { failLocationLookup("Failed to find user's location."); }
void InsertMenuController::updateFieldsWithError(const std::string&) { failLocationLookup("Failed to find user's location."); }
void InsertMenuController::locationServicesDisabled() { failLocationLookup("Location Services disabled."); }

} // namespace folio
