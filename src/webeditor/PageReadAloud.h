#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace folio {

class PageConnection;
class ReadAloudController;

// What a web editor reads aloud: from the caret to the end, or the
// selection, taken from its page, cleaned of what is not to be spoken and
// handed to the shared speech controller. The editors differ only in the
// scripts that reach their page and in how they clean the text.
class PageReadAloud {
public:
    enum class Source { FromCaret, Selection };
    using Cleaner = std::function<std::u16string(std::u16string text, Source source)>;

    struct Scripts {
        // Answers the page's vertical scroll position.
        std::string scrollPosition;
        // Scrolls back there; "{}" stands for the position.
        std::string scrollTo;
        std::string selectionText;
        std::string wholeText;
        std::string unselect;
    };

    struct Host {
        std::function<bool()> isEditing{};
        // The page's selection is collapsed (a caret only).
        std::function<bool()> hasSelection{};
        std::function<void()> selectToEndOfDoc{};
        // A reading has started: the editor shows the speech menu, rebuilds its tools menu.
        std::function<void()> didStartReading{};
    };

    PageReadAloud(PageConnection& page, ReadAloudController& speech, Scripts scripts, Cleaner cleaner, Host host);

    // Every replacement of `from` by `to`, left to right.
    static void replaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to);
    // The comment marks the page puts into its text become blanks.
    static std::u16string withoutCommentMarkers(std::u16string text);

    void readAloudFromCursorToEnd();
    void speakSelectedText();

private:
    void read(std::u16string text, Source source);

    PageConnection& m_page;
    ReadAloudController& m_speech;
    Scripts m_scripts;
    Cleaner m_cleaner;
    Host m_host;
};

} // namespace folio
