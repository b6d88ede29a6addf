#include "engine/fonts/TEFontOverrideTable.h"

#include "platform/foundation/PropertyList.h"

namespace folio {

std::string TEFontOverrideTable::keyFor(Kind kind, std::string_view family, bool bold, bool italic)
{
    std::string key(family);
    key += bold ? "-1" : "-0";
    key += italic ? "-1" : "-0";
    key += kind == Kind::SmallCaps ? "-smallcaps" : "-override";
    return key;
}

void TEFontOverrideTable::setFontName(Kind kind, std::string_view fontName, std::string_view family, bool bold,
                                      bool italic)
{
    std::lock_guard lock(m_mutex);
    m_names[keyFor(kind, family, bold, italic)] = std::string(fontName);
    ++m_generation;
}

std::optional<std::string> TEFontOverrideTable::fontName(Kind kind, std::string_view family, bool bold,
                                                         bool italic) const
{
    std::string key = keyFor(kind, family, bold, italic);
    std::lock_guard lock(m_mutex);
    auto found = m_names.find(key);
    if (found == m_names.end())
        return std::nullopt;
    return found->second;
}

void TEFontOverrideTable::addMissingEntries(const std::map<std::string, std::string>& entries)
{
    std::lock_guard lock(m_mutex);
    for (const auto& [key, name] : entries)
        m_names.emplace(key, name);
    ++m_generation;
}

int TEFontOverrideTable::loadEntries(const PropertyList& list)
{
    const PropertyList::Array* entries = list.arrayValue();
    if (!entries)
        return 0;
    auto flag = [](const PropertyList& entry, std::string_view key) {
        const PropertyList* value = entry.objectForKey(key);
        return value && value->booleanValue().value_or(false);
    };
    int loaded = 0;
    for (const PropertyList& entry : *entries) {
        const PropertyList* family = entry.objectForKey("FontFamily");
        const PropertyList* name = entry.objectForKey("OverrideFontName");
        if (!family || !name || !family->stringValue() || !name->stringValue())
            continue;
        Kind kind = flag(entry, "SmallCaps") ? Kind::SmallCaps : Kind::Override;
        setFontName(kind, *name->stringValue(), *family->stringValue(), flag(entry, "Bold"), flag(entry, "Italic"));
        ++loaded;
    }
    return loaded;
}

unsigned long TEFontOverrideTable::generation() const
{
    std::lock_guard lock(m_mutex);
    return m_generation;
}

} // namespace folio
