#pragma once

#include "platform/foundation/Range.h"
#include "platform/graphics/Geometry.h"
#include "platform/text/AttributedString.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class GraphicsContext;
class TELayoutLine;
class TELayouter;
class TETextAttachment;
class TETextBlock;
class Typesetter;
enum class TruncationType;

// The platform's line-break modes, by their numbers.
enum class TELineBreakMode : int {
    WordWrap = 0,
    CharWrap = 1,
    Clip = 2,
    TruncateHead = 3,
    TruncateTail = 4,
    TruncateMiddle = 5,
};
TruncationType TECTLineTruncationTypeFromNSLineBreakMode(TELineBreakMode mode);

// Option bits of baselineOriginToPositionLine.
inline constexpr unsigned TEBaselineAlgorithmStandard = 1;
inline constexpr unsigned TEBaselineAlgorithmLegacy = 2;

// Option bits of drawing.
inline constexpr unsigned TELayoutFrameDrawingDefault = 1;
inline constexpr unsigned TELayoutFrameDrawingOmitLinks = 2;
inline constexpr unsigned TELayoutFrameDrawingOmitAttachments = 4;
inline constexpr unsigned TELayoutFrameDrawingDrawLinksHighlighted = 8;

// Called for every text block drawn; clearing the flag keeps the block's own
// background from being filled.
using TETextBlockHandler =
    std::function<void(const TETextBlock& block, Rect frame, GraphicsContext& context, bool& drawDefaultBackground)>;

using TELayoutLinePtr = std::shared_ptr<TELayoutLine>;

// The lines of one rectangle and string range: line breaking by width, head
// and tail indents, text-block paddings, alignment, justification, baselines,
// truncation of the last line, and the geometry queries of drawing, the views
// and accessibility. Lines are built on first need and kept.
class TELayoutFrame {
public:
    // Null when the range starts at or past the end of the text.
    static std::shared_ptr<TELayoutFrame> make(Rect frame, TELayouter& layouter, Range range = Range{0, 0});
    TELayoutFrame(Rect frame, TELayouter& layouter, Range range);

    // Works an open-ended height or width out from the lines and keeps it.
    Rect frame();
    Rect intrinsicContentFrame();
    // Empty when the frame has no lines (no width).
    const std::vector<TELayoutLinePtr>& lines();
    std::vector<TELayoutLinePtr> linesVisibleInRect(const Rect& rect);
    std::vector<TELayoutLinePtr> linesContainedInRect(const Rect& rect);
    TELayoutLinePtr lineContainingIndex(std::size_t index);
    std::size_t lineIndexForGlyphIndex(std::size_t index);
    Rect frameOfGlyphAtIndex(std::size_t index);
    std::vector<std::size_t> stringIndices();
    Range visibleStringRange();
    Range stringRange();
    Range requestedStringRange() const { return m_requestedRange; }

    const std::vector<Range>& paragraphRanges() const { return *m_paragraphRanges; }
    std::size_t paragraphIndexContainingStringIndex(std::size_t index) const;
    // (index of the paragraph holding the start, number of paragraphs up to the one holding the last character).
    Range paragraphRangeContainingStringRange(Range range) const;
    std::vector<TELayoutLinePtr> linesInParagraphAtIndex(std::size_t index);
    bool isLineFirstInParagraph(const TELayoutLine& line) const;
    bool isLineLastInParagraph(const TELayoutLine& line) const;

    std::vector<std::shared_ptr<const TETextAttachment>> textAttachments();
    std::vector<std::shared_ptr<const TETextAttachment>> textAttachmentsWithPredicate(
        const std::function<bool(const TETextAttachment&)>& predicate);

    Point baselineOriginToPositionLine(const TELayoutLine& line, const TELayoutLine* previousLine,
                                       unsigned options = TEBaselineAlgorithmStandard) const;

    std::int64_t numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(std::int64_t count);
    TELineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(TELineBreakMode mode);
    const std::optional<AttributedString>& truncationString() const { return m_truncationString; }
    void setTruncationString(std::optional<AttributedString> token);
    float justifyRatio() const { return m_justifyRatio; }
    void setJustifyRatio(float ratio);
    const TETextBlockHandler& textBlockHandler() const { return m_textBlockHandler; }
    void setTextBlockHandler(TETextBlockHandler handler) { m_textBlockHandler = std::move(handler); }
    double additionalPaddingAtBottom() const { return m_additionalPaddingAtBottom; }
    std::int64_t numberLinesFitInFrame() const { return m_numberLinesFitInFrame; }

    static void setShouldDrawDebugFrames(bool draw);
    static bool shouldDrawDebugFrames();

    const AttributedString& attributedStringFragment() const { return *m_fragment; }
    const std::shared_ptr<const AttributedString>& attributedStringFragmentPointer() const { return m_fragment; }
    std::string description();

    // Drawing (TELayoutFrameDrawing.cpp).
    void drawInContext(GraphicsContext& context, unsigned options);
    void drawInContext(GraphicsContext& context, bool drawImages, bool drawLinks);
    // Caret geometry (TELayoutFrameCursor.cpp).
    std::size_t closestCursorIndexToPoint(Point point);
    // 3 points wide; the zero rectangle for an index in no line.
    Rect cursorRectAtIndex(std::size_t index);

private:
    void buildLinesIfNeeded();
    void buildLines();
    void dropLines();
    double halfLeadingOfLine(const TELayoutLine& line) const;
    Point standardBaseline(const TELayoutLine& line, const TELayoutLine* previousLine) const;
    Point legacyBaseline(const TELayoutLine& line, const TELayoutLine* previousLine) const;

    // Drawing steps.
    void drawTextBlocks(GraphicsContext& context, Range range);
    bool enumerateTextBlocksAtLevel(std::size_t level, Range range,
                                    const std::function<void(const TETextBlock&, Range, bool&)>& block);
    Rect blockFrameForEffectiveRange(Range range, std::size_t level);
    void drawTextBlock(const TETextBlock& block, GraphicsContext& context, Rect frame);
    void drawHorizontalRuleFromLine(const TELayoutLine& line, GraphicsContext& context);

    std::recursive_mutex m_mutex;
    Rect m_frame;
    std::shared_ptr<const AttributedString> m_fragment;
    std::shared_ptr<const Typesetter> m_typesetter;
    std::shared_ptr<const std::vector<Range>> m_paragraphRanges;
    Range m_requestedRange;
    Range m_stringRange{0, 0};
    bool m_linesBuilt = false;
    std::vector<TELayoutLinePtr> m_lines;
    std::optional<std::vector<std::shared_ptr<const TETextAttachment>>> m_textAttachments;
    double m_additionalPaddingAtBottom = 0;
    std::int64_t m_numberLinesFitInFrame = 0;
    std::int64_t m_numberOfLines = 0;
    TELineBreakMode m_lineBreakMode = TELineBreakMode::WordWrap;
    std::optional<AttributedString> m_truncationString;
    float m_justifyRatio = 0.6f;
    TETextBlockHandler m_textBlockHandler;
};

} // namespace folio
