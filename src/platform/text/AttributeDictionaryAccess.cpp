#include "platform/text/AttributeDictionaryAccess.h"

#include "platform/foundation/StringUtilities.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace folio {

namespace {

// The value as a whole number, before it is fitted into the asked type; none
// for values that are not numbers.
std::optional<long long> wholeNumberForKey(const AttributeDictionary& dictionary, std::string_view key)
{
    const AttributeValuePtr& value = dictionary.valueForKey(key);
    if (!value)
        return std::nullopt;
    if (const auto* integer = value->as<IntegerValue>())
        return integer->value();
    if (const auto* boolean = value->as<BoolValue>())
        return boolean->value() ? 1 : 0;
    if (const auto* real = value->as<DoubleValue>()) {
        double truncated = std::trunc(real->value());
        // The bounds are powers of two, so they compare exactly as doubles.
        if (!std::isfinite(truncated) || truncated < -0x1p63 || truncated >= 0x1p63)
            return std::nullopt;
        return static_cast<long long>(truncated);
    }
    if (const auto* string = value->as<StringValue>())
        return longLongValue(string->value());
    return std::nullopt;
}

template <typename T>
T fitted(std::optional<long long> number, T defaultValue)
{
    if (!number || *number < static_cast<long long>(std::numeric_limits<T>::min())
        || *number > static_cast<long long>(std::numeric_limits<T>::max()))
        return defaultValue;
    return static_cast<T>(*number);
}

AttributeDictionaryPtr orEmpty(const AttributeDictionaryPtr& dictionary)
{
    return dictionary ? dictionary : AttributeDictionary::empty();
}

} // namespace

int intForKey(const AttributeDictionary& dictionary, std::string_view key, int defaultValue)
{
    return fitted<int>(wholeNumberForKey(dictionary, key), defaultValue);
}

unsigned unsignedIntForKey(const AttributeDictionary& dictionary, std::string_view key, unsigned defaultValue)
{
    return fitted<unsigned>(wholeNumberForKey(dictionary, key), defaultValue);
}

std::optional<std::u16string> stringForKey(const AttributeDictionary& dictionary, std::string_view key)
{
    if (const auto* string = dictionary.valueForKeyAs<StringValue>(key))
        return string->value();
    return std::nullopt;
}

void setIntValue(AttributeDictionaryPtr& dictionary, int value, std::string_view key)
{
    dictionary = orEmpty(dictionary)->dictionaryBySettingValue(key, IntegerValue::make(value));
}

void setUnsignedIntValue(AttributeDictionaryPtr& dictionary, unsigned value, std::string_view key)
{
    dictionary = orEmpty(dictionary)->dictionaryBySettingValue(key, IntegerValue::make(value));
}

} // namespace folio
