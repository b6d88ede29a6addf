#include "platform/gtk/GtkRealKeys.h"

#include <gtest/gtest.h>

// Linked into the programs whose tests move the real pointer and type real
// keys: each test process gets a display of its own before its first test
// makes a window, whatever fixture the test uses, so that ctest can run these
// tests side by side: on a shared display another test's window or pointer
// would take their events.
namespace {

class PrivateDisplayForEveryTest : public ::testing::Environment {
public:
    void SetUp() override { folio::test::usePrivateDisplay(); }
};

// Environments are set up once RUN_ALL_TESTS starts, not when ctest only
// lists the tests: listing starts no server.
[[maybe_unused]] ::testing::Environment* const privateDisplayForEveryTest =
    ::testing::AddGlobalTestEnvironment(new PrivateDisplayForEveryTest);

} // namespace
