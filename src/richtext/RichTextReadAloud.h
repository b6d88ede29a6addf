#pragma once

#include "webeditor/PageReadAloud.h"

#include <functional>
#include <string>

namespace folio {

class PageConnection;
class ReadAloudController;

// What the rich-text editor reads aloud: from the caret to the end, or the
// selection, taken from the page and cleaned of what is not to be spoken.
class RichTextReadAloud {
public:
    using Source = PageReadAloud::Source;

    struct Host {
        std::function<bool()> isEditing{};
        // The page's selection is collapsed (a caret only).
        std::function<bool()> hasSelection{};
        std::function<void()> selectToEndOfDoc{};
    };

    RichTextReadAloud(PageConnection& page, ReadAloudController& speech, Host host);

    // Comment markers and placeholders become blanks, carriage returns full
    // stops, double quotes blanks; in a selection ". " then becomes a line
    // feed, so that its sentences are read as one piece.
    static std::u16string cleanedForReading(std::u16string text, Source source);

    void readAloudFromCursorToEnd() { m_reader.readAloudFromCursorToEnd(); }
    void speakSelectedText() { m_reader.speakSelectedText(); }

private:
    PageReadAloud m_reader;
};

} // namespace folio
