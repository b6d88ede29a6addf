#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace folio::testing_support {

// A binary property list written object by object, so that a test can make
// what no writer makes: an object that lists itself, or one object listed
// many times. References and offsets are one byte, so at most 255 objects
// and 255 bytes before the offset table.
class HandWrittenBinaryPlist {
public:
    // Returns the new object's number.
    std::uint8_t add(std::vector<std::uint8_t> object)
    {
        m_objects.push_back(std::move(object));
        return static_cast<std::uint8_t>(m_objects.size() - 1);
    }
    std::uint8_t addArray(const std::vector<std::uint8_t>& references)
    {
        std::vector<std::uint8_t> object{static_cast<std::uint8_t>(0xA0 | references.size())};
        object.insert(object.end(), references.begin(), references.end());
        return add(std::move(object));
    }
    // Keys and values are object numbers; fewer than 15 pairs.
    std::uint8_t addDictionary(const std::vector<std::pair<std::uint8_t, std::uint8_t>>& pairs)
    {
        std::vector<std::uint8_t> object{static_cast<std::uint8_t>(0xD0 | pairs.size())};
        for (const auto& pair : pairs)
            object.push_back(pair.first);
        for (const auto& pair : pairs)
            object.push_back(pair.second);
        return add(std::move(object));
    }
    std::uint8_t addString(std::string_view text)
    {
        std::vector<std::uint8_t> object;
        if (text.size() < 15) {
            object.push_back(static_cast<std::uint8_t>(0x50 | text.size()));
        } else {
            object = {0x5F, 0x10, static_cast<std::uint8_t>(text.size())};
        }
        object.insert(object.end(), text.begin(), text.end());
        return add(std::move(object));
    }
    // The same object at a later number is filled in after it was referred to.
    void replace(std::uint8_t number, std::vector<std::uint8_t> object) { m_objects[number] = std::move(object); }

    std::vector<std::uint8_t> bytes(std::uint8_t top = 0) const
    {
        std::vector<std::uint8_t> data{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
        std::vector<std::uint8_t> offsets;
        for (const auto& object : m_objects) {
            offsets.push_back(static_cast<std::uint8_t>(data.size()));
            data.insert(data.end(), object.begin(), object.end());
        }
        std::uint8_t table = static_cast<std::uint8_t>(data.size());
        data.insert(data.end(), offsets.begin(), offsets.end());
        std::vector<std::uint8_t> trailer(32, 0);
        trailer[6] = 1;
        trailer[7] = 1;
        trailer[15] = static_cast<std::uint8_t>(m_objects.size());
        trailer[23] = top;
        trailer[31] = table;
        data.insert(data.end(), trailer.begin(), trailer.end());
        return data;
    }

private:
    std::vector<std::vector<std::uint8_t>> m_objects;
};

} // namespace folio::testing_support
