#include "documents/DocumentPageSettings.h"

#include "formats/rtf/DKRTFPageSettings.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

#include <string>
#include <vector>

namespace folio {

std::unique_ptr<UserDefaults> DocumentPageSettings::overUserSettings(const DKRTFPageSettings& page, UserDefaults& user)
{
    PropertyList values = PropertyList::dictionary();
    for (const auto& [key, value] : page.numbers())
        values.setObjectForKey(key, PropertyList(static_cast<double>(value)));
    for (const auto& [key, value] : page.texts())
        values.setObjectForKey(key, PropertyList(value));
    if (std::optional<Size> paper = page.paperSize()) {
        values.setObjectForKey(std::string(DKRTFPageSettings::kPaperWidthKey), PropertyList(paper->width));
        values.setObjectForKey(std::string(DKRTFPageSettings::kPaperHeightKey), PropertyList(paper->height));
    }
    return std::make_unique<UserDefaults>(
        user, std::vector<std::string>(DKRTFPageSettings::kKeys.begin(), DKRTFPageSettings::kKeys.end()), values);
}

void DocumentPageSettings::store(const DKRTFPageSettings& page, UserDefaults& defaults)
{
    for (std::string_view key : DKRTFPageSettings::kKeys)
        defaults.removeObjectForKey(key);
    for (const auto& [key, value] : page.numbers())
        defaults.setFloat(key, value);
    for (const auto& [key, value] : page.texts())
        defaults.setString(key, value);
    if (std::optional<Size> paper = page.paperSize()) {
        defaults.setDouble(DKRTFPageSettings::kPaperWidthKey, paper->width);
        defaults.setDouble(DKRTFPageSettings::kPaperHeightKey, paper->height);
    }
    // A store that cannot be written keeps the values in memory, where the
    // editors and exports of this session still find them.
    (void)defaults.synchronize();
}

} // namespace folio
