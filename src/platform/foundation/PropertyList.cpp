#include "platform/foundation/PropertyList.h"

#include "platform/foundation/FileManager.h"

#include <plist/plist.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace folio {

namespace {

// Property list dates count seconds from 2001-01-01 00:00:00 UTC.
constexpr std::int64_t kReferenceDateOffset = 978307200;
// Far deeper than any real file; stops hostile nesting from exhausting the stack.
constexpr int kMaximumDepth = 256;

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

Error plistError(int code, const std::string& message)
{
    return Error{PropertyList::kErrorDomain, code, message};
}

Result<PropertyList> fromNode(plist_t node, int depth);

std::uint64_t bigEndian(const std::uint8_t* bytes, std::size_t size)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// libplist aborts the whole process when a binary string or key holds a NUL
// character, so such files are turned away before it sees them. Only the
// object table is walked; libplist checks everything else itself.
bool binaryStringsAreSafe(std::span<const std::uint8_t> bytes)
{
    constexpr std::size_t kTrailerSize = 32;
    if (bytes.size() < 8 + kTrailerSize)
        return false;
    const std::uint8_t* trailer = bytes.data() + bytes.size() - kTrailerSize;
    std::size_t offsetSize = trailer[6];
    std::uint64_t objectCount = bigEndian(trailer + 8, 8);
    std::uint64_t tableOffset = bigEndian(trailer + 24, 8);
    std::size_t end = bytes.size() - kTrailerSize;
    if (offsetSize < 1 || offsetSize > 8 || tableOffset > end || objectCount > (end - tableOffset) / offsetSize)
        return false;
    for (std::uint64_t i = 0; i < objectCount; ++i) {
        std::uint64_t offset = bigEndian(bytes.data() + tableOffset + i * offsetSize, offsetSize);
        if (offset >= end)
            return false;
        std::uint8_t marker = bytes[offset];
        std::uint8_t kind = marker >> 4;
        if (kind != 0x5 && kind != 0x6)
            continue;
        std::uint64_t length = marker & 0xF;
        std::uint64_t start = offset + 1;
        if (length == 0xF) {
            // The length follows as an integer object: marker 0x1n, 2^n bytes.
            if (start >= end || (bytes[start] >> 4) != 0x1 || (bytes[start] & 0xF) > 3)
                return false;
            std::size_t size = std::size_t(1) << (bytes[start] & 0xF);
            if (start + 1 + size > end)
                return false;
            length = bigEndian(bytes.data() + start + 1, size);
            start += 1 + size;
        }
        std::uint64_t unitSize = kind == 0x6 ? 2 : 1;
        if (length > (end - start) / unitSize)
            return false;
        for (std::uint64_t unit = 0; unit < length; ++unit) {
            const std::uint8_t* at = bytes.data() + start + unit * unitSize;
            if (at[0] == 0 && (unitSize == 1 || at[1] == 0))
                return false;
        }
    }
    return true;
}

// The number of units an object's marker counts (elements, characters,
// bytes): the low nibble, or an integer object after it when the nibble is
// 0xF. None when that integer is damaged. `start` moves past the count.
std::optional<std::uint64_t> markerCount(std::span<const std::uint8_t> bytes, std::size_t end, std::uint64_t& start)
{
    std::uint64_t count = bytes[start - 1] & 0xF;
    if (count != 0xF)
        return count;
    if (start >= end || (bytes[start] >> 4) != 0x1 || (bytes[start] & 0xF) > 3)
        return std::nullopt;
    std::size_t size = std::size_t(1) << (bytes[start] & 0xF);
    if (start + 1 + size > end)
        return std::nullopt;
    count = bigEndian(bytes.data() + start + 1, size);
    start += 1 + size;
    return count;
}

// A binary property list refers to its objects by number, so one object can
// be listed in many places, or inside itself. libplist copies an object at
// every reference, which turns a file of a few hundred bytes that lists one
// list ten times at each of twelve levels into 10^12 values, and it follows
// deep chains by recursion. The object graph is therefore walked before
// libplist sees it: a cycle, a chain deeper than we read, or more values
// than the file could honestly spell out is refused.
bool binaryObjectGraphIsBounded(std::span<const std::uint8_t> bytes, int maximumDepth)
{
    constexpr std::size_t kTrailerSize = 32;
    const std::uint8_t* trailer = bytes.data() + bytes.size() - kTrailerSize;
    std::size_t offsetSize = trailer[6];
    std::size_t referenceSize = trailer[7];
    std::uint64_t objectCount = bigEndian(trailer + 8, 8);
    std::uint64_t topObject = bigEndian(trailer + 16, 8);
    std::uint64_t tableOffset = bigEndian(trailer + 24, 8);
    std::size_t end = bytes.size() - kTrailerSize;
    if (referenceSize < 1 || referenceSize > 8 || topObject >= objectCount)
        return false;

    // The references each container holds, in file order.
    std::vector<std::vector<std::uint64_t>> children(objectCount);
    std::uint64_t referenceSlots = 0;
    for (std::uint64_t object = 0; object < objectCount; ++object) {
        std::uint64_t offset = bigEndian(bytes.data() + tableOffset + object * offsetSize, offsetSize);
        std::uint8_t kind = bytes[offset] >> 4;
        // Arrays, sets and dictionaries (keys and values both refer).
        if (kind != 0xA && kind != 0xC && kind != 0xD)
            continue;
        std::uint64_t start = offset + 1;
        std::optional<std::uint64_t> count = markerCount(bytes, end, start);
        if (!count)
            return false;
        std::uint64_t references = kind == 0xD ? *count * 2 : *count;
        if (*count > (end - start) / referenceSize || references > (end - start) / referenceSize)
            return false;
        children[object].reserve(references);
        for (std::uint64_t i = 0; i < references; ++i) {
            std::uint64_t child = bigEndian(bytes.data() + start + i * referenceSize, referenceSize);
            if (child >= objectCount)
                return false;
            children[object].push_back(child);
        }
        referenceSlots += references;
    }

    // Values once every reference is copied, and the deepest chain, both
    // from the top object, by an explicit stack; an object met again while
    // it is still open is a cycle.
    const std::uint64_t limit = std::max<std::uint64_t>(1u << 20, 8 * (referenceSlots + 1));
    enum class Mark : std::uint8_t { New, Open, Done };
    std::vector<Mark> marks(objectCount, Mark::New);
    std::vector<std::uint64_t> values(objectCount, 1);
    std::vector<int> depths(objectCount, 0);
    std::vector<std::pair<std::uint64_t, std::size_t>> stack{{topObject, 0}};
    marks[topObject] = Mark::Open;
    while (!stack.empty()) {
        auto& [object, next] = stack.back();
        if (next < children[object].size()) {
            std::uint64_t child = children[object][next++];
            if (marks[child] == Mark::Open)
                return false;
            if (marks[child] == Mark::New) {
                marks[child] = Mark::Open;
                stack.emplace_back(child, 0);
            }
            continue;
        }
        std::uint64_t total = 1;
        int depth = 0;
        for (std::uint64_t child : children[object]) {
            total += values[child];
            depth = std::max(depth, depths[child] + 1);
            if (total > limit || depth > maximumDepth)
                return false;
        }
        values[object] = total;
        depths[object] = depth;
        marks[object] = Mark::Done;
        stack.pop_back();
    }
    return true;
}

Result<PropertyList> fromArray(plist_t node, int depth)
{
    PropertyList::Array items;
    uint32_t count = plist_array_get_size(node);
    items.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        auto item = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!item)
            return item.error();
        items.push_back(std::move(item.value()));
    }
    return PropertyList(std::move(items));
}

Result<PropertyList> fromDictionary(plist_t node, int depth)
{
    PropertyList::Dictionary entries;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    std::unique_ptr<void, decltype(&free)> iteratorOwner(iterator, &free);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iterator, &key, &value);
        if (!value) {
            free(key);
            break;
        }
        std::string name = key ? key : "";
        free(key);
        auto converted = fromNode(value, depth + 1);
        if (!converted)
            return converted.error();
        entries.emplace_back(std::move(name), std::move(converted.value()));
    }
    return PropertyList(std::move(entries));
}

Result<PropertyList> fromNode(plist_t node, int depth)
{
    if (!node)
        return plistError(PropertyList::Malformed, "Missing property list value");
    if (depth > kMaximumDepth)
        return plistError(PropertyList::TooDeep, "The property list is nested too deeply");
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return PropertyList(value != 0);
    }
    case PLIST_UINT: {
        // NOTE: libplist keeps every integer as 64 unsigned bits; files hold
        // signed values, so the bits are read back as signed.
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return PropertyList(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return PropertyList(value);
    }
    case PLIST_STRING: {
        // Read by pointer and length: libplist's copying getter aborts the
        // process on a damaged binary string holding a NUL.
        uint64_t length = 0;
        const char* value = plist_get_string_ptr(node, &length);
        return PropertyList(value ? std::string(value, static_cast<std::size_t>(length)) : std::string());
    }
    case PLIST_DATE: {
        int32_t seconds = 0, microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        auto sinceEpoch = std::chrono::seconds(seconds + kReferenceDateOffset) + std::chrono::microseconds(microseconds);
        return PropertyList(PropertyList::Date(std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch)));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return PropertyList(Data(bytes, bytes ? static_cast<std::size_t>(length) : 0));
    }
    case PLIST_UID: {
        uint64_t index = 0;
        plist_get_uid_val(node, &index);
        return PropertyList(PropertyList::UID{index});
    }
    case PLIST_ARRAY:
        return fromArray(node, depth);
    case PLIST_DICT:
        return fromDictionary(node, depth);
    default:
        return plistError(PropertyList::Unsupported, "The property list holds a value of an unsupported kind");
    }
}

Result<PlistPtr> toNode(const PropertyList& value)
{
    switch (value.type()) {
    case PropertyList::Type::String:
        // libplist strings end at the first NUL; writing would silently cut the text.
        if (value.stringValue()->find('\0') != std::string::npos)
            return plistError(PropertyList::Unsupported, "A property list string cannot hold a NUL character");
        return PlistPtr(plist_new_string(value.stringValue()->c_str()));
    case PropertyList::Type::Integer:
        return PlistPtr(plist_new_uint(static_cast<uint64_t>(*value.integerValue())));
    case PropertyList::Type::Real:
        return PlistPtr(plist_new_real(*value.realValue()));
    case PropertyList::Type::Boolean:
        return PlistPtr(plist_new_bool(*value.booleanValue() ? 1 : 0));
    case PropertyList::Type::Date: {
        auto micros = std::chrono::duration_cast<std::chrono::microseconds>(value.dateValue()->time_since_epoch()).count()
            - kReferenceDateOffset * 1000000;
        auto seconds = micros / 1000000;
        auto remainder = micros % 1000000;
        if (remainder < 0) {
            remainder += 1000000;
            --seconds;
        }
        if (seconds < std::numeric_limits<int32_t>::min() || seconds > std::numeric_limits<int32_t>::max())
            return plistError(PropertyList::Unsupported, "The date is out of the range a property list can hold");
        return PlistPtr(plist_new_date(static_cast<int32_t>(seconds), static_cast<int32_t>(remainder)));
    }
    case PropertyList::Type::Data: {
        const Data& data = *value.dataValue();
        return PlistPtr(plist_new_data(reinterpret_cast<const char*>(data.bytes()), data.length()));
    }
    case PropertyList::Type::UID:
        return PlistPtr(plist_new_uid(value.uidValue()->index));
    case PropertyList::Type::Array: {
        PlistPtr array(plist_new_array());
        for (const PropertyList& item : *value.arrayValue()) {
            auto node = toNode(item);
            if (!node)
                return node.error();
            plist_array_append_item(array.get(), node.value().release());
        }
        return array;
    }
    case PropertyList::Type::Dictionary: {
        PlistPtr dictionary(plist_new_dict());
        for (const auto& [key, item] : *value.dictionaryValue()) {
            if (key.find('\0') != std::string::npos)
                return plistError(PropertyList::Unsupported, "A property list key cannot hold a NUL character");
            auto node = toNode(item);
            if (!node)
                return node.error();
            plist_dict_set_item(dictionary.get(), key.c_str(), node.value().release());
        }
        return dictionary;
    }
    }
    return plistError(PropertyList::Unsupported, "Unknown property list value");
}

} // namespace

PropertyList PropertyList::dictionary(std::initializer_list<std::pair<std::string, PropertyList>> items)
{
    PropertyList result;
    for (const auto& [key, value] : items)
        result.setObjectForKey(key, value);
    return result;
}

std::optional<std::int64_t> PropertyList::integerValue() const
{
    if (auto value = std::get_if<std::int64_t>(&m_value))
        return *value;
    return std::nullopt;
}

std::optional<double> PropertyList::realValue() const
{
    if (auto value = std::get_if<double>(&m_value))
        return *value;
    return std::nullopt;
}

std::optional<bool> PropertyList::booleanValue() const
{
    if (auto value = std::get_if<bool>(&m_value))
        return *value;
    return std::nullopt;
}

std::optional<PropertyList::Date> PropertyList::dateValue() const
{
    if (auto value = std::get_if<Date>(&m_value))
        return *value;
    return std::nullopt;
}

const PropertyList* PropertyList::objectForKey(std::string_view key) const
{
    auto dictionary = dictionaryValue();
    if (!dictionary)
        return nullptr;
    auto it = std::find_if(dictionary->begin(), dictionary->end(), [key](const auto& entry) { return entry.first == key; });
    return it == dictionary->end() ? nullptr : &it->second;
}

void PropertyList::setObjectForKey(std::string_view key, PropertyList value)
{
    auto dictionary = std::get_if<Dictionary>(&m_value);
    if (!dictionary)
        return;
    auto it = std::find_if(dictionary->begin(), dictionary->end(), [key](const auto& entry) { return entry.first == key; });
    if (it != dictionary->end())
        it->second = std::move(value);
    else
        dictionary->emplace_back(std::string(key), std::move(value));
}

void PropertyList::removeObjectForKey(std::string_view key)
{
    if (auto dictionary = std::get_if<Dictionary>(&m_value))
        std::erase_if(*dictionary, [key](const auto& entry) { return entry.first == key; });
}

std::vector<std::string> PropertyList::keys() const
{
    std::vector<std::string> names;
    if (auto dictionary = dictionaryValue()) {
        for (const auto& entry : *dictionary)
            names.push_back(entry.first);
    }
    return names;
}

Result<PropertyList> PropertyList::fromData(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return plistError(Malformed, "The property list is empty");
    if (bytes.size() > std::numeric_limits<uint32_t>::max())
        return plistError(Malformed, "The property list is too large");
    const char* text = reinterpret_cast<const char*>(bytes.data());
    if (plist_is_binary(text, static_cast<uint32_t>(bytes.size()))) {
        if (!binaryStringsAreSafe(bytes))
            return plistError(Malformed, "The binary property list is damaged");
        if (!binaryObjectGraphIsBounded(bytes, kMaximumDepth))
            return plistError(Malformed, "The binary property list refers to its own values in a loop or without bound");
    }
    plist_t root = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()), static_cast<uint32_t>(bytes.size()), &root);
    if (!root)
        return plistError(Malformed, "The data are not a property list");
    PlistPtr owner(root);
    return fromNode(root, 0);
}

Result<PropertyList> PropertyList::readFromFile(const std::string& path)
{
    auto data = Data::dataWithContentsOfFile(path);
    if (!data)
        return data.error();
    auto list = fromData(data->span());
    if (!list)
        return Error{list.error().domain, list.error().code, path + ": " + list.error().message};
    return list;
}

Result<Data> PropertyList::toData(Format format) const
{
    auto node = toNode(*this);
    if (!node)
        return node.error();
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == Format::XML)
        plist_to_xml(node.value().get(), &bytes, &length);
    else
        plist_to_bin(node.value().get(), &bytes, &length);
    if (!bytes)
        return plistError(WriteFailed, "The property list could not be encoded");
    Data data(bytes, length);
    if (format == Format::XML)
        plist_to_xml_free(bytes);
    else
        plist_to_bin_free(bytes);
    return data;
}

Status PropertyList::writeToFile(const std::string& path, Format format) const
{
    auto data = toData(format);
    if (!data)
        return data.error();
    return data->writeToFile(path);
}

} // namespace folio
