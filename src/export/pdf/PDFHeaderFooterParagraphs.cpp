#include "export/pdf/PDFHeaderFooterParagraphs.h"

#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/graphics/FontFace.h"
#include "platform/text/AttributeValue.h"
#include "platform/text/AttributedString.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/FontAttributeValue.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace folio {

namespace {

using Paragraph = GraphicsContext::TextBoxParagraph;
using Run = GraphicsContext::TextBoxRun;
using Alignment = GraphicsContext::TextBoxStyle::Alignment;

// The text's paragraph styles keep the units the HTML writer reads: head and
// tail indents in CSS pixels, the first line's in centimetres from the head.
constexpr double kPointsPerPixel = 0.75;
constexpr double kHeaderPointsPerCentimetre = 72 / 2.54;
constexpr double kDefaultTabInterval = 36;
constexpr const char* kDefaultFamily = "Helvetica";
constexpr double kDefaultFontSize = 12;

bool endsParagraph(char16_t unit) { return unit == u'\n' || unit == u'\r' || unit == u'\u2029'; }

// Characters that stand for pictures and notes have no words to print.
bool isPrinted(char16_t unit) { return unit != u'\uFEFF' && unit != u'\uFFFC'; }

bool isBlank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\u00A0' || unit == u'\u2028'; }

Alignment alignmentOf(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::Center:
        return Alignment::Center;
    case TextAlignment::Right:
        return Alignment::Right;
    case TextAlignment::Justified:
        return Alignment::Justified;
    default:
        return Alignment::Left;
    }
}

void applyParagraphStyle(Paragraph& paragraph, const PlatformParagraphStyle& style)
{
    paragraph.alignment = alignmentOf(style.alignment());
    paragraph.headIndent = std::max(style.headIndent() * kPointsPerPixel, 0.0);
    paragraph.firstLineHeadIndent =
        std::max(paragraph.headIndent + style.firstLineHeadIndent() * kHeaderPointsPerCentimetre, 0.0);
    paragraph.tailIndent = style.tailIndent() < 0 ? -style.tailIndent() * kPointsPerPixel : 0;
    paragraph.spaceBefore = std::max(style.paragraphSpacingBefore(), 0.0);
    paragraph.spaceAfter = std::max(style.paragraphSpacing(), 0.0);
    if (style.defaultTabInterval() > 0)
        paragraph.defaultTabInterval = style.defaultTabInterval();
    if (style.tabStops()) {
        for (const TextTab& tab : *style.tabStops()) {
            using TabAlignment = GraphicsContext::TextBoxTab::Alignment;
            TabAlignment alignment = tab.decimal                          ? TabAlignment::Decimal
                : tab.alignment == TextAlignment::Right                   ? TabAlignment::Right
                : tab.alignment == TextAlignment::Center                  ? TabAlignment::Center
                                                                          : TabAlignment::Left;
            paragraph.tabStops.push_back({tab.location, alignment});
        }
        std::stable_sort(paragraph.tabStops.begin(), paragraph.tabStops.end(),
                         [](const auto& a, const auto& b) { return a.location < b.location; });
    }
}

// A stop at the right edge of the cell a tab ends, in twips from the row's
// left (the text's, which the header's box starts at).
void addCellStop(Paragraph& paragraph, const AttributeDictionary* attributes)
{
    const auto* boundary = attributes && attributes->containsKey(TEIsEndTableCellKey)
        ? attributes->valueForKeyAs<IntegerValue>(TETableCellRightBoundaryKey)
        : nullptr;
    if (!boundary || boundary->value() <= 0)
        return;
    const double location = static_cast<double>(boundary->value()) / 20;
    auto after = std::find_if(paragraph.tabStops.begin(), paragraph.tabStops.end(),
                              [&](const auto& stop) { return stop.location >= location; });
    if (after != paragraph.tabStops.end() && after->location == location)
        return;
    paragraph.tabStops.insert(after, {location, GraphicsContext::TextBoxTab::Alignment::Left});
}

// The width (points) and colour a cell's CSS gives one side's border
// ("0.5pt solid #000000"); no width for none.
std::pair<double, std::optional<Color>> borderOf(const StringMapValue::Map& style, const char* side)
{
    auto found = style.find(side);
    if (found == style.end() || found->second == u"none")
        return {0, std::nullopt};
    const std::string css = toUtf8(found->second);
    const double width = std::max(0.0, std::strtod(css.c_str(), nullptr));
    std::optional<Color> color;
    if (std::size_t hash = css.find('#'); hash != std::string::npos && hash + 7 <= css.size()) {
        const unsigned long rgb = std::strtoul(css.substr(hash + 1, 6).c_str(), nullptr, 16);
        color = Color::colorWithRed(((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1);
    }
    return {width, color};
}

// The borders of the cell a cell or row end closes, in points from the
// row's left (the text's, which the header's box starts at). The cells'
// words stand at their boundaries, on the stops the cell ends make, so the
// borders stand the cells' gap left of them, as word processors draw a
// row's borders around the gap; the first cell's left border stays on the
// box's edge, which clips what is left of it.
void addCellFrame(Paragraph& paragraph, const AttributeDictionary* attributes)
{
    const auto* boundary = attributes ? attributes->valueForKeyAs<IntegerValue>(TETableCellRightBoundaryKey) : nullptr;
    const auto* style = attributes ? attributes->valueForKeyAs<StringMapValue>(TETableCellStyleKey) : nullptr;
    if (!boundary || !style || boundary->value() <= 0)
        return;
    const std::u16string* cellGap = style->valueForKey("cell-gap");
    const double gap = cellGap ? std::max(0.0, std::strtod(toUtf8(*cellGap).c_str(), nullptr)) : 0;
    GraphicsContext::TextBoxCellFrame frame;
    frame.left = paragraph.cellFrames.empty() ? 0 : paragraph.cellFrames.back().right;
    frame.right = static_cast<double>(boundary->value()) / 20 - gap;
    static const char* const kSides[] = {"border-top", "border-left", "border-bottom", "border-right"};
    bool anyBorder = false;
    for (std::size_t side = 0; side < 4; ++side) {
        const auto [width, color] = borderOf(style->map(), kSides[side]);
        frame.widths[side] = width;
        if (color)
            frame.color = *color;
        anyBorder = anyBorder || width > 0;
    }
    if (!anyBorder)
        frame.widths = {};
    if (frame.right > frame.left)
        paragraph.cellFrames.push_back(frame);
}

Run runWithAttributes(const AttributeDictionary* attributes)
{
    Run run;
    run.family = kDefaultFamily;
    run.pointSize = kDefaultFontSize;
    if (!attributes)
        return run;
    if (const auto* value = attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName)) {
        const Font& font = value->font();
        if (!font.familyName().empty())
            run.family = font.familyName();
        if (font.pointSize() > 0)
            run.pointSize = std::min(font.pointSize(), PageHeaderFooterSettings::kMaximumFontSize);
        run.bold = (font.symbolicTraits() & kFontBoldTrait) != 0;
        run.italic = (font.symbolicTraits() & kFontItalicTrait) != 0;
    }
    if (const auto* value = attributes->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName))
        run.color = value->color();
    return run;
}

// A picture run for the picture the character stands for; none for other
// characters and pictures without an image.
std::optional<Run> pictureRun(const AttributeDictionary* attributes)
{
    const auto* attachment = attributes ? attributes->valueForKeyAs<TEImageTextAttachment>(NSAttachmentAttributeName) : nullptr;
    if (!attachment)
        return std::nullopt;
    // A picture read from a file carries its bytes; one of a page, its image.
    Image::Pointer picture = attachment->image();
    if (const Data* bytes = picture ? nullptr : attachment->contentsData())
        if (Result<Image::Pointer> decoded = Image::imageWithData(bytes->vector()))
            picture = *decoded;
    if (!picture)
        return std::nullopt;
    Size size = attachment->displaySize();
    if (!(size.width > 0) || !(size.height > 0))
        size = picture->size();
    size = Size{size.width * kPointsPerPixel, size.height * kPointsPerPixel};
    if (!(size.width > 0) || !(size.height > 0))
        return std::nullopt;
    Run run = runWithAttributes(attributes);
    run.text.assign(1, u'\uFFFC');
    run.picture = std::move(picture);
    run.pictureSize = size;
    // A table's cells start at the top of their row, a picture in one too.
    const auto* inTable = attributes->valueForKeyAs<IntegerValue>(TEIsTableKey);
    run.fromLineTop = inTable && inTable->value() != 0;
    return run;
}

} // namespace

std::shared_ptr<const PDFHeaderFooterParagraphs> PDFHeaderFooterParagraphs::fromText(const AttributedString& text)
{
    const std::u16string& string = text.string();
    const std::size_t length = std::min(string.size(), kMaximumTextLength);
    auto result = std::make_shared<PDFHeaderFooterParagraphs>();
    std::vector<Paragraph>& paragraphs = result->m_paragraphs;
    bool hasWords = false;
    bool startsParagraph = true;
    for (std::size_t at = 0; at < length;) {
        Range range;
        AttributeDictionaryPtr attributes = text.attributesAtIndex(at, &range);
        // Every pass takes at least the character it starts at.
        const std::size_t end = std::clamp(range.location + range.length, at + 1, length);
        if (startsParagraph) {
            if (paragraphs.size() == kMaximumParagraphs)
                break;
            paragraphs.emplace_back();
            if (attributes) {
                if (const auto* style = attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName))
                    applyParagraphStyle(paragraphs.back(), style->style());
            }
            // An empty paragraph is a line of its mark's font.
            paragraphs.back().runs.push_back(runWithAttributes(attributes.get()));
            startsParagraph = false;
        }
        Run& run = paragraphs.back().runs.back();
        Run look = runWithAttributes(attributes.get());
        if (!run.text.empty() && (look.family != run.family || look.pointSize != run.pointSize || look.bold != run.bold
                                  || look.italic != run.italic || !(look.color == run.color)))
            paragraphs.back().runs.push_back(std::move(look));
        else if (run.text.empty())
            run = std::move(look);
        while (at < end) {
            const char16_t unit = string[at++];
            if (endsParagraph(unit)) {
                if (attributes && attributes->containsKey(TEIsEndTableRowKey))
                    addCellFrame(paragraphs.back(), attributes.get());
                // "\r\n" ends one paragraph.
                if (unit == u'\r' && at < length && string[at] == u'\n')
                    ++at;
                startsParagraph = true;
                break;
            }
            if (unit == u'\uFFFC' || unit == u'\uFEFF') {
                if (std::optional<Run> picture = pictureRun(attributes.get())) {
                    paragraphs.back().runs.push_back(std::move(*picture));
                    paragraphs.back().runs.push_back(runWithAttributes(attributes.get()));
                    hasWords = true;
                }
                continue;
            }
            if (!isPrinted(unit))
                continue;
            // A table row's cell ends are tabs: the next cell's words stand
            // at the cell's right edge, as the table's columns are.
            if (unit == u'\t') {
                addCellStop(paragraphs.back(), attributes.get());
                if (attributes && attributes->containsKey(TEIsEndTableCellKey))
                    addCellFrame(paragraphs.back(), attributes.get());
            }
            hasWords = hasWords || !isBlank(unit);
            paragraphs.back().runs.back().text.push_back(unit);
        }
    }
    if (!hasWords)
        return nullptr;
    return result;
}

bool PDFHeaderFooterParagraphs::exceedOneLine() const
{
    if (m_paragraphs.size() != 1)
        return true;
    const Paragraph& paragraph = m_paragraphs.front();
    return paragraph.runs.size() > 1
        || std::any_of(paragraph.runs.begin(), paragraph.runs.end(), [](const Run& run) {
               return run.bold || run.italic || run.text.find(u'\t') != std::u16string::npos;
           });
}

std::shared_ptr<const PDFHeaderFooterParagraphs> PDFHeaderFooterParagraphs::withConversionPlaceholders(
    const PageHeaderFooterSettings::ConversionPlaceholders& placeholders) const
{
    auto copy = std::make_shared<PDFHeaderFooterParagraphs>(*this);
    for (Paragraph& paragraph : copy->m_paragraphs) {
        for (Run& run : paragraph.runs)
            run.text = PageHeaderFooterSettings::replacingConversionPlaceholders(run.text, placeholders);
    }
    return copy;
}

std::vector<GraphicsContext::TextBoxParagraph> PDFHeaderFooterParagraphs::paragraphsForPage(unsigned long pageNumber,
                                                                                            unsigned long totalPages) const
{
    std::vector<Paragraph> paragraphs = m_paragraphs;
    for (Paragraph& paragraph : paragraphs) {
        for (Run& run : paragraph.runs)
            run.text = PageHeaderFooterSettings::textForPage(run.text, pageNumber, totalPages);
    }
    return paragraphs;
}

} // namespace folio
