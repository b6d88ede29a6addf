#pragma once

#include <cstdint>
#include <optional>

namespace folio {

// The web-view editors show one long scrolling page but count it in virtual
// pages of one height, so that they can show "page n of m" and step page by
// page. The counter keeps the last scroll height and offset the page
// reported and works out where a move goes; each editor turns that into its
// own page's scripts.
class PageCounter {
public:
    // The height of one virtual page from the top and bottom margins (in
    // centimetres, 0 read as 1): the margins are added to the Letter height
    // in points as they are, which is how page breaks have always fallen.
    // The paper size the document names does not enter.
    static std::int64_t pageHeightForMargins(float topCentimetres, float bottomCentimetres);

    void setPageHeight(std::int64_t height) { m_pageHeight = height; }
    std::int64_t pageHeight() const { return m_pageHeight; }

    // What the page last reported.
    void pageDidScroll(std::int64_t scrollHeight, std::int64_t scrollOffset);
    std::int64_t scrollHeight() const { return m_scrollHeight; }
    std::int64_t scrollOffset() const { return m_scrollOffset; }

    // Recounts from the last report: a last partial page is not counted, an
    // offset of 0 keeps the current page, and the current page is kept
    // within 1 ... total.
    void recount();
    int currentPage() const { return m_currentPage; }
    int totalPages() const { return m_totalPages; }
    bool canPageUp() const { return m_currentPage >= 2; }
    bool canPageDown() const { return m_currentPage < m_totalPages; }

    struct UpMove {
        std::int64_t offset = 0;
        // The move goes to the top of the last page, scrolled part way into
        // it, rather than to the page before.
        bool toTopOfLastPage = false;
    };
    // Where page up goes: the top of the previous page, or the top of the
    // last page when it is scrolled part way; nothing above the first
    // page's end. The current page is lowered (never below 1).
    std::optional<UpMove> moveUp();
    // Where page down goes: the top of the next page; nothing on the last
    // page, so that the number shown never passes the total.
    std::optional<std::int64_t> moveDown();

    // The "Jump to page" entry: the page's scroll height read again first
    // (0 when the page did not tell it).
    enum class Jump { ToPage, ToEnd, Nothing };
    Jump jumpTarget(int page, std::int64_t scrollHeight);
    // The top of page n (from 1).
    std::int64_t jumpOffset(int page) const { return m_pageHeight * (page - 1); }

private:
    std::int64_t effectiveHeight() const { return m_pageHeight == 0 ? 1 : m_pageHeight; }

    std::int64_t m_pageHeight = 0;
    std::int64_t m_scrollHeight = 0;
    std::int64_t m_scrollOffset = 0;
    int m_totalPages = 1;
    int m_currentPage = 1;
};

} // namespace folio
