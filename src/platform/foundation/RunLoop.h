#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <variant>

typedef struct _GMainContext GMainContext;
typedef struct _GSource GSource;

namespace folio {

// The object of a delayed perform. Requests are matched by value, so two
// requests made with equal strings (or the same object pointer) cancel
// each other; std::monostate stands for "no object".
using PerformArgument = std::variant<std::monostate, std::string, long long, double, bool, const void*>;

// The main thread's run loop, on the GLib default main context so that GTK
// and WebKit events are served by the same loop.
//
// Every piece of delayed work goes through here. Tests switch to a virtual
// clock and advance it, so nothing ever sleeps: due work fires in time order
// (posting order among equal times), and runUntil's time-out is counted in
// virtual seconds.
//
// post() and postAfterDelay() are safe from any thread; the work always runs
// on the main thread. runUntil() and runOnce() must be called on the main
// thread. Callbacks may themselves call runUntil() (nested waits), so code
// that waits must be safe against being re-entered.
class RunLoop {
public:
    using Function = std::function<void()>;
    // 0 is never a valid id, so it can stand for "nothing scheduled".
    using TimerId = std::uint64_t;

    static RunLoop& main();

    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // Runs `function` on the next turn of the loop, after work posted before it.
    void post(Function function);
    TimerId postAfterDelay(double seconds, Function function);

    // A delayed perform on `target` that cancelPreviousPerformRequests() can find
    // again by target, selector and argument.
    TimerId performSelectorAfterDelay(const void* target, std::string selector, PerformArgument argument,
                                      double delaySeconds, Function function);
    // Cancels only the requests whose target, selector and argument all match.
    void cancelPreviousPerformRequests(const void* target, const std::string& selector,
                                       const PerformArgument& argument = {});
    // Cancels every pending request made on `target`, whatever its selector.
    void cancelPreviousPerformRequests(const void* target);

    // A timer fires first after `interval` seconds; a repeating one then every
    // `interval` seconds until it is invalidated.
    TimerId scheduleTimer(double intervalSeconds, bool repeats, Function function);
    // Cancels delayed work or invalidates a timer (also from inside the timer's
    // own callback). Answers whether it was still pending.
    bool invalidate(TimerId id);
    bool isPending(TimerId id) const;
    // Drops every pending request; used when shutting down and between tests.
    void cancelAll();

    // Serves events until `predicate` holds or `timeoutSeconds` have passed,
    // and answers whether the predicate held. A negative time-out waits without
    // limit. The predicate is checked before anything is served, so a wait on
    // something already done returns at once.
    bool runUntil(const std::function<bool()>& predicate, double timeoutSeconds);
    // Serves what is ready now without blocking; answers whether anything ran.
    bool runOnce();

    // Seconds on the loop's clock (monotonic, or virtual in tests).
    double now() const;
    void useVirtualClock();
    // Back to real time; pending work keeps the delay it still had to run.
    void useRealClock();
    bool usesVirtualClock() const;
    // Moves virtual time forward, firing every piece of work that falls due on
    // the way, each at its own time. Only with the virtual clock.
    void advanceVirtualClock(double seconds);

    // Background work (dispatch queues) registers itself here while it is
    // queued or running, so that a virtual-clock wait blocks for its results
    // instead of jumping to its time-out.
    void beginBackgroundWork();
    void endBackgroundWork();
    bool hasBackgroundWork() const { return m_backgroundWork.load() > 0; }

private:
    struct Entry;
    struct PerformKey {
        const void* target = nullptr;
        std::string selector;
        PerformArgument argument;
    };
    // Work is ordered by due time, then by the order it was scheduled in.
    using Slot = std::pair<double, std::uint64_t>;

    RunLoop();

    TimerId schedule(double delaySeconds, double intervalSeconds, std::unique_ptr<PerformKey> key, Function function);
    std::shared_ptr<Entry> takeDueLocked(double now, std::uint64_t sequenceLimit);
    bool serveDue(std::uint64_t sequenceLimit);
    double nowLocked() const;
    double realNow() const;
    int pollTimeoutMilliseconds();
    bool hasDueWork();

    static int prepareSource(GSource* source, int* timeout);
    static int checkSource(GSource* source);
    static int dispatchSource(GSource* source, int (*callback)(void*), void* data);

    GMainContext* m_context = nullptr;
    GSource* m_source = nullptr;

    mutable std::mutex m_mutex;
    std::map<Slot, std::shared_ptr<Entry>> m_queue;
    std::unordered_map<TimerId, Slot> m_slots;
    std::uint64_t m_nextSequence = 1;
    TimerId m_nextId = 1;
    bool m_virtualClock = false;
    double m_virtualNow = 0;
    // Deadlines of the real-clock waits in progress, so the poll wakes up for them.
    std::multiset<double> m_waitDeadlines;
    std::atomic<int> m_backgroundWork{0};
};

} // namespace folio
