#include "platform/foundation/DetachedProcess.h"

#include <glib.h>

namespace folio {

std::string launchDetachedProcess(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return "Nothing to start";
    std::vector<gchar*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<gchar*>(argument.c_str()));
    argv.push_back(nullptr);
    GError* error = nullptr;
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib reaps the child itself.
    if (g_spawn_async(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, &error))
        return {};
    std::string message = error ? error->message : "unknown error";
    if (error)
        g_error_free(error);
    return message.empty() ? "unknown error" : message;
}

} // namespace folio
