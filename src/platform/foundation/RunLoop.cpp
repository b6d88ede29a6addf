#include "platform/foundation/RunLoop.h"

#include <glib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

namespace folio {

namespace {

// Like the platform's timers, a repeating interval below a tenth of a
// millisecond is raised to it, so a zero interval cannot spin the loop.
constexpr double kMinimumInterval = 0.0001;
constexpr double kForever = std::numeric_limits<double>::infinity();
constexpr std::uint64_t kNoSequenceLimit = std::numeric_limits<std::uint64_t>::max();

struct LoopSource {
    GSource base;
    RunLoop* loop;
};

} // namespace

struct RunLoop::Entry {
    TimerId id = 0;
    // 0 for work that runs once.
    double interval = 0;
    std::unique_ptr<PerformKey> key;
    Function function;
};

RunLoop& RunLoop::main()
{
    // Never destroyed: threads may still post while the process exits.
    static RunLoop* loop = new RunLoop();
    return *loop;
}

RunLoop::RunLoop()
    : m_context(g_main_context_default())
{
    static GSourceFuncs funcs = {&RunLoop::prepareSource, &RunLoop::checkSource, &RunLoop::dispatchSource,
                                 nullptr, nullptr, nullptr};
    m_source = g_source_new(&funcs, sizeof(LoopSource));
    reinterpret_cast<LoopSource*>(m_source)->loop = this;
    // Nested waits run inside our own dispatch, and must still serve our work.
    g_source_set_can_recurse(m_source, TRUE);
    g_source_set_name(m_source, "folio run loop");
    g_source_attach(m_source, m_context);
}

double RunLoop::realNow() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double RunLoop::nowLocked() const
{
    return m_virtualClock ? m_virtualNow : realNow();
}

double RunLoop::now() const
{
    std::lock_guard lock(m_mutex);
    return nowLocked();
}

void RunLoop::post(Function function)
{
    schedule(0, 0, nullptr, std::move(function));
}

RunLoop::TimerId RunLoop::postAfterDelay(double seconds, Function function)
{
    return schedule(seconds, 0, nullptr, std::move(function));
}

RunLoop::TimerId RunLoop::performSelectorAfterDelay(const void* target, std::string selector, PerformArgument argument,
                                                    double delaySeconds, Function function)
{
    auto key = std::make_unique<PerformKey>(PerformKey{target, std::move(selector), std::move(argument)});
    return schedule(delaySeconds, 0, std::move(key), std::move(function));
}

RunLoop::TimerId RunLoop::scheduleTimer(double intervalSeconds, bool repeats, Function function)
{
    double interval = std::max(intervalSeconds, kMinimumInterval);
    return schedule(intervalSeconds, repeats ? interval : 0, nullptr, std::move(function));
}

RunLoop::TimerId RunLoop::schedule(double delaySeconds, double intervalSeconds, std::unique_ptr<PerformKey> key,
                                   Function function)
{
    auto entry = std::make_shared<Entry>();
    entry->interval = intervalSeconds;
    entry->key = std::move(key);
    entry->function = std::move(function);
    TimerId id;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextId++;
        entry->id = id;
        // NaN and negative delays mean "as soon as possible".
        double delay = delaySeconds > 0 ? delaySeconds : 0;
        Slot slot{nowLocked() + delay, m_nextSequence++};
        m_slots[id] = slot;
        m_queue.emplace(slot, std::move(entry));
    }
    // Another thread may have posted: make the main thread's poll look again.
    g_main_context_wakeup(m_context);
    return id;
}

// Cancelled work is destroyed only after the lock is released: what it
// captured may be the last owner of an object whose destructor cancels its
// own requests, which takes the lock again.
bool RunLoop::invalidate(TimerId id)
{
    std::shared_ptr<Entry> dropped;
    std::lock_guard lock(m_mutex);
    auto found = m_slots.find(id);
    if (found == m_slots.end())
        return false;
    auto queued = m_queue.find(found->second);
    if (queued != m_queue.end()) {
        dropped = std::move(queued->second);
        m_queue.erase(queued);
    }
    m_slots.erase(found);
    return true;
}

bool RunLoop::isPending(TimerId id) const
{
    std::lock_guard lock(m_mutex);
    return m_slots.count(id) != 0;
}

void RunLoop::cancelAll()
{
    decltype(m_queue) dropped;
    std::lock_guard lock(m_mutex);
    dropped.swap(m_queue);
    m_slots.clear();
}

void RunLoop::cancelPreviousPerformRequests(const void* target, const std::string& selector,
                                            const PerformArgument& argument)
{
    std::vector<std::shared_ptr<Entry>> dropped;
    std::lock_guard lock(m_mutex);
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        const PerformKey* key = it->second->key.get();
        if (key && key->target == target && key->selector == selector && key->argument == argument) {
            m_slots.erase(it->second->id);
            dropped.push_back(std::move(it->second));
            it = m_queue.erase(it);
        } else {
            ++it;
        }
    }
}

void RunLoop::cancelPreviousPerformRequests(const void* target)
{
    std::vector<std::shared_ptr<Entry>> dropped;
    std::lock_guard lock(m_mutex);
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        const PerformKey* key = it->second->key.get();
        if (key && key->target == target) {
            m_slots.erase(it->second->id);
            dropped.push_back(std::move(it->second));
            it = m_queue.erase(it);
        } else {
            ++it;
        }
    }
}

std::shared_ptr<RunLoop::Entry> RunLoop::takeDueLocked(double now, std::uint64_t sequenceLimit)
{
    // The earliest entry is not always the one to take: work scheduled during
    // this turn (sequence at or past the limit) waits for the next turn, so a
    // callback that posts itself again cannot starve GTK's events.
    for (auto it = m_queue.begin(); it != m_queue.end() && it->first.first <= now; ++it) {
        if (it->first.second >= sequenceLimit)
            continue;
        std::shared_ptr<Entry> entry = it->second;
        Slot slot = it->first;
        m_queue.erase(it);
        m_slots.erase(entry->id);
        if (entry->interval > 0) {
            // A repeating timer is rescheduled before it runs, so that it can
            // invalidate itself from its own callback. On the virtual clock
            // every tick is served; on the real clock ticks missed while the
            // loop was busy are skipped, as the platform's timers do.
            double next = slot.first + entry->interval;
            if (!m_virtualClock && next <= now)
                next = slot.first + entry->interval * (std::floor((now - slot.first) / entry->interval) + 1);
            Slot nextSlot{next, m_nextSequence++};
            m_slots[entry->id] = nextSlot;
            m_queue.emplace(nextSlot, entry);
        }
        return entry;
    }
    return nullptr;
}

bool RunLoop::serveDue(std::uint64_t sequenceLimit)
{
    bool served = false;
    while (true) {
        std::shared_ptr<Entry> entry;
        {
            std::lock_guard lock(m_mutex);
            entry = takeDueLocked(nowLocked(), sequenceLimit);
        }
        if (!entry)
            return served;
        served = true;
        if (entry->function)
            entry->function();
    }
}

bool RunLoop::hasDueWork()
{
    std::lock_guard lock(m_mutex);
    return !m_queue.empty() && m_queue.begin()->first.first <= nowLocked();
}

int RunLoop::pollTimeoutMilliseconds()
{
    std::lock_guard lock(m_mutex);
    double now = nowLocked();
    if (!m_queue.empty() && m_queue.begin()->first.first <= now)
        return 0;
    // Virtual time does not pass while the poll blocks; only a wakeup (a post
    // from another thread) can make something due.
    if (m_virtualClock)
        return -1;
    double next = kForever;
    if (!m_queue.empty())
        next = m_queue.begin()->first.first;
    if (!m_waitDeadlines.empty())
        next = std::min(next, *m_waitDeadlines.begin());
    if (next == kForever)
        return -1;
    double milliseconds = std::ceil((next - now) * 1000);
    return static_cast<int>(std::clamp(milliseconds, 0.0, double(std::numeric_limits<int>::max())));
}

int RunLoop::prepareSource(GSource* source, int* timeout)
{
    RunLoop* loop = reinterpret_cast<LoopSource*>(source)->loop;
    *timeout = loop->pollTimeoutMilliseconds();
    return *timeout == 0;
}

int RunLoop::checkSource(GSource* source)
{
    return reinterpret_cast<LoopSource*>(source)->loop->hasDueWork();
}

int RunLoop::dispatchSource(GSource* source, int (*)(void*), void*)
{
    RunLoop* loop = reinterpret_cast<LoopSource*>(source)->loop;
    std::uint64_t limit;
    {
        std::lock_guard lock(loop->m_mutex);
        limit = loop->m_nextSequence;
    }
    loop->serveDue(limit);
    return G_SOURCE_CONTINUE;
}

bool RunLoop::runOnce()
{
    return g_main_context_iteration(m_context, FALSE);
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, double timeoutSeconds)
{
    if (predicate())
        return true;
    double deadline;
    std::multiset<double>::iterator registered;
    {
        std::lock_guard lock(m_mutex);
        deadline = timeoutSeconds < 0 || std::isnan(timeoutSeconds) ? kForever : nowLocked() + timeoutSeconds;
        registered = m_waitDeadlines.insert(deadline);
    }
    bool held = false;
    while (true) {
        if (predicate()) {
            held = true;
            break;
        }
        if (now() >= deadline)
            break;
        if (!usesVirtualClock()) {
            g_main_context_iteration(m_context, TRUE);
            continue;
        }
        if (g_main_context_iteration(m_context, FALSE))
            continue;
        if (m_backgroundWork.load() > 0) {
            // Results of background work arrive by a post, which wakes the poll.
            g_main_context_iteration(m_context, TRUE);
            continue;
        }
        // Nothing can happen before the next piece of work falls due: jump there.
        std::lock_guard lock(m_mutex);
        double next = m_queue.empty() ? kForever : m_queue.begin()->first.first;
        if (next == kForever && deadline == kForever)
            break; // nothing will ever make the predicate true
        m_virtualNow = std::max(m_virtualNow, std::min(next, deadline));
    }
    std::lock_guard lock(m_mutex);
    m_waitDeadlines.erase(registered);
    return held;
}

bool RunLoop::usesVirtualClock() const
{
    std::lock_guard lock(m_mutex);
    return m_virtualClock;
}

void RunLoop::useVirtualClock()
{
    std::lock_guard lock(m_mutex);
    if (m_virtualClock)
        return;
    // A whole second, never earlier than the real clock: delays of whole
    // seconds then add up exactly, where a start with a fraction would round
    // them differently as the machine's uptime nears a power of two.
    m_virtualNow = std::ceil(realNow());
    m_virtualClock = true;
}

void RunLoop::useRealClock()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_virtualClock)
            return;
        double shift = realNow() - m_virtualNow;
        std::map<Slot, std::shared_ptr<Entry>> shifted;
        for (auto& [slot, entry] : m_queue) {
            Slot moved{slot.first + shift, slot.second};
            m_slots[entry->id] = moved;
            shifted.emplace(moved, std::move(entry));
        }
        m_queue = std::move(shifted);
        m_virtualClock = false;
    }
    g_main_context_wakeup(m_context);
}

void RunLoop::advanceVirtualClock(double seconds)
{
    double target;
    {
        std::lock_guard lock(m_mutex);
        if (!m_virtualClock)
            return;
        target = m_virtualNow + std::max(seconds, 0.0);
    }
    while (true) {
        std::shared_ptr<Entry> entry;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty() || m_queue.begin()->first.first > target)
                break;
            // Each piece of work sees the clock at its own due time.
            m_virtualNow = std::max(m_virtualNow, m_queue.begin()->first.first);
            entry = takeDueLocked(m_virtualNow, kNoSequenceLimit);
        }
        if (entry && entry->function)
            entry->function();
    }
    std::lock_guard lock(m_mutex);
    m_virtualNow = std::max(m_virtualNow, target);
}

void RunLoop::beginBackgroundWork()
{
    ++m_backgroundWork;
}

void RunLoop::endBackgroundWork()
{
    --m_backgroundWork;
    g_main_context_wakeup(m_context);
}

} // namespace folio
