#pragma once

#include "platform/text/AttributeDictionary.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Typed reading and writing of single entries of an attribute dictionary, as
// the RTF codec needs them for its table, list and page keys.
//
// A number is read from an integer, real (truncated toward zero), boolean (0
// or 1) or string value (its leading number, as intValue reads it). Values out
// of the asked type's range, numbers that are not finite and values of other
// kinds give the default, because a wrapped or clamped index would silently
// point at the wrong colour, font or cell.
int intForKey(const AttributeDictionary& dictionary, std::string_view key, int defaultValue);
unsigned unsignedIntForKey(const AttributeDictionary& dictionary, std::string_view key, unsigned defaultValue);
// The text of a string value; none when absent or of another kind.
std::optional<std::u16string> stringForKey(const AttributeDictionary& dictionary, std::string_view key);

// Dictionaries are immutable and shared, so "setting" replaces the caller's
// pointer with a new dictionary; a null pointer counts as the empty dictionary.
void setIntValue(AttributeDictionaryPtr& dictionary, int value, std::string_view key);
void setUnsignedIntValue(AttributeDictionaryPtr& dictionary, unsigned value, std::string_view key);

} // namespace folio
