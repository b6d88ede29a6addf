#include "platform/ui/ActivityIndicatorView.h"

namespace folio {

void ActivityIndicatorView::startAnimating()
{
    m_animating = true;
    if (m_hidesWhenStopped)
        setHidden(false);
}

void ActivityIndicatorView::stopAnimating()
{
    m_animating = false;
    if (m_hidesWhenStopped)
        setHidden(true);
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides)
{
    m_hidesWhenStopped = hides;
    if (hides && !m_animating)
        setHidden(true);
}

} // namespace folio
