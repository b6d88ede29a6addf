#include "qvtext/QVText_DKTextViewSelectedTextHighlightView2.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/TextView.h"

#include <cmath>

namespace folio {

QVText_DKTextViewSelectedTextHighlightView2::QVText_DKTextViewSelectedTextHighlightView2(const Rect& frame)
    : View(frame)
{
    setAlpha(kAlpha);
    setBackgroundColor(std::nullopt);
    setUserInteractionEnabled(false);
}

TextView* QVText_DKTextViewSelectedTextHighlightView2::containingTextView() const
{
    for (std::shared_ptr<View> up = superview(); up; up = up->superview()) {
        if (auto* text = dynamic_cast<TextView*>(up.get()))
            return text;
    }
    return nullptr;
}

std::vector<Rect> QVText_DKTextViewSelectedTextHighlightView2::highlightedRects() const
{
    std::vector<Rect> rects;
    TextView* text = containingTextView();
    // A bare caret selects nothing to show.
    if (!text || text->selectedRange().location == NotFound || text->selectedRange().length == 0)
        return rects;
    for (const Rect& selected : text->selectionRectsForRange(text->selectedRange())) {
        Rect here = text->convertRectToView(selected, this);
        double left = std::floor(here.minX());
        double top = std::floor(here.minY());
        rects.push_back(makeRect(left, top, std::ceil(here.maxX()) - left, std::ceil(here.maxY()) - top));
    }
    return rects;
}

void QVText_DKTextViewSelectedTextHighlightView2::drawRect(GraphicsContext& context, const Rect&)
{
    context.setFillColor(m_tintColor);
    for (const Rect& highlighted : highlightedRects())
        context.fillRect(highlighted);
}

} // namespace folio
