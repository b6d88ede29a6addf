#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace folio {

// Reads a keyed archive (see KeyedArchiver) one object at a time: the
// unarchiver stands on an object, answers its fields by key, and moves onto
// a referenced object for the decoder that reads it. A missing key or a value
// of another type answers the type's empty value, as the platform's decoders
// do; references that lead outside the table or around in a circle answer
// nothing.
class KeyedUnarchiver {
public:
    static constexpr const char* kErrorDomain = "KeyedUnarchiver";
    enum ErrorCode { NotAnArchive = 1 };

    // Stands on the archive's root object.
    static Result<KeyedUnarchiver> forData(std::span<const std::uint8_t> bytes);

    // The class name the object was written with, or empty.
    std::string className() const;
    bool containsValueForKey(std::string_view key) const;

    bool decodeBool(std::string_view key) const;
    std::int64_t decodeInteger(std::int64_t fallback, std::string_view key) const;
    std::int64_t decodeInteger(std::string_view key) const { return decodeInteger(0, key); }
    double decodeDouble(std::string_view key) const;
    std::optional<std::string> decodeString(std::string_view key) const;
    // Bytes stored in the object itself (not referenced), as text.
    std::optional<std::string> decodeData(std::string_view key) const;
    // The object under the key, read by `decode` standing on it.
    template <typename T>
    std::optional<T> decodeObject(std::string_view key,
                                  const std::function<std::optional<T>(const KeyedUnarchiver&)>& decode) const
    {
        std::optional<KeyedUnarchiver> inner = objectUnarchiver(key);
        if (!inner)
            return std::nullopt;
        return decode(*inner);
    }

private:
    // Far deeper than real archives nest; stops a hostile chain of references.
    static constexpr int kMaximumDepth = 64;

    KeyedUnarchiver(std::shared_ptr<const PropertyList> archive, std::size_t object, int depth)
        : m_archive(std::move(archive)), m_object(object), m_depth(depth) {}
    const PropertyList::Array& objects() const;
    const PropertyList* field(std::string_view key) const;
    const PropertyList* referenced(const PropertyList* reference) const;
    std::optional<KeyedUnarchiver> objectUnarchiver(std::string_view key) const;

    std::shared_ptr<const PropertyList> m_archive;
    std::size_t m_object;
    int m_depth;
};

} // namespace folio
