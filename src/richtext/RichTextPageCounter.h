#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace folio {

// The editor shows one long scrolling page but counts it in virtual pages of
// one height, so that it can show "page n of m" and step page by page. The
// counter keeps the last scroll height and offset the page reported and
// answers the scripts that move the page; it sends nothing itself.
class RichTextPageCounter {
public:
    // The height of one virtual page from the top and bottom margins (in
    // centimetres, 0 read as 1): the margins are added to the Letter height
    // in points as they are, which is how page breaks have always fallen.
    static std::int64_t pageHeightForMargins(float topCentimetres, float bottomCentimetres);

    void setPageHeight(std::int64_t height) { m_pageHeight = height; }
    std::int64_t pageHeight() const { return m_pageHeight; }

    // What the page's scroll events last reported.
    void pageDidScroll(std::int64_t scrollHeight, std::int64_t scrollOffset);
    std::int64_t scrollOffset() const { return m_scrollOffset; }

    // Recounts from the last report: a last partial page is not counted, an
    // offset of 0 keeps the current page, and the current page is kept
    // within 1 ... total.
    void recount();
    int currentPage() const { return m_currentPage; }
    int totalPages() const { return m_totalPages; }
    bool canPageUp() const { return m_currentPage >= 2; }
    bool canPageDown() const { return m_currentPage < m_totalPages; }

    // The scripts that move to the top of the previous page (the top of the
    // current one when it is the last, scrolled part way), and the page
    // number then shown. `isEditing` first drops the selection.
    std::vector<std::string> pageUp(bool isEditing);
    // The script that moves to the top of the next page; none on the last.
    std::vector<std::string> pageDown();

    // The "Jump to page" entry: the page's scroll height read again first.
    enum class Jump { ToPage, ToEnd, Nothing };
    Jump jumpTarget(int page, std::int64_t scrollHeight);
    // Scrolls to the top of page n (from 1).
    std::string jumpToPageScript(int page) const;
    // The position the document was last read at, when there is one.
    static std::string scrollToOffsetScript(std::int64_t offset);

private:
    std::int64_t effectiveHeight() const { return m_pageHeight == 0 ? 1 : m_pageHeight; }

    std::int64_t m_pageHeight = 0;
    std::int64_t m_scrollHeight = 0;
    std::int64_t m_scrollOffset = 0;
    int m_totalPages = 1;
    int m_currentPage = 1;
};

} // namespace folio
