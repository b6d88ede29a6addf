#pragma once

#include <functional>
#include <memory>
#include <string>

namespace folio {

class DispatchGroup;

// A queue of work run on its own threads. A serial queue runs one piece at a
// time in submission order; a concurrent queue runs several at once, started
// in submission order. Copies share the same queue; its threads finish the
// work already submitted and stop when the last copy goes away.
class DispatchQueue {
public:
    using Function = std::function<void()>;
    enum class Kind { Serial, Concurrent };
    enum class Priority { High, Default, Low, Background };

    explicit DispatchQueue(std::string label, Kind kind = Kind::Serial);

    // The shared concurrent queues, one per priority. Priorities are only
    // names here: each is an ordinary concurrent queue of its own.
    static DispatchQueue global(Priority priority = Priority::Default);

    const std::string& label() const;
    Kind kind() const;

    void async(Function function) const;
    // Enters `group` now and leaves it when `function` has run.
    void async(const DispatchGroup& group, Function function) const;
    // Returns when `function` has run. A concurrent queue runs it on the
    // caller's thread; a serial queue runs it after the work before it. Called
    // from the serial queue's own thread it runs at once instead of waiting
    // for itself forever.
    void sync(const Function& function) const;

    // Whether the caller is one of this queue's threads.
    bool isCurrent() const;

private:
    struct State;
    struct Owner;
    static void runWorker(const std::shared_ptr<State>& state);

    std::shared_ptr<Owner> m_owner;
};

} // namespace folio
