#include "platform/foundation/OneShotHeap.h"

#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <link.h>
#include <malloc.h>
#endif

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace folio {
namespace {

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Allocates a large block, writes every page of it and frees it; returns the
// faults that took.
long faultsToFillAndFree(std::size_t bytes)
{
    const long before = minorFaults();
    auto* block = static_cast<volatile char*>(std::malloc(bytes));
    if (!block)
        return -1;
    // Through a volatile pointer, so that the compiler cannot drop the writes
    // of a block that is freed unread.
    for (std::size_t offset = 0; offset < bytes; offset += 4096)
        block[offset] = 1;
    std::free(const_cast<char*>(block));
    return minorFaults() - before;
}

// Runs `task` in a child, whose allocator settings do not reach this test
// process; returns the child's exit status.
template <typename Task> int inChild(Task task)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(task());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A conversion frees its large buffers (the file read, a copy of the text) and
// allocates others of the same size; each should land on pages already in
// the process. Left as it is, the allocator maps large blocks afresh and
// returns them on free, so every one is faulted in page by page again.
#if defined(__GLIBC__)
TEST(OneShotHeapTest, aLargeBlockFreedByTheTaskIsReusedWithoutFaultingItInAgain)
{
    constexpr std::size_t kBlock = 16 << 20;
    constexpr long kBlockPages = long(kBlock / 4096);

    const int unprepared = inChild([] {
        // The allocator's defaults, whatever earlier tests in this process
        // have made of its adaptive thresholds.
        mallopt(M_MMAP_THRESHOLD, 128 << 10);
        mallopt(M_TRIM_THRESHOLD, 128 << 10);
        faultsToFillAndFree(kBlock);
        return faultsToFillAndFree(kBlock) > kBlockPages / 2 ? 0 : 1;
    });
    EXPECT_EQ(unprepared, 0) << "without preparation the second block should be faulted in again";

    const int prepared = inChild([] {
        reserveHeapForOneShotTask(64 << 20);
        const long first = faultsToFillAndFree(kBlock);
        const long second = faultsToFillAndFree(kBlock);
        if (first < 0 || second < 0)
            return 2;
        return second < kBlockPages / 16 ? 0 : 1;
    });
    EXPECT_EQ(prepared, 0) << "the second block should reuse the first one's pages";
}
#endif

#if defined(__GLIBC__)
// The program's dynamic loader, which lists the allocator settings a process
// started with the current environment gets.
std::string dynamicLoader()
{
    std::string path;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* found) {
            for (int index = 0; index < info->dlpi_phnum; ++index) {
                if (info->dlpi_phdr[index].p_type == PT_INTERP) {
                    *static_cast<std::string*>(found) =
                        reinterpret_cast<const char*>(info->dlpi_addr + info->dlpi_phdr[index].p_vaddr);
                    return 1;
                }
            }
            return 0;
        },
        &path);
    return path;
}

// The malloc settings a process started now gets, by name ("top_pad").
std::map<std::string, unsigned long long> startedProcessMallocSettings()
{
    std::map<std::string, unsigned long long> settings;
    const std::string command = "'" + dynamicLoader() + "' --list-tunables";
    FILE* listing = popen(command.c_str(), "r");
    if (!listing)
        return settings;
    char line[256];
    while (std::fgets(line, sizeof line, listing)) {
        char name[128];
        char value[64];
        if (std::sscanf(line, "glibc.malloc.%127[^:]: %63s", name, value) == 2)
            settings[name] = std::strtoull(value, nullptr, 0);
    }
    pclose(listing);
    return settings;
}

// The page process that prints an export is started by the conversion and
// must reuse its freed memory as the conversion itself does; what the user
// set for it instead stays as it is.
TEST(OneShotHeapTest, processesStartedByAOneShotTaskKeepWhatTheyFreeAndTheUsersOwnSettings)
{
    ASSERT_FALSE(dynamicLoader().empty());
    const int status = inChild([] {
        unsetenv("GLIBC_TUNABLES");
        if (startedProcessMallocSettings()["trim_threshold"] != 0)
            return 1;
        readyStartedProcessesForOneShotTask();
        std::map<std::string, unsigned long long> started = startedProcessMallocSettings();
        if (started["top_pad"] < (8ull << 20) || started["trim_threshold"] < (64ull << 20))
            return 2;
        setenv("GLIBC_TUNABLES", "glibc.malloc.top_pad=4096", 1);
        readyStartedProcessesForOneShotTask();
        started = startedProcessMallocSettings();
        return started["top_pad"] == 4096 && started["trim_threshold"] == 0 ? 0 : 3;
    });
    EXPECT_EQ(status, 0) << "1: unexpected defaults, 2: no settings, 3: the user's own changed";
}
#endif

// More than was reserved still works: the heap grows past the reservation.
TEST(OneShotHeapTest, aTaskLargerThanItsReservationStillGetsItsMemory)
{
    const int status = inChild([] {
        reserveHeapForOneShotTask(4 << 20);
        constexpr std::size_t kLarge = 48 << 20;
        auto* block = static_cast<volatile char*>(std::malloc(kLarge));
        if (!block)
            return 1;
        for (std::size_t offset = 0; offset < kLarge; offset += 4096)
            block[offset] = 7;
        block[kLarge - 1] = 7;
        const bool intact = block[0] == 7 && block[kLarge - 4096] == 7 && block[kLarge - 1] == 7;
        std::free(const_cast<char*>(block));
        return intact ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

// What a one-shot task drops stays until the process ends; anywhere else it
// goes at once, as it would have without being handed on.
TEST(OneShotHeapTest, whatIsDroppedGoesAtOnceUnlessTheProcessIsAOneShotTasks)
{
    const int status = inChild([] {
        static int destroyed = 0;
        struct Counted {
            bool owner = true;
            Counted() = default;
            Counted(Counted&& other) noexcept { other.owner = false; }
            ~Counted()
            {
                if (owner)
                    ++destroyed;
            }
        };
        if (heapIsForOneShotTask())
            return 1;
        dropWhenOneShotTaskEnds(Counted());
        if (destroyed != 1)
            return 2;
        reserveHeapForOneShotTask(4 << 20);
        if (!heapIsForOneShotTask())
            return 3;
        dropWhenOneShotTaskEnds(Counted());
        return destroyed == 1 ? 0 : 4;
    });
    EXPECT_EQ(status, 0);
}

} // namespace
} // namespace folio
