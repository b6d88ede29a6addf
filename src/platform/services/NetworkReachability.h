#pragma once

namespace folio {

// Whether the desktop reports a network connection.
class NetworkReachability {
public:
    NetworkReachability() = delete;
    static bool isNetworkAvailable();
};

} // namespace folio
