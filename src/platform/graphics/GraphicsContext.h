#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsPath.h"
#include "platform/graphics/Image.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace folio {

// A small drawing context: enough to put images and text on bitmaps and PDF
// pages. User space has its origin at the top left, y pointing down. The
// drawing is done by cairo and pango in the drawing services
// (DrawingServices), so that a command that draws nothing never loads them.
class GraphicsContext {
public:
    // A transparent bitmap of width x height points at `scale` pixels per point.
    static Result<std::unique_ptr<GraphicsContext>> imageContext(Size size, double scale = 1);
    // Draws into an existing cairo context, which it references while alive;
    // null when the drawing services cannot be loaded.
    static std::unique_ptr<GraphicsContext> contextDrawingInto(cairo_t* context);

    GraphicsContext() = default;
    virtual ~GraphicsContext() = default;
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    virtual void saveGState() = 0;
    virtual void restoreGState() = 0;
    virtual void concatCTM(const AffineTransform& transform) = 0;
    virtual void translateCTM(double x, double y) = 0;
    virtual void scaleCTM(double x, double y) = 0;
    virtual AffineTransform currentTransform() const = 0;

    virtual void setFillColor(const Color& color) = 0;
    virtual void fillRect(const Rect& rect) = 0;
    // Fills the rectangle with a gradient from `top` at its top edge to
    // `bottom` at its bottom edge.
    virtual void fillRectWithVerticalGradient(const Rect& rect, const Color& top, const Color& bottom) = 0;

    // Paths: built with the calls below, then filled or stroked (which
    // consumes them). Angles are in radians, clockwise on screen.
    enum class LineCap { Butt, Round, Square };
    enum class LineJoin { Miter, Round, Bevel };
    virtual void setStrokeColor(const Color& color) = 0;
    virtual void setLineWidth(double width) = 0;
    virtual void setLineCap(LineCap cap) = 0;
    virtual void setLineJoin(LineJoin join) = 0;
    virtual void moveToPoint(Point point) = 0;
    virtual void addLineToPoint(Point point) = 0;
    virtual void addArc(Point center, double radius, double startAngle, double endAngle) = 0;
    virtual void addEllipseInRect(const Rect& rect) = 0;
    // A closed rectangle with quarter-circle corners of `radius`.
    virtual void addRoundedRect(const Rect& rect, double radius) = 0;
    virtual void addPath(const GraphicsPath& path) = 0;
    virtual void closePath() = 0;
    virtual void fillPath() = 0;
    virtual void strokePath() = 0;
    virtual void clipToRect(const Rect& rect) = 0;
    // Clips to the path built so far, consuming it.
    virtual void clipToPath() = 0;
    // The bounding box of the clip in user space.
    virtual Rect clipBoundingBox() const = 0;
    // Dashes for later strokes: alternating lengths on and off; empty for solid.
    virtual void setLineDash(const std::vector<double>& lengths) = 0;

    // A shadow cast by the glyphs drawn until it is cleared or the state is
    // restored: `offset` in user space (y down), a blur radius in points.
    virtual void setShadow(Size offset, double blur, const Color& color) = 0;
    virtual void clearShadow() = 0;
    // Glyphs of `font` at `origin` plus each position (baselines, y down), in
    // `color`, with the current shadow beneath them.
    virtual void drawGlyphs(const Font& font, const std::vector<std::uint32_t>& glyphs,
                            const std::vector<Point>& positions, Point origin, const Color& color) = 0;
    // Paints only where the image is opaque, in the current fill colour.
    virtual void fillMaskedByImage(const Image& image, const Rect& rect) = 0;
    // Everything drawn until the end is composited as one picture.
    virtual void beginTransparencyLayer() = 0;
    virtual void endTransparencyLayer() = 0;
    virtual void drawImage(const Image& image, const Rect& rect) = 0;
    // Lays the text out with pango from `origin` (top left of the first line),
    // wrapping at `maxWidth` when it is positive; answers the size it took.
    virtual Size drawText(const std::u16string& text, Point origin, const Font& font, const Color& color,
                          double maxWidth = 0) = 0;
    // The size drawText would take, without drawing.
    virtual Size sizeOfText(const std::u16string& text, const Font& font, double maxWidth = 0) const = 0;

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
    virtual void drawTextInBox(const std::u16string& text, const TextBoxStyle& style, const Rect& box) = 0;
    // The height the text takes wrapped at `width` (unwrapped when it is not positive).
    virtual double heightOfTextInBox(const std::u16string& text, const TextBoxStyle& style, double width) const = 0;

    // Paragraphs of runs in their own families, sizes, faces and colours, as
    // a header or footer another program wrote is printed: each paragraph
    // starts a line of its own, with its alignment, tab stops, indents and
    // spacing, and wraps at the box's width.
    struct TextBoxRun {
        std::u16string text;
        std::string family;
        double pointSize = 0;
        bool bold = false;
        bool italic = false;
        Color color = Color::colorWithWhite(0);
        // A picture in the line, in place of the text: it stands on the
        // baseline at `pictureSize` (points), and its line is as tall as it;
        // or, `fromLineTop`, it hangs from the top of the run's font down, as
        // a table cell sets its contents from the row's top, and the line's
        // words keep their place.
        Image::Pointer picture;
        Size pictureSize;
        bool fromLineTop = false;
    };
    struct TextBoxTab {
        // Points from the box's left edge.
        double location = 0;
        // How text aligns on the stop; a decimal stop aligns on the first
        // decimal point of the text after it.
        enum class Alignment { Left, Center, Right, Decimal };
        Alignment alignment = Alignment::Left;
    };
    // A table cell's borders around a paragraph that is a table's row, as
    // far down as the row's lines go.
    struct TextBoxCellFrame {
        // Points from the box's left edge.
        double left = 0;
        double right = 0;
        // Top, left, bottom, right; 0 for no border.
        std::array<double, 4> widths{};
        Color color = Color::colorWithWhite(0);
    };
    struct TextBoxParagraph {
        std::vector<TextBoxRun> runs;
        std::vector<TextBoxCellFrame> cellFrames;
        TextBoxStyle::Alignment alignment = TextBoxStyle::Alignment::Left;
        // In order of location. Beyond the last, and where there are none,
        // left stops every `defaultTabInterval` points.
        std::vector<TextBoxTab> tabStops;
        double defaultTabInterval = 36;
        // Points from the box's left edge to the lines, and to the first line;
        // from the box's right edge to the lines.
        double headIndent = 0;
        double firstLineHeadIndent = 0;
        double tailIndent = 0;
        double spaceBefore = 0;
        double spaceAfter = 0;
    };
    // Draws the paragraphs one below the other from the box's top, clipped to
    // the box; answers the height they take.
    virtual double drawParagraphsInBox(const std::vector<TextBoxParagraph>& paragraphs, const Rect& box) = 0;
    virtual double heightOfParagraphsInBox(const std::vector<TextBoxParagraph>& paragraphs, double width) const = 0;

    // The bitmap of an image context; an Error for contexts on other surfaces.
    virtual Result<Image::Pointer> makeImage() const = 0;
    // The cairo context drawn into, for the page readers that draw with cairo
    // themselves.
    virtual cairo_t* cairoContext() const = 0;
};

} // namespace folio
