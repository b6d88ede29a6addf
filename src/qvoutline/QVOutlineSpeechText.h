#pragma once

#include <string>

namespace folio {

// The outline's text as it is read aloud. Comment markers and zero-width
// no-break spaces become blanks, carriage returns full stops and double
// quotes blanks, as in the QV text editor; but line feeds stay (every branch
// is a line, not a sentence), and in a selection a full stop followed by a
// blank ends a line, so its sentences are read as one utterance.
class QVOutlineSpeechText {
public:
    // From the caret to the end of the outline.
    static std::u16string textFromCursor(std::u16string_view text);
    static std::u16string selectedText(std::u16string_view text);
};

} // namespace folio
