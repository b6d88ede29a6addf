#include "platform/ui/BarContainerView.h"

#include "platform/ui/Presenter.h"

#include <algorithm>

namespace folio {

namespace {

double placed(BarContainerView::Alignment alignment, double start, double room, double size, double inset)
{
    switch (alignment) {
    case BarContainerView::Alignment::Start: return start + inset;
    case BarContainerView::Alignment::Center: return start + (room - size) / 2;
    case BarContainerView::Alignment::End: return start + room - size - inset;
    case BarContainerView::Alignment::Fill: return start + inset;
    }
    return start;
}

} // namespace

BarContainerView::BarContainerView(Rect frame) : View(frame) {}

void BarContainerView::setFrame(const Rect& frame)
{
    View::setFrame(frame);
    setNeedsLayout();
    layoutIfNeeded();
}

void BarContainerView::adopt(const std::shared_ptr<View>& view)
{
    if (view && view->superview().get() != this)
        addSubview(view);
}

void BarContainerView::release(const std::shared_ptr<View>& view)
{
    if (view && view->superview().get() == this)
        view->removeFromSuperview();
}

void BarContainerView::setContentView(std::shared_ptr<View> content)
{
    if (content == m_content)
        return;
    release(m_content);
    m_content = std::move(content);
    // The content stays below whatever floats over it.
    if (m_content && m_content->superview().get() != this)
        insertSubviewAtIndex(m_content, 0);
    setNeedsLayout();
    layoutIfNeeded();
}

void BarContainerView::setBars(Edge edge, std::vector<std::shared_ptr<View>> bars)
{
    std::vector<std::shared_ptr<View>>& shown = edge == Edge::Top ? m_topBars : m_bottomBars;
    for (const std::shared_ptr<View>& old : shown) {
        if (std::find(bars.begin(), bars.end(), old) == bars.end())
            release(old);
    }
    bars.erase(std::remove(bars.begin(), bars.end(), nullptr), bars.end());
    shown = std::move(bars);
    for (const std::shared_ptr<View>& bar : shown)
        adopt(bar);
    setNeedsLayout();
    layoutIfNeeded();
}

void BarContainerView::addFloatingView(std::shared_ptr<View> view, Placement placement)
{
    if (!view)
        return;
    removeFloatingView(*view);
    adopt(view);
    m_floating.push_back({std::move(view), placement});
    setNeedsLayout();
    layoutIfNeeded();
}

void BarContainerView::removeFloatingView(const View& view)
{
    auto it = std::find_if(m_floating.begin(), m_floating.end(), [&](const Floating& floating) { return floating.view.get() == &view; });
    if (it == m_floating.end())
        return;
    release(it->view);
    m_floating.erase(it);
}

void BarContainerView::setContentBand(std::optional<Band> band)
{
    m_contentBand = band;
    setNeedsLayout();
    layoutIfNeeded();
}

double BarContainerView::barsHeight(Edge edge) const
{
    double height = 0;
    for (const std::shared_ptr<View>& bar : bars(edge)) {
        if (!bar->isHidden())
            height += bar->frame().height();
    }
    return height;
}

Rect BarContainerView::contentFrame() const
{
    double top = barsHeight(Edge::Top);
    double height = std::max(0.0, frame().height() - top - barsHeight(Edge::Bottom));
    return Rect{{0, top}, {frame().width(), height}};
}

void BarContainerView::layoutSubviews()
{
    const double width = frame().width();
    double y = 0;
    for (const std::shared_ptr<View>& bar : m_topBars) {
        if (bar->isHidden())
            continue;
        bar->setFrame(Rect{{0, y}, {width, bar->frame().height()}});
        y += bar->frame().height();
    }
    Rect content = contentFrame();
    if (m_content && m_contentBand)
        m_content->setFrame(Rect{{content.minX(), content.minY() + m_contentBand->y}, {content.width(), m_contentBand->height}});
    else if (m_content)
        m_content->setFrame(content);
    y = content.maxY();
    for (const std::shared_ptr<View>& bar : m_bottomBars) {
        if (bar->isHidden())
            continue;
        bar->setFrame(Rect{{0, y}, {width, bar->frame().height()}});
        y += bar->frame().height();
    }
    for (const Floating& floating : m_floating)
        floating.view->setFrame(floatingFrame(floating, content));
}

Rect BarContainerView::floatingFrame(const Floating& floating, const Rect& room)
{
    Size size = floating.view ? floating.view->frame().size : Size{};
    if (floating.placement.horizontal == Alignment::Fill)
        size.width = std::max(0.0, room.width() - 2 * floating.placement.inset.width);
    if (floating.placement.vertical == Alignment::Fill)
        size.height = std::max(0.0, room.height() - 2 * floating.placement.inset.height);
    double x = placed(floating.placement.horizontal, room.minX(), room.width(), size.width, floating.placement.inset.width);
    double top = placed(floating.placement.vertical, room.minY(), room.height(), size.height, floating.placement.inset.height);
    return Rect{{x, top}, size};
}

void BarContainerView::reloadBars()
{
    setNeedsLayout();
    layoutIfNeeded();
    Presenter::current().inputViewsDidChange(*this);
}

} // namespace folio
