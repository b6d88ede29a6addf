#pragma once

#include "platform/graphics/Color.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace folio {

class UserDefaults;

class CharacterStyleCommander;
class PageConnection;
class ViewController;
struct FontChoice;
struct PendingTextColor;
struct StyleToolbar;

// What the text-style picker's choices do to the page, and the plain
// operations beside them that read and set the selection's colours, the page
// colour, spacing and indents and report the page margins in inches.
// Spacing values reach the page in the C locale, whatever the user's locale.
class ParagraphStyleCommander {
public:
    struct Host {
        std::function<void()> documentIsDirty{};
        // The page colour (a CSS colour name) on the page, the view and the
        // document; night modes already switched off.
        std::function<void(const std::string& colorName)> setPaperColor{};
        // Switches sepia and dark night mode off when they are on, so that a
        // chosen page colour is what the user sees.
        std::function<void()> leaveNightModes{};
        // The view's background, which is the page colour.
        std::function<std::optional<Color>()> viewBackgroundColor{};
        // The ruler's values in centimetres: the left margin, and the right
        // edge of the text column.
        std::function<std::pair<double, double>()> rulerValues{};
        // The document's top and bottom margins, as centimetre strings.
        std::function<std::optional<std::string>()> documentTopMargin{};
        std::function<std::optional<std::string>()> documentBottomMargin{};
        // Presents an alert from the editor.
        std::function<void(std::shared_ptr<ViewController>)> present{};
        // Tells the picker the colour now chosen; may be empty.
        std::function<void(const std::string&)> pickerSelectedTextColour{};
        // Where the document's page settings are kept; the user's store when unset.
        std::function<UserDefaults&()> settings{};
    };

    ParagraphStyleCommander(PageConnection& page, StyleToolbar& toolbar, CharacterStyleCommander& characters, Host host);

    // Picker callbacks.
    void userSelectedFont(const FontChoice& font);
    void fontSizeChanged(const FontChoice& font);
    void userSelectedTextColor(const std::string& colorName);
    void userSelectedBackgroundColor(const std::string& colorName);
    void lineSpacingChanged(double spacing) { setCurrenLineSpacing(spacing); }
    void paragraphSpacingChanged(double spacing) { setCurrenParagraphSpacing(spacing); }
    void paragraphSpacingBeforeChanged(double spacing);
    void firstLineIndentChanged(double indent);

    std::optional<Color> currentTextSelectionColor();
    // None when the highlight is the page colour.
    std::optional<Color> currentTextSelectionBackgroundColor();
    std::optional<Color> currentDocumentBackgroundColor() const;
    void setCurrentTextSelectionColor(const Color& color);
    void setCurrentTextSelectionBackgroundColor(const Color& color);
    void setCurrentBackgroundDocumentColor(const Color& color);

    void setCurrenLineSpacing(double spacing);
    void setCurrenParagraphSpacing(double spacing);
    void setCurrentParagraphIndent(long pixels);
    void setCurrentFirstLineIndent(double indent);

    // Inches. The right one is the right edge of the text column.
    // The left margin and the right edge of the text column, in centimetres.
    std::pair<double, double> currentRulerValues() const;
    double currentDocumentPageLeftMargin() const;
    double currentDocumentPageRightMargin() const;
    double currentDocumentPageTopMargin() const;
    double currentDocumentPageBottomMargin() const;

    static bool colorIsEqualToColor(const Color& a, const Color& b, double tolerance);
    // A spacing the page reported as a multiple, from one that may be in
    // points: 0, 1 and 500 mean single spacing.
    static double convertLineSpacing(double spacing, double fontSize);

    void showHTMLSource();

private:
    void applyTextColor(const std::string& colorName);

    PageConnection& m_page;
    StyleToolbar& m_toolbar;
    CharacterStyleCommander& m_characters;
    PendingTextColor& m_pendingColor;
    Host m_host;
};

} // namespace folio
