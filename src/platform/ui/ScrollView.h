#pragma once

#include "platform/ui/ScrollViewDelegate.h"
#include "platform/ui/View.h"

#include <memory>

namespace folio {

// The content offset is the bounds origin, so subviews scroll with it.
class ScrollView : public View {
public:
    using View::View;

    Point contentOffset() const { return bounds().origin; }
    // From code: any offset is taken as it is (editors scroll past the ends on
    // purpose); the delegate hears of it.
    virtual void setContentOffset(Point offset);
    Size contentSize() const { return m_contentSize; }
    void setContentSize(Size size) { m_contentSize = size; }
    EdgeInsets contentInset() const { return m_contentInset; }
    void setContentInset(EdgeInsets insets) { m_contentInset = insets; }

    bool isScrollEnabled() const { return m_scrollEnabled; }
    void setScrollEnabled(bool enabled) { m_scrollEnabled = enabled; }
    bool bounces() const { return m_bounces; }
    void setBounces(bool bounces) { m_bounces = bounces; }
    bool isPagingEnabled() const { return m_pagingEnabled; }
    void setPagingEnabled(bool enabled) { m_pagingEnabled = enabled; }

    void setDelegate(std::weak_ptr<ScrollViewDelegate> delegate) { m_delegate = std::move(delegate); }

    // The smallest and largest offsets a user can scroll to.
    Point minimumContentOffset() const;
    Point maximumContentOffset() const;

    // A user's drag that would end at `offset`: refused when scrolling is
    // disabled; the result is kept within the content and, with paging, lands
    // on a whole page. Answers the offset reached.
    Point dragTo(Point offset);

private:
    Size m_contentSize;
    EdgeInsets m_contentInset;
    bool m_scrollEnabled = true;
    bool m_bounces = true;
    bool m_pagingEnabled = false;
    std::weak_ptr<ScrollViewDelegate> m_delegate;
};

} // namespace folio
