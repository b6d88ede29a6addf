#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace folio {

// A property list value: a string, integer, real, boolean, date or data
// leaf, or an array or dictionary of further values. Dictionaries keep their
// keys in the order they were read or first set, so written files are stable.
class PropertyList {
public:
    enum class Type { String, Integer, Real, Boolean, Date, Data, Array, Dictionary, UID };
    enum class Format { XML, Binary };
    using Date = std::chrono::system_clock::time_point;
    using Array = std::vector<PropertyList>;
    using Dictionary = std::vector<std::pair<std::string, PropertyList>>;
    // A reference to an object of a keyed archive, by its index in the
    // archive's object table (binary property lists only).
    struct UID {
        std::uint64_t index = 0;
        friend bool operator==(const UID&, const UID&) = default;
    };

    static constexpr const char* kErrorDomain = "PropertyList";
    enum ErrorCode { Malformed = 1, TooDeep = 2, Unsupported = 3, WriteFailed = 4 };

    // An empty dictionary, the usual top level.
    PropertyList() : m_value(Dictionary{}) {}
    PropertyList(std::string value) : m_value(std::move(value)) {}
    PropertyList(const char* value) : m_value(std::string(value)) {}
    PropertyList(std::int64_t value) : m_value(value) {}
    PropertyList(int value) : m_value(std::int64_t(value)) {}
    PropertyList(double value) : m_value(value) {}
    PropertyList(bool value) : m_value(value) {}
    PropertyList(Date value) : m_value(value) {}
    PropertyList(folio::Data value) : m_value(std::move(value)) {}
    PropertyList(Array value) : m_value(std::move(value)) {}
    PropertyList(Dictionary value) : m_value(std::move(value)) {}
    PropertyList(UID value) : m_value(value) {}

    static PropertyList array(std::initializer_list<PropertyList> items = {}) { return PropertyList(Array(items)); }
    static PropertyList dictionary(std::initializer_list<std::pair<std::string, PropertyList>> items = {});

    Type type() const { return static_cast<Type>(m_value.index()); }

    // Each answers nothing when the value is of another type.
    const std::string* stringValue() const { return std::get_if<std::string>(&m_value); }
    std::optional<std::int64_t> integerValue() const;
    std::optional<double> realValue() const;
    std::optional<bool> booleanValue() const;
    std::optional<Date> dateValue() const;
    const folio::Data* dataValue() const { return std::get_if<folio::Data>(&m_value); }
    const Array* arrayValue() const { return std::get_if<Array>(&m_value); }
    Array* mutableArrayValue() { return std::get_if<Array>(&m_value); }
    const Dictionary* dictionaryValue() const { return std::get_if<Dictionary>(&m_value); }
    const UID* uidValue() const { return std::get_if<UID>(&m_value); }

    // Dictionary access; on other types lookups answer nothing and changes do nothing.
    const PropertyList* objectForKey(std::string_view key) const;
    // Replaces a present key in place, else appends it.
    void setObjectForKey(std::string_view key, PropertyList value);
    void removeObjectForKey(std::string_view key);
    std::vector<std::string> keys() const;

    // Reads XML or binary property lists; anything else is an Error.
    static Result<PropertyList> fromData(std::span<const std::uint8_t> bytes);
    static Result<PropertyList> readFromFile(const std::string& path);
    // NOTE: XML dates carry whole seconds, as the format does; binary keeps fractions.
    Result<folio::Data> toData(Format format) const;
    // Atomic, like every save.
    Status writeToFile(const std::string& path, Format format) const;

    friend bool operator==(const PropertyList&, const PropertyList&) = default;

private:
    std::variant<std::string, std::int64_t, double, bool, Date, folio::Data, Array, Dictionary, UID> m_value;
};

} // namespace folio
