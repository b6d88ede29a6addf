#pragma once

#include <functional>
#include <string>

namespace folio {

class Button;
class FontStateMonitor;
class PageConnection;
struct StyleToolbar;

// A text colour chosen with a bare caret does not survive the next size
// script, so it is applied again by the next size change and then forgotten;
// a spacing or indent change in between forgets it without applying it.
struct PendingTextColor {
    bool exists = false;
    std::string color;

    void set(std::string name)
    {
        exists = true;
        color = std::move(name);
    }
    void clear() { exists = false; }
};

// The commands that change how the selected text looks: the six character
// styles, the font size, paragraph alignment and the writing direction of
// the document. Bold, italic, underline, strikethrough, superscript and
// subscript go through the page's editing commands so that the page's undo
// follows them; size, alignment and direction go as script.
class CharacterStyleCommander {
public:
    struct Host {
        std::function<void()> documentIsDirty{};
        // Shows the edit menu after a style change; may be empty.
        std::function<void()> showMenu{};
    };

    CharacterStyleCommander(PageConnection& page, StyleToolbar& toolbar, FontStateMonitor& monitor, Host host);

    void boldExecCommand();
    void italicExecCommand();
    void underlineExecCommand();
    void strikeExecCommand();
    void superscriptExecCommand();
    void subscriptExecCommand();
    // The toggle of the style button that was tapped, then the closing steps.
    void styleTextTask(const Button* sender);

    // With `isStep`, adds points to the shown size within the step limits;
    // else points is the new shown size.
    void changeFontSizeByPoints(int points, bool isStep);
    std::string getTextValueCurrentFontSize() const;
    // The page size of the text at the caret, for inline styles; the size
    // bar is brought up to it first.
    int getBiggestRealFontSizeInPointsFromSelection();
    int getBiggestCurrentFontSizeInPointsFromSelection();
    void setTextSize();
    // The hardware keyboard's size shortcuts: one step up or down.
    void increaseFontSizeKcommand() { changeFontSizeByPoints(1, true); }
    void decreaseFontSizeKcommand() { changeFontSizeByPoints(-1, true); }

    // 0 justify, 1 centre, 2 right, 3 left, 4 right to left, 5 left to right.
    void alignTextTask(long value);
    // Follows the language of the keyboard (a BCP 47 tag).
    void setTextDirection(const std::string& language);

    bool isRTLLanguage() const { return m_isRTLLanguage; }
    bool shouldForceDirtyDocument() const { return m_shouldForceDirtyDocument; }
    PendingTextColor& pendingColor() { return m_pendingColor; }

private:
    enum class Trait { Bold, Italic };
    void toggleWithFaceFix(Trait trait, const char* command);
    void editingCommand(const char* command);

    PageConnection& m_page;
    StyleToolbar& m_toolbar;
    FontStateMonitor& m_monitor;
    Host m_host;
    PendingTextColor m_pendingColor;
    bool m_isRTLLanguage = false;
    bool m_shouldForceDirtyDocument = false;
};

} // namespace folio
