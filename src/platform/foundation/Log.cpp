#include "platform/foundation/Log.h"

#include <memory>
#include <mutex>

namespace folio {

std::atomic<int> TECurrentLogLevel{TELogLevelInfo};

namespace {

std::mutex& handlerMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const TELogHandler>& installedHandler()
{
    static std::shared_ptr<const TELogHandler> handler;
    return handler;
}

} // namespace

void setTELogHandler(TELogHandler handler)
{
    std::lock_guard lock(handlerMutex());
    installedHandler() = handler ? std::make_shared<const TELogHandler>(std::move(handler)) : nullptr;
}

bool hasTELogHandler()
{
    std::lock_guard lock(handlerMutex());
    return installedHandler() != nullptr;
}

void TELog(int level, std::string_view text, TELogLocation location)
{
    if (level > TECurrentLogLevel.load())
        return;
    std::shared_ptr<const TELogHandler> handler;
    {
        std::lock_guard lock(handlerMutex());
        handler = installedHandler();
    }
    // Called outside the lock so that a handler may itself log or replace the handler.
    if (handler)
        (*handler)(TELogMessage{level, location.file, location.line, location.function, text});
}

} // namespace folio
