#pragma once

#include <string>

namespace folio {

// The hidden header and footer that the header inspector puts into a QV
// page that has none: off until the user turns them on, with the sample
// text the inspector shows first. The QV text editor makes them `div`
// elements, the outline `span` elements.
class QVPagePlaceholders {
public:
    static std::string getCurrentPageHeaderControl(const std::string& element);
    static std::string getCurrentPageFooterControl(const std::string& element);
};

} // namespace folio
