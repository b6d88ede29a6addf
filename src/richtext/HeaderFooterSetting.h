#pragma once

#include <array>
#include <string>

namespace folio {

class UserDefaults;

// The stored header or footer of the page: seven fields joined by "::"
// (family, size, alignment, colour, margin in cm, enabled "YES"/"NO", text)
// under "currentDocumentHeaderControl" or "currentDocumentFooterControl".
// A missing or short setting reads as the page's default element.
class HeaderFooterSetting {
public:
    enum class Part { Header, Footer };
    enum Field { Family = 0, Size, Alignment, Colour, Margin, Enabled, Text, FieldCount };

    HeaderFooterSetting(UserDefaults& defaults, Part part);

    std::string field(Field field) const;
    // Writes the whole setting back with the one field changed.
    void setField(Field field, std::string value);
    static const char* key(Part part);

private:
    std::array<std::string, FieldCount> read() const;

    UserDefaults& m_defaults;
    Part m_part;
};

} // namespace folio
