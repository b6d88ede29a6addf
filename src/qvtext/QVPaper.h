#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

class PageConnection;

// The QV text editor's paper: the colour the page is painted in (the editor
// view behind the page takes it too) and the table of named paper sizes.
class QVPaper {
public:
    struct Host {
        // The editor view and the paper layer behind the page.
        std::function<void(const std::optional<Color>& color)> paintBackground{};
        // A colour chosen by the user ends the night modes first.
        std::function<void()> leaveNightModes{};
        std::function<void()> documentIsDirty{};
    };

    QVPaper(PageConnection& page, Host host);

    // A colour name or "#"-prefixed hexadecimal digits.
    void setPaperColor(const std::string& color);
    // The text-style popover's paper colour.
    void userSelectedBackgroundColor(const std::string& color);
    // A colour from elsewhere, given to the page by its nearest colour name.
    void setCurrentBackgroundDocumentColor(const Color& color);
    const std::optional<Color>& currentDocumentBackgroundColor() const { return m_color; }

    static std::string paperColorScript(const std::string& color);
    // The size of a named paper in points; Letter for a name not in the table.
    static Size sizeFromPageSize(std::string_view name);

private:
    void dirty();

    PageConnection& m_page;
    Host m_host;
    std::optional<Color> m_color;
};

} // namespace folio
