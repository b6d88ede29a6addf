#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace folio {

// Numbered as the text-layout system numbers them, because the numbers are
// written into files and exchanged with the engine as plain integers.
enum class TextAlignment : std::uint8_t {
    Left = 0,
    Right = 1,
    Center = 2,
    Justified = 3,
    Natural = 4,
};

enum class WritingDirection : std::int8_t {
    Natural = -1,
    LeftToRight = 0,
    RightToLeft = 1,
};

// One tab stop: where it sits (points from the leading edge) and how text aligns on it.
struct TextTab {
    double location = 0;
    TextAlignment alignment = TextAlignment::Left;
    // Text aligns on its first decimal point rather than by `alignment`.
    bool decimal = false;
    // The character that fills the space before the stop ('.', '-', '_'), or 0.
    char16_t leader = 0;

    friend bool operator==(const TextTab&, const TextTab&) = default;
};

// The paragraph style that text layout reads: the settings the engine hands
// over when it turns its own paragraph style into attributes, and reads back
// when it writes HTML or RTF. Immutable once made.
class PlatformParagraphStyle {
public:
    // Every setting, with the value a style has when the setting is not given.
    struct Settings {
        TextAlignment alignment = TextAlignment::Natural;
        double firstLineHeadIndent = 0;
        double headIndent = 0;
        // Negative values count from the trailing edge.
        double tailIndent = 0;
        double defaultTabInterval = 0;
        // Absent differs from empty: a style with no tab stops given falls back
        // to the default interval, an empty list says "no tab stops at all".
        std::optional<std::vector<TextTab>> tabStops;
        double lineHeightMultiple = 0;
        double maximumLineHeight = 0;
        double minimumLineHeight = 0;
        double minimumLineSpacing = 0;
        double paragraphSpacing = 0;
        double paragraphSpacingBefore = 0;
        WritingDirection baseWritingDirection = WritingDirection::Natural;
        // Pagination: the paragraph stays on the page of the one after it,
        // is not split between two pages, and leaves no single line of its
        // own alone at the foot or head of a page. Nothing on screen shows
        // them; they matter to print and to the word processors a file goes to.
        bool keepWithNext = false;
        bool keepTogether = false;
        bool widowControl = false;
        // The paragraph's level in the document's outline, 1 to 9 (a heading
        // and its subheadings); 0 is body text.
        int outlineLevel = 0;
        // The paragraph says no to automatic hyphenation, which the document
        // may otherwise turn on for all its text.
        bool noHyphenation = false;
        // The space before and after the paragraph is left out next to a
        // paragraph of the same style that says the same, as the items of
        // a list stand together while the list keeps its space around it.
        bool contextualSpacing = false;

        friend bool operator==(const Settings&, const Settings&) = default;
    };

    PlatformParagraphStyle() = default;
    explicit PlatformParagraphStyle(Settings settings) : m_settings(std::move(settings)) {}

    const Settings& settings() const { return m_settings; }

    TextAlignment alignment() const { return m_settings.alignment; }
    double firstLineHeadIndent() const { return m_settings.firstLineHeadIndent; }
    double headIndent() const { return m_settings.headIndent; }
    double tailIndent() const { return m_settings.tailIndent; }
    double defaultTabInterval() const { return m_settings.defaultTabInterval; }
    const std::optional<std::vector<TextTab>>& tabStops() const { return m_settings.tabStops; }
    double lineHeightMultiple() const { return m_settings.lineHeightMultiple; }
    double maximumLineHeight() const { return m_settings.maximumLineHeight; }
    double minimumLineHeight() const { return m_settings.minimumLineHeight; }
    double minimumLineSpacing() const { return m_settings.minimumLineSpacing; }
    double paragraphSpacing() const { return m_settings.paragraphSpacing; }
    double paragraphSpacingBefore() const { return m_settings.paragraphSpacingBefore; }
    WritingDirection baseWritingDirection() const { return m_settings.baseWritingDirection; }
    bool keepWithNext() const { return m_settings.keepWithNext; }
    bool keepTogether() const { return m_settings.keepTogether; }
    bool widowControl() const { return m_settings.widowControl; }
    int outlineLevel() const { return m_settings.outlineLevel; }
    bool noHyphenation() const { return m_settings.noHyphenation; }
    bool contextualSpacing() const { return m_settings.contextualSpacing; }

    friend bool operator==(const PlatformParagraphStyle& a, const PlatformParagraphStyle& b)
    {
        return a.m_settings == b.m_settings;
    }
    std::size_t hash() const;

private:
    Settings m_settings;
};

} // namespace folio
