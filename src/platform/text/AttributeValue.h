#pragma once

#include "platform/foundation/HashMixing.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/text/PlatformParagraphStyle.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace folio {

class AttributeValue;
using AttributeValuePtr = std::shared_ptr<const AttributeValue>;

// The value of one attribute of attributed text. Values are immutable and
// shared: the same object may sit in many dictionaries and runs, and code that
// tracks lists and text blocks relies on that identity, so compare pointers for
// "the same object" and isEqual for "the same value". Higher layers add their
// own kinds (fonts, attachments, list styles, text blocks) by subclassing.
class AttributeValue {
public:
    virtual ~AttributeValue() = default;

    // Value equality. Implementations answer false for a value of another kind.
    virtual bool isEqual(const AttributeValue& other) const = 0;
    // Equal values must hash alike.
    virtual std::size_t hash() const = 0;
    // A short name of the kind, for diagnostics and dumps.
    virtual std::string_view typeName() const = 0;

    // The value as a given kind, or null when it is of another kind. Asked
    // of every value of every set a reading pools: a kind no other derives
    // from is told by its type alone, without searching the class tree.
    template <typename T>
    const T* as() const
    {
        if constexpr (std::is_final_v<T>)
            return typeid(*this) == typeid(T) ? static_cast<const T*>(this) : nullptr;
        else
            return dynamic_cast<const T*>(this);
    }
};

// True for the same object, for two nulls, or for two equal values.
bool attributeValuesEqual(const AttributeValue* a, const AttributeValue* b);
inline bool attributeValuesEqual(const AttributeValuePtr& a, const AttributeValuePtr& b)
{
    return attributeValuesEqual(a.get(), b.get());
}
std::size_t attributeValueHash(const AttributeValue* value);

class BoolValue final : public AttributeValue {
public:
    explicit BoolValue(bool value) : m_value(value) {}
    static std::shared_ptr<const BoolValue> make(bool value);
    bool value() const { return m_value; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "bool"; }

private:
    bool m_value;
};

class IntegerValue final : public AttributeValue {
public:
    explicit IntegerValue(std::int64_t value) : m_value(value) {}
    static std::shared_ptr<const IntegerValue> make(std::int64_t value);
    std::int64_t value() const { return m_value; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "integer"; }

private:
    std::int64_t m_value;
};

class DoubleValue final : public AttributeValue {
public:
    explicit DoubleValue(double value) : m_value(value) {}
    static std::shared_ptr<const DoubleValue> make(double value);
    double value() const { return m_value; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "double"; }

private:
    double m_value;
};

class StringValue final : public AttributeValue {
public:
    explicit StringValue(std::u16string value) : m_value(std::move(value)) {}
    static std::shared_ptr<const StringValue> make(std::u16string value);
    const std::u16string& value() const { return m_value; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "string"; }

private:
    std::u16string m_value;
};

// A link target, kept as its absolute or relative URL text: links that do not
// parse must still survive a round trip through the document.
class URLValue final : public AttributeValue {
public:
    explicit URLValue(std::string urlString) : m_urlString(std::move(urlString)) {}
    static std::shared_ptr<const URLValue> make(std::string urlString);
    const std::string& urlString() const { return m_urlString; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "url"; }

private:
    std::string m_urlString;
};

class ColorValue final : public AttributeValue {
public:
    explicit ColorValue(Color color);
    static std::shared_ptr<const ColorValue> make(Color color);
    const Color& color() const { return m_color; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "color"; }

private:
    Color m_color;
    // Taken once: colours and paragraph styles are shared by many sets,
    // and each set hashes its values.
    std::size_t m_hash;
};

class ParagraphStyleValue final : public AttributeValue {
public:
    explicit ParagraphStyleValue(PlatformParagraphStyle style);
    static std::shared_ptr<const ParagraphStyleValue> make(PlatformParagraphStyle style);
    const PlatformParagraphStyle& style() const { return m_style; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "paragraphStyle"; }

private:
    PlatformParagraphStyle m_style;
    std::size_t m_hash;
};

// Name to value, such as the HTML attributes of an element; ordered by name so
// that output written from it is deterministic.
class StringMapValue final : public AttributeValue {
public:
    using Map = std::map<std::string, std::u16string>;
    explicit StringMapValue(Map map);
    static std::shared_ptr<const StringMapValue> make(Map map);
    const Map& map() const { return m_map; }
    // Null when the name is absent.
    const std::u16string* valueForKey(const std::string& key) const;
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "stringMap"; }

private:
    Map m_map;
    // Taken once: a table cell's look is one map of a dozen texts, hashed
    // into the set of every cell mark that shares it.
    std::size_t m_hash;
};

class SizeValue final : public AttributeValue {
public:
    explicit SizeValue(Size size) : m_size(size) {}
    static std::shared_ptr<const SizeValue> make(Size size);
    Size size() const { return m_size; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "size"; }

private:
    Size m_size;
};

// A text shadow: offset, blur radius and colour, all in points.
class ShadowValue final : public AttributeValue {
public:
    ShadowValue(Size offset, double blur, Color color) : m_offset(offset), m_blur(blur), m_color(std::move(color)) {}
    static std::shared_ptr<const ShadowValue> make(Size offset, double blur, Color color);
    Size offset() const { return m_offset; }
    double blur() const { return m_blur; }
    const Color& color() const { return m_color; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "shadow"; }

private:
    Size m_offset;
    double m_blur;
    Color m_color;
};

// An ordered array of values (the lists a paragraph belongs to, its text
// blocks, its shadows). Two arrays are equal when their elements are equal in
// order; the element objects themselves are kept, so callers can still ask
// whether two paragraphs share the very same list object.
class ArrayValue final : public AttributeValue {
public:
    explicit ArrayValue(std::vector<AttributeValuePtr> elements);
    static std::shared_ptr<const ArrayValue> make(std::vector<AttributeValuePtr> elements);
    const std::vector<AttributeValuePtr>& elements() const { return m_elements; }
    std::size_t count() const { return m_elements.size(); }
    bool isEmpty() const { return m_elements.empty(); }
    const AttributeValuePtr& operator[](std::size_t index) const { return m_elements[index]; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "array"; }

private:
    std::vector<AttributeValuePtr> m_elements;
    std::size_t m_hash;
};

} // namespace folio
