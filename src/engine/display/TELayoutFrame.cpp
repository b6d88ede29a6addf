#include "engine/display/TELayoutFrame.h"

#include "engine/attachments/TETextAttachment.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TEGlyphRun.h"
#include "engine/display/TELayoutLine.h"
#include "engine/display/TELayouter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TETextBlock.h"
#include "platform/text/MutableAttributedString.h"
#include "platform/text/Typesetter.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace folio {

namespace {

std::atomic<bool> drawDebugFrames{false};

constexpr char16_t kSoftHyphen = 0x00AD;
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kEllipsis = 0x2026;

bool isNewline(char16_t c) { return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029; }

const PlatformParagraphStyle* platformStyleAt(const AttributedString& text, std::size_t index)
{
    AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
    if (!attributes)
        return nullptr;
    const ParagraphStyleValue* value = attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
    return value ? &value->style() : nullptr;
}

const ArrayValue* textBlocksAt(const AttributedString& text, std::size_t index)
{
    AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
    return attributes ? attributes->valueForKeyAs<ArrayValue>(TETextBlocksAttribute) : nullptr;
}

bool containsObject(const ArrayValue* array, const AttributeValue* object)
{
    if (!array)
        return false;
    for (const AttributeValuePtr& element : array->elements())
        if (element.get() == object)
            return true;
    return false;
}

// Same runs with the same glyphs: the truncated line is the candidate itself.
bool areLinesEqual(const TypesetLine& a, const TypesetLine& b)
{
    if (a.runs().size() != b.runs().size())
        return false;
    for (std::size_t i = 0; i < a.runs().size(); ++i)
        if (a.runs()[i].glyphs() != b.runs()[i].glyphs())
            return false;
    return true;
}

} // namespace

TruncationType TECTLineTruncationTypeFromNSLineBreakMode(TELineBreakMode mode)
{
    switch (mode) {
    case TELineBreakMode::TruncateHead:
        return TruncationType::Start;
    case TELineBreakMode::TruncateMiddle:
        return TruncationType::Middle;
    default:
        return TruncationType::End;
    }
}

std::shared_ptr<TELayoutFrame> TELayoutFrame::make(Rect frame, TELayouter& layouter, Range range)
{
    std::shared_ptr<const AttributedString> text = layouter.attributedString();
    if (!text || range.location >= text->length() || !layouter.framesetter())
        return nullptr;
    return std::make_shared<TELayoutFrame>(frame, layouter, range);
}

TELayoutFrame::TELayoutFrame(Rect frame, TELayouter& layouter, Range range)
    : m_frame(frame)
    , m_fragment(layouter.attributedString())
    , m_typesetter(layouter.framesetter())
    , m_paragraphRanges(layouter.paragraphRanges())
    , m_requestedRange(range)
{
    // The layouter's string is immutable and replaced, never changed, so
    // sharing it keeps this frame independent of later changes as a copy would.
    std::size_t length = m_fragment ? m_fragment->length() : 0;
    if (m_requestedRange.length == 0 || m_requestedRange.location + m_requestedRange.length > length)
        m_requestedRange.length = length - std::min(length, m_requestedRange.location);
    if (!m_paragraphRanges)
        m_paragraphRanges = std::make_shared<std::vector<Range>>();
}

void TELayoutFrame::setShouldDrawDebugFrames(bool draw) { drawDebugFrames = draw; }

bool TELayoutFrame::shouldDrawDebugFrames() { return drawDebugFrames; }

void TELayoutFrame::dropLines()
{
    std::lock_guard lock(m_mutex);
    m_linesBuilt = false;
    m_lines.clear();
    m_textAttachments.reset();
}

void TELayoutFrame::setNumberOfLines(std::int64_t count)
{
    if (count != m_numberOfLines) {
        m_numberOfLines = count;
        dropLines();
    }
}

void TELayoutFrame::setLineBreakMode(TELineBreakMode mode)
{
    if (mode != m_lineBreakMode) {
        m_lineBreakMode = mode;
        dropLines();
    }
}

void TELayoutFrame::setTruncationString(std::optional<AttributedString> token)
{
    if (token == m_truncationString)
        return;
    m_truncationString = std::move(token);
    if (m_numberOfLines >= 1)
        dropLines();
}

void TELayoutFrame::setJustifyRatio(float ratio)
{
    if (ratio != m_justifyRatio) {
        m_justifyRatio = ratio;
        dropLines();
    }
}

const std::vector<TELayoutLinePtr>& TELayoutFrame::lines()
{
    buildLinesIfNeeded();
    return m_lines;
}

void TELayoutFrame::buildLinesIfNeeded()
{
    std::lock_guard lock(m_mutex);
    if (!m_linesBuilt && m_frame.size.width > 0 && m_typesetter)
        buildLines();
}

void TELayoutFrame::buildLines()
{
    const AttributedString& text = *m_fragment;
    const std::u16string& string = text.string();
    const std::vector<Range>& paragraphs = *m_paragraphRanges;
    const double frameWidth = m_frame.size.width;

    bool restart = true;
    std::vector<TELayoutLinePtr> lines;
    std::size_t laidOut = 0;
    while (restart) {
        restart = false;
        lines.clear();
        laidOut = 0;
        std::size_t position = m_requestedRange.location;
        const std::size_t end = m_requestedRange.location + m_requestedRange.length;
        const TELayoutLine* previous = nullptr;
        auto paragraph = std::upper_bound(paragraphs.begin(), paragraphs.end(), position,
                                          [](std::size_t index, const Range& range) { return index < range.location; });
        if (paragraph != paragraphs.begin())
            --paragraph;
        bool ordinary = true;
        while (ordinary && position < end) {
            while (paragraph != paragraphs.end() && paragraph->end() <= position)
                ++paragraph;
            if (paragraph == paragraphs.end())
                break;
            const Range paragraphRange = *paragraph;

            const PlatformParagraphStyle* style = platformStyleAt(text, position);
            double headIndent = style ? (position == paragraphRange.location ? style->firstLineHeadIndent()
                                                                              : style->headIndent())
                                      : 0;
            double tailIndent = style ? style->tailIndent() : 0;
            double left = 0, right = 0;
            if (const ArrayValue* blocks = textBlocksAt(text, position))
                for (const AttributeValuePtr& element : blocks->elements())
                    if (const TETextBlock* block = element ? element->as<TETextBlock>() : nullptr) {
                        left += block->padding().left;
                        right += block->padding().right;
                    }
            double available = tailIndent <= 0 ? frameWidth - headIndent - right - left + tailIndent
                                               : tailIndent - headIndent - left - right;
            double startX = left + (string[position] == u'\t' ? 0 : headIndent);

            std::size_t count = m_typesetter->suggestLineBreak(position, available);
            if (position + count > end)
                count = end - position;

            bool truncate = (m_numberOfLines >= 1 && static_cast<std::int64_t>(lines.size()) == m_numberOfLines - 1)
                || (m_numberLinesFitInFrame >= 1
                    && static_cast<std::int64_t>(lines.size()) == m_numberLinesFitInFrame - 1);
            std::optional<TypesetLine> line;
            std::ptrdiff_t offset = 0;
            std::size_t lineLength = count;
            if (truncate) {
                TypesetLine candidate = m_typesetter->createLine(Range{position, end - position});
                TruncationType type = TECTLineTruncationTypeFromNSLineBreakMode(m_lineBreakMode);
                AttributedString token;
                if (m_truncationString) {
                    token = *m_truncationString;
                } else {
                    std::size_t at = position;
                    if (type == TruncationType::End && count > 0)
                        at = position + count - 1;
                    else if (type == TruncationType::Middle && count >= 2)
                        at = position + count / 2 - 1;
                    token = AttributedString(std::u16string(1, kEllipsis), text.attributesAtIndex(at));
                }
                TypesetLine tokenLine = Typesetter::lineWithAttributedString(token);
                line = m_typesetter->createTruncatedLine(candidate, available, type, tokenLine);
                if (type == TruncationType::End) {
                    bool same = areLinesEqual(*line, candidate);
                    std::size_t paragraphEnd = paragraphRange.end();
                    bool replace = same ? end > paragraphEnd
                                        : m_typesetter->truncationIndex(candidate, available, tokenLine) >= paragraphEnd;
                    if (replace && paragraphEnd > position + 1) {
                        MutableAttributedString shortened =
                            text.attributedSubstringFromRange(Range{position, paragraphEnd - 1 - position})
                                .valueOr(AttributedString())
                                .mutableCopy();
                        shortened.appendAttributedString(token);
                        line = Typesetter::lineWithAttributedString(shortened);
                        offset = static_cast<std::ptrdiff_t>(position);
                    }
                }
                lineLength = end - position;
                ordinary = false;
            } else {
                if (count == 0)
                    // The typesetter places nothing here: the text cannot go on.
                    break;
                if (string[position + count - 1] == kSoftHyphen) {
                    MutableAttributedString copy = text.attributedSubstringFromRange(Range{position, count})
                                                       .valueOr(AttributedString())
                                                       .mutableCopy();
                    (void)copy.replaceCharactersInRange(Range{count - 1, 1}, u"-");
                    line = Typesetter::lineWithAttributedString(copy);
                    offset = static_cast<std::ptrdiff_t>(position);
                } else {
                    line = m_typesetter->createLine(Range{position, count});
                }
            }

            TextAlignment alignment = style ? style->alignment() : TextAlignment::Natural;
            bool rightToLeft = style && style->baseWritingDirection() == WritingDirection::RightToLeft;
            double x = startX + m_frame.origin.x;
            switch (alignment) {
            case TextAlignment::Left:
                break;
            case TextAlignment::Right:
                x += line->penOffsetForFlush(1.0, available);
                break;
            case TextAlignment::Center:
                x += line->penOffsetForFlush(0.5, available);
                break;
            case TextAlignment::Justified:
                if (position + lineLength < paragraphRange.end() && string[position + lineLength - 1] != kLineSeparator
                    && line->width() > m_justifyRatio * frameWidth) {
                    if (std::optional<TypesetLine> justified = line->justifiedLine(1.0, available))
                        line = std::move(justified);
                }
                if (rightToLeft)
                    x += line->penOffsetForFlush(1.0, available);
                break;
            case TextAlignment::Natural:
                if (rightToLeft)
                    x += line->penOffsetForFlush(1.0, available);
                break;
            }

            auto layoutLine = std::make_shared<TELayoutLine>(std::move(*line), offset);
            layoutLine->setWritingDirectionIsRightToLeft(rightToLeft);
            double y = standardBaseline(*layoutLine, previous).y;
            layoutLine->setBaselineOrigin(Point{x, y});

            if (layoutLine->frame().maxY() > m_frame.maxY()) {
                std::int64_t fitting = static_cast<std::int64_t>(lines.size());
                if (!lines.empty() && m_lineBreakMode != TELineBreakMode::WordWrap
                    && m_numberLinesFitInFrame != fitting) {
                    // The last line that fits becomes the truncated one.
                    m_numberLinesFitInFrame = fitting;
                    restart = true;
                }
                break;
            }
            lines.push_back(layoutLine);
            position += lineLength;
            laidOut += lineLength;
            previous = layoutLine.get();
        }
    }

    m_lines = std::move(lines);
    m_linesBuilt = true;
    m_textAttachments.reset();
    if (!m_lines.empty()) {
        m_stringRange = Range{m_requestedRange.location, laidOut};
        m_additionalPaddingAtBottom = 0;
        if (m_frame.size.height == kTEOpenEndedDimension)
            if (const ArrayValue* blocks = m_lines.back()->textBlocks())
                for (const AttributeValuePtr& element : blocks->elements())
                    if (const TETextBlock* block = element ? element->as<TETextBlock>() : nullptr)
                        m_additionalPaddingAtBottom += block->padding().bottom;
    } else {
        m_stringRange = Range{0, 0};
    }
}

double TELayoutFrame::halfLeadingOfLine(const TELayoutLine& line) const
{
    double height = line.lineHeight();
    const std::optional<TEParagraphStyle>& style = line.paragraphStyle();
    double minimum = style ? style->minimumLineHeight() : 0;
    double maximum = style ? style->maximumLineHeight() : 0;
    double multiple = style ? style->lineHeightMultiple() : 0;
    if (minimum != 0 && minimum > height)
        height = minimum;
    if (maximum != 0 && maximum < height)
        height = maximum;
    height *= multiple > 0 ? multiple : static_cast<double>(1.1f);
    return (height - (line.ascent() + line.descent())) / 2;
}

Point TELayoutFrame::standardBaseline(const TELayoutLine& line, const TELayoutLine* previous) const
{
    double x = m_frame.origin.x, y = m_frame.origin.y;
    if (previous) {
        x = previous->baselineOrigin().x;
        y = previous->frame().maxY();
        double halfLeading = halfLeadingOfLine(*previous);
        if (!(halfLeading <= 0 && !previous->attachments().empty()))
            y += halfLeading;
        if (isLineLastInParagraph(*previous))
            if (const auto& style = previous->paragraphStyle())
                y += style->paragraphSpacing();
    }
    y += line.ascent();
    double halfLeading = halfLeadingOfLine(line);
    if (!(halfLeading <= 0 && !line.attachments().empty()))
        y += halfLeading;
    if (isLineFirstInParagraph(line))
        if (const auto& style = line.paragraphStyle())
            y += style->paragraphSpacingBefore();
    const ArrayValue* previousBlocks = previous ? previous->textBlocks() : nullptr;
    const ArrayValue* blocks = line.textBlocks();
    if (previousBlocks)
        for (const AttributeValuePtr& element : previousBlocks->elements())
            if (const TETextBlock* block = element ? element->as<TETextBlock>() : nullptr)
                if (!containsObject(blocks, element.get()))
                    y += block->padding().bottom;
    if (blocks)
        for (const AttributeValuePtr& element : blocks->elements())
            if (const TETextBlock* block = element ? element->as<TETextBlock>() : nullptr)
                if (!containsObject(previousBlocks, element.get()))
                    y += block->padding().top;
    return Point{x, std::ceil(y)};
}

Point TELayoutFrame::legacyBaseline(const TELayoutLine& line, const TELayoutLine* previous) const
{
    const PlatformParagraphStyle* style = platformStyleAt(*m_fragment, line.stringRange().location);
    double spacingBefore = style ? style->paragraphSpacingBefore() : 0;
    if (!previous && isLineFirstInParagraph(line))
        return Point{line.baselineOrigin().x, std::ceil(spacingBefore)};
    double y = previous ? previous->baselineOrigin().y : 0;
    double ascentDescent = line.ascent() + line.descent();
    double spacing = line.leading() != 0 ? std::ceil(std::max(line.leading(), ascentDescent * double(0.1f)))
                                         : std::ceil(ascentDescent * double(0.2f));
    if (line.leading() == 0 && spacing > 20)
        spacing = 0;
    double minimum = style ? style->minimumLineHeight() : 0;
    double lineHeight = minimum > 0 ? minimum : spacing + ascentDescent;
    if (previous && isLineLastInParagraph(*previous)) {
        const PlatformParagraphStyle* previousStyle =
            platformStyleAt(*m_fragment, previous->stringRange().location);
        y += (previousStyle ? previousStyle->paragraphSpacing() : 0) + spacingBefore;
    }
    double multiple = style ? style->lineHeightMultiple() : 0;
    if (multiple > 0)
        lineHeight *= multiple;
    double maximum = style ? style->maximumLineHeight() : 0;
    if (maximum > 0 && maximum < lineHeight)
        lineHeight = maximum;
    y += lineHeight;
    if (previous && minimum <= 0 && y - line.ascent() > previous->frame().maxY())
        y = previous->frame().maxY() + line.ascent();
    return Point{line.baselineOrigin().x, std::ceil(y)};
}

Point TELayoutFrame::baselineOriginToPositionLine(const TELayoutLine& line, const TELayoutLine* previousLine,
                                                  unsigned options) const
{
    if (options & TEBaselineAlgorithmStandard)
        return standardBaseline(line, previousLine);
    if (options & TEBaselineAlgorithmLegacy)
        return legacyBaseline(line, previousLine);
    return Point{};
}

Rect TELayoutFrame::frame()
{
    std::lock_guard lock(m_mutex);
    buildLinesIfNeeded();
    if (m_lines.empty())
        return Rect{};
    if (m_frame.size.height == kTEOpenEndedDimension)
        m_frame.size.height =
            std::ceil(m_lines.back()->frame().maxY() - m_frame.origin.y + 1.5 + m_additionalPaddingAtBottom);
    if (m_frame.size.width == kTEOpenEndedDimension) {
        double widest = 0;
        for (const TELayoutLinePtr& line : m_lines)
            widest = std::max(widest, line->frame().maxX() - m_frame.origin.x);
        m_frame.size.width = std::ceil(widest);
    }
    return m_frame;
}

Rect TELayoutFrame::intrinsicContentFrame()
{
    std::lock_guard lock(m_mutex);
    buildLinesIfNeeded();
    if (m_lines.empty())
        return Rect{};
    Rect result = m_lines.front()->frame();
    for (const TELayoutLinePtr& line : m_lines)
        result = TERectUnion(result, TERectIntersection(line->frame(), m_frame));
    result.size.height = std::ceil(result.size.height + 1.5 + m_additionalPaddingAtBottom);
    return TERectIntegral(result);
}

std::vector<TELayoutLinePtr> TELayoutFrame::linesVisibleInRect(const Rect& rect)
{
    std::vector<TELayoutLinePtr> visible;
    for (const TELayoutLinePtr& line : lines()) {
        Rect lineFrame = line->frame();
        if (lineFrame.maxY() < rect.minY())
            continue;
        if (lineFrame.minY() > rect.maxY())
            break;
        lineFrame.size.width = std::max(lineFrame.size.width, 1.0);
        if (TERectsMeet(lineFrame, rect))
            visible.push_back(line);
    }
    return visible;
}

std::vector<TELayoutLinePtr> TELayoutFrame::linesContainedInRect(const Rect& rect)
{
    std::vector<TELayoutLinePtr> contained;
    for (const TELayoutLinePtr& line : lines()) {
        Rect lineFrame = line->frame();
        if (lineFrame.maxY() < rect.minY())
            continue;
        if (lineFrame.minY() > rect.maxY())
            break;
        if (lineFrame.minX() >= rect.minX() && lineFrame.maxX() <= rect.maxX() && lineFrame.minY() >= rect.minY()
            && lineFrame.maxY() <= rect.maxY())
            contained.push_back(line);
    }
    return contained;
}

TELayoutLinePtr TELayoutFrame::lineContainingIndex(std::size_t index)
{
    for (const TELayoutLinePtr& line : lines()) {
        Range range = line->stringRange();
        if (index >= range.location && index < range.end())
            return line;
    }
    return nullptr;
}

std::size_t TELayoutFrame::lineIndexForGlyphIndex(std::size_t index)
{
    const std::vector<TELayoutLinePtr>& all = lines();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (index < all[i]->numberOfGlyphs())
            return i;
        index -= all[i]->numberOfGlyphs();
    }
    return all.size();
}

Rect TELayoutFrame::frameOfGlyphAtIndex(std::size_t index)
{
    for (const TELayoutLinePtr& line : lines()) {
        if (index < line->numberOfGlyphs())
            return line->frameOfGlyphAtIndex(index);
        index -= line->numberOfGlyphs();
    }
    return TERectNull();
}

std::vector<std::size_t> TELayoutFrame::stringIndices()
{
    std::vector<std::size_t> indices;
    for (const TELayoutLinePtr& line : lines()) {
        std::vector<std::size_t> lineIndices = line->stringIndices();
        indices.insert(indices.end(), lineIndices.begin(), lineIndices.end());
    }
    return indices;
}

Range TELayoutFrame::stringRange()
{
    buildLinesIfNeeded();
    return m_stringRange;
}

Range TELayoutFrame::visibleStringRange() { return stringRange(); }

std::size_t TELayoutFrame::paragraphIndexContainingStringIndex(std::size_t index) const
{
    const std::vector<Range>& paragraphs = *m_paragraphRanges;
    auto found = std::upper_bound(paragraphs.begin(), paragraphs.end(), index,
                                  [](std::size_t value, const Range& range) { return value < range.location; });
    if (found == paragraphs.begin())
        return NotFound;
    --found;
    if (index >= found->end())
        return NotFound;
    return static_cast<std::size_t>(found - paragraphs.begin());
}

Range TELayoutFrame::paragraphRangeContainingStringRange(Range range) const
{
    std::size_t first = paragraphIndexContainingStringIndex(range.location);
    if (range.length == 0 || first == NotFound)
        return Range{first, 1};
    std::size_t last = paragraphIndexContainingStringIndex(range.end() - 1);
    if (last == NotFound)
        last = first;
    return Range{first, last - first + 1};
}

std::vector<TELayoutLinePtr> TELayoutFrame::linesInParagraphAtIndex(std::size_t index)
{
    std::vector<TELayoutLinePtr> found;
    if (index >= m_paragraphRanges->size())
        return found;
    Range paragraph = (*m_paragraphRanges)[index];
    for (const TELayoutLinePtr& line : lines()) {
        std::size_t start = line->stringRange().location;
        if (start >= paragraph.location && start < paragraph.end())
            found.push_back(line);
        else if (!found.empty())
            break;
    }
    return found;
}

bool TELayoutFrame::isLineFirstInParagraph(const TELayoutLine& line) const
{
    std::size_t start = line.stringRange().location;
    return start == 0 || (start <= m_fragment->length() && isNewline(m_fragment->string()[start - 1]));
}

bool TELayoutFrame::isLineLastInParagraph(const TELayoutLine& line) const
{
    Range range = line.stringRange();
    return range.length > 0 && range.end() <= m_fragment->length() && m_fragment->string()[range.end() - 1] == u'\n';
}

std::vector<std::shared_ptr<const TETextAttachment>> TELayoutFrame::textAttachments()
{
    std::lock_guard lock(m_mutex);
    buildLinesIfNeeded();
    if (!m_textAttachments) {
        m_textAttachments.emplace();
        for (const TELayoutLinePtr& line : m_lines)
            for (const auto& attachment : line->attachments())
                m_textAttachments->push_back(attachment);
    }
    return *m_textAttachments;
}

std::vector<std::shared_ptr<const TETextAttachment>> TELayoutFrame::textAttachmentsWithPredicate(
    const std::function<bool(const TETextAttachment&)>& predicate)
{
    std::vector<std::shared_ptr<const TETextAttachment>> found;
    for (const auto& attachment : textAttachments())
        if (predicate(*attachment))
            found.push_back(attachment);
    return found;
}

std::string TELayoutFrame::description()
{
    std::string text = "(";
    for (const TELayoutLinePtr& line : lines())
        text += "\n    " + line->description() + ",";
    if (text.back() == ',')
        text.pop_back();
    return text + "\n)";
}

} // namespace folio
