#pragma once

#include "platform/ui/TableViewController.h"
#include "tools/specialchars/ArrowsSpecialCharsViewController.h"
#include "tools/specialchars/ReverseGeocoder.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class UserDefaults;

// What the two insert menus share: rows of titles, the date rows, the
// location lookup, and the character-set grids they push and whose picks
// they pass on.
class InsertMenuController : public TableViewController, public ArrowsSpecialCharsPickerDelegate, public GeocoderProtocol {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    using GeocoderMaker = std::function<std::unique_ptr<ReverseGeocoder>()>;

    // Grids record picks in `defaults`.
    explicit InsertMenuController(UserDefaults& defaults);

    const std::vector<std::u16string>& options() const { return m_options; }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setGeocoderMaker(GeocoderMaker maker) { m_makeGeocoder = std::move(maker); }
    bool isLookingUpLocation() const { return m_geocoder != nullptr; }

    // The current date in the full or short date style with the short time style.
    std::u16string dateAndTime(bool shortDate) const;

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return m_options.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath indexPath) override;

    void specialCharsOptionSelected(const std::u16string& characters, bool isEmoji) override;

    void gotUserLocation() override;
    void gotUserLocationError() override;
    void gotUserPlacemarks() override;
    void gotUserPlacemarksError() override;
    void locationServicesDisabled() override;
    void updateFieldsWithError(const std::string& message) override;

protected:
    void setOptions(std::vector<std::u16string> options) { m_options = std::move(options); }
    void pushCharacterSet(int set);
    void startLocationLookup();
    // Each menu sends to its own kind of delegate; answers false without one.
    virtual bool sendToDelegate(const std::u16string& text) = 0;
    // The Markdown menu closes itself and shows its progress; the web menu has its editor close it.
    virtual void closeForLocationLookup() = 0;
    virtual bool showsLocationProgress() const = 0;

private:
    void finishLocationLookup(const std::u16string& text, bool releaseBeforeSending);
    void failLocationLookup(const char* message);

    UserDefaults& m_defaults;
    std::vector<std::u16string> m_options;
    Clock m_clock;
    GeocoderMaker m_makeGeocoder;
    std::unique_ptr<ReverseGeocoder> m_geocoder;
};

} // namespace folio
