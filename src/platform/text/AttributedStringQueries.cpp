#include "platform/text/AttributedStringQueries.h"

#include <algorithm>
#include <string>

namespace folio {

namespace {

Error rangeOutsideText(Range range, std::size_t length)
{
    return Error{"AttributedString", 1,
                 "Range {" + std::to_string(range.location) + ", " + std::to_string(range.length)
                     + "} lies outside text of length " + std::to_string(length)};
}

} // namespace

Result<std::vector<AttributeValuePtr>> valuesOfAttribute(const AttributedString& string, std::string_view key,
                                                         Range range)
{
    if (!string.containsRange(range))
        return rangeOutsideText(range, string.length());
    std::vector<AttributeValuePtr> values;
    string.enumerateAttribute(key, range, AttributeEnumerationOptions::LongestEffectiveRange,
                              [&values](const AttributeValuePtr& value, Range, bool&) {
                                  bool seen = std::any_of(values.begin(), values.end(), [&value](const auto& known) {
                                      return attributeValuesEqual(known, value);
                                  });
                                  if (!seen)
                                      values.push_back(value);
                              });
    return values;
}

Result<std::vector<AttributeValuePtr>> allValuesOfAttribute(const AttributedString& string, std::string_view key,
                                                            Range range)
{
    if (!string.containsRange(range))
        return rangeOutsideText(range, string.length());
    std::vector<AttributeValuePtr> values;
    string.enumerateAttribute(key, range, AttributeEnumerationOptions::None,
                              [&values](const AttributeValuePtr& value, Range, bool&) { values.push_back(value); });
    return values;
}

void appendString(MutableAttributedString& string, std::u16string_view text)
{
    // Replacing the empty range at the end takes the attributes of the
    // character before it; it cannot fail, as the end is always inside.
    string.replaceCharactersInRange(Range{string.length(), 0}, text);
}

} // namespace folio
