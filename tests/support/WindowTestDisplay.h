#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace folio::test {

// What a window test does when no display can be opened. By hand (a
// developer's shell without a display) it is skipped; under ./test.sh, which
// sets FOLIO_REQUIRE_DISPLAY, it fails: ctest counts a skip as a pass, and a
// machine without a display would otherwise report every window test green
// without having run one. Call it as `return noDisplayForWindowTest(why);`.
inline void noDisplayForWindowTest(const std::string& why)
{
    const char* required = std::getenv("FOLIO_REQUIRE_DISPLAY");
    if (required && *required && std::string(required) != "0")
        FAIL() << "A window test found no display: " << why;
    GTEST_SKIP() << why;
}

} // namespace folio::test
