#pragma once

#include "platform/ui/ScrollView.h"

#include <functional>
#include <map>
#include <memory>
#include <set>

namespace folio {

class TESmartPagingScrollView;

class TESmartPagingScrollViewDatasource {
public:
    virtual ~TESmartPagingScrollViewDatasource() = default;
    virtual std::size_t numberOfPagesInSmartPagingScrollView(TESmartPagingScrollView&) = 0;
    virtual std::shared_ptr<View> smartPagingScrollViewViewForPageAtIndex(TESmartPagingScrollView&, std::size_t index) = 0;
    virtual void smartPagingScrollViewDidScrollToPageAtIndex(TESmartPagingScrollView&, std::size_t) {}
};

// A paging scroll view that asks its data source for page views only as they
// come into sight, and lets go of them as they leave.
class TESmartPagingScrollView : public ScrollView {
public:
    static constexpr long kPageTagBase = 1000;
    static constexpr double kPageInset = 10;

    explicit TESmartPagingScrollView(Rect frame = {});

    void setPageDatasource(std::weak_ptr<TESmartPagingScrollViewDatasource> datasource);
    void reloadData();
    std::size_t numberOfPages() const { return m_numberOfPages; }
    std::size_t currentPageIndex() const { return m_currentPageIndex; }
    void setCurrentPageIndex(std::size_t index);
    // Told whenever the current page changes.
    void setCurrentPageIndexObserver(std::function<void(std::size_t)> observer) { m_observer = std::move(observer); }
    void scrollToPage(std::size_t page, bool animated);
    Rect frameForPageAtIndex(std::size_t index) const;

    // A user's drag: the current page follows it.
    Point dragTo(Point offset);

protected:
    void layoutSubviews() override;

private:
    void updateCurrentPage();
    void setUpVisiblePages();

    std::weak_ptr<TESmartPagingScrollViewDatasource> m_datasource;
    std::size_t m_numberOfPages = 0;
    std::map<std::size_t, std::shared_ptr<View>> m_viewsByPage;
    std::set<View*> m_visiblePageViews;
    std::size_t m_currentPageIndex = 0;
    bool m_dragging = false;
    std::function<void(std::size_t)> m_observer;
};

} // namespace folio
