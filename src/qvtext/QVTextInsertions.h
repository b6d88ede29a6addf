#pragma once

#include <functional>
#include <optional>
#include <string>

namespace folio {

class PageConnection;
class QVCharacterStyleCommander;

// Text the QV text editor puts in at the caret in the caret's own look:
// plain text (dates, places, scanned text), the special-character picker's
// characters and commands, and the custom keys; and the image options that
// the pickers and insert menus send.
class QVTextInsertions {
public:
    struct Host {
        // Commands of other parts of the editor, by name.
        std::function<void(const std::string& command)> run{};
        std::function<bool(const std::string& question)> ask{};
        std::function<void()> documentIsDirty{};
        std::function<void()> dismissAllPopover{};
        // Closes the special-character picker when it is open.
        std::function<void()> dismissSpecialCharsPicker{};
    };

    // The caret's font family, size and colour, as insertions carry them.
    struct CaretStyle {
        std::string family;
        int size = 12;
        std::string color;
    };

    QVTextInsertions(PageConnection& page, QVCharacterStyleCommander& characters, Host host);

    CaretStyle caretStyle();

    // Escaped as text, its line ends kept as line breaks; the size in points.
    void insertTextInDocument(const std::u16string& text);
    // Puts plain text in at the caret as words of the line the caret is in:
    // its line breaks become blanks, and a blank parts it from a word it
    // would otherwise run into on either side.
    void insertTextAmongWords(const std::u16string& text);
    // That text, given the characters just before and after the caret
    // (none at either end of the line).
    static std::u16string textAmongWords(const std::u16string& text, std::optional<char16_t> before,
                                         std::optional<char16_t> after);
    // A picker command ("InsertDate", "InsertPageBreak", "InsertLink", ...)
    // or characters, which go in as entities at the caret's size.
    void specialCharsOptionSelected(const std::u16string& option);
    // 0 picture, 1 photo, 2 sketch, 3 comment, 4 footnote, 5 footnote table.
    void imageOptionSelected(long option);
    // A custom key's text, with the caret's emphasis as the style row shows it.
    struct Emphasis {
        bool bold = false, italic = false, underline = false;
    };
    void insertKey(const std::u16string& text, Emphasis emphasis, bool rightToLeft);
    // Markup already made safe (a link), in the caret's look, sized in points.
    void insertStyledHTML(const std::string& html);

    // A span holding already escaped `html` in the caret's look. The caret's
    // size is in points and is written so: the same number in pixels would
    // make symbols and keys a quarter smaller than the text around them.
    static std::string spanHTML(const CaretStyle& style, const std::string& extra, const std::string& html,
                                bool rightToLeft);

private:
    void run(const std::string& command);
    bool ask(const std::string& question) const;
    void dirty();
    void insertHTML(const std::string& html);

    PageConnection& m_page;
    QVCharacterStyleCommander& m_characters;
    Host m_host;
};

} // namespace folio
