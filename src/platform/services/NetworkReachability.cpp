#include "platform/services/NetworkReachability.h"

#include <gio/gio.h>

namespace folio {

bool NetworkReachability::isNetworkAvailable()
{
    GNetworkMonitor* monitor = g_network_monitor_get_default();
    return monitor && g_network_monitor_get_network_available(monitor);
}

} // namespace folio
