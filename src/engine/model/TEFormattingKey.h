#pragma once

#include "platform/foundation/HashMixing.h"
#include "platform/graphics/Color.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>

namespace folio {

// The values a piece of formatting is made from, packed into one string of
// bytes, so that a reader can tell it has seen the same formatting before
// without making its attribute dictionary again. Every value is written at a
// fixed width or with its length in front, so two different sequences of
// values never pack into the same bytes.
class TEFormattingKey {
public:
    template <typename Value>
        requires std::is_arithmetic_v<Value> || std::is_enum_v<Value>
    void add(Value value)
    {
        // Doubles are packed as written, so 0.0 and -0.0 (or two NaNs of
        // other bits) count as different formatting: at worst a dictionary
        // is made once more, never shared where it should not be.
        append(&value, sizeof(Value));
    }

    void add(std::string_view text)
    {
        add(static_cast<std::uint64_t>(text.size()));
        append(text.data(), text.size());
    }

    void add(std::u16string_view text)
    {
        add(static_cast<std::uint64_t>(text.size()));
        append(text.data(), text.size() * sizeof(char16_t));
    }

    template <typename Value>
    void add(const std::optional<Value>& value)
    {
        add(value.has_value());
        if (value)
            add(*value);
    }

    void add(const Color& color)
    {
        add(color.colorSpace());
        add(static_cast<std::uint64_t>(color.numberOfComponents()));
        for (double component : color.components())
            add(component);
    }

    // An object that counts by its identity, not by what it holds.
    void addIdentity(const void* object) { add(reinterpret_cast<std::uintptr_t>(object)); }

    TEFormattingKey() = default;
    // The bytes may live inside the key: it stays where it was made.
    TEFormattingKey(const TEFormattingKey&) = delete;
    TEFormattingKey& operator=(const TEFormattingKey&) = delete;

    std::string_view bytes() const { return {m_data, m_size}; }
    std::string takeBytes()
    {
        std::string bytes(m_data, m_size);
        m_size = 0;
        return bytes;
    }

private:
    // Keys are made for every run of a page, and most are only looked up:
    // the bytes go into room inside the key (moving to the heap past it),
    // not through a string append per value.
    [[gnu::always_inline]] void append(const void* bytes, std::size_t size)
    {
        if (m_size + size > m_capacity) [[unlikely]]
            grow(size);
        std::memcpy(m_data + m_size, bytes, size);
        m_size += size;
    }
    [[gnu::noinline]] void grow(std::size_t size)
    {
        std::string larger(std::max(m_capacity * 2, m_size + size), '\0');
        std::memcpy(larger.data(), m_data, m_size);
        m_heap = std::move(larger);
        m_data = m_heap.data();
        m_capacity = m_heap.size();
    }

    // An element's whole formatting (its font, paragraph settings, colours
    // and marks) packs into a few hundred bytes, which fit here.
    static constexpr std::size_t kInlineRoom = 1024;
    char m_inline[kInlineRoom];
    char* m_data = m_inline;
    std::size_t m_capacity = kInlineRoom;
    std::size_t m_size = 0;
    std::string m_heap;
};

// The hash of a formatting key's bytes. Keys run to a few hundred bytes,
// most of them numbers: they are hashed eight bytes at a step, with a
// multiply that spreads every bit. Each step waits for the multiply of the
// step before it, so four words at a time go into four hashes of their own,
// which then make one: the four chains take the time of one.
inline std::size_t formattingKeyHash(std::string_view bytes) noexcept
{
    auto mix = [](std::uint64_t hash, std::uint64_t word) { return hashFinish(hashMultiplyStep(hash, word)); };
    auto wordAt = [bytes](std::size_t index) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + index, sizeof(word));
        return word;
    };
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    std::uint64_t first = bytes.size() * kGoldenRatioHash, second = 1, third = 2, fourth = 3;
    std::size_t index = 0;
    for (; index + 4 * kWord <= bytes.size(); index += 4 * kWord) {
        first = mix(first, wordAt(index));
        second = mix(second, wordAt(index + kWord));
        third = mix(third, wordAt(index + 2 * kWord));
        fourth = mix(fourth, wordAt(index + 3 * kWord));
    }
    std::uint64_t hash = mix(mix(mix(first, second), third), fourth);
    for (; index + kWord <= bytes.size(); index += kWord)
        hash = mix(hash, wordAt(index));
    std::uint64_t tail = 0;
    if (index < bytes.size())
        std::memcpy(&tail, bytes.data() + index, bytes.size() - index);
    hash = hashMultiplyStep(hash, tail);
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}

// A formatting key kept in a map, with its hash worked out once: a map that
// grows places every key it holds again, and hashing them all anew each
// time made a long page's tables cost more than the page's length.
// A key being looked up, with its hash worked out once: it then finds its
// place and, in a map of keys it holds, the key that is the same by its hash
// before a single byte of the key is compared. The keys of one page are long
// and alike in their first hundreds of bytes, and their bytes lie apart from
// the map's entries; comparing them for every entry of a bucket was most of
// what a look-up cost.
struct TEFormattingKeyProbe {
    explicit TEFormattingKeyProbe(std::string_view keyBytes)
        : bytes(keyBytes)
        , hash(formattingKeyHash(keyBytes))
    {
    }
    std::string_view bytes;
    std::size_t hash;
};

class TEStoredFormattingKey {
public:
    TEStoredFormattingKey(std::string bytes)
        : m_bytes(std::move(bytes))
        , m_hash(formattingKeyHash(m_bytes))
    {
    }
    // The probe's bytes, kept with the hash it already has.
    explicit TEStoredFormattingKey(const TEFormattingKeyProbe& probe)
        : m_bytes(probe.bytes)
        , m_hash(probe.hash)
    {
    }

    std::string_view bytes() const { return m_bytes; }
    std::size_t hash() const { return m_hash; }

    friend bool operator==(const TEStoredFormattingKey& a, const TEStoredFormattingKey& b)
    {
        return a.m_hash == b.m_hash && a.m_bytes == b.m_bytes;
    }
    friend bool operator==(const TEStoredFormattingKey& key, std::string_view bytes) { return key.m_bytes == bytes; }
    friend bool operator==(const TEStoredFormattingKey& key, const TEFormattingKeyProbe& probe)
    {
        return key.m_hash == probe.hash && key.m_bytes == probe.bytes;
    }

private:
    std::string m_bytes;
    std::size_t m_hash;
};

// Hashing for maps keyed by formatting keys, so that a key is looked up as
// it is built, and copied into a string only when it is new.
struct TEFormattingKeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view bytes) const noexcept { return formattingKeyHash(bytes); }
    std::size_t operator()(const std::string& bytes) const noexcept { return formattingKeyHash(bytes); }
    std::size_t operator()(const TEStoredFormattingKey& key) const noexcept { return key.hash(); }
    std::size_t operator()(const TEFormattingKeyProbe& probe) const noexcept { return probe.hash; }
};
template <typename Value>
using TEFormattingKeyMap = std::unordered_map<TEStoredFormattingKey, Value, TEFormattingKeyHash, std::equal_to<>>;

} // namespace folio
