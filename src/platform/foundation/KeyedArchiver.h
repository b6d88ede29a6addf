#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace folio {

class KeyedArchiver;

// An object that can be written into a keyed archive.
class KeyedArchivable {
public:
    virtual ~KeyedArchivable() = default;
    // The class name recorded with the object; readers pick their decoder by it.
    virtual std::string archiveClassName() const = 0;
    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
};

// Writes a graph of objects as a keyed archive: the binary property list the
// platform's archivers exchange ("$archiver", "$version", "$top" with its
// "root", and the "$objects" table that objects and strings are referenced
// in by UID, each object naming its class through "$class").
class KeyedArchiver {
public:
    static Result<Data> archivedDataWithRootObject(const KeyedArchivable& root);

    void encodeBool(bool value, std::string_view key);
    void encodeInteger(std::int64_t value, std::string_view key);
    void encodeDouble(double value, std::string_view key);
    // Strings are objects of the table, as the platform stores them.
    void encodeString(const std::string& value, std::string_view key);
    void encodeObject(const KeyedArchivable& object, std::string_view key);

private:
    KeyedArchiver();
    PropertyList::UID appendObject(PropertyList object);
    PropertyList::UID classReference(const std::string& className);
    PropertyList::UID encodeEntry(const KeyedArchivable& object);
    void set(std::string_view key, PropertyList value);

    PropertyList::Array m_objects;
    std::size_t m_current = 0;
};

} // namespace folio
