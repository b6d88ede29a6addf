#include "platform/services/URLOpener.h"

#include "platform/foundation/GioFunctions.h"

namespace folio {

Status URLOpener::openURL(const std::string& url)
{
    const GioFunctions* gio = GioFunctions::shared();
    if (!gio)
        return Error{"URLOpener", 1, "No program opens " + url + ": gio cannot be loaded"};
    GError* error = nullptr;
    if (gio->appInfoLaunchDefaultForURI(url.c_str(), nullptr, &error))
        return Status::success();
    std::string message = error ? error->message : "No program opens " + url;
    if (error)
        g_error_free(error);
    return Error{"URLOpener", 1, message};
}

bool URLOpener::canOpenURL(const std::string& url)
{
    const GioFunctions* gio = GioFunctions::shared();
    char* scheme = gio ? g_uri_parse_scheme(url.c_str()) : nullptr;
    if (!scheme)
        return false;
    GAppInfo* handler = gio->appInfoDefaultForURIScheme(scheme);
    g_free(scheme);
    if (!handler)
        return false;
    gio->objectUnref(handler);
    return true;
}

} // namespace folio
