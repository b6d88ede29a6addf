#pragma once

#include "platform/ui/View.h"

namespace folio {

// A spinner. It tells the presenter whenever it starts, stops, shows or
// hides; while stopped it is hidden, unless told otherwise.
class ActivityIndicatorView : public View {
public:
    explicit ActivityIndicatorView(Rect frame = {});

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
