#pragma once

#include <functional>
#include <optional>
#include <string>

namespace folio {

class PageConnection;

// The character-level commands of the QV text editor, all sent to TinyMCE
// so that its own undo follows them: the six character styles, the font
// size by steps and by absolute size, clearing the formatting and the
// yellow highlight. Sizes are points here and in every script; what the
// page reports is converted once, through FontSizeUnits.
class QVCharacterStyleCommander {
public:
    static constexpr int kSmallestSteppedSize = 4;
    static constexpr int kLargestSteppedSize = 460;

    struct Host {
        std::function<void()> documentIsDirty{};
        // Shows the edit menu after superscript and subscript; may be empty.
        std::function<void()> showMenu{};
    };

    QVCharacterStyleCommander(PageConnection& page, Host host);

    void boldExecCommand();
    void italicExecCommand();
    void underlineExecCommand();
    void strikeExecCommand();
    void superscriptExecCommand();
    void subscriptExecCommand();

    // With `isStep`, adds points to the size at the caret within 4 to 460;
    // else `points` is the new size, as it is.
    void changeFontSizeByPoints(int points, bool isStep);
    // The font-size picker's row: "+1", "-1", "+10", "-10" step, any other
    // text is an absolute size.
    void sizeSelected(const std::string& row);
    void increaseFontSizeKcommand() { changeFontSizeByPoints(1, true); }
    void decreaseFontSizeKcommand() { changeFontSizeByPoints(-1, true); }

    // The size at the caret in whole points; none when the page gave no size.
    std::optional<int> currentFontSizeInPoints();
    // The same, with a size outside 1 to 499 (or none) counting as 12.
    int getBiggestRealFontSizeInPointsFromSelection();

    // Rewrites the selected text as one span in the style at the caret:
    // "uppercase", "lowercase" or "capitalize" (another keyword keeps the
    // text), or its lines sorted. Right to left when `rightToLeft`.
    void selectionToCase(const std::string& keyword, bool rightToLeft = false);
    void selectionSortList(bool rightToLeft = false);
    // The span that replaces a selection, its text escaped and its line
    // ends kept as line breaks.
    struct SpanStyle {
        std::string family;
        int points = 12;
        std::string color;
        bool bold = false, italic = false, underline = false;
        bool rightToLeft = false;
    };
    static std::string styledSpan(const SpanStyle& style, const std::u16string& text);

    void removeStyle();
    // Yellow on, or off when the caret's background is already yellow.
    void highlightYellowTextSelection();

    // A text colour chosen for the next size change, applied before it.
    void setPendingFontColor(std::string color);
    // A spacing or indent change in between forgets the colour unapplied.
    void clearPendingFontColor() { m_pendingColor.reset(); }
    bool pendingColorChangeExists() const { return m_pendingColor.has_value(); }

    const std::string& currentFontSizeTextValue() const { return m_currentFontSizeTextValue; }
    bool isIncreaseEnabled() const { return m_increaseEnabled; }
    bool isDecreaseEnabled() const { return m_decreaseEnabled; }

private:
    enum class Trait { Bold, Italic };
    void toggleWithFaceFix(Trait trait, const char* command);
    void command(const char* name);
    void replaceSelection(const std::function<std::u16string(const std::u16string&)>& rewrite, bool rightToLeft);

    PageConnection& m_page;
    Host m_host;
    std::optional<std::string> m_pendingColor;
    std::string m_currentFontSizeTextValue;
    bool m_increaseEnabled = true;
    bool m_decreaseEnabled = true;
};

} // namespace folio
