#pragma once

#include "platform/foundation/Range.h"
#include "platform/ui/View.h"

namespace folio {

// A coloured rectangle a text view puts behind part of its text (a found
// match). It knows the text range it stands for, so that a presenter with
// its own text layout can paint that range in the view's background colour.
// The emphasized one is the range the user is looking at.
class TextHighlightView : public View {
public:
    TextHighlightView(Rect frame, Range range) : View(frame), m_range(range) {}

    Range range() const { return m_range; }
    bool isEmphasized() const { return m_emphasized; }
    void setEmphasized(bool emphasized) { m_emphasized = emphasized; }
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius) { m_cornerRadius = radius; }

private:
    Range m_range;
    bool m_emphasized = false;
    double m_cornerRadius = 0;
};

} // namespace folio
