#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

#include <any>
#include <memory>

namespace folio {

// Three pulsing dots standing in for text that dictation has not delivered
// yet: the dark dot moves one place every quarter second while the view is in
// a superview.
class TEDictationPlaceholderView : public View {
public:
    static std::shared_ptr<TEDictationPlaceholderView> placeholderView();
    explicit TEDictationPlaceholderView(Rect frame = {});
    ~TEDictationPlaceholderView() override;

    static constexpr double kPhaseInterval = 0.25;

    int phase() const { return m_phase; }
    Size sizeThatFits(Size) const { return Size{41, 16}; }
    // Stops the pulse, and starts it again when the view goes into a superview.
    void willMoveToSuperview(const View* newSuperview) override;
    void drawRect(GraphicsContext& context, const Rect& rect) override;
    bool drawsOwnContent() const override { return true; }

    // Anything its owner wants kept with the view.
    const std::any& context() const { return m_context; }
    void setContext(std::any context) { m_context = std::move(context); }

    static Color lightDotColor();
    static Color darkDotColor();

private:
    void phaseTimerTick();

    int m_phase = 0;
    RunLoop::TimerId m_timer = 0;
    std::any m_context;
};

} // namespace folio
