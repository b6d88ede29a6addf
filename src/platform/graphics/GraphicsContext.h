#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsPath.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace folio {

// A small drawing context on cairo: enough to put images and text on bitmaps
// and PDF pages. User space has its origin at the top left, y pointing down.
class GraphicsContext {
public:
    // A transparent bitmap of width x height points at `scale` pixels per point.
    static Result<std::unique_ptr<GraphicsContext>> imageContext(Size size, double scale = 1);
    // Draws into an existing cairo context, which it references while alive.
    explicit GraphicsContext(cairo_t* context);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    void saveGState();
    void restoreGState();
    void concatCTM(const AffineTransform& transform);
    void translateCTM(double x, double y);
    void scaleCTM(double x, double y);
    AffineTransform currentTransform() const;

    void setFillColor(const Color& color);
    void fillRect(const Rect& rect);
    // Fills the rectangle with a gradient from `top` at its top edge to
    // `bottom` at its bottom edge.
    void fillRectWithVerticalGradient(const Rect& rect, const Color& top, const Color& bottom);

    // Paths: built with the calls below, then filled or stroked (which
    // consumes them). Angles are in radians, clockwise on screen.
    enum class LineCap { Butt, Round, Square };
    enum class LineJoin { Miter, Round, Bevel };
    void setStrokeColor(const Color& color);
    void setLineWidth(double width);
    void setLineCap(LineCap cap);
    void setLineJoin(LineJoin join);
    void moveToPoint(Point point);
    void addLineToPoint(Point point);
    void addArc(Point center, double radius, double startAngle, double endAngle);
    void addEllipseInRect(const Rect& rect);
    // A closed rectangle with quarter-circle corners of `radius`.
    void addRoundedRect(const Rect& rect, double radius);
    void addPath(const GraphicsPath& path);
    void closePath();
    void fillPath();
    void strokePath();
    void clipToRect(const Rect& rect);
    // Clips to the path built so far, consuming it.
    void clipToPath();
    // The bounding box of the clip in user space.
    Rect clipBoundingBox() const;
    // Dashes for later strokes: alternating lengths on and off; empty for solid.
    void setLineDash(const std::vector<double>& lengths);

    // A shadow cast by the glyphs drawn until it is cleared or the state is
    // restored: `offset` in user space (y down), a blur radius in points.
    void setShadow(Size offset, double blur, const Color& color);
    void clearShadow();
    // Glyphs of `font` at `origin` plus each position (baselines, y down), in
    // `color`, with the current shadow beneath them.
    void drawGlyphs(const Font& font, const std::vector<std::uint32_t>& glyphs, const std::vector<Point>& positions,
                    Point origin, const Color& color);
    // Paints only where the image is opaque, in the current fill colour.
    void fillMaskedByImage(const Image& image, const Rect& rect);
    // Everything drawn until the end is composited as one picture.
    void beginTransparencyLayer();
    void endTransparencyLayer();
    void drawImage(const Image& image, const Rect& rect);
    // Lays the text out with pango from `origin` (top left of the first line),
    // wrapping at `maxWidth` when it is positive; answers the size it took.
    Size drawText(const std::u16string& text, Point origin, const Font& font, const Color& color, double maxWidth = 0);
    // The size drawText would take, without drawing.
    Size sizeOfText(const std::u16string& text, const Font& font, double maxWidth = 0) const;

    // A paragraph of text set in a family by name, as printed page headers
    // and footers are: wrapped at words (or within a word that does not
    // fit) to the box's width, one pango unit per point whatever the
    // screen, and clipped to the box.
    struct TextBoxStyle {
        enum class Alignment { Left, Center, Right, Justified };
        std::string family;
        double pointSize = 0;
        Alignment alignment = Alignment::Left;
        Color color = Color::colorWithWhite(0);
    };
    void drawTextInBox(const std::u16string& text, const TextBoxStyle& style, const Rect& box);
    // The height the text takes wrapped at `width` (unwrapped when it is not positive).
    double heightOfTextInBox(const std::u16string& text, const TextBoxStyle& style, double width) const;

    // The bitmap of an image context; an Error for contexts on other surfaces.
    Result<Image::Pointer> makeImage() const;
    cairo_t* cairoContext() const { return m_context; }

private:
    Size layoutText(const std::u16string& text, const Font& font, double maxWidth, bool draw);

    void applyFillColor();
    struct Shadow {
        Size offset;
        double blur = 0;
        Color color;
    };
    void paintGlyphs(const Font& font, const std::vector<std::uint32_t>& glyphs, const std::vector<Point>& positions,
                     Point origin);
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
