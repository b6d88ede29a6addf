#pragma once

#include "platform/graphics/GraphicsContext.h"

#include <functional>
#include <optional>

typedef struct _cairo_pattern cairo_pattern_t;

namespace folio {

// The drawing context on cairo, with text set by pango.
class CairoGraphicsContext final : public GraphicsContext {
public:
    static Result<std::unique_ptr<GraphicsContext>> imageContext(Size size, double scale);
    // Draws into an existing cairo context, which it references while alive.
    explicit CairoGraphicsContext(cairo_t* context);
    ~CairoGraphicsContext() override;

    void saveGState() override;
    void restoreGState() override;
    void concatCTM(const AffineTransform& transform) override;
    void translateCTM(double x, double y) override;
    void scaleCTM(double x, double y) override;
    AffineTransform currentTransform() const override;

    void setFillColor(const Color& color) override;
    void fillRect(const Rect& rect) override;
    void fillRectWithVerticalGradient(const Rect& rect, const Color& top, const Color& bottom) override;

    void setStrokeColor(const Color& color) override;
    void setLineWidth(double width) override;
    void setLineCap(LineCap cap) override;
    void setLineJoin(LineJoin join) override;
    void moveToPoint(Point point) override;
    void addLineToPoint(Point point) override;
    void addArc(Point center, double radius, double startAngle, double endAngle) override;
    void addEllipseInRect(const Rect& rect) override;
    void addRoundedRect(const Rect& rect, double radius) override;
    void addPath(const GraphicsPath& path) override;
    void closePath() override;
    void fillPath() override;
    void strokePath() override;
    void clipToRect(const Rect& rect) override;
    void clipToPath() override;
    Rect clipBoundingBox() const override;
    void setLineDash(const std::vector<double>& lengths) override;

    void setShadow(Size offset, double blur, const Color& color) override;
    void clearShadow() override;
    void drawGlyphs(const Font& font, const std::vector<std::uint32_t>& glyphs, const std::vector<Point>& positions,
                    Point origin, const Color& color) override;
    void fillMaskedByImage(const Image& image, const Rect& rect) override;
    void beginTransparencyLayer() override;
    void endTransparencyLayer() override;
    void drawImage(const Image& image, const Rect& rect) override;
    Size drawText(const std::u16string& text, Point origin, const Font& font, const Color& color,
                  double maxWidth = 0) override;
    Size sizeOfText(const std::u16string& text, const Font& font, double maxWidth = 0) const override;

    void drawTextInBox(const std::u16string& text, const TextBoxStyle& style, const Rect& box) override;
    double heightOfTextInBox(const std::u16string& text, const TextBoxStyle& style, double width) const override;
    double drawParagraphsInBox(const std::vector<TextBoxParagraph>& paragraphs, const Rect& box) override;
    double heightOfParagraphsInBox(const std::vector<TextBoxParagraph>& paragraphs, double width) const override;

    Result<Image::Pointer> makeImage() const override;
    cairo_t* cairoContext() const override { return m_context; }

private:
    Size layoutText(const std::u16string& text, const Font& font, double maxWidth, bool draw);
    // Lays the paragraphs out from the box's top left, drawing them when asked.
    double layOutParagraphs(const std::vector<TextBoxParagraph>& paragraphs, const Rect& box, bool draw) const;

    void applyFillColor();
    struct Shadow {
        Size offset;
        double blur = 0;
        Color color;
    };
    void paintGlyphs(const Font& font, const std::vector<std::uint32_t>& glyphs, const std::vector<Point>& positions,
                     Point origin);
    void paintShadowOfLayer(const Shadow& shadow, cairo_pattern_t* layer);
    // Paints the shadow of what `drawCoverage` draws on an alpha mask (in
    // this context's coordinates), blurred; false, with nothing painted,
    // where the clip is too large for a mask.
    bool paintBlurredShadow(const Shadow& shadow, const std::function<void(cairo_t*)>& drawCoverage);
    void drawShadowOfGlyphs(const Shadow& shadow, const Font& font, const std::vector<std::uint32_t>& glyphs,
                            const std::vector<Point>& positions, Point origin);

    cairo_t* m_context = nullptr;
    double m_scale = 1;
    Color m_fillColor = Color::colorWithWhite(0);
    Color m_strokeColor = Color::colorWithWhite(0);
    std::optional<Shadow> m_shadow;
    // The shadow is part of the saved state, as the colours are not.
    std::vector<std::optional<Shadow>> m_savedShadows;
};

} // namespace folio
