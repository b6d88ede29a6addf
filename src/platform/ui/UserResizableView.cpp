#include "platform/ui/UserResizableView.h"

#include <algorithm>

namespace folio {

UserResizableView::UserResizableView(Rect frame) : View(frame), m_contentView(std::make_shared<ImageView>())
{
    addSubview(m_contentView);
    layoutContent();
}

void UserResizableView::layoutContent()
{
    Size size = frame().size;
    m_contentView->setFrame(makeRect(kInset, kInset, std::max(0.0, size.width - 2 * kInset),
                                     std::max(0.0, size.height - 2 * kInset)));
}

void UserResizableView::touchBegan(Point point)
{
    Rect frame = this->frame();
    if (!frame.containsPoint(point))
        return;
    m_dragging = true;
    m_touchStart = point;
    m_frameAtStart = frame;
    m_resizing = point.x >= frame.maxX() - kCornerReach && point.y >= frame.maxY() - kCornerReach;
    if (m_delegate.didBeginEditing)
        m_delegate.didBeginEditing(*this);
}

void UserResizableView::touchMoved(Point point)
{
    if (!m_dragging)
        return;
    double dx = point.x - m_touchStart.x;
    double dy = point.y - m_touchStart.y;
    Rect start = m_frameAtStart;
    if (m_resizing) {
        double least = kMinimumContentSide + 2 * kInset;
        setFrame(makeRect(start.minX(), start.minY(), std::max(least, start.width() + dx),
                          std::max(least, start.height() + dy)));
        layoutContent();
        if (m_delegate.didMoveEditing)
            m_delegate.didMoveEditing(*this);
    } else {
        setFrame(makeRect(start.minX() + dx, start.minY() + dy, start.width(), start.height()));
        if (m_delegate.didTranslate)
            m_delegate.didTranslate(*this);
    }
}

void UserResizableView::touchEnded()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    if (m_delegate.didEndEditing)
        m_delegate.didEndEditing(*this);
}

} // namespace folio
