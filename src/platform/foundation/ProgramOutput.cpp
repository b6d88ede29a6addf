#include "platform/foundation/ProgramOutput.h"

#include <glib.h>

namespace folio {

std::optional<std::string> outputOfProgram(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return std::nullopt;
    std::vector<gchar*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<gchar*>(argument.c_str()));
    argv.push_back(nullptr);
    gchar* output = nullptr;
    gint status = 0;
    GError* error = nullptr;
    bool ran = g_spawn_sync(nullptr, argv.data(), nullptr, GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDERR_TO_DEV_NULL),
                            nullptr, nullptr, &output, nullptr, &status, &error);
    if (error)
        g_error_free(error);
    std::optional<std::string> answer;
    if (ran && g_spawn_check_wait_status(status, nullptr))
        answer = output ? std::string(output) : std::string();
    g_free(output);
    return answer;
}

} // namespace folio
