#include "engine/model/TEAttributedStringDebug.h"

#include "engine/css/ColorHTML.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <cstdio>

namespace folio {

namespace {

std::string describe(const AttributeValue* value)
{
    if (!value)
        return "(null)";
    if (const auto* array = value->as<ArrayValue>()) {
        std::string text;
        for (const AttributeValuePtr& element : array->elements()) {
            if (!text.empty())
                text += ", ";
            text += describe(element.get());
        }
        return text;
    }
    if (const auto* string = value->as<StringValue>())
        return toUtf8(string->value());
    if (const auto* number = value->as<IntegerValue>())
        return std::to_string(number->value());
    if (const auto* number = value->as<DoubleValue>())
        return formatShortest(number->value());
    if (const auto* flag = value->as<BoolValue>())
        return flag->value() ? "1" : "0";
    if (const auto* url = value->as<URLValue>())
        return url->urlString();
    if (const auto* color = value->as<ColorValue>())
        return "#" + htmlHexString(color->color());
    if (const auto* list = value->as<TECSSListStyle>())
        return list->description();
    return "<" + std::string(value->typeName()) + ">";
}

} // namespace

std::string TEAttributedStringDebug::descriptionOfRangesOfAttribute(const AttributedString& string,
                                                                    std::string_view key)
{
    std::string lines;
    std::u16string_view text = string.string();
    auto line = [&](const AttributeValuePtr& value, Range range, bool&) {
        std::string runText = toUtf8(text.substr(range.location, range.length));
        runText = stringByReplacingOccurrencesOfString(runText, "\n", "\\n");
        lines += "{" + std::to_string(range.location) + ", " + std::to_string(range.length) + "} " +
                 describe(value.get()) + " '" + runText + "'\n";
    };
    string.enumerateAttribute(key, Range{0, string.length()}, AttributeEnumerationOptions::None, line);
    return lines;
}

void TEAttributedStringDebug::dumpRangesOfAttribute(const AttributedString& string, std::string_view key)
{
    std::fputs(descriptionOfRangesOfAttribute(string, key).c_str(), stdout);
}

} // namespace folio
