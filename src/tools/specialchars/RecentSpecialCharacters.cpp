#include "tools/specialchars/RecentSpecialCharacters.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Unicode.h"

namespace folio {

std::vector<std::u16string> RecentSpecialCharacters::list() const
{
    std::vector<std::u16string> characters;
    if (auto stored = m_defaults.arrayForKey(kDefaultsKey)) {
        for (const auto& entry : *stored) {
            if (entry.stringValue())
                characters.push_back(toUtf16(*entry.stringValue()));
        }
    }
    return characters;
}

void RecentSpecialCharacters::record(const std::u16string& characters)
{
    auto recent = list();
    if (recent.size() < kCapacity) {
        if (!recent.empty() && recent.back() == characters)
            return;
        recent.push_back(characters);
    } else {
        // The list keeps its length: the oldest entry makes room.
        recent.erase(recent.begin());
        recent.push_back(characters);
    }
    PropertyList::Array array;
    for (const auto& entry : recent)
        array.emplace_back(toUtf8(entry));
    m_defaults.setObject(kDefaultsKey, PropertyList(std::move(array)));
    // A failed write keeps the list in memory for the next synchronisation.
    (void)m_defaults.synchronize();
}

} // namespace folio
