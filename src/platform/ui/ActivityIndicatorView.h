#pragma once

#include "platform/ui/View.h"

namespace folio {

class ActivityIndicatorView : public View {
public:
    using View::View;

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_animating; }
    bool hidesWhenStopped() const { return m_hidesWhenStopped; }
    void setHidesWhenStopped(bool hides);

private:
    bool m_animating = false;
    bool m_hidesWhenStopped = true;
};

} // namespace folio
