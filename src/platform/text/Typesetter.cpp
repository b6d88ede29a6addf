#include "platform/text/Typesetter.h"

#include "platform/graphics/FontCatalog.h"
#include "platform/graphics/ShapingFace.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/text/TextRunDelegate.h"

#include <unicode/ubidi.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

constexpr double kDefaultTabInterval = 28;

bool isLineEnd(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029; }

bool isParagraphEnd(const std::u16string& text, std::size_t index)
{
    char16_t c = text[index];
    if (c == u'\r')
        return index + 1 >= text.size() || text[index + 1] != u'\n';
    return c == u'\n' || c == 0x2029;
}

bool isWhitespace(char16_t c) { return c == u'\t' || isLineEnd(c) || u_isUWhiteSpace(c); }

const PlatformParagraphStyle* paragraphStyleOf(const AttributeDictionary* attributes)
{
    if (!attributes)
        return nullptr;
    const ParagraphStyleValue* value = attributes->valueForKeyAs<ParagraphStyleValue>(TextAttributeName::ParagraphStyle);
    return value ? &value->style() : nullptr;
}

} // namespace

struct Typesetter::Item {
    std::size_t start = 0;
    std::size_t length = 0;
    bool rightToLeft = false;
    AttributeDictionaryPtr attributes;
};

Typesetter::Typesetter(AttributedString text) : m_text(std::move(text))
{
    m_defaultFont = Font::fontWithName("Helvetica", 12);
    if (!m_defaultFont) {
        std::vector<FontFace> faces = FontCatalog::shared()->faces();
        m_defaultFont = Font::fontWithFace(faces.empty() ? FontFace{"Helvetica", "Helvetica"} : faces.front(), 12);
    }
    const std::u16string& string = m_text.string();
    m_paragraphStarts.push_back(0);
    for (std::size_t i = 0; i < string.size(); ++i)
        if (isParagraphEnd(string, i) && i + 1 < string.size())
            m_paragraphStarts.push_back(i + 1);
    m_measured.assign(m_paragraphStarts.size(), 0);
    m_levels.assign(m_paragraphStarts.size(), -1);
}

Typesetter::~Typesetter()
{
    if (m_lineBreaker)
        ubrk_close(m_lineBreaker);
}

std::size_t Typesetter::paragraphIndex(std::size_t index) const
{
    auto found = std::upper_bound(m_paragraphStarts.begin(), m_paragraphStarts.end(), index);
    return static_cast<std::size_t>(found - m_paragraphStarts.begin()) - 1;
}

Range Typesetter::paragraphRange(std::size_t paragraph) const
{
    std::size_t start = m_paragraphStarts[paragraph];
    std::size_t end = paragraph + 1 < m_paragraphStarts.size() ? m_paragraphStarts[paragraph + 1] : m_text.length();
    return Range{start, end - start};
}

int Typesetter::paragraphLevel(std::size_t paragraph) const
{
    std::lock_guard lock(m_mutex);
    if (m_levels[paragraph] >= 0)
        return m_levels[paragraph];
    Range range = paragraphRange(paragraph);
    int level = 0;
    const PlatformParagraphStyle* style = paragraphStyleOf(m_text.attributesAtIndex(range.location).get());
    WritingDirection direction = style ? style->baseWritingDirection() : WritingDirection::Natural;
    if (direction == WritingDirection::RightToLeft)
        level = 1;
    else if (direction == WritingDirection::Natural && range.length > 0)
        level = ubidi_getBaseDirection(m_text.string().data() + range.location, static_cast<int32_t>(range.length))
                == UBIDI_RTL;
    m_levels[paragraph] = static_cast<std::int8_t>(level);
    return level;
}

const Typesetter::RunFont& Typesetter::fontOf(const AttributeDictionary& attributes) const
{
    std::lock_guard lock(m_fontMutex);
    RunFont& entry = m_fonts[&attributes];
    if (!entry.font) {
        const FontAttributeValue* font = attributes.valueForKeyAs<FontAttributeValue>(TextAttributeName::Font);
        entry.font = std::make_shared<const Font>(font ? font->font() : *m_defaultFont);
        entry.face = ShapingFace::forFace(entry.font->face());
    }
    return entry;
}

const Typesetter::RunFont& Typesetter::fallbackFont(const RunFont& base, char32_t character) const
{
    std::optional<FontFace> face = FontCatalog::shared()->faceCoveringCharacter(character, base.font->face());
    if (!face || *face == base.font->face())
        return base;
    std::lock_guard lock(m_fontMutex);
    RunFont& entry = m_fallbackFonts[{face->postScriptName, base.font->pointSize()}];
    if (!entry.font) {
        entry.font = std::make_shared<const Font>(Font::fontWithFace(*face, base.font->pointSize()));
        entry.face = ShapingFace::forFace(entry.font->face());
    }
    return entry;
}

std::vector<Typesetter::ShapedPiece> Typesetter::shapeWithFallback(Range range, bool rightToLeft,
                                                                   const RunFont& font) const
{
    const std::u16string& string = m_text.string();
    std::vector<ShapedPiece> pieces;
    pieces.push_back(ShapedPiece{&font, range,
                                 font.face->shape(string, range.location, range.length, rightToLeft,
                                                  font.font->pointSize(), font.font->features())});
    // Most text has every glyph in its own face: that is told without more work.
    const std::vector<ShapedGlyph>& shaped = pieces.front().glyphs;
    if (!font.face->hasOutlines()
        || std::none_of(shaped.begin(), shaped.end(), [](const ShapedGlyph& glyph) { return glyph.glyph == 0; }))
        return pieces;
    // Clusters in logical order, and whether the face drew them as the
    // missing glyph (glyph 0, a box).
    std::map<std::size_t, bool> missing;
    for (const ShapedGlyph& glyph : shaped)
        missing[glyph.cluster] = missing[glyph.cluster] || glyph.glyph == 0;
    // Each lacking cluster goes to the face that has its first character;
    // neighbouring clusters of one face are shaped together.
    std::vector<std::pair<const RunFont*, Range>> stretches;
    for (auto cluster = missing.begin(); cluster != missing.end(); ++cluster) {
        std::size_t start = cluster->first;
        auto next = std::next(cluster);
        std::size_t end = next == missing.end() ? range.location + range.length : next->first;
        const RunFont* chosen = &font;
        if (cluster->second) {
            char32_t character = 0;
            std::size_t at = start;
            U16_NEXT(string.data(), at, string.size(), character);
            if (!isWhitespace(string[start]) && !u_iscntrl(character)
                && !u_hasBinaryProperty(character, UCHAR_DEFAULT_IGNORABLE_CODE_POINT))
                chosen = &fallbackFont(font, character);
        }
        if (!stretches.empty() && stretches.back().first == chosen)
            stretches.back().second.length = end - stretches.back().second.location;
        else
            stretches.push_back({chosen, Range{start, end - start}});
    }
    if (stretches.size() == 1 && stretches.front().first == &font)
        return pieces;
    pieces.clear();
    for (const auto& [stretchFont, stretch] : stretches)
        pieces.push_back(ShapedPiece{stretchFont, stretch,
                                     stretchFont->face->shape(string, stretch.location, stretch.length, rightToLeft,
                                                              stretchFont->font->pointSize(),
                                                              stretchFont == &font ? font.font->features()
                                                                                   : std::vector<std::string>{})});
    if (rightToLeft)
        std::reverse(pieces.begin(), pieces.end());
    return pieces;
}

std::vector<Typesetter::Item> Typesetter::itemize(Range range, int level) const
{
    std::vector<Item> items;
    if (range.length == 0)
        return items;
    const std::u16string& string = m_text.string();
    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_openSized(static_cast<int32_t>(range.length), 0, &status);
    ubidi_setPara(bidi, string.data() + range.location, static_cast<int32_t>(range.length),
                  static_cast<UBiDiLevel>(level), nullptr, &status);
    int32_t count = U_SUCCESS(status) ? ubidi_countRuns(bidi, &status) : 0;
    if (U_FAILURE(status) || count <= 0) {
        // ICU could not order the text: set it left to right, as stored.
        count = 0;
        ubidi_close(bidi);
        bidi = nullptr;
    }
    auto addVisualRun = [&](std::size_t start, std::size_t length, bool rightToLeft) {
        std::vector<Item> pieces;
        std::size_t index = start;
        while (index < start + length) {
            Range effective;
            AttributeDictionaryPtr attributes = m_text.attributesAtIndex(index, &effective);
            std::size_t end = std::min(start + length, effective.location + effective.length);
            pieces.push_back(Item{index, end - index, rightToLeft, attributes});
            index = end;
        }
        if (rightToLeft)
            std::reverse(pieces.begin(), pieces.end());
        items.insert(items.end(), pieces.begin(), pieces.end());
    };
    if (!bidi) {
        addVisualRun(range.location, range.length, false);
        return items;
    }
    for (int32_t run = 0; run < count; ++run) {
        int32_t logicalStart = 0, length = 0;
        UBiDiDirection direction = ubidi_getVisualRun(bidi, run, &logicalStart, &length);
        addVisualRun(range.location + static_cast<std::size_t>(logicalStart), static_cast<std::size_t>(length),
                     direction == UBIDI_RTL);
    }
    ubidi_close(bidi);
    return items;
}

double Typesetter::nextTabStop(std::size_t index, double x) const
{
    const PlatformParagraphStyle* style = paragraphStyleOf(m_text.attributesAtIndex(index).get());
    constexpr double kEpsilon = 1e-6;
    if (style && style->tabStops()) {
        for (const TextTab& tab : *style->tabStops())
            if (tab.location > x + kEpsilon)
                return tab.location;
    }
    double interval = style && style->defaultTabInterval() > 0 ? style->defaultTabInterval() : kDefaultTabInterval;
    return (std::floor((x + kEpsilon) / interval) + 1) * interval;
}

void Typesetter::measureParagraph(std::size_t paragraph) const
{
    if (m_measured[paragraph])
        return;
    m_measured[paragraph] = 1;
    if (m_advances.empty())
        m_advances.assign(m_text.length(), 0.0f);
    Range range = paragraphRange(paragraph);
    const std::u16string& string = m_text.string();
    int level = m_levels[paragraph] >= 0 ? m_levels[paragraph] : 0;
    for (const Item& item : itemize(range, level)) {
        if (const TextRunDelegate* delegate =
                item.attributes->valueForKeyAs<TextRunDelegate>(TextAttributeName::RunDelegate)) {
            for (std::size_t i = item.start; i < item.start + item.length; ++i)
                m_advances[i] = static_cast<float>(delegate->width());
            continue;
        }
        const RunFont& runFont = fontOf(*item.attributes);
        std::size_t segmentStart = item.start, end = item.start + item.length;
        for (std::size_t i = item.start; i <= end; ++i) {
            if (i < end && string[i] != u'\t' && !isLineEnd(string[i]))
                continue;
            if (i > segmentStart) {
                for (const ShapedPiece& piece :
                     shapeWithFallback(Range{segmentStart, i - segmentStart}, item.rightToLeft, runFont))
                    for (const ShapedGlyph& glyph : piece.glyphs)
                        m_advances[glyph.cluster] += static_cast<float>(glyph.advance);
            }
            segmentStart = i + 1;
        }
    }
}

std::size_t Typesetter::suggestLineBreak(std::size_t start, double width) const
{
    const std::u16string& string = m_text.string();
    if (start >= string.size())
        return 0;
    std::size_t paragraph = paragraphIndex(start);
    paragraphLevel(paragraph);
    std::lock_guard lock(m_mutex);
    measureParagraph(paragraph);
    Range range = paragraphRange(paragraph);
    std::size_t end = range.location + range.length;
    double used = 0;
    for (std::size_t i = start; i < end; ++i) {
        char16_t c = string[i];
        if (isLineEnd(c)) {
            std::size_t count = i + 1 - start;
            if (c == u'\r' && i + 1 < string.size() && string[i + 1] == u'\n')
                ++count;
            return count;
        }
        double advance = c == u'\t' ? nextTabStop(i, used) - used : m_advances[i];
        if (used + advance > width && advance > 0 && !isWhitespace(c)) {
            if (!m_lineBreaker) {
                UErrorCode status = U_ZERO_ERROR;
                m_lineBreaker = ubrk_open(UBRK_LINE, "", string.data(), static_cast<int32_t>(string.size()), &status);
                if (U_FAILURE(status))
                    m_lineBreaker = nullptr;
            }
            if (m_lineBreaker) {
                int32_t boundary = ubrk_preceding(m_lineBreaker, static_cast<int32_t>(i + 1));
                if (boundary != UBRK_DONE && static_cast<std::size_t>(boundary) > start)
                    return static_cast<std::size_t>(boundary) - start;
            }
            // One word longer than the line: as many whole clusters as fit.
            std::size_t cut = i;
            while (cut > start && (m_advances[cut] == 0 || U16_IS_TRAIL(string[cut])))
                --cut;
            if (cut > start)
                return cut - start;
            std::size_t next = start + 1;
            while (next < end && (m_advances[next] == 0 || U16_IS_TRAIL(string[next])) && !isLineEnd(string[next]))
                ++next;
            return next - start;
        }
        used += advance;
    }
    return end - start;
}

TypesetLine Typesetter::createLine(Range range) const
{
    const std::u16string& string = m_text.string();
    if (range.location >= string.size())
        return TypesetLine({}, Range{std::min(range.location, string.size()), 0}, false);
    range.length = std::min(range.length, string.size() - range.location);
    int level = paragraphLevel(paragraphIndex(range.location));
    std::vector<TypesetRun> runs;
    double pen = 0;
    // A run holds one font: where the text's own face lacks characters and
    // another face stands in, the stand-in's glyphs make a run of their own.
    auto runFor = [&runs](const Item& item, const std::shared_ptr<const Font>& font, Range covered) -> TypesetRun& {
        if (runs.empty() || runs.back().attributes() != item.attributes
            || runs.back().isRightToLeft() != item.rightToLeft || &runs.back().font() != font.get()) {
            runs.emplace_back(item.attributes, font, item.rightToLeft);
            runs.back().setStringRange(covered);
            return runs.back();
        }
        TypesetRun& run = runs.back();
        Range runRange = run.stringRange();
        std::size_t low = std::min(runRange.location, covered.location);
        std::size_t high = std::max(runRange.location + runRange.length, covered.location + covered.length);
        run.setStringRange(Range{low, high - low});
        return run;
    };
    for (const Item& item : itemize(range, level)) {
        const RunFont& runFont = fontOf(*item.attributes);
        if (const TextRunDelegate* delegate =
                item.attributes->valueForKeyAs<TextRunDelegate>(TextAttributeName::RunDelegate)) {
            TypesetRun& run = runFor(item, runFont.font, Range{item.start, item.length});
            run.setVerticalMetrics(delegate->ascent(), delegate->descent(), 0);
            for (std::size_t n = 0; n < item.length; ++n) {
                std::size_t index = item.rightToLeft ? item.start + item.length - 1 - n : item.start + n;
                run.addGlyph(TypesetRun::kBlankGlyph, Point{pen, 0}, delegate->width(), index, false);
                pen += delegate->width();
            }
            continue;
        }
        // Tabs and line ends are set here; the text between them is shaped.
        std::vector<Range> segments;
        std::size_t segmentStart = item.start, end = item.start + item.length;
        for (std::size_t i = item.start; i < end; ++i) {
            if (string[i] != u'\t' && !isLineEnd(string[i]))
                continue;
            if (i > segmentStart)
                segments.push_back(Range{segmentStart, i - segmentStart});
            segments.push_back(Range{i, 1});
            segmentStart = i + 1;
        }
        if (end > segmentStart)
            segments.push_back(Range{segmentStart, end - segmentStart});
        if (item.rightToLeft)
            std::reverse(segments.begin(), segments.end());
        for (const Range& segment : segments) {
            char16_t first = string[segment.location];
            if (segment.length == 1 && (first == u'\t' || isLineEnd(first))) {
                double advance = first == u'\t' ? nextTabStop(segment.location, pen) - pen : 0;
                runFor(item, runFont.font, segment)
                    .addGlyph(TypesetRun::kBlankGlyph, Point{pen, 0}, advance, segment.location, true);
                pen += advance;
                continue;
            }
            for (const ShapedPiece& piece : shapeWithFallback(segment, item.rightToLeft, runFont)) {
                TypesetRun& run = runFor(item, piece.font->font, piece.range);
                for (const ShapedGlyph& glyph : piece.glyphs) {
                    run.addGlyph(glyph.glyph, Point{pen + glyph.xOffset, glyph.yOffset}, glyph.advance, glyph.cluster,
                                 isWhitespace(string[glyph.cluster]));
                    pen += glyph.advance;
                }
            }
        }
    }
    return TypesetLine(std::move(runs), range, level % 2 == 1);
}

TypesetLine Typesetter::lineWithAttributedString(const AttributedString& text)
{
    Typesetter typesetter(text);
    return typesetter.createLine(Range{0, text.length()});
}

namespace {

// The advance of every character of a line (a cluster's on its first
// character), and whether a cut may fall before it.
struct CharacterWidths {
    std::vector<double> advances;
    std::vector<std::uint8_t> clusterStarts;
    std::vector<std::uint8_t> whitespace;
};

CharacterWidths characterWidths(const TypesetLine& line)
{
    Range range = line.stringRange();
    CharacterWidths widths{std::vector<double>(range.length, 0), std::vector<std::uint8_t>(range.length, 0),
                           std::vector<std::uint8_t>(range.length, 0)};
    for (const TypesetRun& run : line.runs())
        for (std::size_t i = 0; i < run.glyphCount(); ++i) {
            std::size_t index = run.stringIndices()[i];
            if (index < range.location || index >= range.location + range.length)
                continue;
            widths.advances[index - range.location] += run.advances()[i];
            widths.clusterStarts[index - range.location] = 1;
            widths.whitespace[index - range.location] = run.isWhitespaceGlyph(i);
        }
    return widths;
}

// The number of leading characters, ending at a cluster boundary, whose
// advances fit `available`.
std::size_t fittingFromStart(const CharacterWidths& widths, double available)
{
    double used = 0;
    std::size_t fit = 0;
    for (std::size_t i = 0; i < widths.advances.size(); ++i) {
        if (widths.clusterStarts[i])
            fit = i;
        used += widths.advances[i];
        if (used > available)
            return fit;
    }
    return widths.advances.size();
}

// The index of the first of the trailing characters that fit `available`.
std::size_t fittingFromEnd(const CharacterWidths& widths, double available)
{
    double used = 0;
    std::size_t first = widths.advances.size();
    for (std::size_t i = widths.advances.size(); i-- > 0;) {
        used += widths.advances[i];
        if (used > available)
            return first;
        if (widths.clusterStarts[i])
            first = i;
    }
    return 0;
}

} // namespace

std::size_t Typesetter::truncationIndex(const TypesetLine& line, double width, const TypesetLine& token) const
{
    Range range = line.stringRange();
    if (line.width() - line.trailingWhitespaceWidth() <= width)
        return range.location + range.length;
    CharacterWidths widths = characterWidths(line);
    return range.location + fittingFromStart(widths, width - token.width());
}

TypesetLine Typesetter::createTruncatedLine(const TypesetLine& line, double width, TruncationType type,
                                            const TypesetLine& token) const
{
    if (line.width() - line.trailingWhitespaceWidth() <= width)
        return line;
    Range range = line.stringRange();
    TypesetLine placedToken = token;
    double available = width - token.width();
    if (available <= 0) {
        placedToken.moveStringIndicesBy(static_cast<std::ptrdiff_t>(range.location)
                                        - static_cast<std::ptrdiff_t>(token.stringRange().location));
        return TypesetLine::joining({&placedToken}, range, line.isRightToLeft());
    }
    CharacterWidths widths = characterWidths(line);
    // White space next to the token would only widen the gap before or after it.
    auto trimEnd = [&](std::size_t count) {
        while (count > 0 && widths.whitespace[count - 1])
            --count;
        return count;
    };
    auto trimStart = [&](std::size_t first) {
        while (first < widths.whitespace.size() && widths.whitespace[first])
            ++first;
        return first;
    };
    auto moveToken = [&](std::size_t index) {
        placedToken.moveStringIndicesBy(static_cast<std::ptrdiff_t>(index)
                                        - static_cast<std::ptrdiff_t>(placedToken.stringRange().location));
    };
    const std::size_t start = range.location, end = range.location + range.length;
    switch (type) {
    case TruncationType::End: {
        std::size_t kept = trimEnd(fittingFromStart(widths, available));
        TypesetLine head = createLine(Range{start, kept});
        moveToken(start + kept);
        return TypesetLine::joining({&head, &placedToken}, range, line.isRightToLeft());
    }
    case TruncationType::Start: {
        std::size_t first = trimStart(fittingFromEnd(widths, available));
        TypesetLine tail = createLine(Range{start + first, range.length - first});
        moveToken(start);
        return TypesetLine::joining({&placedToken, &tail}, range, line.isRightToLeft());
    }
    case TruncationType::Middle: {
        std::size_t kept = trimEnd(fittingFromStart(widths, available / 2));
        double headWidth = 0;
        for (std::size_t i = 0; i < kept; ++i)
            headWidth += widths.advances[i];
        std::size_t first = trimStart(std::max(kept, fittingFromEnd(widths, available - headWidth)));
        TypesetLine head = createLine(Range{start, kept});
        TypesetLine tail = createLine(Range{start + first, end - start - first});
        moveToken(start + kept);
        return TypesetLine::joining({&head, &placedToken, &tail}, range, line.isRightToLeft());
    }
    }
    return line;
}

} // namespace folio
