#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

namespace folio {

class TextView;

// A see-through layer over a text view that paints the text view's
// selection in its tint colour, a quarter strong, each selection rectangle
// rounded outward to whole points. It never takes clicks, so the text under
// it keeps them. The editor does not make one itself; it stands ready for a
// view that wants the selection shown this way (laid inside the text view).
class QVText_DKTextViewSelectedTextHighlightView2 : public View {
public:
    static constexpr double kAlpha = 0.25;

    explicit QVText_DKTextViewSelectedTextHighlightView2(const Rect& frame);

    const Color& tintColor() const { return m_tintColor; }
    void setTintColor(const Color& color) { m_tintColor = color; }

    // The nearest text view this view lies in; null when there is none.
    TextView* containingTextView() const;
    // The selection's rectangles in this view's coordinates, rounded out.
    std::vector<Rect> highlightedRects() const;

    void drawRect(GraphicsContext& context, const Rect& rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    // The platform's default tint, a clear blue.
    Color m_tintColor = Color::colorWithRed(0, 122 / 255.0, 1);
};

} // namespace folio
