#pragma once

#include <functional>
#include <memory>

namespace folio {

class DispatchQueue;

// Counts outstanding work so that something can run, or someone can wait,
// once all of it is done. Copies share the same count.
class DispatchGroup {
public:
    using Function = std::function<void()>;

    DispatchGroup();

    void enter();
    // A leave without a matching enter is ignored rather than letting the
    // count go below zero and fire notifications early later on.
    void leave();

    // Submits `function` to `queue` once every entered piece of work has left
    // (at once when none is outstanding). Each notification fires once.
    void notify(const DispatchQueue& queue, Function function);
    // The same, with `function` posted to the main run loop.
    void notifyMain(Function function);

    // Blocks until every entered piece of work has left or `timeoutSeconds`
    // have passed (a negative time-out waits without limit); answers whether
    // all of it left.
    bool wait(double timeoutSeconds);

private:
    struct State;
    void addNotification(Function submit);

    std::shared_ptr<State> m_state;
};

} // namespace folio
