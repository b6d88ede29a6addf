#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

class PropertyList;

// Face names to use for a family with given bold and italic traits: plain
// overrides, and faces that are themselves small capitals. Safe to use from
// several threads: the background preload fills it while text is converted.
class TEFontOverrideTable {
public:
    enum class Kind { Override, SmallCaps };

    // "<family>-<bold>-<italic>-override" or "...-smallcaps", bold and italic 0 or 1.
    static std::string keyFor(Kind kind, std::string_view family, bool bold, bool italic);

    void setFontName(Kind kind, std::string_view fontName, std::string_view family, bool bold, bool italic);
    std::optional<std::string> fontName(Kind kind, std::string_view family, bool bold, bool italic) const;
    // Adds the entries whose keys are not present yet; present ones are kept.
    void addMissingEntries(const std::map<std::string, std::string>& entries);

    // Reads the override resource's layout: an array of dictionaries with
    // "FontFamily", "OverrideFontName", "Bold", "Italic" and "SmallCaps".
    // Entries without a family or a name are skipped; answers how many were taken.
    int loadEntries(const PropertyList& list);

    // Increases on every change, so caches of fonts made from the table know
    // when to forget them.
    unsigned long generation() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_names;
    unsigned long m_generation = 0;
};

} // namespace folio
