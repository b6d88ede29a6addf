#pragma once

#include "engine/css/CSSString.h"

#include <optional>
#include <string_view>

namespace folio {

class KeyedArchiver;
class KeyedUnarchiver;

// Four-sided insets in a keyed archive, in the platform coder's own form:
// the text "{top, left, bottom, right}".
void encodeDTEdgeInsets(KeyedArchiver& coder, const TEEdgeInsets& insets, std::string_view key);
// Zero insets when the key is missing or its text is not four numbers.
TEEdgeInsets decodeDTEdgeInsetsForKey(const KeyedUnarchiver& coder, std::string_view key);

} // namespace folio
