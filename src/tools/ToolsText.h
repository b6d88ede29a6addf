#pragma once

#include <string>
#include <string_view>

namespace folio {

// An interface text of the writing tools in the user's language.
std::u16string localized(std::string_view key);

} // namespace folio
