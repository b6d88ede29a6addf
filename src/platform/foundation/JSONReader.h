#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/PropertyList.h"

#include <string_view>

namespace folio {

// Reads JSON text (RFC 8259) into a PropertyList: objects become
// dictionaries (keys in the order read; a repeated key keeps its last value),
// arrays arrays, strings UTF-8 strings, whole numbers that fit integers,
// other numbers reals, true and false booleans. A null member of an object
// is left out, as property lists have no null; a null anywhere else is an
// error. Anything that is not exactly one JSON value, with nothing but
// whitespace around it, is an error: answers from a page are checked here
// before anything uses them.
class JSONReader {
public:
    static constexpr const char* kErrorDomain = "JSONReader";
    enum ErrorCode { Malformed = 1, TooDeep = 2 };
    // Deeper nesting than any page answer needs; it keeps a hostile answer
    // from exhausting the stack.
    static constexpr int kMaximumDepth = 64;

    JSONReader() = delete;

    static Result<PropertyList> read(std::string_view text);
};

} // namespace folio
