#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace folio {

// Readies the allocator for a process that does one large task and exits,
// such as converting a document on the command line. Left as it is, the
// allocator maps each large block afresh and hands it back when freed, and
// returns the top of its heap as soon as it is free: a conversion's buffers
// come and go, and every time, each of their pages is faulted in anew (on a
// virtual machine, several microseconds a page). This reserves
// `expectedPeakBytes` of heap in one piece and keeps whatever the task frees
// for its later allocations.
//
// Large pages would save more faults still, but where memory is fragmented
// the kernel compacts it on the spot to make them, which costs more than it
// saves; they are not asked for.
//
// Not for a long-lived process: nothing the task frees leaves it.
void reserveHeapForOneShotTask(std::size_t expectedPeakBytes);

// The same for the processes this one starts from now on (the web engine's
// page process, which lays out and prints the document): their allocator
// starts with the settings above, through the C library's tunables in the
// environment. Tunables the user set are left as they are.
// Call it before any other thread runs: it changes the environment.
void readyStartedProcessesForOneShotTask();

// Whether the heap was readied for one task, above: the process ends with
// that task, and whatever the task made goes back to the system with it.
bool heapIsForOneShotTask();

// Hands `value` to the end of the process when the process is a one-shot
// task's, rather than taking it apart now: a long document's text is many
// thousand small blocks, each of them freed in turn for no one's later use.
// In any other process `value` goes at once.
template <typename T> void dropWhenOneShotTaskEnds(T value)
{
    if (!heapIsForOneShotTask())
        return;
    // Held from a list that is never freed, so that it is memory in use
    // until the process ends rather than lost.
    static auto* kept = new std::vector<std::shared_ptr<void>>;
    kept->push_back(std::make_shared<T>(std::move(value)));
}

} // namespace folio
