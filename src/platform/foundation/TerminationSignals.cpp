#include "platform/foundation/TerminationSignals.h"

#include <glib-unix.h>
#include <glib.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace folio {

namespace {

constexpr int kWatchedSignals[] = {SIGTERM, SIGINT, SIGHUP};

bool isIgnored(int signal)
{
    struct sigaction current {};
    return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void restoreDefaultAction(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

struct SignalCall {
    TerminationSignals* watch;
    int signal;
};

struct PendingCall {
    TerminationSignals::Handler handler;
    int signal;
};

} // namespace

TerminationSignals::TerminationSignals(Handler handler) : m_handler(std::move(handler))
{
    for (int signal : kWatchedSignals) {
        if (isIgnored(signal))
            continue;
        auto* call = new SignalCall{this, signal};
        unsigned id = g_unix_signal_add_full(G_PRIORITY_HIGH, signal, &TerminationSignals::onSignal, call,
                                             [](gpointer data) { delete static_cast<SignalCall*>(data); });
        m_watches.push_back({signal, id});
    }
}

TerminationSignals::~TerminationSignals()
{
    stopWatching();
}

void TerminationSignals::stopWatching()
{
    std::vector<Watch> watches = std::move(m_watches);
    m_watches.clear();
    for (const Watch& watch : watches) {
        g_source_remove(watch.sourceId);
        // Set here, not left to the loop library: a second request must find
        // the default action at once, while the first one's work still runs.
        restoreDefaultAction(watch.signal);
    }
}

int TerminationSignals::onSignal(void* data)
{
    auto* call = static_cast<SignalCall*>(data);
    TerminationSignals* self = call->watch;
    int signal = call->signal;
    if (self->m_received)
        return G_SOURCE_REMOVE;
    self->m_received = true;
    // Removing the sources frees `call`; what is needed was copied above.
    self->stopWatching();
    // Run once the loop is idle, not inside this source: input already
    // queued (the last keys typed before the request) is served first, so
    // that it has reached the page when the handler reads it.
    auto* pending = new PendingCall{self->m_handler, signal};
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer data) -> gboolean {
            auto* call = static_cast<PendingCall*>(data);
            if (call->handler)
                call->handler(call->signal);
            return G_SOURCE_REMOVE;
        },
        pending, [](gpointer data) { delete static_cast<PendingCall*>(data); });
    return G_SOURCE_REMOVE;
}

void TerminationSignals::endAsSignalled(int signal)
{
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    restoreDefaultAction(signal);
    sigset_t unblocked;
    sigemptyset(&unblocked);
    sigaddset(&unblocked, signal);
    pthread_sigmask(SIG_UNBLOCK, &unblocked, nullptr);
    std::raise(signal);
    // A signal whose default action does not end the process.
    _exit(128 + signal);
}

} // namespace folio
