#include "platform/services/URLOpener.h"

#include <gio/gio.h>

namespace folio {

Status URLOpener::openURL(const std::string& url)
{
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error))
        return Status::success();
    std::string message = error ? error->message : "No program opens " + url;
    if (error)
        g_error_free(error);
    return Error{"URLOpener", 1, message};
}

bool URLOpener::canOpenURL(const std::string& url)
{
    char* scheme = g_uri_parse_scheme(url.c_str());
    if (!scheme)
        return false;
    GAppInfo* handler = g_app_info_get_default_for_uri_scheme(scheme);
    g_free(scheme);
    if (!handler)
        return false;
    g_object_unref(handler);
    return true;
}

} // namespace folio
