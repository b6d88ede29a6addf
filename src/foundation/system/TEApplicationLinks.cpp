#include "foundation/system/TEApplicationLinks.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"

#include <mutex>

namespace folio {

namespace {

// The store page is the application's page on Flathub; reviews are written in
// the desktop's software centre, which opens "appstream:" addresses.
constexpr const char* kStorePrefix = "https://flathub.org/apps/";
constexpr const char* kReviewPrefix = "appstream://";

std::string encodedIdentifier(const std::string& identifier)
{
    return URL::percentEncode(identifier, URL::AllowedCharacters::Path);
}

std::mutex countMutex;
int operationCount = 0;
bool indicatorVisible = false;

void updateIndicator()
{
    RunLoop::main().post([] {
        int count = TENetworkActivity::activeNetworkOperationCount();
        if (count > 0 && !indicatorVisible)
            indicatorVisible = true;
        else if (count == 0 && indicatorVisible)
            indicatorVisible = false;
    });
}

} // namespace

std::string TEApplicationLinks::appStoreURLforApplicationIdentifier(const std::string& identifier)
{
    return kStorePrefix + encodedIdentifier(identifier);
}

std::string TEApplicationLinks::appStoreReviewURLForApplicationIdentifier(const std::string& identifier)
{
    return kReviewPrefix + encodedIdentifier(identifier);
}

void TENetworkActivity::pushActiveNetworkOperation()
{
    {
        std::lock_guard lock(countMutex);
        ++operationCount;
    }
    updateIndicator();
}

void TENetworkActivity::popActiveNetworkOperation()
{
    {
        std::lock_guard lock(countMutex);
        if (operationCount == 0)
            return;
        --operationCount;
    }
    updateIndicator();
}

int TENetworkActivity::activeNetworkOperationCount()
{
    std::lock_guard lock(countMutex);
    return operationCount;
}

bool TENetworkActivity::isNetworkActivityIndicatorVisible()
{
    return indicatorVisible;
}

} // namespace folio
