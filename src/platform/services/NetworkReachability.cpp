#include "platform/services/NetworkReachability.h"

#include <gio/gio.h>

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
    GNetworkMonitor* monitor = g_network_monitor_get_default();
    return monitor && g_network_monitor_get_network_available(monitor);
}

} // namespace folio
