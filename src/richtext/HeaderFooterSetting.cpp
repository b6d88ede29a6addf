#include "richtext/HeaderFooterSetting.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"

namespace folio {

HeaderFooterSetting::HeaderFooterSetting(UserDefaults& defaults, Part part)
    : m_defaults(defaults)
    , m_part(part)
{
}

const char* HeaderFooterSetting::key(Part part)
{
    return part == Part::Header ? "currentDocumentHeaderControl" : "currentDocumentFooterControl";
}

std::array<std::string, HeaderFooterSetting::FieldCount> HeaderFooterSetting::read() const
{
    std::array<std::string, FieldCount> fields{
        "Helvetica", "12", "right", "black", "0.5", "NO",
        m_part == Part::Header ? "Header Author: Mara Quillet [date] - Page [pagenumber] of [totalpages]"
                               : "Footer Author: Mara Quillet [title] - Page [pagenumber] of [totalpages]"};
    std::optional<std::string> stored = m_defaults.stringForKey(key(m_part));
    if (!stored)
        return fields;
    std::vector<std::string> pieces = componentsSeparatedByString(*stored, "::");
    if (pieces.size() < FieldCount)
        return fields;
    for (std::size_t i = 0; i < FieldCount; ++i)
        fields[i] = pieces[i];
    // A text holding "::" itself keeps all of it.
    for (std::size_t i = FieldCount; i < pieces.size(); ++i)
        fields[Text] += "::" + pieces[i];
    return fields;
}

std::string HeaderFooterSetting::field(Field field) const
{
    return read()[field];
}

void HeaderFooterSetting::setField(Field field, std::string value)
{
    std::array<std::string, FieldCount> fields = read();
    // The separator inside a field would shift every later field.
    std::string cleaned;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (field != Text && value.compare(i, 2, "::") == 0) {
            ++i;
            continue;
        }
        cleaned += value[i];
    }
    fields[field] = cleaned;
    std::string joined;
    for (std::size_t i = 0; i < FieldCount; ++i)
        joined += (i ? "::" : "") + fields[i];
    m_defaults.setString(key(m_part), joined);
    m_defaults.synchronize();
}

} // namespace folio
