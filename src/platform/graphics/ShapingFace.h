#pragma once

#include "platform/graphics/FontFace.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsPath.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct hb_font_t hb_font_t;

namespace folio {

// A glyph of shaped text. `cluster` is the index, in the shaped text, of the
// first UTF-16 unit the glyph stands for; advances and offsets are in points.
struct ShapedGlyph {
    std::uint32_t glyph = 0;
    std::size_t cluster = 0;
    double advance = 0;
    double xOffset = 0;
    double yOffset = 0;
};

// The shaping and drawing side of one installed face: HarfBuzz shapes with it
// and the drawing services draw its glyphs. Faces that exist only in memory (the test
// catalogue's) have no outlines: every character is one glyph, its code unit,
// half an em wide, so that layout on them is exact and the same everywhere.
class ShapingFace {
public:
    // The one shared object for a face; opening a font file happens once.
    static std::shared_ptr<const ShapingFace> forFace(const FontFace& face);
    ~ShapingFace();
    ShapingFace(const ShapingFace&) = delete;
    ShapingFace& operator=(const ShapingFace&) = delete;

    // The advance every character has in a face without outlines, per point of size.
    static constexpr double kFixedAdvancePerPoint = 0.5;

    bool hasOutlines() const { return m_font != nullptr; }
    // Shapes text[start, start + length) at `size` points; the whole text gives
    // the context, clusters count from the start of `text`. Glyphs come in
    // visual order (right to left text: last cluster first). `features` are
    // OpenType tags to switch on ("smcp").
    std::vector<ShapedGlyph> shape(const std::u16string& text, std::size_t start, std::size_t length,
                                   bool rightToLeft, double size, const std::vector<std::string>& features = {}) const;
    // The ink box of a glyph at `size`, relative to its origin on the baseline,
    // y growing downwards; the empty rectangle for blank glyphs.
    Rect glyphBounds(std::uint32_t glyph, double size) const;
    // The outline of a glyph at `size`, from its origin on the baseline, y
    // growing downwards; the glyph's box for faces without outlines.
    GraphicsPath glyphPath(std::uint32_t glyph, double size) const;
    // The font file and the index of the face in it; empty for faces in memory.
    const std::string& filePath() const { return m_filePath; }
    int faceIndex() const { return m_faceIndex; }
    // The drawing library's own face for these glyphs, made by `make` the
    // first time it is asked for and handed to `release` with this face, so
    // that shaping alone never loads the drawing library; null without
    // outlines.
    void* drawingFace(void* (*make)(const ShapingFace&), void (*release)(void*)) const;

private:
    explicit ShapingFace(const FontFace& face);

    hb_font_t* m_font = nullptr;
    std::string m_filePath;
    int m_faceIndex = 0;
    mutable std::once_flag m_drawingFaceMade;
    mutable void* m_drawingFace = nullptr;
    mutable void (*m_releaseDrawingFace)(void*) = nullptr;
    double m_unitsPerEm = 1000;
};

} // namespace folio
