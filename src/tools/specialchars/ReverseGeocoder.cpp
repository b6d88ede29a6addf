#include "tools/specialchars/ReverseGeocoder.h"

#include "platform/foundation/RunLoop.h"

namespace folio {

namespace {

class UnavailableReverseGeocoder : public ReverseGeocoder {
public:
    int getAuthStatus() override { return 0; }
    void reverseGeocode() override
    {
        // On the next turn, since the delegate releases the geocoder when told.
        std::weak_ptr<GeocoderProtocol> weak = delegate();
        RunLoop::main().post([weak] {
            if (auto listener = weak.lock())
                listener->locationServicesDisabled();
        });
    }
    void stopActivity() override {}
};

} // namespace

std::unique_ptr<ReverseGeocoder> ReverseGeocoder::make() { return std::make_unique<UnavailableReverseGeocoder>(); }

} // namespace folio
