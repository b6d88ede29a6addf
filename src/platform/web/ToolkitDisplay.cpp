#include "platform/web/ToolkitDisplay.h"

#include <EGL/egl.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace folio {

namespace {

bool isSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value && std::strcmp(value, "0") != 0;
}

// Gives an environment variable a value until the end of the scope, then
// puts back what was there, so that the processes started later (the web
// engine's) inherit the user's environment and not ours.
class ScopedEnvironmentValue {
public:
    ScopedEnvironmentValue(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value, 1);
    }
    ~ScopedEnvironmentValue()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    ScopedEnvironmentValue(const ScopedEnvironmentValue&) = delete;
    ScopedEnvironmentValue& operator=(const ScopedEnvironmentValue&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// The EGL dispatch library reads its list of drivers once, at the first call
// that needs one, and keeps it for the life of the process. Asked with an
// empty list, it has no driver to load; the web engine then finds no EGL
// display here and draws its pages' pictures as it does without one.
void keepEGLDriverOut()
{
    ScopedEnvironmentValue noDrivers("__EGL_VENDOR_LIBRARY_FILENAMES", "");
    eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
}

} // namespace

bool ToolkitDisplay::pagesComposited()
{
    return isSet("WEBKIT_FORCE_COMPOSITING_MODE") || !isSet("WEBKIT_DISABLE_COMPOSITING_MODE");
}

bool ToolkitDisplay::open()
{
    static bool prepared = false;
    if (!prepared) {
        prepared = true;
        // Pages are drawn without composited layers: the composited path
        // shows a typed key a frame or more later, and far later where GL is
        // drawn in software (no GPU, a virtual display): 36 ms a key against
        // 10 ms, measured on one. A value the user set is kept.
        setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
        if (!pagesComposited())
            keepEGLDriverOut();
    }
    if (pagesComposited())
        return gtk_init_check(nullptr, nullptr);
    // GTK reads this as it opens the display; without it, opening the
    // display sets GLX up (which loads the same driver) to choose visuals.
    ScopedEnvironmentValue noToolkitGL("GDK_GL", "disable");
    return gtk_init_check(nullptr, nullptr);
}

} // namespace folio
