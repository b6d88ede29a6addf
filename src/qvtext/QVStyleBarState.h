#pragma once

#include "qvtext/QVStyleMonitor.h"

#include <memory>
#include <string>

namespace folio {

class Button;

// Shows the style at the caret on the QV style bar: bold, italic and
// underline pressed in while they are on, the size on the size button, the
// paragraph's alignment on the alignment button, and the font on the font
// button, with bold and italic offered only where the font's face can take
// them. The style poll hands it what it found.
class QVStyleBarState {
public:
    struct Buttons {
        std::shared_ptr<Button> styleBold;
        std::shared_ptr<Button> styleItalic;
        std::shared_ptr<Button> styleUnderline;
        std::shared_ptr<Button> styleFontName;
        std::shared_ptr<Button> styleFontSize;
        // The alignment menu's button, which shows the paragraph's alignment.
        std::shared_ptr<Button> styleAlign;
    };

    explicit QVStyleBarState(Buttons buttons);

    void apply(const QVStyleMonitor::Snapshot& snapshot);
    // The symbol of the alignment the style has; left when it tells none.
    static const char* alignmentSymbol(const QVStyleState& style);
    // The font button from the page's font-name answer ("'Avenir Next',
    // serif"): the family for its base face, the face's own name for any
    // other, "Helvetica" when no installed font has the name (bold and
    // italic stay offered then: the page draws a fallback face).
    void updateCurrentFont(const std::string& fontNameAnswer);

private:
    Buttons m_buttons;
};

} // namespace folio
