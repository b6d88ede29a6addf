#pragma once

#include "platform/foundation/HashMixing.h"

#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace folio {

// The key of an attribute. A program names a few dozen keys and copies them
// millions of times (every set made from another copies its keys, and many
// names are too long for a string's own buffer), so each name is kept once,
// for the life of the program, and a key is the address of that name: a
// copy is a pointer, and no key ever allocates or frees.
//
// A key reads like the name it holds: it converts to the name's string and
// compares with strings. Keys order as their names do.
class AttributeKey {
public:
    AttributeKey();
    AttributeKey(std::string_view name);
    AttributeKey(const std::string& name) : AttributeKey(std::string_view(name)) {}
    AttributeKey(const char* name) : AttributeKey(std::string_view(name)) {}

    const std::string& str() const { return m_name->text; }
    operator const std::string&() const { return m_name->text; }
    operator std::string_view() const { return m_name->text; }

    std::size_t size() const { return m_name->text.size(); }
    bool empty() const { return m_name->text.empty(); }
    const char* data() const { return m_name->text.data(); }
    const char* c_str() const { return m_name->text.c_str(); }
    char front() const { return m_name->text.front(); }
    char back() const { return m_name->text.back(); }
    int compare(std::string_view other) const { return std::string_view(m_name->text).compare(other); }
    int compare(const AttributeKey& other) const
    {
        if (m_name == other.m_name)
            return 0;
        // Sets are merged and sorted by key thousands of times: the first
        // bytes of most names already tell their order, without a call to
        // compare the strings.
        if (m_name->orderPrefix != other.m_name->orderPrefix)
            return m_name->orderPrefix < other.m_name->orderPrefix ? -1 : 1;
        return compare(std::string_view(other.m_name->text));
    }
    bool starts_with(std::string_view prefix) const { return std::string_view(m_name->text).starts_with(prefix); }
    // std::hash of the name, worked out once per name.
    std::size_t hash() const { return m_name->hash; }
    // The name's first eight bytes as one number, the first byte the most
    // significant and zeros after a shorter name: names whose prefixes
    // differ order as their prefixes do.
    std::uint64_t orderPrefix() const { return m_name->orderPrefix; }
    static std::uint64_t orderPrefixOf(std::string_view name)
    {
        std::uint64_t prefix = 0;
        if (name.size() >= sizeof(prefix)) {
            std::memcpy(&prefix, name.data(), sizeof(prefix));
        } else if (!name.empty()) {
            std::memcpy(&prefix, name.data(), name.size());
        }
        if constexpr (std::endian::native == std::endian::little)
            prefix = __builtin_bswap64(prefix);
        return prefix;
    }
    // One bit of 64 that stands for the name, from its length, its first
    // eight bytes (as orderPrefixOf gives them) and its last byte: a set
    // keeps the bits of its keys, and a name whose bit is not among them is
    // not there, which a lookup learns without reading the set's keys.
    std::uint64_t presenceBit() const { return m_name->presenceBit; }
    static std::uint64_t presenceBitOf(std::string_view name, std::uint64_t orderPrefix)
    {
        const std::uint64_t last = name.empty() ? 0 : static_cast<unsigned char>(name.back());
        const std::uint64_t mixed = (orderPrefix ^ (name.size() << 8) ^ last) * kGoldenRatioHash;
        return std::uint64_t(1) << (mixed >> 58);
    }

    // Equal names are one name: equal keys hold the same address.
    friend bool operator==(const AttributeKey& a, const AttributeKey& b) { return a.m_name == b.m_name; }
    friend bool operator==(const AttributeKey& a, std::string_view b) { return std::string_view(a.m_name->text) == b; }
    friend bool operator==(const AttributeKey& a, const std::string& b) { return a.m_name->text == b; }
    friend bool operator==(const AttributeKey& a, const char* b) { return std::string_view(a.m_name->text) == b; }
    friend std::strong_ordering operator<=>(const AttributeKey& a, const AttributeKey& b)
    {
        return a.compare(b) <=> 0;
    }
    friend std::strong_ordering operator<=>(const AttributeKey& a, std::string_view b) { return a.compare(b) <=> 0; }
    friend std::strong_ordering operator<=>(const AttributeKey& a, const std::string& b)
    {
        return a.compare(std::string_view(b)) <=> 0;
    }
    friend std::strong_ordering operator<=>(const AttributeKey& a, const char* b)
    {
        return a.compare(std::string_view(b)) <=> 0;
    }

private:
    struct Name {
        std::string text;
        std::size_t hash;
        // The first eight bytes, the first the most significant, zero
        // after a shorter name: prefixes that differ order as the names do.
        std::uint64_t orderPrefix;
        std::uint64_t presenceBit;
    };
    const Name* m_name;
};

std::string operator+(const std::string& text, const AttributeKey& key);
std::string operator+(const AttributeKey& key, const std::string& text);
std::string operator+(const char* text, const AttributeKey& key);
std::string operator+(const AttributeKey& key, const char* text);

} // namespace folio

template <>
struct std::hash<folio::AttributeKey> {
    std::size_t operator()(const folio::AttributeKey& key) const { return key.hash(); }
};
