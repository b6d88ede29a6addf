#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace folio::test {

// What a test does when an outside program it checks against (LibreOffice,
// epubcheck, libwmf, the text-recognition data) is missing. By hand it is
// skipped; under ./test.sh, which installs every one of them and sets
// FOLIO_REQUIRE_TOOLS, a missing one is a broken install and fails: ctest
// counts a skip as a pass. Call it as `return missingToolForTest(why);`.
inline bool toolsAreRequired()
{
    const char* required = std::getenv("FOLIO_REQUIRE_TOOLS");
    return required && *required && std::string(required) != "0";
}

inline void missingToolForTest(const std::string& why)
{
    if (toolsAreRequired())
        FAIL() << "A tool this test needs is missing: " << why;
    GTEST_SKIP() << why;
}

// For helpers that answer "no reference" and let the test go on with what it
// can check without one: under ./test.sh the missing reference is a failure.
inline void noReferenceFromTool(const std::string& why)
{
    if (toolsAreRequired())
        ADD_FAILURE() << "A tool this test needs gave nothing: " << why;
}

} // namespace folio::test
