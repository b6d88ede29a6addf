#include "platform/text/AttributeKey.h"

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <unordered_map>

namespace folio {

namespace {

template <typename Name>
struct NameTable {
    std::mutex mutex;
    std::unordered_map<std::string_view, const Name*> names;
};

template <typename Name>
NameTable<Name>& nameTable()
{
    // Never destroyed: keys held by objects that outlive the program's
    // static objects still read their names.
    static auto* table = new NameTable<Name>;
    return *table;
}

} // namespace

AttributeKey::AttributeKey() : AttributeKey(std::string_view()) {}

AttributeKey::AttributeKey(std::string_view name)
{
    // Nearly every key is made from one of the program's constant names, at
    // the same address each time: a small table per thread, by address and
    // checked by content, answers those without the lock.
    constexpr std::size_t kRecentNames = 64;
    thread_local std::array<const Name*, kRecentNames> recent{};
    const std::size_t slot =
        ((reinterpret_cast<std::uintptr_t>(name.data()) >> 3) ^ name.size()) % kRecentNames;
    if (const Name* known = recent[slot]; known && known->text == name) {
        m_name = known;
        return;
    }
    NameTable<Name>& table = nameTable<Name>();
    {
        std::lock_guard lock(table.mutex);
        auto found = table.names.find(name);
        if (found == table.names.end()) {
            const std::uint64_t prefix = orderPrefixOf(name);
            const Name* made =
                new Name{std::string(name), std::hash<std::string_view>{}(name), prefix, presenceBitOf(name, prefix)};
            found = table.names.emplace(std::string_view(made->text), made).first;
        }
        m_name = found->second;
    }
    recent[slot] = m_name;
}

std::string operator+(const std::string& text, const AttributeKey& key) { return text + key.str(); }
std::string operator+(const AttributeKey& key, const std::string& text) { return key.str() + text; }
std::string operator+(const char* text, const AttributeKey& key) { return text + key.str(); }
std::string operator+(const AttributeKey& key, const char* text) { return key.str() + text; }

} // namespace folio
