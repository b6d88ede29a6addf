#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <cstdint>
#include <set>
#include <span>

namespace folio {

// Cuts a TrueType font down to some of its glyphs with HarfBuzz's subsetter.
// Glyph ids stay as they were - the others are left empty - so that text
// already laid out with the whole font draws the same with the subset.
class TrueTypeSubsetter {
public:
    static constexpr const char* kErrorDomain = "TrueTypeSubsetter";
    enum ErrorCode { Failed = 1 };

    // Keeps `glyphs`, the glyphs their outlines are made of and glyph 0 with
    // its outline; drops the layout tables, which nothing reads once text is
    // laid out.
    static Result<Data> subsetKeepingGlyphIDs(std::span<const std::uint8_t> font, const std::set<std::uint16_t>& glyphs);
};

} // namespace folio
