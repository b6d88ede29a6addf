#include "webeditor/PageCounter.h"

#include <algorithm>

namespace folio {

namespace {

// Pages are counted on a Letter sheet whatever paper the document names.
constexpr double kLetterHeightPoints = 792;
// The part of the sheet the editor's header and footer take.
constexpr std::int64_t kPageChrome = 59;

} // namespace

std::int64_t PageCounter::pageHeightForMargins(float top, float bottom)
{
    if (top == 0)
        top = 1.0f;
    if (bottom == 0)
        bottom = 1.0f;
    double height = kLetterHeightPoints + static_cast<double>(top) + static_cast<double>(bottom);
    return static_cast<std::int64_t>(height) - kPageChrome;
}

void PageCounter::pageDidScroll(std::int64_t scrollHeight, std::int64_t scrollOffset)
{
    m_scrollHeight = scrollHeight;
    m_scrollOffset = scrollOffset;
}

void PageCounter::recount()
{
    if (m_scrollHeight != 0)
        m_totalPages = m_pageHeight == 0 ? 0 : static_cast<int>(m_scrollHeight / m_pageHeight);
    if (m_scrollOffset != 0 && m_pageHeight != 0)
        m_currentPage = static_cast<int>((m_scrollOffset + m_pageHeight / 2) / m_pageHeight + 1);
    if (m_totalPages == 0)
        m_totalPages = 1;
    m_currentPage = std::clamp(m_currentPage, 1, m_totalPages);
}

std::optional<PageCounter::UpMove> PageCounter::moveUp()
{
    std::int64_t height = effectiveHeight();
    std::int64_t offset = m_scrollOffset;
    std::int64_t intoPage = offset % height;
    if (m_currentPage < 1)
        return std::nullopt;
    if (offset < height) {
        m_currentPage = 1;
        return std::nullopt;
    }
    UpMove move;
    if (m_currentPage == m_totalPages && intoPage >= 1)
        move = {offset - intoPage, true};
    else
        move = {offset - height - intoPage, false};
    m_currentPage = std::max(1, m_currentPage - 1);
    return move;
}

std::optional<std::int64_t> PageCounter::moveDown()
{
    if (m_currentPage >= m_totalPages) {
        m_currentPage = m_totalPages;
        return std::nullopt;
    }
    std::int64_t height = effectiveHeight();
    ++m_currentPage;
    return m_scrollOffset - m_scrollOffset % height + height;
}

PageCounter::Jump PageCounter::jumpTarget(int page, std::int64_t scrollHeight)
{
    if (scrollHeight != 0 && m_pageHeight != 0)
        m_totalPages = std::max(1, static_cast<int>(scrollHeight / m_pageHeight));
    if (page < 1)
        return Jump::Nothing;
    return page <= m_totalPages ? Jump::ToPage : Jump::ToEnd;
}

} // namespace folio
