#include "platform/ui/GestureRecognizer.h"

#include "platform/ui/View.h"

namespace folio {

GestureRecognizer::GestureRecognizer(Handler handler) { addTarget(std::move(handler)); }

void GestureRecognizer::addTarget(Handler handler)
{
    if (handler)
        m_handlers.push_back(std::move(handler));
}

void GestureRecognizer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled && (m_state == GestureRecognizerState::Began || m_state == GestureRecognizerState::Changed))
        transition(GestureRecognizerState::Cancelled);
}

Point GestureRecognizer::locationInView(const View* view) const
{
    if (!m_view || !view || view == m_view)
        return m_location;
    return m_view->convertPointToView(m_location, view);
}

bool GestureRecognizer::canReceive() const
{
    if (!m_enabled || !m_view)
        return false;
    for (const View* current = m_view; current; current = current->superview().get()) {
        if (current->isHidden() || !current->isUserInteractionEnabled())
            return false;
    }
    return true;
}

bool GestureRecognizer::shouldBegin()
{
    auto delegate = m_delegate.lock();
    return !delegate || delegate->gestureRecognizerShouldBegin(*this);
}

bool GestureRecognizer::recognizeAt(Point location, GestureRecognizerState state)
{
    setLocation(location);
    if (!shouldBegin()) {
        transition(GestureRecognizerState::Failed);
        return false;
    }
    transition(state);
    return true;
}

void GestureRecognizer::transition(GestureRecognizerState state)
{
    // A handler may remove this recognizer from its view.
    auto keep = weak_from_this().lock();
    m_state = state;
    if (state != GestureRecognizerState::Failed) {
        auto handlers = m_handlers;
        for (auto& handler : handlers)
            handler(*this);
    }
    if (state == GestureRecognizerState::Ended || state == GestureRecognizerState::Cancelled ||
        state == GestureRecognizerState::Failed)
        m_state = GestureRecognizerState::Possible;
}

} // namespace folio
