#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace folio {

class PageConnection;

// The fixed items the insert menus put into the QV text page at the caret:
// a horizontal line, a page break, a table, the date and TinyMCE's link
// dialog. Each goes in through TinyMCE, so that its undo takes the item
// back in one step, and marks the document changed.
class QVInsertCommander {
public:
    struct Host {
        std::function<void()> documentIsDirty{};
        std::function<std::chrono::system_clock::time_point()> now{};
    };

    QVInsertCommander(PageConnection& page, Host host);

    // The markup of each item.
    static std::string horizontalLineHTML();
    static std::string pageBreakHTML();
    // Three rows of three empty cells, full width, with a border of 1.
    static std::string tableHTML();

    void insertHorizontalLine();
    void insertPageBreak();
    void insertTable();
    // The date and time in the user's short, or long, date style.
    void insertDateShort();
    void insertDate();
    // Opens TinyMCE's own link dialog.
    void insertLink();
    // Text as it stands: nothing in it becomes markup.
    void insertText(const std::u16string& text);

private:
    void insertHTML(const std::string& html);

    PageConnection& m_page;
    Host m_host;
};

} // namespace folio
