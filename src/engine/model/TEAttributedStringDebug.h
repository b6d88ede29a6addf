#pragma once

#include "platform/text/AttributedString.h"

#include <string>
#include <string_view>

namespace folio {

// A look at how one attribute is spread over a text, for debugging.
class TEAttributedStringDebug {
public:
    // One line per run of the attribute: "{location, length} value 'text'",
    // an array value as its elements joined with ", ", line breaks of the
    // text shown as "\n".
    static std::string descriptionOfRangesOfAttribute(const AttributedString& string, std::string_view key);
    // Prints that description to standard output.
    static void dumpRangesOfAttribute(const AttributedString& string, std::string_view key);
};

} // namespace folio
