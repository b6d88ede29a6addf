#include "engine/display/TEDictationPlaceholderView.h"

#include "platform/graphics/GraphicsContext.h"

namespace folio {

std::shared_ptr<TEDictationPlaceholderView> TEDictationPlaceholderView::placeholderView()
{
    auto view = std::make_shared<TEDictationPlaceholderView>(Rect{});
    view->setFrame(makeRect(0, 0, 41, 16));
    return view;
}

TEDictationPlaceholderView::TEDictationPlaceholderView(Rect frame) : View(frame)
{
    setBackgroundColor(Color::colorWithWhite(0, 0));
}

TEDictationPlaceholderView::~TEDictationPlaceholderView()
{
    if (m_timer)
        RunLoop::main().invalidate(m_timer);
}

void TEDictationPlaceholderView::willMoveToSuperview(const View* newSuperview)
{
    if (m_timer) {
        RunLoop::main().invalidate(m_timer);
        m_timer = 0;
    }
    if (!newSuperview)
        return;
    std::weak_ptr<TEDictationPlaceholderView> weakSelf = std::static_pointer_cast<TEDictationPlaceholderView>(weak_from_this().lock());
    m_timer = RunLoop::main().scheduleTimer(kPhaseInterval, true, [weakSelf] {
        if (auto self = weakSelf.lock())
            self->phaseTimerTick();
    });
}

void TEDictationPlaceholderView::phaseTimerTick()
{
    m_phase = (m_phase + 1) % 3;
    setNeedsDisplay();
}

Color TEDictationPlaceholderView::lightDotColor() { return Color::colorWithRed(238 / 255.0, 128 / 255.0, 238 / 255.0); }

Color TEDictationPlaceholderView::darkDotColor() { return Color::colorWithRed(191 / 255.0, 0.2, 191 / 255.0); }

void TEDictationPlaceholderView::drawRect(GraphicsContext& context, const Rect&)
{
    const double xs[] = {3, 15.5, 28};
    for (int dot = 0; dot < 3; ++dot) {
        context.setFillColor(dot == m_phase ? darkDotColor() : lightDotColor());
        context.addEllipseInRect(makeRect(xs[dot], 4, 10, 10));
        context.fillPath();
    }
}

} // namespace folio
