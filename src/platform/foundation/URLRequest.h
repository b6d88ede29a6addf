#pragma once

#include <string>

namespace folio {

// What a transfer is asked to fetch.
struct URLRequest {
    std::string url;

    friend bool operator==(const URLRequest&, const URLRequest&) = default;
};

} // namespace folio
