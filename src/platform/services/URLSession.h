#pragma once

#include "platform/foundation/Error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace folio {

// HTTP requests, on libsoup through MediaServices: the program loads it with
// the desktop module on the first request. Calls block their thread; run them
// off the main thread.
class URLSession {
public:
    static constexpr const char* kErrorDomain = "URLSession";
    static constexpr unsigned kTimeoutSeconds = 10;

    URLSession() = delete;

    // Sends a HEAD request, following redirects, and answers the URL the last
    // response came from.
    static Result<std::string> finalURLOfHeadRequest(const std::string& url);
    // The body of a GET request; a status other than 2xx is an error.
    static Result<std::vector<std::uint8_t>> dataWithContentsOfURL(const std::string& url);
};

} // namespace folio
