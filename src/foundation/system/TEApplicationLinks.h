#pragma once

#include <string>

namespace folio {

// Addresses of an application's page in the software store and of the page
// where users review it.
class TEApplicationLinks {
public:
    TEApplicationLinks() = delete;

    static std::string appStoreURLforApplicationIdentifier(const std::string& identifier);
    static std::string appStoreReviewURLForApplicationIdentifier(const std::string& identifier);
};

// One process-wide count of network operations under way; the activity
// indicator shows while it is above zero. The indicator changes on the main
// run loop.
class TENetworkActivity {
public:
    TENetworkActivity() = delete;

    static void pushActiveNetworkOperation();
    // Does nothing at zero.
    static void popActiveNetworkOperation();
    static int activeNetworkOperationCount();
    static bool isNetworkActivityIndicatorVisible();
};

} // namespace folio
