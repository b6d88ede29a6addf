#pragma once

#include <functional>
#include <optional>
#include <string>

namespace folio {

// Follows the redirects of a short link to the address it stands for.
// Answers are remembered for the rest of the process.
class TEURLUnshortener {
public:
    TEURLUnshortener() = delete;

    // The callback runs on a background queue with the final address, or
    // none when the request failed. An address without a scheme is taken as
    // "http://".
    static void unshortenWithCompletion(const std::string& url, std::function<void(std::optional<std::string>)> completion);
};

} // namespace folio
