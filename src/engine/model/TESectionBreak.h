#pragma once

#include "platform/text/AttributeValue.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// A section break at the end of a paragraph, with the page settings of the
// section it starts: another paper size, margins, columns or headers from
// that paragraph on. The paragraph that ends a section carries it, so that
// deleting the paragraph deletes the break. Lengths are twips, as word
// processors give them; a setting not given is the section's default.
class TESectionBreak final : public AttributeValue {
public:
    // Where the new section starts.
    enum class Start { NextPage, Continuous, NextColumn, EvenPage, OddPage };
    // How the section's page numbers are written, other than in digits.
    enum class PageNumberFormat { UpperRoman, LowerRoman, UpperLetter, LowerLetter };
    // Where the numbers in the margin beside the lines start again.
    enum class LineNumbering { EachPage, EachSection, Continue };

    struct Settings {
        Start start = Start::NextPage;
        std::optional<int> paperWidth;
        std::optional<int> paperHeight;
        std::optional<int> leftMargin;
        std::optional<int> rightMargin;
        std::optional<int> topMargin;
        std::optional<int> bottomMargin;
        std::optional<int> gutter;
        // From the paper's edge to the header's top and the footer's foot.
        std::optional<int> headerDistance;
        std::optional<int> footerDistance;
        std::optional<int> columns;
        std::optional<int> columnSpacing;
        bool landscape = false;
        // The section's first page has a header and footer of its own.
        bool titlePage = false;
        // The page numbers, which the page does not show: they start again
        // in this section rather than go on from the last one's, from this
        // number where it is given.
        bool restartsPageNumbers = false;
        std::optional<int> pageNumberStart;
        std::optional<PageNumberFormat> pageNumberFormat;
        // The lines are numbered in the margin when an interval is given
        // (every line, every fifth...), at a distance (twips) from the
        // text, from a start; none of it is shown on the page.
        std::optional<int> lineNumberInterval;
        std::optional<int> lineNumberDistance;
        std::optional<int> lineNumberStart;
        std::optional<LineNumbering> lineNumbering;
        // Which of the file's sections the break started when it was read
        // (1 for the first break): the headers and footers kept from the
        // file belong to that section, wherever the break stands now after
        // other breaks were deleted. A break the file did not give has none.
        std::optional<int> fileSection;

        friend bool operator==(const Settings&, const Settings&) = default;
    };

    // Whether a value read from a file can be a page's at all: a negative
    // size, a margin wider than any paper or a thousand columns is damage.
    static bool isUsableLength(int twips);
    static bool isUsablePaperLength(int twips);
    static bool isUsableColumnCount(int columns);
    // A page or line number a section can start from, and how many lines
    // apart numbers can stand.
    static bool isUsableNumberStart(int number);
    static bool isUsableLineNumberInterval(int lines);
    static bool isUsableFileSection(int section);

    explicit TESectionBreak(Settings settings);
    static std::shared_ptr<const TESectionBreak> make(Settings settings);

    const Settings& settings() const { return m_settings; }

    // The settings as the editing page keeps them on the paragraph
    // ("next-page width=12240 height=15840 landscape ..."), and back. Words
    // that are not settings, and values that are no usable length, are left
    // out: what stays is the default.
    std::u16string attributeText() const;
    static Settings settingsFromAttributeText(std::u16string_view text);

    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "sectionBreak"; }

private:
    Settings m_settings;
};

} // namespace folio
