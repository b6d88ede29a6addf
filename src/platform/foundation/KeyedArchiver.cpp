#include "platform/foundation/KeyedArchiver.h"

namespace folio {

namespace {

constexpr std::int64_t kArchiveVersion = 100000;

} // namespace

KeyedArchiver::KeyedArchiver()
{
    // Index 0 is the null object by convention.
    m_objects.emplace_back("$null");
}

Result<Data> KeyedArchiver::archivedDataWithRootObject(const KeyedArchivable& root)
{
    KeyedArchiver archiver;
    PropertyList::UID rootReference = archiver.encodeEntry(root);
    PropertyList archive = PropertyList::dictionary({
        {"$version", PropertyList(kArchiveVersion)},
        {"$archiver", PropertyList("NSKeyedArchiver")},
        {"$top", PropertyList::dictionary({{"root", PropertyList(rootReference)}})},
        {"$objects", PropertyList(std::move(archiver.m_objects))},
    });
    return archive.toData(PropertyList::Format::Binary);
}

PropertyList::UID KeyedArchiver::appendObject(PropertyList object)
{
    m_objects.push_back(std::move(object));
    return PropertyList::UID{m_objects.size() - 1};
}

PropertyList::UID KeyedArchiver::classReference(const std::string& className)
{
    for (std::size_t index = 1; index < m_objects.size(); ++index) {
        const PropertyList* name = m_objects[index].objectForKey("$classname");
        if (name && name->stringValue() && *name->stringValue() == className)
            return PropertyList::UID{index};
    }
    return appendObject(PropertyList::dictionary({
        {"$classname", PropertyList(className)},
        {"$classes", PropertyList::array({PropertyList(className), PropertyList("NSObject")})},
    }));
}

PropertyList::UID KeyedArchiver::encodeEntry(const KeyedArchivable& object)
{
    PropertyList::UID reference = appendObject(PropertyList());
    std::size_t outer = m_current;
    m_current = reference.index;
    object.encodeWithCoder(*this);
    // The class entry comes after the object's fields, as the platform writes it.
    set("$class", PropertyList(classReference(object.archiveClassName())));
    m_current = outer;
    return reference;
}

void KeyedArchiver::set(std::string_view key, PropertyList value)
{
    m_objects[m_current].setObjectForKey(key, std::move(value));
}

void KeyedArchiver::encodeBool(bool value, std::string_view key)
{
    set(key, PropertyList(value));
}

void KeyedArchiver::encodeInteger(std::int64_t value, std::string_view key)
{
    set(key, PropertyList(value));
}

void KeyedArchiver::encodeDouble(double value, std::string_view key)
{
    set(key, PropertyList(value));
}

void KeyedArchiver::encodeString(const std::string& value, std::string_view key)
{
    set(key, PropertyList(appendObject(PropertyList(value))));
}

void KeyedArchiver::encodeObject(const KeyedArchivable& object, std::string_view key)
{
    PropertyList::UID reference = encodeEntry(object);
    set(key, PropertyList(reference));
}

} // namespace folio
