#pragma once

#include "platform/ui/Control.h"

#include <memory>
#include <optional>

namespace folio {

// A disclosure chevron (or a pair of squares) in colours of the caller's choosing.
class TECustomColoredAccessory : public Control {
public:
    enum Type : unsigned { Right = 0, Down = 1, Up = 2, Left = 3, Square = 4 };
    static constexpr double kSide = 15;
    static constexpr double kLineWidth = 3;

    static std::shared_ptr<TECustomColoredAccessory> accessoryWithColor(const Color& color, Type type = Right);
    static std::shared_ptr<TECustomColoredAccessory> squareAccessoryWithColor(const Color& color, const Color& background);
    TECustomColoredAccessory();

    Color accessoryColor() const { return m_accessoryColor.value_or(Color::colorWithWhite(0)); }
    void setAccessoryColor(std::optional<Color> color) { m_accessoryColor = std::move(color); }
    Color highlightedColor() const { return m_highlightedColor.value_or(Color::colorWithWhite(1)); }
    void setHighlightedColor(std::optional<Color> color) { m_highlightedColor = std::move(color); }
    Type type() const { return m_type; }
    const Color& frontSquareAccessoryColor() const { return m_frontSquare; }
    const Color& backSquareAccessoryColor() const { return m_backSquare; }
    void setHighlighted(bool highlighted) override;

    void drawRect(GraphicsContext& context, const Rect& rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    std::optional<Color> m_accessoryColor;
    std::optional<Color> m_highlightedColor;
    Type m_type = Right;
    Color m_frontSquare = Color::colorWithWhite(0);
    Color m_backSquare = Color::colorWithWhite(1);
};

} // namespace folio
