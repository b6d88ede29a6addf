#pragma once

#include <functional>
#include <vector>

namespace folio {

// The requests to end that reach a desktop program from outside: the session
// ending or `kill` (SIGTERM), Ctrl+C in its terminal (SIGINT) and its
// terminal closing (SIGHUP). While a watch is alive the first of them does
// not end the program: the handler runs on the main loop instead, once the
// input queued before it is served, and never in the signal handler, so it
// may do any work, such as saving documents. From
// then on the three signals have their default action again, so a second
// one ends the program at once, even when the handler's work hangs. A signal
// the program was started with ignored (nohup, a background job) stays
// ignored. Main thread only; one watch at a time.
class TerminationSignals {
public:
    using Handler = std::function<void(int signal)>;

    explicit TerminationSignals(Handler handler);
    // Gives the signals back the actions they had before the watch.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Ends the process as `signal` would have by its default action, so that
    // the program's parent (a shell running a script) sees what ended it.
    [[noreturn]] static void endAsSignalled(int signal);

private:
    struct Watch {
        int signal = 0;
        unsigned sourceId = 0;
    };

    static int onSignal(void* data);
    void stopWatching();

    Handler m_handler;
    std::vector<Watch> m_watches;
    bool m_received = false;
};

} // namespace folio
