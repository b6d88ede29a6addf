#pragma once

#include "platform/foundation/Error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace folio {

// HTTP requests on libsoup (URLSession's engine). Calls block their thread.
class SoupURLSession {
public:
    SoupURLSession() = delete;

    static Result<std::string> finalURLOfHeadRequest(const std::string& url);
    static Result<std::vector<std::uint8_t>> dataWithContentsOfURL(const std::string& url);
};

} // namespace folio
