#include "platform/text/AttributeValue.h"

#include <array>
#include <functional>

namespace folio {

namespace {

std::size_t hashDouble(double value)
{
    return std::hash<double>{}(value == 0 ? 0.0 : value);
}

// Seeds per kind keep, say, the integer 1 and the bool true from colliding.
constexpr std::size_t kBoolSeed = 0x1b;
constexpr std::size_t kIntegerSeed = 0x2c;
constexpr std::size_t kDoubleSeed = 0x3d;
constexpr std::size_t kStringSeed = 0x4e;
constexpr std::size_t kURLSeed = 0x5f;
constexpr std::size_t kColorSeed = 0x60;
constexpr std::size_t kParagraphStyleSeed = 0x71;
constexpr std::size_t kStringMapSeed = 0x82;
constexpr std::size_t kSizeSeed = 0x93;
constexpr std::size_t kShadowSeed = 0xa4;
constexpr std::size_t kArraySeed = 0xb5;

} // namespace

bool attributeValuesEqual(const AttributeValue* a, const AttributeValue* b)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    return a->isEqual(*b);
}

std::size_t attributeValueHash(const AttributeValue* value)
{
    return value ? value->hash() : 0;
}

std::shared_ptr<const BoolValue> BoolValue::make(bool value)
{
    // Two shared objects serve every bool in every document.
    static const auto yes = std::make_shared<const BoolValue>(true);
    static const auto no = std::make_shared<const BoolValue>(false);
    return value ? yes : no;
}

bool BoolValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<BoolValue>();
    return value && value->m_value == m_value;
}

std::size_t BoolValue::hash() const
{
    return hashCombine(kBoolSeed, m_value ? 1 : 0);
}

std::shared_ptr<const IntegerValue> IntegerValue::make(std::int64_t value)
{
    // Flags and styles (underline, superscript, table marks) repeat a few
    // small numbers in thousands of sets: those are made once and shared,
    // like the bools, and only other numbers take an allocation each.
    constexpr std::int64_t kFirstShared = -1;
    constexpr std::size_t kSharedCount = 258;
    static const auto shared = [] {
        std::array<std::shared_ptr<const IntegerValue>, kSharedCount> values;
        for (std::size_t index = 0; index < kSharedCount; ++index)
            values[index] = std::make_shared<const IntegerValue>(kFirstShared + static_cast<std::int64_t>(index));
        return values;
    }();
    if (value >= kFirstShared && value < kFirstShared + static_cast<std::int64_t>(kSharedCount))
        return shared[static_cast<std::size_t>(value - kFirstShared)];
    // Larger numbers repeat too (a table's cell boundaries, row after row):
    // a small table per thread keeps the last number made in each slot.
    constexpr std::size_t kRecentCount = 64;
    thread_local std::array<std::shared_ptr<const IntegerValue>, kRecentCount> recent;
    std::shared_ptr<const IntegerValue>& slot = recent[static_cast<std::uint64_t>(value) % kRecentCount];
    if (!slot || slot->m_value != value)
        slot = std::make_shared<const IntegerValue>(value);
    return slot;
}

bool IntegerValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<IntegerValue>();
    return value && value->m_value == m_value;
}

std::size_t IntegerValue::hash() const
{
    return hashCombine(kIntegerSeed, std::hash<std::int64_t>{}(m_value));
}

std::shared_ptr<const DoubleValue> DoubleValue::make(double value)
{
    return std::make_shared<const DoubleValue>(value);
}

bool DoubleValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<DoubleValue>();
    return value && value->m_value == m_value;
}

std::size_t DoubleValue::hash() const
{
    return hashCombine(kDoubleSeed, hashDouble(m_value));
}

std::shared_ptr<const StringValue> StringValue::make(std::u16string value)
{
    return std::make_shared<const StringValue>(std::move(value));
}

bool StringValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<StringValue>();
    return value && value->m_value == m_value;
}

std::size_t StringValue::hash() const
{
    return hashCombine(kStringSeed, std::hash<std::u16string>{}(m_value));
}

std::shared_ptr<const URLValue> URLValue::make(std::string urlString)
{
    return std::make_shared<const URLValue>(std::move(urlString));
}

bool URLValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<URLValue>();
    return value && value->m_urlString == m_urlString;
}

std::size_t URLValue::hash() const
{
    return hashCombine(kURLSeed, std::hash<std::string>{}(m_urlString));
}

ColorValue::ColorValue(Color color)
    : m_color(std::move(color))
    , m_hash(hashCombine(kColorSeed, m_color.hash()))
{
}

std::shared_ptr<const ColorValue> ColorValue::make(Color color)
{
    return std::make_shared<const ColorValue>(std::move(color));
}

bool ColorValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<ColorValue>();
    return value && value->m_color == m_color;
}

std::size_t ColorValue::hash() const { return m_hash; }

ParagraphStyleValue::ParagraphStyleValue(PlatformParagraphStyle style)
    : m_style(std::move(style))
    , m_hash(hashCombine(kParagraphStyleSeed, m_style.hash()))
{
}

std::shared_ptr<const ParagraphStyleValue> ParagraphStyleValue::make(PlatformParagraphStyle style)
{
    return std::make_shared<const ParagraphStyleValue>(std::move(style));
}

bool ParagraphStyleValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<ParagraphStyleValue>();
    return value && value->m_style == m_style;
}

std::size_t ParagraphStyleValue::hash() const { return m_hash; }

namespace {

std::size_t hashOfMap(const StringMapValue::Map& map)
{
    std::size_t seed = kStringMapSeed;
    for (const auto& [key, value] : map)
        seed = hashCombine(hashCombine(seed, std::hash<std::string>{}(key)), std::hash<std::u16string>{}(value));
    return seed;
}

} // namespace

StringMapValue::StringMapValue(Map map)
    : m_map(std::move(map))
    , m_hash(hashOfMap(m_map))
{
}

std::shared_ptr<const StringMapValue> StringMapValue::make(Map map)
{
    return std::make_shared<const StringMapValue>(std::move(map));
}

const std::u16string* StringMapValue::valueForKey(const std::string& key) const
{
    auto found = m_map.find(key);
    return found == m_map.end() ? nullptr : &found->second;
}

bool StringMapValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<StringMapValue>();
    return value && value->m_map == m_map;
}

std::size_t StringMapValue::hash() const { return m_hash; }

std::shared_ptr<const SizeValue> SizeValue::make(Size size)
{
    return std::make_shared<const SizeValue>(size);
}

bool SizeValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<SizeValue>();
    return value && value->m_size == m_size;
}

std::size_t SizeValue::hash() const
{
    return hashCombine(hashCombine(kSizeSeed, hashDouble(m_size.width)), hashDouble(m_size.height));
}

std::shared_ptr<const ShadowValue> ShadowValue::make(Size offset, double blur, Color color)
{
    return std::make_shared<const ShadowValue>(offset, blur, std::move(color));
}

bool ShadowValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<ShadowValue>();
    return value && value->m_offset == m_offset && value->m_blur == m_blur && value->m_color == m_color;
}

std::size_t ShadowValue::hash() const
{
    std::size_t seed = hashCombine(kShadowSeed, hashDouble(m_offset.width));
    seed = hashCombine(seed, hashDouble(m_offset.height));
    seed = hashCombine(seed, hashDouble(m_blur));
    return hashCombine(seed, m_color.hash());
}

ArrayValue::ArrayValue(std::vector<AttributeValuePtr> elements) : m_elements(std::move(elements)), m_hash(kArraySeed)
{
    // Arrays are compared often (every paragraph's lists and blocks) and never
    // change, so the hash is worked out once.
    for (const AttributeValuePtr& element : m_elements)
        m_hash = hashCombine(m_hash, attributeValueHash(element.get()));
}

std::shared_ptr<const ArrayValue> ArrayValue::make(std::vector<AttributeValuePtr> elements)
{
    return std::make_shared<const ArrayValue>(std::move(elements));
}

bool ArrayValue::isEqual(const AttributeValue& other) const
{
    const auto* value = other.as<ArrayValue>();
    if (!value || value->m_hash != m_hash || value->m_elements.size() != m_elements.size())
        return false;
    for (std::size_t i = 0; i < m_elements.size(); ++i) {
        if (!attributeValuesEqual(m_elements[i], value->m_elements[i]))
            return false;
    }
    return true;
}

std::size_t ArrayValue::hash() const
{
    return m_hash;
}

} // namespace folio
