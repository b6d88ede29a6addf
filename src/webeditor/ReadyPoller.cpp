#include "webeditor/ReadyPoller.h"

#include "platform/foundation/RunLoop.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageDialect.h"

namespace folio {

namespace {

constexpr const char* kReadyStepSelector = "pageReadyStep";

} // namespace

ReadyPoller::ReadyPoller(PageConnection& connection, const PageDialect& dialect)
    : m_connection(connection)
    , m_dialect(dialect)
{
}

ReadyPoller::~ReadyPoller()
{
    cancel();
}

std::string ReadyPoller::pollerScript()
{
    return "if(!window._SSWebViewDOMLoadTimer){window._SSWebViewDOMLoadTimer=setInterval(function(){"
           "if(/loaded|complete/.test(document.readyState)){clearInterval(window._SSWebViewDOMLoadTimer);"
           "var h=window.webkit&&window.webkit.messageHandlers&&window.webkit.messageHandlers.rte;"
           "if(h){h.postMessage('x-twwebview://dom-loaded');}else{location.href='x-twwebview://dom-loaded';}}},10);}";
}

void ReadyPoller::pageDidFinishLoad()
{
    if (m_injected)
        return;
    m_injected = true;
    m_connection.send(pollerScript());
}

void ReadyPoller::pageWillLoad()
{
    cancel();
    m_injected = false;
    m_started = false;
}

bool ReadyPoller::handleMessage(const std::string& message, std::function<void()> readyStep)
{
    if (message != m_dialect.readySignal())
        return false;
    if (m_started)
        return true;
    m_started = true;
    double delay = m_dialect.readyDelaySeconds();
    if (delay <= 0) {
        readyStep();
        return true;
    }
    RunLoop::main().performSelectorAfterDelay(this, kReadyStepSelector, {}, delay, std::move(readyStep));
    return true;
}

void ReadyPoller::cancel()
{
    RunLoop::main().cancelPreviousPerformRequests(this, kReadyStepSelector);
}

} // namespace folio
