#include "platform/graphics/ShapingFace.h"

#include <hb.h>

#include <map>
#include <mutex>

namespace folio {

namespace {

std::string shapingFaceKey(const FontFace& face)
{
    return face.filePath.empty() ? "memory:" + face.postScriptName : face.filePath + "#" + std::to_string(face.faceIndex);
}

} // namespace

std::shared_ptr<const ShapingFace> ShapingFace::forFace(const FontFace& face)
{
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const ShapingFace>> faces;
    std::lock_guard lock(mutex);
    std::shared_ptr<const ShapingFace>& entry = faces[shapingFaceKey(face)];
    if (!entry)
        entry.reset(new ShapingFace(face));
    return entry;
}

ShapingFace::ShapingFace(const FontFace& face) : m_filePath(face.filePath), m_faceIndex(face.faceIndex)
{
    if (face.filePath.empty())
        return;
    hb_blob_t* blob = hb_blob_create_from_file_or_fail(face.filePath.c_str());
    if (!blob)
        return;
    hb_face_t* hbFace = hb_face_create(blob, static_cast<unsigned>(face.faceIndex));
    hb_blob_destroy(blob);
    if (hb_face_get_glyph_count(hbFace) == 0) {
        hb_face_destroy(hbFace);
        return;
    }
    m_unitsPerEm = hb_face_get_upem(hbFace);
    m_font = hb_font_create(hbFace);
    hb_face_destroy(hbFace);
    // Shaping at the design size keeps positions exact; callers scale.
    hb_font_set_scale(m_font, static_cast<int>(m_unitsPerEm), static_cast<int>(m_unitsPerEm));
    hb_font_make_immutable(m_font);
}

ShapingFace::~ShapingFace()
{
    if (m_font)
        hb_font_destroy(m_font);
    if (m_drawingFace)
        m_releaseDrawingFace(m_drawingFace);
}

void* ShapingFace::drawingFace(void* (*make)(const ShapingFace&), void (*release)(void*)) const
{
    if (!m_font)
        return nullptr;
    std::call_once(m_drawingFaceMade, [&] {
        m_drawingFace = make(*this);
        m_releaseDrawingFace = release;
    });
    return m_drawingFace;
}

std::vector<ShapedGlyph> ShapingFace::shape(const std::u16string& text, std::size_t start, std::size_t length,
                                            bool rightToLeft, double size,
                                            const std::vector<std::string>& features) const
{
    std::vector<ShapedGlyph> glyphs;
    if (length == 0 || start + length > text.size())
        return glyphs;
    if (!m_font) {
        glyphs.reserve(length);
        for (std::size_t i = 0; i < length; ++i) {
            std::size_t index = rightToLeft ? start + length - 1 - i : start + i;
            glyphs.push_back({text[index], index, kFixedAdvancePerPoint * size, 0, 0});
        }
        return glyphs;
    }
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const std::uint16_t*>(text.data()), static_cast<int>(text.size()),
                        static_cast<unsigned>(start), static_cast<int>(length));
    hb_buffer_guess_segment_properties(buffer);
    hb_buffer_set_direction(buffer, rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    std::vector<hb_feature_t> hbFeatures;
    for (const std::string& tag : features) {
        hb_feature_t feature;
        if (hb_feature_from_string(tag.c_str(), static_cast<int>(tag.size()), &feature))
            hbFeatures.push_back(feature);
    }
    hb_shape(m_font, buffer, hbFeatures.data(), static_cast<unsigned>(hbFeatures.size()));
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    const double scale = size / m_unitsPerEm;
    glyphs.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        glyphs.push_back({infos[i].codepoint, infos[i].cluster, positions[i].x_advance * scale,
                          positions[i].x_offset * scale, -positions[i].y_offset * scale});
    }
    hb_buffer_destroy(buffer);
    return glyphs;
}

Rect ShapingFace::glyphBounds(std::uint32_t glyph, double size) const
{
    if (!m_font) {
        // The fixed faces draw every glyph as a box from the baseline up to
        // three quarters of an em, so that drawing them can be checked.
        if (glyph == ' ' || glyph < 0x20)
            return {};
        return makeRect(0, -0.75 * size, kFixedAdvancePerPoint * size, 0.75 * size);
    }
    hb_glyph_extents_t extents;
    if (!hb_font_get_glyph_extents(m_font, glyph, &extents) || extents.width == 0 || extents.height == 0)
        return {};
    const double scale = size / m_unitsPerEm;
    // HarfBuzz measures y upwards with a negative height.
    return makeRect(extents.x_bearing * scale, -extents.y_bearing * scale, extents.width * scale,
                    -extents.height * scale);
}

namespace {

// HarfBuzz draws in font units with y up; the path is in points with y down.
struct PathSink {
    GraphicsPath* path;
    double scale;
    Point at(float x, float y) const { return Point{x * scale, -y * scale}; }
};

void moveTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float x, float y, void*)
{
    auto* sink = static_cast<PathSink*>(data);
    sink->path->moveTo(sink->at(x, y));
}

void lineTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float x, float y, void*)
{
    auto* sink = static_cast<PathSink*>(data);
    sink->path->lineTo(sink->at(x, y));
}

void quadraticTo(hb_draw_funcs_t*, void* data, hb_draw_state_t* state, float cx, float cy, float x, float y, void*)
{
    // A quadratic segment is the cubic with controls two thirds of the way to its control point.
    auto* sink = static_cast<PathSink*>(data);
    float x0 = state->current_x, y0 = state->current_y;
    sink->path->curveTo(sink->at(x0 + 2.0f / 3 * (cx - x0), y0 + 2.0f / 3 * (cy - y0)),
                        sink->at(x + 2.0f / 3 * (cx - x), y + 2.0f / 3 * (cy - y)), sink->at(x, y));
}

void cubicTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float c1x, float c1y, float c2x, float c2y, float x,
             float y, void*)
{
    auto* sink = static_cast<PathSink*>(data);
    sink->path->curveTo(sink->at(c1x, c1y), sink->at(c2x, c2y), sink->at(x, y));
}

void closePath(hb_draw_funcs_t*, void* data, hb_draw_state_t*, void*)
{
    static_cast<PathSink*>(data)->path->close();
}

hb_draw_funcs_t* drawFunctions()
{
    static hb_draw_funcs_t* functions = [] {
        hb_draw_funcs_t* created = hb_draw_funcs_create();
        hb_draw_funcs_set_move_to_func(created, moveTo, nullptr, nullptr);
        hb_draw_funcs_set_line_to_func(created, lineTo, nullptr, nullptr);
        hb_draw_funcs_set_quadratic_to_func(created, quadraticTo, nullptr, nullptr);
        hb_draw_funcs_set_cubic_to_func(created, cubicTo, nullptr, nullptr);
        hb_draw_funcs_set_close_path_func(created, closePath, nullptr, nullptr);
        hb_draw_funcs_make_immutable(created);
        return created;
    }();
    return functions;
}

} // namespace

GraphicsPath ShapingFace::glyphPath(std::uint32_t glyph, double size) const
{
    GraphicsPath path;
    if (!m_font) {
        Rect box = glyphBounds(glyph, size);
        if (!box.isEmpty()) {
            path.moveTo(box.origin);
            path.lineTo(Point{box.maxX(), box.minY()});
            path.lineTo(Point{box.maxX(), box.maxY()});
            path.lineTo(Point{box.minX(), box.maxY()});
            path.close();
        }
        return path;
    }
    PathSink sink{&path, size / m_unitsPerEm};
    hb_font_get_glyph_shape(m_font, glyph, drawFunctions(), &sink);
    return path;
}

} // namespace folio
