#pragma once

#include "webeditor/PageMessage.h"

#include <functional>
#include <string>
#include <vector>

namespace folio {

// Routes page messages to the editor's handlers by token. Handlers are kept
// in the order they were added and the first one registered for a token
// decides; a handler that needs the page set up is skipped until the page is
// ready, so an early scroll or paste message finds no half-made editor.
class PageMessageDispatcher {
public:
    enum class Gate {
        Always,       // also before the page is ready
        WhenReady,    // dropped until the page has finished its ready step
    };
    using Handler = std::function<void(const PageMessage& message)>;

    void add(std::string token, Gate gate, Handler handler);

    // Runs the handler of the message's token; answers whether one ran.
    bool dispatch(const PageMessage& message, bool pageIsReady) const;

    bool handles(const std::string& token) const;

private:
    struct Route {
        std::string token;
        Gate gate;
        Handler handler;
    };
    std::vector<Route> m_routes;
};

} // namespace folio
