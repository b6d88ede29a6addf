#include "platform/ui/View.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Log.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/ViewController.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <typeinfo>

namespace folio {

View::View(Rect frame) : m_frame(frame), m_bounds{{0, 0}, frame.size} {}

View::~View()
{
    for (auto& recognizer : m_gestureRecognizers)
        recognizer->setView(nullptr);
}

void View::setFrame(const Rect& frame)
{
    bool changed = !(frame == m_frame);
    m_frame = frame;
    m_bounds.size = frame.size;
    if (changed)
        layoutDidChange();
}

void View::setHidden(bool hidden)
{
    if (hidden == m_hidden)
        return;
    m_hidden = hidden;
    layoutDidChange();
}

void View::setBackgroundColor(std::optional<Color> color)
{
    if (color == m_backgroundColor)
        return;
    m_backgroundColor = std::move(color);
    Presenter::current().viewBackgroundColorDidChange(*this);
}

void View::layoutDidChange()
{
    // Only a view that is shown somewhere can change what is on screen.
    if (!m_superview.expired() || !m_subviews.empty())
        Presenter::current().viewLayoutDidChange(*this);
}

void View::setBounds(const Rect& bounds)
{
    m_bounds = bounds;
    m_frame.size = bounds.size;
}

void View::setAlpha(double alpha)
{
    double clamped = std::clamp(alpha, 0.0, 1.0);
    if (clamped == m_alpha)
        return;
    m_alpha = clamped;
    layoutDidChange();
}

bool View::addSubview(const std::shared_ptr<View>& view)
{
    return insertSubviewAtIndex(view, m_subviews.size());
}

bool View::insertSubviewAtIndex(const std::shared_ptr<View>& view, std::size_t index)
{
    auto self = sharedAs<View>();
    if (!self || !view || view.get() == this || isDescendantOfView(view.get()))
        return false;
    // Keep the view alive while it moves between parents.
    std::shared_ptr<View> keep = view;
    keep->willMoveToSuperview(this);
    keep->detachFromSuperview();
    index = std::min(index, m_subviews.size());
    m_subviews.insert(m_subviews.begin() + static_cast<std::ptrdiff_t>(index), keep);
    keep->m_superview = self;
    Presenter::current().viewLayoutDidChange(*this);
    keep->didMoveToSuperview();
    return true;
}

void View::removeFromSuperview()
{
    // The superview may hold the last reference to this view.
    auto self = sharedAs<View>();
    if (m_superview.expired())
        return;
    willMoveToSuperview(nullptr);
    if (detachFromSuperview())
        didMoveToSuperview();
}

std::shared_ptr<View> View::detachFromSuperview()
{
    auto parent = m_superview.lock();
    m_superview.reset();
    if (!parent)
        return nullptr;
    auto& siblings = parent->m_subviews;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(), [this](const auto& v) { return v.get() == this; }),
                   siblings.end());
    Presenter::current().viewLayoutDidChange(*parent);
    return parent;
}

bool View::isDescendantOfView(const View* view) const
{
    for (const View* current = this; current; current = current->m_superview.lock().get()) {
        if (current == view)
            return true;
    }
    return false;
}

std::shared_ptr<View> View::viewWithTag(long tag)
{
    if (m_tag == tag)
        return sharedAs<View>();
    for (auto& subview : m_subviews) {
        if (auto found = subview->viewWithTag(tag))
            return found;
    }
    return nullptr;
}

Point View::originInWindow() const
{
    Point origin{0, 0};
    for (const View* current = this; current; current = current->m_superview.lock().get()) {
        auto parent = current->m_superview.lock();
        origin.x += current->m_frame.origin.x;
        origin.y += current->m_frame.origin.y;
        if (parent) {
            origin.x -= parent->m_bounds.origin.x;
            origin.y -= parent->m_bounds.origin.y;
        }
    }
    return origin;
}

Point View::convertPointToView(Point point, const View* view) const
{
    // Both views are placed in window coordinates; a view's own bounds origin
    // shifts what its content coordinates mean.
    Point from = originInWindow();
    Point window{point.x - m_bounds.origin.x + from.x, point.y - m_bounds.origin.y + from.y};
    if (!view)
        return window;
    Point to = view->originInWindow();
    return {window.x - to.x + view->m_bounds.origin.x, window.y - to.y + view->m_bounds.origin.y};
}

Rect View::convertRectToView(const Rect& rect, const View* view) const
{
    return Rect{convertPointToView(rect.origin, view), rect.size};
}

std::shared_ptr<View> View::hitTest(Point point)
{
    if (m_hidden || m_alpha < 0.01 || !m_userInteractionEnabled)
        return nullptr;
    if (!Rect{m_bounds.origin, m_bounds.size}.containsPoint(point))
        return nullptr;
    // The last subview lies on top.
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it) {
        const std::shared_ptr<View>& subview = *it;
        Point inSubview{point.x - subview->m_frame.origin.x + subview->m_bounds.origin.x,
                        point.y - subview->m_frame.origin.y + subview->m_bounds.origin.y};
        // A subview may reach beyond its superview's bounds (handles on
        // corners); it is still hit there, as long as the superview is.
        if (auto hit = subview->hitTest(inSubview))
            return hit;
    }
    return sharedAs<View>();
}

std::vector<Point> View::inSuperview(const std::vector<Point>& touches) const
{
    auto parent = m_superview.lock();
    Point shift{m_frame.origin.x - (parent ? parent->m_bounds.origin.x : 0),
                m_frame.origin.y - (parent ? parent->m_bounds.origin.y : 0)};
    std::vector<Point> moved;
    for (Point touch : touches)
        moved.push_back(Point{touch.x - m_bounds.origin.x + shift.x, touch.y - m_bounds.origin.y + shift.y});
    return moved;
}

void View::touchesBegan(const std::vector<Point>& touches)
{
    if (auto parent = m_superview.lock())
        parent->touchesBegan(inSuperview(touches));
}

void View::touchesMoved(const std::vector<Point>& touches)
{
    if (auto parent = m_superview.lock())
        parent->touchesMoved(inSuperview(touches));
}

void View::touchesEnded(int touchesLeft)
{
    if (auto parent = m_superview.lock())
        parent->touchesEnded(touchesLeft);
}

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer)
{
    if (!recognizer)
        return;
    if (View* previous = recognizer->view(); previous && previous != this)
        previous->removeGestureRecognizer(recognizer.get());
    if (std::find(m_gestureRecognizers.begin(), m_gestureRecognizers.end(), recognizer) == m_gestureRecognizers.end())
        m_gestureRecognizers.push_back(recognizer);
    recognizer->setView(this);
}

void View::removeGestureRecognizer(const GestureRecognizer* recognizer)
{
    auto it = std::find_if(m_gestureRecognizers.begin(), m_gestureRecognizers.end(),
                           [recognizer](const auto& r) { return r.get() == recognizer; });
    if (it == m_gestureRecognizers.end())
        return;
    (*it)->setView(nullptr);
    m_gestureRecognizers.erase(it);
}

Responder* View::nextResponder() const
{
    if (m_owningViewController)
        return m_owningViewController;
    return m_superview.lock().get();
}

namespace {

std::atomic<bool> mainThreadChecking{false};

} // namespace

void View::drawRect(GraphicsContext&, const Rect&) {}

void View::setNeedsDisplay()
{
    checkMainThread("setNeedsDisplay");
    m_needsDisplay = true;
    Presenter::current().viewNeedsDisplay(*this);
}

void View::displayIfNeeded(GraphicsContext& context)
{
    if (!m_needsDisplay)
        return;
    m_needsDisplay = false;
    drawLayer(context, m_bounds);
}

void View::setNeedsLayout()
{
    checkMainThread("setNeedsLayout");
    m_needsLayout = true;
}

void View::layoutIfNeeded()
{
    if (m_needsLayout) {
        m_needsLayout = false;
        layoutSubviews();
    }
    for (const auto& subview : std::vector<std::shared_ptr<View>>(m_subviews))
        subview->layoutIfNeeded();
}

void View::setMainThreadChecking(bool enabled) { mainThreadChecking = enabled; }

bool View::isMainThreadChecking() { return mainThreadChecking; }

void View::checkMainThread(const char* method) const
{
    if (!mainThreadChecking || isMainThread())
        return;
    TELog(TELogLevelError, std::string("-[") + typeid(*this).name() + " " + method
              + "] being called on background queue. Break on View::checkMainThread to find out where");
    assert(false && "views belong to the main thread");
}

} // namespace folio
