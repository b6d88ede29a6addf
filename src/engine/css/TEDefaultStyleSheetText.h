#pragma once

#include <string_view>

namespace folio {

// The built-in CSS that every HTML conversion starts from (UTF-8).
std::string_view TEDefaultStyleSheetText();

} // namespace folio
