#include "platform/services/NetworkReachability.h"

#include "platform/foundation/GioFunctions.h"

namespace folio {

namespace {

std::optional<bool>& fixedAnswer()
{
    static std::optional<bool> answer;
    return answer;
}

} // namespace

void NetworkReachability::setAnswerForTesting(std::optional<bool> available)
{
    fixedAnswer() = available;
}

bool NetworkReachability::isNetworkAvailable()
{
    if (fixedAnswer())
        return *fixedAnswer();
    const GioFunctions* gio = GioFunctions::shared();
    GNetworkMonitor* monitor = gio ? gio->networkMonitorDefault() : nullptr;
    return monitor && gio->networkMonitorNetworkAvailable(monitor);
}

} // namespace folio
