#pragma once

#include <functional>
#include <string>

namespace folio {

class CharacterStyleCommander;
class PageConnection;
struct StyleToolbar;

// Rewrites the selection as a whole: its case, the order of its lines, and
// the yellow highlight. Case and sort take the selected text out of the
// page, change it here and put it back as one span in the caret's font,
// size, colour and bold, italic and underline state. The text goes back
// escaped as HTML inside a script literal, so whatever it holds ("<", "&",
// quotes, backslashes) comes back as the same characters.
class SelectionTransformer {
public:
    static constexpr const char* kSelectedTextScript = "var sel = window.getSelection();sel.toString();";
    static constexpr const char* kYellow = "rgb(255, 255, 0)";

    SelectionTransformer(PageConnection& page, StyleToolbar& toolbar, CharacterStyleCommander& characters,
                         std::function<void()> documentIsDirty);

    // "uppercase", "lowercase" or "capitalize"; anything else puts the text
    // back unchanged.
    void selectionToCase(const std::string& mode);
    // The selected lines in the reader's order, ignoring case.
    void selectionSortList();
    // Yellow on, or off again where it is already yellow.
    void highlightYellowTextSelection();

    static std::u16string transformedCase(std::u16string_view text, const std::string& mode);
    static std::u16string sortedLines(std::u16string_view text);

    // The caret's look, as a rewritten span carries it.
    struct CaretStyle {
        std::string font;
        int pixelSize = 0;
        std::string extra;
        std::string color;
    };
    CaretStyle caretStyle();
    // The span holding `html` (already escaped) in that style.
    static std::string styledSpan(const CaretStyle& style, const std::string& html, bool rightToLeft);

private:
    void rewriteSelection(const std::function<std::u16string(std::u16string_view)>& transform);

    PageConnection& m_page;
    StyleToolbar& m_toolbar;
    CharacterStyleCommander& m_characters;
    std::function<void()> m_documentIsDirty;
};

} // namespace folio
