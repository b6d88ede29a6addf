#pragma once

#include <functional>
#include <string>

namespace folio {

class PageConnection;
class PageDialect;

// Waits for the page to become ready. After the first finished load it puts
// a small poller into the page that checks document.readyState every 10 ms
// and sends "x-twwebview://dom-loaded" once; when the dialect's ready signal
// arrives the editor's ready step runs once, after the dialect's delay.
class ReadyPoller {
public:
    static constexpr const char* kDOMLoadedSignal = "x-twwebview://dom-loaded";
    static constexpr double kPollIntervalMilliseconds = 10;

    ReadyPoller(PageConnection& connection, const PageDialect& dialect);
    ~ReadyPoller();
    ReadyPoller(const ReadyPoller&) = delete;
    ReadyPoller& operator=(const ReadyPoller&) = delete;

    // The poller's script. It posts the signal to the "rte" message handler
    // where there is one, since a location change can be lost to another in
    // the same task.
    static std::string pollerScript();

    void pageDidFinishLoad();
    // A new page is about to load into the view: its ready step may run again.
    void pageWillLoad();

    // Answers whether the message is the ready signal; if so, and the ready
    // step has not run for this page, schedules it.
    bool handleMessage(const std::string& message, std::function<void()> readyStep);

    bool isPollerInjected() const { return m_injected; }
    bool hasStartedReadyStep() const { return m_started; }

    // Drops a ready step still waiting for its delay.
    void cancel();

private:
    PageConnection& m_connection;
    const PageDialect& m_dialect;
    bool m_injected = false;
    bool m_started = false;
};

} // namespace folio
