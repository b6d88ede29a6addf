// fontconfig, pango and GLib keep process-wide caches that they never free;
// without these suppressions every fuzz run would end in a leak report.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libpangoft2-1.0.so\n"
           "leak:libpango-1.0.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n";
}
