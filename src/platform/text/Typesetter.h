#pragma once

#include "platform/foundation/Range.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/ShapingFace.h"
#include "platform/text/AttributedString.h"
#include "platform/text/TypesetLine.h"

#include <cstddef>
#include <memory>
#include <map>
#include <mutex>
#include <unordered_map>
#include <optional>
#include <vector>

typedef struct UBreakIterator UBreakIterator;

namespace folio {

enum class TruncationType { Start = 0, End = 1, Middle = 2 };

// Sets lines of an attributed string: HarfBuzz shapes, ICU finds line breaks
// and the direction of every stretch, the fonts' metrics give the heights.
// Fonts come from TextAttributeName::Font (12-point Helvetica, or the
// catalogue's first face, where a run has none); paragraph styles give the
// tab stops and the base direction; run delegates reserve room for objects.
//
// Measuring is cached a paragraph at a time, so that breaking a whole text
// into lines takes time in proportion to its length. A typesetter may be used
// from several threads; it serialises its own caches.
class Typesetter {
public:
    explicit Typesetter(AttributedString text);
    ~Typesetter();
    Typesetter(const Typesetter&) = delete;
    Typesetter& operator=(const Typesetter&) = delete;

    const AttributedString& attributedString() const { return m_text; }

    // How many UTF-16 units from `start` go on a line `width` wide: up to the
    // last break opportunity that fits (white space may hang past the width),
    // or, when a single word is too long, the characters that fit (at least
    // one cluster). A line end (line feed, carriage return, U+2028, U+2029)
    // ends the line after it. 0 only at or after the end of the text.
    std::size_t suggestLineBreak(std::size_t start, double width) const;
    // The line of the characters in `range` (cut to the text).
    TypesetLine createLine(Range range) const;
    // `line` fitted into `width` by leaving characters out at its start, in
    // its middle or at its end and putting `token` in their place; a copy of
    // the line when it already fits, the token alone when nothing else fits.
    TypesetLine createTruncatedLine(const TypesetLine& line, double width, TruncationType type,
                                    const TypesetLine& token) const;
    // The index where createTruncatedLine cut the text for `width` (end
    // truncation: the first character left out).
    std::size_t truncationIndex(const TypesetLine& line, double width, const TypesetLine& token) const;

    // A line of a whole short string (a truncation token, a label).
    static TypesetLine lineWithAttributedString(const AttributedString& text);

    // The paragraph style's tab stops from `lineStart`, or every
    // defaultTabInterval (28 points when none), measured from the line's start.
    double nextTabStop(std::size_t index, double x) const;

private:
    struct Item;

    std::size_t paragraphIndex(std::size_t index) const;
    Range paragraphRange(std::size_t paragraph) const;
    int paragraphLevel(std::size_t paragraph) const;
    void measureParagraph(std::size_t paragraph) const;
    std::vector<Item> itemize(Range range, int level) const;
    // The font of a run's attributes and its shaping face, looked up once per
    // dictionary: the text keeps its dictionaries alive, so their addresses
    // stay valid keys.
    struct RunFont {
        std::shared_ptr<const Font> font;
        std::shared_ptr<const ShapingFace> face;
    };
    const RunFont& fontOf(const AttributeDictionary& attributes) const;
    // A stretch of text shaped with one face: the run's own, or a face that
    // stands in for characters the run's face has no glyph for.
    struct ShapedPiece {
        const RunFont* font = nullptr;
        Range range;
        std::vector<ShapedGlyph> glyphs;
    };
    // Shapes text[range] with `font`, and each cluster its face lacks with an
    // installed face that has it; pieces in visual order.
    std::vector<ShapedPiece> shapeWithFallback(Range range, bool rightToLeft, const RunFont& font) const;
    // `base` at the same size drawn with a face that has `character`; `base`
    // itself when no face has it.
    const RunFont& fallbackFont(const RunFont& base, char32_t character) const;
    // Widths of the characters from `start` while their sum stays within
    // `width`; answers the count.
    std::size_t countFitting(std::size_t start, std::size_t end, double width, bool fromEnd) const;

    AttributedString m_text;
    std::optional<Font> m_defaultFont;
    std::vector<std::size_t> m_paragraphStarts;

    mutable std::mutex m_mutex;
    mutable UBreakIterator* m_lineBreaker = nullptr;
    mutable std::vector<float> m_advances;
    mutable std::vector<std::uint8_t> m_measured;
    mutable std::vector<std::int8_t> m_levels;
    mutable std::mutex m_fontMutex;
    mutable std::unordered_map<const AttributeDictionary*, RunFont> m_fonts;
    // Stand-in fonts by face and size.
    mutable std::map<std::pair<std::string, double>, RunFont> m_fallbackFonts;
};

} // namespace folio
