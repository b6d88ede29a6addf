#pragma once

#include <gio/gio.h>

namespace folio {

// The few functions of gio and gobject the program's own layers call
// (links, the trash, a folder's changes, the network), looked up in the
// libraries the first time one is needed: loading the two, and the half
// dozen libraries they bring, cost every start of the program a
// millisecond that a conversion never used.
struct GioFunctions {
    decltype(&g_app_info_launch_default_for_uri) appInfoLaunchDefaultForURI;
    decltype(&g_app_info_get_default_for_uri_scheme) appInfoDefaultForURIScheme;
    decltype(&g_network_monitor_get_default) networkMonitorDefault;
    decltype(&g_network_monitor_get_network_available) networkMonitorNetworkAvailable;
    decltype(&g_file_new_for_path) fileNewForPath;
    decltype(&g_file_trash) fileTrash;
    decltype(&g_file_monitor_directory) fileMonitorDirectory;
    decltype(&g_file_monitor_cancel) fileMonitorCancel;
    decltype(&g_object_unref) objectUnref;
    decltype(&g_signal_connect_data) signalConnectData;
    decltype(&g_signal_handler_disconnect) signalHandlerDisconnect;

    // Null when the libraries cannot be opened or lack one of them.
    static const GioFunctions* shared();
};

} // namespace folio
