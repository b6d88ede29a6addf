#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// The user's settings, kept as a property list file. Getters answer nothing
// for an absent key, so that "never set" differs from 0, NO or "". A value
// set by the user shadows the registered default of the same key; registered
// defaults are never written to the file. Safe to use from any thread.
class UserDefaults {
public:
    static constexpr const char* kFileName = "Preferences.plist";

    // Lives in the configuration folder of AppFolders.
    static UserDefaults& standardUserDefaults();

    explicit UserDefaults(std::string path);
    // One open document's settings over the user's: `documentKeys` are the
    // document's and live with this store, in memory, starting from
    // `documentValues` (a dictionary; a key it lacks is absent); every other
    // key reads and writes through to `user`. So each open document keeps its
    // own page settings, while what the user prefers stays shared.
    UserDefaults(UserDefaults& user, std::vector<std::string> documentKeys, const PropertyList& documentValues);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    std::optional<PropertyList> objectForKey(std::string_view key) const;
    std::optional<std::string> stringForKey(std::string_view key) const;
    // Numbers convert between integer, real and boolean; a string gives the
    // number it starts with. Other kinds answer nothing.
    std::optional<std::int64_t> integerForKey(std::string_view key) const;
    std::optional<double> doubleForKey(std::string_view key) const;
    std::optional<float> floatForKey(std::string_view key) const;
    std::optional<bool> boolForKey(std::string_view key) const;
    std::optional<PropertyList::Array> arrayForKey(std::string_view key) const;
    std::optional<PropertyList> dictionaryForKey(std::string_view key) const;

    void setObject(std::string_view key, PropertyList value);
    void setString(std::string_view key, std::string value);
    void setInteger(std::string_view key, std::int64_t value);
    void setDouble(std::string_view key, double value);
    void setFloat(std::string_view key, float value);
    void setBool(std::string_view key, bool value);
    void removeObjectForKey(std::string_view key);

    // Values answered for keys the user has not set; the dictionary's keys
    // are merged with earlier registrations.
    void registerDefaults(const PropertyList& dictionary);

    // Writes the user's values atomically when anything changed since the
    // last write. A failure leaves the file as it was and keeps the changes.
    Status synchronize();

    const std::string& path() const { return m_path; }
    // Why the file could not be read at start, if it could not. A damaged
    // file is kept beside the new one with ".damaged" appended, never overwritten.
    const std::optional<Error>& loadError() const { return m_loadError; }

private:
    std::optional<PropertyList> lookUp(std::string_view key) const;
    // The store a key lives in: the user's for a key a document store does not hold.
    UserDefaults* throughTo(std::string_view key) const;

    mutable std::mutex m_mutex;
    std::string m_path;
    PropertyList m_values;
    PropertyList m_registered;
    std::optional<Error> m_loadError;
    bool m_dirty = false;
    UserDefaults* m_user = nullptr;
    std::vector<std::string> m_documentKeys;
};

} // namespace folio
