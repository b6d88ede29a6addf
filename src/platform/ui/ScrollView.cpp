#include "platform/ui/ScrollView.h"

#include <algorithm>
#include <cmath>

namespace folio {

void ScrollView::setContentOffset(Point offset)
{
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y))
        return;
    Rect b = bounds();
    if (b.origin == offset)
        return;
    b.origin = offset;
    setBounds(b);
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewDidScroll(*this);
}

Point ScrollView::minimumContentOffset() const { return {-m_contentInset.left, -m_contentInset.top}; }

Point ScrollView::maximumContentOffset() const
{
    Point minimum = minimumContentOffset();
    double maxX = m_contentSize.width + m_contentInset.right - bounds().width();
    double maxY = m_contentSize.height + m_contentInset.bottom - bounds().height();
    return {std::max(minimum.x, maxX), std::max(minimum.y, maxY)};
}

Point ScrollView::dragTo(Point offset)
{
    if (!m_scrollEnabled || !isUserInteractionEnabled() || !std::isfinite(offset.x) || !std::isfinite(offset.y))
        return contentOffset();
    auto delegate = m_delegate.lock();
    if (delegate)
        delegate->scrollViewWillBeginDragging(*this);
    Point minimum = minimumContentOffset();
    Point maximum = maximumContentOffset();
    // Bouncing lets the drag pass the ends for a moment; where it comes to
    // rest is inside the content either way.
    Point target{std::clamp(offset.x, minimum.x, maximum.x), std::clamp(offset.y, minimum.y, maximum.y)};
    if (m_pagingEnabled) {
        double pageWidth = bounds().width();
        double pageHeight = bounds().height();
        if (pageWidth > 0)
            target.x = std::min(maximum.x, std::round(target.x / pageWidth) * pageWidth);
        if (pageHeight > 0)
            target.y = std::min(maximum.y, std::round(target.y / pageHeight) * pageHeight);
    }
    setContentOffset(target);
    if (delegate) {
        delegate->scrollViewDidEndDragging(*this, false);
        delegate->scrollViewDidEndDecelerating(*this);
    }
    return contentOffset();
}

} // namespace folio
