#include "webeditor/ReadyPoller.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/ResourceTemplate.h"
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
    static const std::string script = [] {
        Result<ResourceTemplate> poller = ResourceTemplate::named("ready-poller.js", "pages");
        if (!poller) {
            // Without it no page ever becomes ready, so nothing is ever saved from one.
            TELog(TELogLevelError, poller.error().message);
            return std::string();
        }
        return poller->text();
    }();
    return script;
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
