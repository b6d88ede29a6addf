#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

#include <optional>

namespace folio {

// A rounded swatch of a colour with a grey edge; no colour draws black.
class TSColourBlockView : public View {
public:
    explicit TSColourBlockView(Rect frame = {});

    const std::optional<Color>& colour() const { return m_colour; }
    void setColour(std::optional<Color> colour);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);

    bool drawsOwnContent() const override { return true; }
    void drawRect(GraphicsContext& context, const Rect& dirty) override;

private:
    std::optional<Color> m_colour;
    double m_cornerRadius = 0;
};

} // namespace folio
