#include "platform/foundation/GioFunctions.h"

#include <dlfcn.h>

#include <optional>
#include <type_traits>

namespace folio {

namespace {

std::optional<GioFunctions> openedFunctions()
{
    // Never closed: the objects gio makes live as long as the program.
    void* library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return std::nullopt;
    GioFunctions functions{};
    bool found = true;
    // gobject's functions are found through gio, which depends on it.
    const auto find = [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        found = found && function;
    };
    find(functions.appInfoLaunchDefaultForURI, "g_app_info_launch_default_for_uri");
    find(functions.appInfoDefaultForURIScheme, "g_app_info_get_default_for_uri_scheme");
    find(functions.networkMonitorDefault, "g_network_monitor_get_default");
    find(functions.networkMonitorNetworkAvailable, "g_network_monitor_get_network_available");
    find(functions.fileNewForPath, "g_file_new_for_path");
    find(functions.fileTrash, "g_file_trash");
    find(functions.fileMonitorDirectory, "g_file_monitor_directory");
    find(functions.fileMonitorCancel, "g_file_monitor_cancel");
    find(functions.objectUnref, "g_object_unref");
    find(functions.signalConnectData, "g_signal_connect_data");
    find(functions.signalHandlerDisconnect, "g_signal_handler_disconnect");
    if (!found)
        return std::nullopt;
    return functions;
}

} // namespace

const GioFunctions* GioFunctions::shared()
{
    static const std::optional<GioFunctions> functions = openedFunctions();
    return functions ? &*functions : nullptr;
}

} // namespace folio
