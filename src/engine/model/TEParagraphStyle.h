#pragma once

#include "engine/model/TECSSListStyle.h"
#include "engine/model/TETextBlock.h"
#include "platform/text/PlatformParagraphStyle.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class TEFormattingKey;

// The engine's mutable paragraph style. HTML elements fill one from CSS and
// turn it into the platform paragraph style that text layout reads; the
// writers make one back from that platform style. Lists and blocks belong to
// the engine alone: they travel as attributes of their own and never enter
// the platform style.
class TEParagraphStyle {
public:
    using TextLists = std::vector<std::shared_ptr<const TECSSListStyle>>;
    using TextBlocks = std::vector<std::shared_ptr<const TETextBlock>>;
    using TabStops = std::vector<TextTab>;

    // The defaults: natural alignment and direction, a 36-point tab interval
    // and a line spacing of 1, everything else 0 and no tab stops.
    TEParagraphStyle() = default;
    static TEParagraphStyle defaultParagraphStyle() { return TEParagraphStyle(); }
    // Every exchanged setting from the platform style; no lists or blocks.
    explicit TEParagraphStyle(const PlatformParagraphStyle& style);
    static TEParagraphStyle paragraphStyleWithCTParagraphStyle(const PlatformParagraphStyle& style);

    PlatformParagraphStyle createCTParagraphStyle() const;

    // Appends a tab stop; a position that is not a finite number is ignored.
    void addTabStopAtPosition(double position, TextAlignment alignment);

    // The paragraph's CSS declarations; none when there are none to write.
    std::optional<std::string> cssStyleRepresentation() const;
    // "break-after:avoid;" and "break-inside:avoid;" for the keeps, and
    // "orphans:2;widows:2;" for widow control, and how lines break where
    // hyphenation is refused ("hyphens:manual;"); empty when none holds.
    std::string paginationCSS() const;
    // "text-indent:<n>cm;" for a first-line indent in centimetres.
    static std::string firstLineIndentCSS(double centimetres);

    // Equal numbers, alignment, direction, lists, blocks and tab stops. Lists
    // and blocks compare by value; an empty array counts as none. Tab stops
    // distinguish none (fall back to the interval) from an empty list.
    bool isEqual(const TEParagraphStyle& other) const;
    friend bool operator==(const TEParagraphStyle& a, const TEParagraphStyle& b) { return a.isEqual(b); }
    // Every setting, with lists and blocks by identity (the numbering written
    // from a list depends on which list it is).
    void addToFormattingKey(TEFormattingKey& key) const;
    // The same for the style without its lists and blocks (the settings a
    // platform paragraph style holds), without copying it.
    void addSettingsToFormattingKey(TEFormattingKey& key) const;

    double firstLineHeadIndent() const { return m_firstLineHeadIndent; }
    void setFirstLineHeadIndent(double value) { m_firstLineHeadIndent = value; }
    double defaultTabInterval() const { return m_defaultTabInterval; }
    void setDefaultTabInterval(double value) { m_defaultTabInterval = value; }
    double paragraphSpacingBefore() const { return m_paragraphSpacingBefore; }
    void setParagraphSpacingBefore(double value) { m_paragraphSpacingBefore = value; }
    double paragraphSpacing() const { return m_paragraphSpacing; }
    void setParagraphSpacing(double value) { m_paragraphSpacing = value; }
    double paragraphLineSpacing() const { return m_paragraphLineSpacing; }
    void setParagraphLineSpacing(double value) { m_paragraphLineSpacing = value; }
    double headIndent() const { return m_headIndent; }
    void setHeadIndent(double value) { m_headIndent = value; }
    // Negative values count from the trailing edge.
    double tailIndent() const { return m_tailIndent; }
    void setTailIndent(double value) { m_tailIndent = value; }
    double lineHeightMultiple() const { return m_lineHeightMultiple; }
    void setLineHeightMultiple(double value) { m_lineHeightMultiple = value; }
    double minimumLineHeight() const { return m_minimumLineHeight; }
    void setMinimumLineHeight(double value) { m_minimumLineHeight = value; }
    double maximumLineHeight() const { return m_maximumLineHeight; }
    void setMaximumLineHeight(double value) { m_maximumLineHeight = value; }
    TextAlignment alignment() const { return m_alignment; }
    void setAlignment(TextAlignment alignment) { m_alignment = alignment; }
    WritingDirection baseWritingDirection() const { return m_baseWritingDirection; }
    void setBaseWritingDirection(WritingDirection direction) { m_baseWritingDirection = direction; }
    bool keepWithNext() const { return m_keepWithNext; }
    void setKeepWithNext(bool keep) { m_keepWithNext = keep; }
    bool keepTogether() const { return m_keepTogether; }
    void setKeepTogether(bool keep) { m_keepTogether = keep; }
    bool widowControl() const { return m_widowControl; }
    void setWidowControl(bool control) { m_widowControl = control; }
    // 1 to 9 in the document's outline; 0 is body text.
    int outlineLevel() const { return m_outlineLevel; }
    void setOutlineLevel(int level) { m_outlineLevel = level >= 1 && level <= 9 ? level : 0; }
    // A line height of its own in points, least or exact, as word
    // processors space lines, when the style has one; and whether taller
    // letters may still push its lines apart.
    std::optional<double> ownLineHeight() const;
    bool hasLeastLineHeight() const;
    bool noHyphenation() const { return m_noHyphenation; }
    void setNoHyphenation(bool no) { m_noHyphenation = no; }
    // No space before or after next to a paragraph of the same style that
    // says the same.
    bool contextualSpacing() const { return m_contextualSpacing; }
    void setContextualSpacing(bool contextual) { m_contextualSpacing = contextual; }
    const std::optional<TabStops>& tabStops() const { return m_tabStops; }
    void setTabStops(std::optional<TabStops> tabStops) { m_tabStops = std::move(tabStops); }
    const TextLists& textLists() const { return m_textLists; }
    void setTextLists(TextLists lists) { m_textLists = std::move(lists); }
    const TextBlocks& textBlocks() const { return m_textBlocks; }
    void setTextBlocks(TextBlocks blocks) { m_textBlocks = std::move(blocks); }

private:
    // Every setting but the lists and blocks.
    void addNumbersToFormattingKey(TEFormattingKey& key) const;

    double m_firstLineHeadIndent = 0;
    double m_defaultTabInterval = 36;
    double m_paragraphSpacingBefore = 0;
    double m_paragraphSpacing = 0;
    double m_paragraphLineSpacing = 1.0;
    double m_headIndent = 0;
    double m_tailIndent = 0;
    double m_lineHeightMultiple = 0;
    double m_minimumLineHeight = 0;
    double m_maximumLineHeight = 0;
    TextAlignment m_alignment = TextAlignment::Natural;
    WritingDirection m_baseWritingDirection = WritingDirection::Natural;
    bool m_keepWithNext = false;
    bool m_keepTogether = false;
    bool m_widowControl = false;
    int m_outlineLevel = 0;
    bool m_noHyphenation = false;
    bool m_contextualSpacing = false;
    std::optional<TabStops> m_tabStops;
    TextLists m_textLists;
    TextBlocks m_textBlocks;
};

} // namespace folio
