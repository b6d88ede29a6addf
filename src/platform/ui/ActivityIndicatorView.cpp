#include "platform/ui/ActivityIndicatorView.h"

#include "platform/ui/Presenter.h"

namespace folio {

ActivityIndicatorView::ActivityIndicatorView(Rect frame) : View(frame)
{
    setHidden(true);
}

void ActivityIndicatorView::startAnimating()
{
    m_animating = true;
    if (m_hidesWhenStopped)
        setHidden(false);
    Presenter::current().activityIndicatorDidChange(*this);
}

void ActivityIndicatorView::stopAnimating()
{
    m_animating = false;
    if (m_hidesWhenStopped)
        setHidden(true);
    Presenter::current().activityIndicatorDidChange(*this);
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides)
{
    m_hidesWhenStopped = hides;
    setHidden(hides && !m_animating);
    Presenter::current().activityIndicatorDidChange(*this);
}

} // namespace folio
