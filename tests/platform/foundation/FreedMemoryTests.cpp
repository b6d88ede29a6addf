#include "platform/foundation/FreedMemory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace folio {
namespace {

double residentMegabytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A save's many small pieces, freed while something allocated after them
// still lives: the allocator keeps their pages until told otherwise.
TEST(FreedMemoryTest, theFreedPiecesOfALargeTaskLeaveTheProcess)
{
#if !defined(__GLIBC__)
    GTEST_SKIP() << "only the GNU C library keeps freed pages this way";
#endif
    constexpr std::size_t kPieces = 96 * 1024;
    std::vector<std::unique_ptr<char[]>> pieces;
    pieces.reserve(kPieces);
    for (std::size_t i = 0; i < kPieces; ++i) {
        pieces.emplace_back(new char[1000]);
        // Touched, so that the pages are resident.
        pieces.back()[0] = char(i);
        pieces.back()[999] = char(i);
    }
    auto survivor = std::make_unique<char[]>(1000);
    survivor[0] = 1;
    pieces.clear();
    const double held = residentMegabytes();
    releaseFreedMemory();
    EXPECT_LT(residentMegabytes(), held - 48) << "about 96 MB were freed";
}

} // namespace
} // namespace folio
