#pragma once

#include "platform/foundation/Error.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace folio {

class PDFObject;
class PDFObjectFile;

// The glyphs a PDF's pages show with each composite font, read from every
// content stream the pages draw: the pages themselves, the forms and tiling
// patterns they paint, soft masks and annotation appearances. Composite
// fonts are taken to use two-byte codes that are glyph ids (Identity-H).
class PDFShownGlyphs {
public:
    static constexpr const char* kErrorDomain = "PDFShownGlyphs";
    enum ErrorCode { Unreadable = 1 };

    // Fails for content it cannot follow for certain: an unknown font name,
    // an inline image, a font set through a graphics state, nesting too deep.
    static Result<PDFShownGlyphs> collect(const PDFObjectFile& file);

    // By the object number of each Type0 font that some content selects.
    const std::map<int, std::set<std::uint16_t>>& glyphsOfFont() const { return m_glyphsOfFont; }
    // The objects that hold the font dictionaries the content was read
    // with: a font used from anywhere else was not seen.
    const std::set<int>& fontDictionaryHolders() const { return m_fontDictionaryHolders; }

private:
    friend class PDFContentScanner;

    std::map<int, std::set<std::uint16_t>> m_glyphsOfFont;
    std::set<int> m_fontDictionaryHolders;
};

} // namespace folio
