// fontconfig, pango, GLib, GTK and the web engine keep process-wide caches that
// they never free; LeakSanitizer would report them at the exit of every test
// that touches fonts, windows or pages.
// Compiled into every test, fuzz target and sanitizer build of the program
// itself, not into a library: a static library only links objects that are used.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libpangoft2-1.0.so\n"
           "leak:libpango-1.0.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libdbus-1.so\n"
           "leak:libgio-2.0.so\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libjavascriptcoregtk-4.1.so\n"
           "leak:libwebkit2gtk-4.1.so\n"
           "leak:libpoppler.so\n"
           "leak:libpoppler-glib.so\n"
           "leak:libcairo.so\n";
}
