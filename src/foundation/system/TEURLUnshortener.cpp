#include "foundation/system/TEURLUnshortener.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/services/URLSession.h"

#include <map>

namespace folio {

namespace {

struct UnshortenState {
    DispatchQueue queue{"TEUnshortenQueue"};
    // Touched only on the queue.
    std::map<std::string, std::string> cache;
};

UnshortenState& state()
{
    static UnshortenState* shared = new UnshortenState;
    return *shared;
}

} // namespace

void TEURLUnshortener::unshortenWithCompletion(const std::string& url,
                                               std::function<void(std::optional<std::string>)> completion)
{
    std::string address = url.find("://") == std::string::npos ? "http://" + url : url;
    UnshortenState& shared = state();
    shared.queue.async([&shared, address, completion = std::move(completion)] {
        if (auto cached = shared.cache.find(address); cached != shared.cache.end()) {
            completion(cached->second);
            return;
        }
        Result<std::string> resolved = URLSession::finalURLOfHeadRequest(address);
        if (!resolved) {
            completion(std::nullopt);
            return;
        }
        shared.cache[address] = *resolved;
        completion(*resolved);
    });
}

} // namespace folio
