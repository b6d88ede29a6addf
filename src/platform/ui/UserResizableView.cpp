#include "platform/ui/UserResizableView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>

namespace folio {

namespace {
constexpr double kHandleSide = 14;
constexpr double kLineWidth = 1.5;
} // namespace

UserResizableView::UserResizableView(Rect frame) : View(frame), m_contentView(std::make_shared<ImageView>())
{
    addSubview(m_contentView);
    layoutContent();
}

std::shared_ptr<UserResizableView> UserResizableView::make(Rect frame)
{
    auto view = std::make_shared<UserResizableView>(frame);
    view->addSubview(view->m_contentView);
    view->layoutContent();
    return view;
}

Rect UserResizableView::frameForContent(const Rect& content)
{
    return makeRect(content.minX() - kInset, content.minY() - kInset, content.width() + 2 * kInset,
                    content.height() + 2 * kInset);
}

Rect UserResizableView::contentForFrame(const Rect& frame)
{
    return makeRect(frame.minX() + kInset, frame.minY() + kInset, std::max(0.0, frame.width() - 2 * kInset),
                    std::max(0.0, frame.height() - 2 * kInset));
}

void UserResizableView::setFrame(const Rect& frame)
{
    View::setFrame(frame);
    if (m_contentView)
        layoutContent();
}

void UserResizableView::layoutContent()
{
    Rect content = contentForFrame(Rect{{0, 0}, frame().size});
    m_contentView->setFrame(content);
}

void UserResizableView::showEditingHandles()
{
    m_handlesShown = true;
    setNeedsDisplay();
}

void UserResizableView::hideEditingHandles()
{
    m_handlesShown = false;
    m_dragging = false;
    setNeedsDisplay();
}

std::vector<Rect> UserResizableView::handleRects() const
{
    // The one handle that resizes: the lower right corner of the picture.
    Rect content = contentForFrame(Rect{{0, 0}, frame().size});
    return {makeRect(content.maxX() - kHandleSide / 2, content.maxY() - kHandleSide / 2, kHandleSide, kHandleSide)};
}

void UserResizableView::drawRect(GraphicsContext& context, const Rect&)
{
    if (!m_handlesShown)
        return;
    Rect content = contentForFrame(Rect{{0, 0}, frame().size});
    Color blue = Color::colorWithRed(0.16, 0.45, 0.95);
    context.setStrokeColor(blue);
    context.setLineWidth(kLineWidth);
    Rect line = content.insetBy(-kLineWidth / 2, -kLineWidth / 2);
    context.moveToPoint(line.origin);
    context.addLineToPoint(Point{line.maxX(), line.minY()});
    context.addLineToPoint(Point{line.maxX(), line.maxY()});
    context.addLineToPoint(Point{line.minX(), line.maxY()});
    context.closePath();
    context.strokePath();
    for (const Rect& handle : handleRects()) {
        context.setFillColor(Color::colorWithWhite(1));
        context.fillRect(handle);
        context.setStrokeColor(blue);
        context.setLineWidth(2);
        Rect rim = handle.insetBy(1, 1);
        context.moveToPoint(rim.origin);
        context.addLineToPoint(Point{rim.maxX(), rim.minY()});
        context.addLineToPoint(Point{rim.maxX(), rim.maxY()});
        context.addLineToPoint(Point{rim.minX(), rim.maxY()});
        context.closePath();
        context.strokePath();
    }
}

void UserResizableView::touchBegan(Point point)
{
    Rect frame = this->frame();
    // Without its handles the frame only stands over the picture.
    if (!m_handlesShown || !frame.containsPoint(point))
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

Point UserResizableView::inSuperviewCoordinates(Point point) const
{
    auto parent = superview();
    Point shift = parent ? parent->bounds().origin : Point{0, 0};
    return Point{point.x - bounds().minX() + frame().minX() - shift.x, point.y - bounds().minY() + frame().minY() - shift.y};
}

void UserResizableView::touchesBegan(const std::vector<Point>& touches)
{
    if (touches.size() == 1)
        touchBegan(inSuperviewCoordinates(touches.front()));
}

void UserResizableView::touchesMoved(const std::vector<Point>& touches)
{
    // The frame moves under the pointer: the point is taken where the frame is now.
    if (touches.size() == 1)
        touchMoved(inSuperviewCoordinates(touches.front()));
}

void UserResizableView::touchesEnded(int) { touchEnded(); }

} // namespace folio
