#include "richtext/RichTextPageCounter.h"

#include <algorithm>

namespace folio {

namespace {

// Pages are counted on a Letter sheet whatever paper the document names.
constexpr double kLetterHeightPoints = 792;
// The part of the sheet the editor's header and footer take.
constexpr std::int64_t kPageChrome = 59;

std::string contentScrollTopScript(std::int64_t top)
{
    return "document.getElementById('content').scrollTop =" + std::to_string(top) + ";";
}

} // namespace

std::int64_t RichTextPageCounter::pageHeightForMargins(float top, float bottom)
{
    if (top == 0)
        top = 1.0f;
    if (bottom == 0)
        bottom = 1.0f;
    double height = kLetterHeightPoints + static_cast<double>(top) + static_cast<double>(bottom);
    return static_cast<std::int64_t>(height) - kPageChrome;
}

void RichTextPageCounter::pageDidScroll(std::int64_t scrollHeight, std::int64_t scrollOffset)
{
    m_scrollHeight = scrollHeight;
    m_scrollOffset = scrollOffset;
}

void RichTextPageCounter::recount()
{
    if (m_scrollHeight != 0)
        m_totalPages = m_pageHeight == 0 ? 0 : static_cast<int>(m_scrollHeight / m_pageHeight);
    if (m_scrollOffset != 0 && m_pageHeight != 0)
        m_currentPage = static_cast<int>((m_scrollOffset + m_pageHeight / 2) / m_pageHeight + 1);
    if (m_totalPages == 0)
        m_totalPages = 1;
    m_currentPage = std::clamp(m_currentPage, 1, m_totalPages);
}

std::vector<std::string> RichTextPageCounter::pageUp(bool isEditing)
{
    std::vector<std::string> scripts;
    std::int64_t height = effectiveHeight();
    std::int64_t offset = m_scrollOffset;
    std::int64_t intoPage = offset % height;
    if (m_currentPage < 1)
        return scripts;
    if (offset < height) {
        m_currentPage = 1;
        return scripts;
    }
    if (isEditing)
        scripts.push_back("document.execCommand('unselect')");
    if (m_currentPage == m_totalPages && intoPage >= 1)
        scripts.push_back("document.body.scrollTop =" + std::to_string(offset - intoPage) + ";");
    else
        scripts.push_back(contentScrollTopScript(offset - height - intoPage));
    m_currentPage = std::max(1, m_currentPage - 1);
    return scripts;
}

std::vector<std::string> RichTextPageCounter::pageDown()
{
    // The last page has no next one: the page stays, and so does the count.
    if (m_currentPage >= m_totalPages) {
        m_currentPage = m_totalPages;
        return {};
    }
    std::int64_t height = effectiveHeight();
    std::int64_t offset = m_scrollOffset;
    ++m_currentPage;
    return {contentScrollTopScript(offset - offset % height + height)};
}

RichTextPageCounter::Jump RichTextPageCounter::jumpTarget(int page, std::int64_t scrollHeight)
{
    if (scrollHeight != 0 && m_pageHeight != 0)
        m_totalPages = std::max(1, static_cast<int>(scrollHeight / m_pageHeight));
    if (page < 1)
        return Jump::Nothing;
    return page <= m_totalPages ? Jump::ToPage : Jump::ToEnd;
}

std::string RichTextPageCounter::jumpToPageScript(int page) const
{
    return contentScrollTopScript(m_pageHeight * (page - 1));
}

std::string RichTextPageCounter::scrollToOffsetScript(std::int64_t offset)
{
    return "document.getElementById('content').scrollTop = " + std::to_string(offset) + ";";
}

} // namespace folio
