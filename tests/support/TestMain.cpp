#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// fontconfig, pango and GLib keep process-wide caches that they never free;
// LeakSanitizer would report them at the exit of every test that touches fonts.
// Kept in this file because a static library only links objects that are used.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libpangoft2-1.0.so\n"
           "leak:libpango-1.0.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libdbus-1.so\n";
}

// Every test run gets a private FOLIO_HOME so that no test reads or writes the
// user's documents, defaults or caches.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    std::string pattern = (std::filesystem::temp_directory_path() / "folio-test-XXXXXX").string();
    if (char* home = mkdtemp(pattern.data()))
        setenv("FOLIO_HOME", home, 1);
    int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return result;
}
