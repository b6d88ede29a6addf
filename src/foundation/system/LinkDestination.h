#pragma once

#include <string>

namespace folio {

// Where a link a person follows in a document goes. Documents come from
// anywhere, so a link's scheme decides, and only two kinds leave the
// program: web addresses (to a browser) and mail addresses (to the
// desktop's mail program). A script, a local file or a scheme some other
// program registered is never handed on.
struct LinkDestination {
    enum class Kind { Web, Mail, Refused };

    Kind kind = Kind::Refused;
    // The address to open; for a refused link, why, for the person.
    std::string address;

    // A target without a scheme ("example.org/page", "host:8080") is a web
    // address, read as "http://" and the target.
    static LinkDestination forTarget(const std::string& target);
};

} // namespace folio
