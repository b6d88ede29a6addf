#pragma once

#include "platform/ui/View.h"

#include <memory>
#include <optional>

namespace folio {

// A ring that fills like a pie as work progresses.
class TEPieProgressIndicator : public View {
public:
    static constexpr double kSide = 34;
    static constexpr double kRingWidth = 3;

    static std::shared_ptr<TEPieProgressIndicator> pieProgressIndicator();
    explicit TEPieProgressIndicator(Rect frame);

    // A fraction from 0 to 1.
    float progressPercent() const { return m_progressPercent; }
    void setProgressPercent(float progress);
    // White when none.
    const std::optional<Color>& color() const { return m_color; }
    void setColor(std::optional<Color> color);

    void drawRect(GraphicsContext& context, const Rect& rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    float m_progressPercent = 0;
    std::optional<Color> m_color;
};

} // namespace folio
