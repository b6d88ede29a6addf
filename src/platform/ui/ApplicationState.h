#pragma once

#include <string>

namespace folio {

// The application leaves the user's sight and comes back. On the desktop a
// presenter posts these when the windows are minimised and restored; the
// editors keep their place and stop their polls meanwhile.
inline const std::string kApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline const std::string kApplicationWillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";

} // namespace folio
