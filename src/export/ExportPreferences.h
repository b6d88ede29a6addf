#pragma once

#include "platform/graphics/Geometry.h"

#include <optional>
#include <string>

namespace folio {

// The user's preferences an export follows, read once by whoever asks for
// the export: the conversions never read the preferences store, so an
// export sees one consistent set of them and a test hands in its own.
struct ExportPreferences {
    // Six hexadecimal digits RRGGBB, for kinds without a paper of their own.
    std::optional<std::string> paperColor;
    // Centimetres: the general margins and the Markdown page's.
    EdgeInsets documentMargins;
    EdgeInsets markdownMargins;
    // The "::"-joined header and footer settings.
    std::optional<std::string> headerSettings;
    std::optional<std::string> footerSettings;
    // Points: the paper the user chose; none when the user chose none.
    std::optional<Size> pageSize;
    bool pageNumbers = false;
    // The Markdown page's text.
    int markdownAlignment = 0;
    double markdownLineSpacing = 0;
    double markdownFirstLineIndent = 0;
    std::string markdownFont;
    double markdownFontSize = 0;
};

} // namespace folio
