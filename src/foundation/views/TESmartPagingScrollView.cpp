#include "foundation/views/TESmartPagingScrollView.h"

#include <algorithm>
#include <cmath>

namespace folio {

TESmartPagingScrollView::TESmartPagingScrollView(Rect frame)
    : ScrollView(frame)
{
    setPagingEnabled(true);
}

void TESmartPagingScrollView::setPageDatasource(std::weak_ptr<TESmartPagingScrollViewDatasource> datasource)
{
    if (!datasource.owner_before(m_datasource) && !m_datasource.owner_before(datasource))
        return;
    m_datasource = std::move(datasource);
    reloadData();
}

void TESmartPagingScrollView::reloadData()
{
    auto datasource = m_datasource.lock();
    if (!datasource)
        return;
    for (auto& [page, view] : m_viewsByPage)
        view->removeFromSuperview();
    m_visiblePageViews.clear();
    m_viewsByPage.clear();
    m_numberOfPages = datasource->numberOfPagesInSmartPagingScrollView(*this);
    m_currentPageIndex = m_numberOfPages == 0 ? 0 : std::min(m_currentPageIndex, m_numberOfPages - 1);
    setNeedsLayout();
}

void TESmartPagingScrollView::setCurrentPageIndex(std::size_t index)
{
    if (index == m_currentPageIndex)
        return;
    m_currentPageIndex = index;
    scrollToPage(index, false);
}

Rect TESmartPagingScrollView::frameForPageAtIndex(std::size_t index) const
{
    Rect area = bounds();
    return {{area.size.width * double(index) + kPageInset, area.origin.y},
            {std::max(0.0, area.size.width - 2 * kPageInset), area.size.height}};
}

void TESmartPagingScrollView::scrollToPage(std::size_t page, bool)
{
    setContentOffset({frame().size.width * double(page), 0});
    setNeedsLayout();
}

Point TESmartPagingScrollView::dragTo(Point offset)
{
    m_dragging = true;
    Point reached = ScrollView::dragTo(offset);
    layoutSubviews();
    m_dragging = false;
    return reached;
}

void TESmartPagingScrollView::updateCurrentPage()
{
    double width = frame().size.width;
    if (!(width > 0))
        return;
    double page = std::round(contentOffset().x / width);
    std::size_t index = page <= 0 ? 0 : std::min(std::size_t(page), m_numberOfPages - 1);
    if (index == m_currentPageIndex)
        return;
    m_currentPageIndex = index;
    if (m_observer)
        m_observer(index);
    if (auto datasource = m_datasource.lock())
        datasource->smartPagingScrollViewDidScrollToPageAtIndex(*this, index);
}

void TESmartPagingScrollView::layoutSubviews()
{
    if (m_numberOfPages == 0)
        return;
    if (m_dragging)
        updateCurrentPage();
    Size content{bounds().size.width * double(m_numberOfPages), bounds().size.height};
    if (content.width != contentSize().width || content.height != contentSize().height) {
        setContentSize(content);
        setContentOffset({frame().size.width * double(m_currentPageIndex), 0});
    }
    setUpVisiblePages();
}

void TESmartPagingScrollView::setUpVisiblePages()
{
    auto datasource = m_datasource.lock();
    double width = bounds().size.width;
    if (!datasource || !(width > 0))
        return;
    double position = contentOffset().x / width;
    std::size_t first = std::size_t(std::max(0.0, std::floor(position)));
    std::size_t last = std::min(std::size_t(std::max(0.0, std::ceil(position))), m_numberOfPages - 1);
    if (!frameForPageAtIndex(first).intersects(bounds()) && first < last)
        ++first;
    if (!frameForPageAtIndex(last).intersects(bounds()) && last > first)
        --last;
    std::set<View*> nowVisible;
    for (std::size_t page = first; page <= last && page < m_numberOfPages; ++page) {
        std::shared_ptr<View>& view = m_viewsByPage[page];
        if (!view)
            view = datasource->smartPagingScrollViewViewForPageAtIndex(*this, page);
        if (!view)
            continue;
        view->setTag(kPageTagBase + long(page));
        if (view->superview().get() != this)
            insertSubviewAtIndex(view, 0);
        Rect pageFrame = frameForPageAtIndex(page);
        if (view->frame() != pageFrame)
            view->setFrame(pageFrame);
        nowVisible.insert(view.get());
    }
    for (View* view : m_visiblePageViews) {
        if (nowVisible.contains(view))
            continue;
        std::size_t page = std::size_t(view->tag() - kPageTagBase);
        auto found = m_viewsByPage.find(page);
        view->removeFromSuperview();
        if (found != m_viewsByPage.end())
            m_viewsByPage.erase(found);
    }
    m_visiblePageViews = std::move(nowVisible);
}

} // namespace folio
