#pragma once

#include <functional>
#include <memory>
#include <string>

namespace folio {

class PageConnection;
class QVCharacterStyleCommander;
class QVStyleStore;
class ViewController;

// Applies the stored default style or a user style to the selection of the
// QV text page. The selection first loses what the style does not have
// (background, the six character styles), then takes the style's size,
// family, colour, spacing and indent.
class QVStylePresets {
public:
    struct Host {
        std::function<void()> documentIsDirty{};
        // Sets the page (paper) colour.
        std::function<void(const std::string& color)> setPaperColor{};
        // Shows the alert of an undefined user style.
        std::function<void(std::shared_ptr<ViewController>)> present{};
    };

    QVStylePresets(PageConnection& page, QVCharacterStyleCommander& characters, QVStyleStore& store, Host host);

    void setDefaultStyle();
    // An editor whose page styles itself (the outline) applies no default
    // style: setDefaultStyle then does nothing.
    void setAppliesDefaultStyle(bool applies) { m_appliesDefaultStyle = applies; }
    // n 1 to 3; a style without a font shows "Style Undefined" and applies
    // nothing. Any other n applies the plain style.
    void setUserStyle(long n);

    // The program's own default style, with the colours at the caret.
    void setVelderDefaultSettings();
    // Stores the style at the caret as the default style (with the page
    // margins) or as user style n. Sizes are stored in points.
    void setAsDefaultStyle(long n = 0);

private:
    PageConnection& m_page;
    QVCharacterStyleCommander& m_characters;
    QVStyleStore& m_store;
    Host m_host;
    bool m_appliesDefaultStyle = true;
};

} // namespace folio
