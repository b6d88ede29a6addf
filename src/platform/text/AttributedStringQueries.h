#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Range.h"
#include "platform/text/AttributedString.h"
#include "platform/text/MutableAttributedString.h"

#include <string_view>
#include <vector>

namespace folio {

// Questions the RTF writer asks of a stretch of attributed text. In both
// answers a null pointer stands for a stretch without the key. A range that
// reaches outside the text is an error rather than a shortened answer.

// The distinct values (by value equality) of the key over the range, each
// once, in the order they first occur; the null marker at most once.
Result<std::vector<AttributeValuePtr>> valuesOfAttribute(const AttributedString& string, std::string_view key,
                                                         Range range);
// The value of the key for each stored run that meets the range, in text order.
Result<std::vector<AttributeValuePtr>> allValuesOfAttribute(const AttributedString& string, std::string_view key,
                                                            Range range);

// Appends text carrying the attributes of the last character (none for an
// empty string), as typing at the end of the text would.
void appendString(MutableAttributedString& string, std::u16string_view text);

} // namespace folio
