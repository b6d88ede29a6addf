#pragma once

#include "platform/graphics/Color.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

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

    std::string_view bytes() const { return {m_bytes.data(), m_size}; }
    std::string takeBytes()
    {
        m_bytes.resize(m_size);
        m_size = 0;
        return std::move(m_bytes);
    }

private:
    // Keys are made for every run of a page: the bytes go straight into
    // room made ahead, not through a string append per value.
    void append(const void* data, std::size_t size)
    {
        if (m_size + size > m_bytes.size()) [[unlikely]]
            grow(size);
        std::memcpy(m_bytes.data() + m_size, data, size);
        m_size += size;
    }
    [[gnu::noinline]] void grow(std::size_t size) { m_bytes.resize(std::max(m_bytes.size() * 2, m_size + size)); }

    static constexpr std::size_t kInitialRoom = 256;
    std::string m_bytes = std::string(kInitialRoom, '\0');
    std::size_t m_size = 0;
};

} // namespace folio
