#include "platform/web/TrueTypeSubsetter.h"

#include <hb-subset.h>
#include <hb.h>

#include <memory>

namespace folio {

namespace {

template <typename T, void (*destroy)(T*)>
struct HarfBuzzRelease {
    void operator()(T* object) const { destroy(object); }
};
using BlobPointer = std::unique_ptr<hb_blob_t, HarfBuzzRelease<hb_blob_t, hb_blob_destroy>>;
using FacePointer = std::unique_ptr<hb_face_t, HarfBuzzRelease<hb_face_t, hb_face_destroy>>;
using InputPointer = std::unique_ptr<hb_subset_input_t, HarfBuzzRelease<hb_subset_input_t, hb_subset_input_destroy>>;

// Tables for shaping and justifying text, and the legacy kerning table.
constexpr const char* kLayoutTables[] = {"GSUB", "GPOS", "GDEF", "BASE", "JSTF", "MATH", "kern", "morx", "kerx"};

Error failed(const std::string& message)
{
    return Error{TrueTypeSubsetter::kErrorDomain, TrueTypeSubsetter::Failed, message};
}

} // namespace

Result<Data> TrueTypeSubsetter::subsetKeepingGlyphIDs(std::span<const std::uint8_t> font,
                                                      const std::set<std::uint16_t>& glyphs)
{
    BlobPointer blob(hb_blob_create(reinterpret_cast<const char*>(font.data()), static_cast<unsigned>(font.size()),
                                    HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    FacePointer face(hb_face_create(blob.get(), 0));
    if (hb_face_get_glyph_count(face.get()) == 0)
        return failed("not a font HarfBuzz can read");
    InputPointer input(hb_subset_input_create_or_fail());
    if (!input)
        return failed("cannot start subsetting");
    hb_set_t* kept = hb_subset_input_glyph_set(input.get());
    for (std::uint16_t glyph : glyphs)
        hb_set_add(kept, glyph);
    hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (const char* table : kLayoutTables)
        hb_set_add(dropped, hb_tag_from_string(table, 4));
    // Glyph 0 keeps its outline: it is the box drawn for a character the
    // face has no glyph for, and pages show it.
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NOTDEF_OUTLINE);
    FacePointer subset(hb_subset_or_fail(face.get(), input.get()));
    if (!subset)
        return failed("HarfBuzz could not subset the font");
    BlobPointer result(hb_face_reference_blob(subset.get()));
    unsigned length = 0;
    const char* bytes = hb_blob_get_data(result.get(), &length);
    if (!bytes || length == 0)
        return failed("HarfBuzz wrote an empty font");
    return Data(bytes, length);
}

} // namespace folio
