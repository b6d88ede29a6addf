#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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
