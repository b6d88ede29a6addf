#include "webeditor/PageMessageDispatcher.h"

namespace folio {

void PageMessageDispatcher::add(std::string token, Gate gate, Handler handler)
{
    m_routes.push_back(Route{std::move(token), gate, std::move(handler)});
}

bool PageMessageDispatcher::dispatch(const PageMessage& message, bool pageIsReady) const
{
    for (const Route& route : m_routes) {
        if (route.token != message.token)
            continue;
        if (route.gate == Gate::WhenReady && !pageIsReady)
            return false;
        // A handler may add routes or close the editor; it runs on a copy.
        Handler handler = route.handler;
        if (handler)
            handler(message);
        return true;
    }
    return false;
}

bool PageMessageDispatcher::handles(const std::string& token) const
{
    for (const Route& route : m_routes) {
        if (route.token == token)
            return true;
    }
    return false;
}

} // namespace folio
