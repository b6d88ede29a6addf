#pragma once

#include "platform/graphics/Geometry.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Page margins kept under four keys "<prefix>Top", "<prefix>Left",
// "<prefix>Bottom" and "<prefix>Right", in centimetres.
class PageMargins {
public:
    static constexpr std::string_view kDocumentPrefix = "marquentPageMargin";
    static constexpr std::string_view kMarkdownPrefix = "markdownPageMargin";

    using Lookup = std::function<std::optional<float>(const std::string& key)>;

    PageMargins() = delete;

    // Top, left, bottom, right; 0 for a side the lookup has no value for.
    static EdgeInsets read(std::string_view prefix, const Lookup& lookup);
};

} // namespace folio
