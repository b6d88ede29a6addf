#pragma once

#include <optional>

namespace folio {

// Whether the desktop reports a network connection.
class NetworkReachability {
public:
    NetworkReachability() = delete;
    static bool isNetworkAvailable();
    // A fixed answer instead of the desktop's (tests of the offline paths);
    // none goes back to asking the desktop.
    static void setAnswerForTesting(std::optional<bool> available);
};

} // namespace folio
