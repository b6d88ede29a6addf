#include "platform/foundation/UserDefaults.h"

#include <algorithm>

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace folio {

namespace {

std::optional<double> numberOf(const PropertyList& value)
{
    if (auto integer = value.integerValue())
        return static_cast<double>(*integer);
    if (auto real = value.realValue())
        return *real;
    if (auto boolean = value.booleanValue())
        return *boolean ? 1.0 : 0.0;
    if (auto text = value.stringValue()) {
        const char* start = text->c_str();
        char* end = nullptr;
        double number = std::strtod(start, &end);
        if (end != start && std::isfinite(number))
            return number;
    }
    return std::nullopt;
}

} // namespace

UserDefaults& UserDefaults::standardUserDefaults()
{
    static UserDefaults defaults(AppFolders::configFolder() + "/" + kFileName);
    return defaults;
}

UserDefaults::UserDefaults(std::string path)
    : m_path(std::move(path))
{
    if (!FileManager::fileExists(m_path))
        return;
    auto loaded = PropertyList::readFromFile(m_path);
    if (loaded && loaded->type() == PropertyList::Type::Dictionary) {
        m_values = std::move(loaded.value());
        return;
    }
    m_loadError = loaded ? Error{PropertyList::kErrorDomain, PropertyList::Malformed, m_path + ": the settings are not a dictionary"}
                         : loaded.error();
    // Keep what could not be read: the next save must not destroy it.
    if (!loaded && loaded.error().domain != PropertyList::kErrorDomain)
        return;
    std::error_code ignored;
    std::filesystem::rename(m_path, m_path + ".damaged", ignored);
}

UserDefaults::UserDefaults(UserDefaults& user, std::vector<std::string> documentKeys, const PropertyList& documentValues)
    : m_user(&user)
    , m_documentKeys(std::move(documentKeys))
{
    if (auto entries = documentValues.dictionaryValue()) {
        for (const auto& [key, value] : *entries) {
            if (std::find(m_documentKeys.begin(), m_documentKeys.end(), key) != m_documentKeys.end())
                m_values.setObjectForKey(key, value);
        }
    }
}

UserDefaults* UserDefaults::throughTo(std::string_view key) const
{
    if (!m_user || std::find(m_documentKeys.begin(), m_documentKeys.end(), key) != m_documentKeys.end())
        return nullptr;
    return m_user;
}

UserDefaults::~UserDefaults()
{
    // Changes made without an explicit synchronize are still kept.
    synchronize();
}

std::optional<PropertyList> UserDefaults::lookUp(std::string_view key) const
{
    if (UserDefaults* user = throughTo(key))
        return user->lookUp(key);
    std::lock_guard lock(m_mutex);
    if (const PropertyList* value = m_values.objectForKey(key))
        return *value;
    if (const PropertyList* value = m_registered.objectForKey(key))
        return *value;
    return std::nullopt;
}

std::optional<PropertyList> UserDefaults::objectForKey(std::string_view key) const
{
    return lookUp(key);
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const
{
    auto value = lookUp(key);
    if (!value)
        return std::nullopt;
    if (auto text = value->stringValue())
        return *text;
    return std::nullopt;
}

std::optional<std::int64_t> UserDefaults::integerForKey(std::string_view key) const
{
    auto value = lookUp(key);
    if (!value)
        return std::nullopt;
    if (auto integer = value->integerValue())
        return *integer;
    auto number = numberOf(*value);
    // Out-of-range reals have no integer value; converting them would be undefined.
    if (!number || std::fabs(*number) >= 9.2e18)
        return std::nullopt;
    return static_cast<std::int64_t>(*number);
}

std::optional<double> UserDefaults::doubleForKey(std::string_view key) const
{
    auto value = lookUp(key);
    return value ? numberOf(*value) : std::nullopt;
}

std::optional<float> UserDefaults::floatForKey(std::string_view key) const
{
    auto number = doubleForKey(key);
    return number ? std::optional<float>(static_cast<float>(*number)) : std::nullopt;
}

std::optional<bool> UserDefaults::boolForKey(std::string_view key) const
{
    auto value = lookUp(key);
    if (!value)
        return std::nullopt;
    if (auto text = value->stringValue()) {
        if (*text == "YES" || *text == "yes" || *text == "true")
            return true;
        if (*text == "NO" || *text == "no" || *text == "false")
            return false;
    }
    auto number = numberOf(*value);
    return number ? std::optional<bool>(*number != 0) : std::nullopt;
}

std::optional<PropertyList::Array> UserDefaults::arrayForKey(std::string_view key) const
{
    auto value = lookUp(key);
    if (value && value->arrayValue())
        return *value->arrayValue();
    return std::nullopt;
}

std::optional<PropertyList> UserDefaults::dictionaryForKey(std::string_view key) const
{
    auto value = lookUp(key);
    if (value && value->dictionaryValue())
        return value;
    return std::nullopt;
}

void UserDefaults::setObject(std::string_view key, PropertyList value)
{
    if (UserDefaults* user = throughTo(key))
        return user->setObject(key, std::move(value));
    std::lock_guard lock(m_mutex);
    m_values.setObjectForKey(key, std::move(value));
    m_dirty = true;
}

void UserDefaults::setString(std::string_view key, std::string value)
{
    setObject(key, PropertyList(std::move(value)));
}

void UserDefaults::setInteger(std::string_view key, std::int64_t value)
{
    setObject(key, PropertyList(value));
}

void UserDefaults::setDouble(std::string_view key, double value)
{
    setObject(key, PropertyList(value));
}

void UserDefaults::setFloat(std::string_view key, float value)
{
    setObject(key, PropertyList(static_cast<double>(value)));
}

void UserDefaults::setBool(std::string_view key, bool value)
{
    setObject(key, PropertyList(value));
}

void UserDefaults::removeObjectForKey(std::string_view key)
{
    if (UserDefaults* user = throughTo(key))
        return user->removeObjectForKey(key);
    std::lock_guard lock(m_mutex);
    if (!m_values.objectForKey(key))
        return;
    m_values.removeObjectForKey(key);
    m_dirty = true;
}

void UserDefaults::registerDefaults(const PropertyList& dictionary)
{
    std::lock_guard lock(m_mutex);
    if (auto entries = dictionary.dictionaryValue()) {
        for (const auto& [key, value] : *entries)
            m_registered.setObjectForKey(key, value);
    }
}

Status UserDefaults::synchronize()
{
    // A document's own settings are saved with the document, not here.
    if (m_user)
        return m_user->synchronize();
    std::lock_guard lock(m_mutex);
    if (!m_dirty)
        return Status::success();
    std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    if (!folder.empty()) {
        if (Status created = FileManager::createDirectory(folder.string()); !created)
            return created;
    }
    Status written = m_values.writeToFile(m_path, PropertyList::Format::XML);
    if (written)
        m_dirty = false;
    return written;
}

} // namespace folio
