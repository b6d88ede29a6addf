#pragma once

#include "richtext/DefaultStyleStore.h"
#include "tools/textstyle/TextStyleDefaults.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class CharacterStyleCommander;
class PageConnection;
class ParagraphStyleCommander;
class UserDefaults;
class ViewController;
struct StyleToolbar;

// Applies the default style and the three presets to the selection, stores
// the caret's style as one of them, and clears the selection's formatting.
class StylePresetCommander {
public:
    // With a bare caret, a span holding one U+FEFF is inserted and selected,
    // so that the style applies to what is typed next.
    static constexpr const char* kCaretPlaceholderScript =
        "var sel = window.getSelection();if(sel.isCollapsed) {document.execCommand('insertHTML','false',"
        "'<span>\\uFEFF</span>');sel.modify('extend', 'backward', 'character');scrollToView();}";

    struct Host {
        std::function<void()> documentIsDirty{};
        std::function<void(const std::string& colorName)> setPaperColor{};
        std::function<void(std::shared_ptr<ViewController>)> present{};
        // How many times the indent commands indented; may be empty.
        std::function<long()> numberOfIndents{};
    };

    StylePresetCommander(PageConnection& page, StyleToolbar& toolbar, CharacterStyleCommander& characters,
                         ParagraphStyleCommander& paragraphs, UserDefaults& defaults, Host host);

    DefaultStyleStore& store() { return m_store; }

    // 1 to 3 apply a preset (an alert when it was never stored); any other
    // number the plain style.
    void setUserStyle(long n);
    void setDefaultStyle();
    // Clears the selection's formatting; footnotes and comments stay.
    void removeStyle();

    // The caret's style stored as the default style, or preset 1 to 3.
    void setAsDefaultStyle();
    void setAsDefaultStyle(long n);
    void setVelderDefaultSettings();

private:
    void sendSpacing(const char* function, double value);
    // The caret's colours, spacing and indent; none when the page does not answer.
    std::optional<TextStyleSettings> caretStyle();
    void switchOffActiveStyles();

    PageConnection& m_page;
    StyleToolbar& m_toolbar;
    CharacterStyleCommander& m_characters;
    ParagraphStyleCommander& m_paragraphs;
    DefaultStyleStore m_store;
    Host m_host;
};

} // namespace folio
