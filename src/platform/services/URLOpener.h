#pragma once

#include "platform/foundation/Error.h"

#include <string>

namespace folio {

// Hands an address to the desktop, which opens it in the user's browser (or
// whatever program handles its scheme), outside the application.
class URLOpener {
public:
    URLOpener() = delete;
    static Status openURL(const std::string& url);
    // Whether the desktop has a program for the address's scheme: a machine
    // without a web browser has none for "https".
    static bool canOpenURL(const std::string& url);
};

} // namespace folio
