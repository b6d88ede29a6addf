#include "platform/foundation/KeyedUnarchiver.h"

namespace folio {

Result<KeyedUnarchiver> KeyedUnarchiver::forData(std::span<const std::uint8_t> bytes)
{
    auto notAnArchive = [](const std::string& why) {
        return Error{kErrorDomain, NotAnArchive, "Not a keyed archive: " + why};
    };
    Result<PropertyList> list = PropertyList::fromData(bytes);
    if (!list)
        return notAnArchive(list.error().message);
    const PropertyList* top = list->objectForKey("$top");
    const PropertyList* objects = list->objectForKey("$objects");
    if (!top || !objects || !objects->arrayValue())
        return notAnArchive("it has no object table");
    const PropertyList* root = top->objectForKey("root");
    if (!root || !root->uidValue() || root->uidValue()->index >= objects->arrayValue()->size())
        return notAnArchive("it has no root object");
    std::size_t rootIndex = root->uidValue()->index;
    if (!(*objects->arrayValue())[rootIndex].dictionaryValue())
        return notAnArchive("its root is not an object");
    return KeyedUnarchiver(std::make_shared<const PropertyList>(std::move(*list)), rootIndex, 0);
}

const PropertyList::Array& KeyedUnarchiver::objects() const
{
    return *m_archive->objectForKey("$objects")->arrayValue();
}

const PropertyList* KeyedUnarchiver::field(std::string_view key) const
{
    return objects()[m_object].objectForKey(key);
}

const PropertyList* KeyedUnarchiver::referenced(const PropertyList* reference) const
{
    if (!reference || !reference->uidValue() || reference->uidValue()->index >= objects().size())
        return nullptr;
    return &objects()[reference->uidValue()->index];
}

std::string KeyedUnarchiver::className() const
{
    const PropertyList* entry = referenced(field("$class"));
    const PropertyList* name = entry ? entry->objectForKey("$classname") : nullptr;
    return name && name->stringValue() ? *name->stringValue() : std::string();
}

bool KeyedUnarchiver::containsValueForKey(std::string_view key) const
{
    return field(key) != nullptr;
}

bool KeyedUnarchiver::decodeBool(std::string_view key) const
{
    const PropertyList* value = field(key);
    return value && value->booleanValue().value_or(false);
}

std::int64_t KeyedUnarchiver::decodeInteger(std::int64_t fallback, std::string_view key) const
{
    const PropertyList* value = field(key);
    if (!value)
        return fallback;
    if (auto integer = value->integerValue())
        return *integer;
    return fallback;
}

double KeyedUnarchiver::decodeDouble(std::string_view key) const
{
    const PropertyList* value = field(key);
    if (!value)
        return 0;
    if (auto real = value->realValue())
        return *real;
    if (auto integer = value->integerValue())
        return static_cast<double>(*integer);
    return 0;
}

std::optional<std::string> KeyedUnarchiver::decodeString(std::string_view key) const
{
    const PropertyList* value = referenced(field(key));
    if (!value || !value->stringValue())
        return std::nullopt;
    return *value->stringValue();
}

std::optional<std::string> KeyedUnarchiver::decodeData(std::string_view key) const
{
    const PropertyList* value = field(key);
    if (!value || !value->dataValue())
        return std::nullopt;
    const Data& data = *value->dataValue();
    return std::string(reinterpret_cast<const char*>(data.bytes()), data.length());
}

std::optional<KeyedUnarchiver> KeyedUnarchiver::objectUnarchiver(std::string_view key) const
{
    const PropertyList* reference = field(key);
    if (m_depth >= kMaximumDepth || !referenced(reference) || !referenced(reference)->dictionaryValue())
        return std::nullopt;
    return KeyedUnarchiver(m_archive, reference->uidValue()->index, m_depth + 1);
}

} // namespace folio
