#include "engine/model/TEParagraphStyle.h"

#include "engine/model/TEFormattingKey.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

// Line spacing values that mean "the normal line height": 1 is the default,
// and 240 is the single spacing of RTF's \sl (in twips) that reaches us as is.
constexpr double kSingleLineSpacing = 1;
constexpr double kRTFSingleLineSpacing = 240;
// First-line indents above this were given in twips rather than points; they
// are scaled by the twips per point.
constexpr double kLargestPointIndent = 18;
constexpr double kParagraphTwipsPerPoint = 20;

// A number worth writing: non-zero and finite (a NaN from a damaged file must
// not turn into CSS that a reader cannot parse).
bool isWritten(double value) { return value != 0 && std::isfinite(value); }

template <typename T>
bool equalArrays(const std::vector<std::shared_ptr<const T>>& a, const std::vector<std::shared_ptr<const T>>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return attributeValuesEqual(x.get(), y.get()); });
}

} // namespace

TEParagraphStyle::TEParagraphStyle(const PlatformParagraphStyle& style)
    : m_firstLineHeadIndent(style.firstLineHeadIndent())
    , m_defaultTabInterval(style.defaultTabInterval())
    , m_paragraphSpacingBefore(style.paragraphSpacingBefore())
    , m_paragraphSpacing(style.paragraphSpacing())
    , m_paragraphLineSpacing(style.minimumLineSpacing())
    , m_headIndent(style.headIndent())
    , m_tailIndent(style.tailIndent())
    , m_lineHeightMultiple(style.lineHeightMultiple())
    , m_minimumLineHeight(style.minimumLineHeight())
    , m_maximumLineHeight(style.maximumLineHeight())
    , m_alignment(style.alignment())
    , m_baseWritingDirection(style.baseWritingDirection())
    , m_keepWithNext(style.keepWithNext())
    , m_keepTogether(style.keepTogether())
    , m_widowControl(style.widowControl())
    , m_outlineLevel(style.outlineLevel())
    , m_noHyphenation(style.noHyphenation())
    , m_contextualSpacing(style.contextualSpacing())
    , m_tabStops(style.tabStops())
{
}

TEParagraphStyle TEParagraphStyle::paragraphStyleWithCTParagraphStyle(const PlatformParagraphStyle& style)
{
    return TEParagraphStyle(style);
}

PlatformParagraphStyle TEParagraphStyle::createCTParagraphStyle() const
{
    PlatformParagraphStyle::Settings settings;
    settings.alignment = m_alignment;
    settings.firstLineHeadIndent = m_firstLineHeadIndent;
    settings.minimumLineSpacing = m_paragraphLineSpacing;
    settings.defaultTabInterval = m_defaultTabInterval;
    settings.tabStops = m_tabStops;
    settings.paragraphSpacing = m_paragraphSpacing;
    settings.paragraphSpacingBefore = m_paragraphSpacingBefore;
    settings.headIndent = m_headIndent;
    settings.tailIndent = m_tailIndent;
    settings.baseWritingDirection = m_baseWritingDirection;
    settings.lineHeightMultiple = m_lineHeightMultiple;
    settings.minimumLineHeight = m_minimumLineHeight;
    settings.maximumLineHeight = m_maximumLineHeight;
    settings.keepWithNext = m_keepWithNext;
    settings.keepTogether = m_keepTogether;
    settings.widowControl = m_widowControl;
    settings.outlineLevel = m_outlineLevel;
    settings.noHyphenation = m_noHyphenation;
    settings.contextualSpacing = m_contextualSpacing;
    return PlatformParagraphStyle(std::move(settings));
}

void TEParagraphStyle::addTabStopAtPosition(double position, TextAlignment alignment)
{
    if (!std::isfinite(position))
        return;
    if (!m_tabStops)
        m_tabStops.emplace();
    m_tabStops->push_back(TextTab{position, alignment});
}

std::optional<std::string> TEParagraphStyle::cssStyleRepresentation() const
{
    std::string css;
    switch (m_alignment) {
    case TextAlignment::Left:
        css += "text-align:left;";
        break;
    case TextAlignment::Right:
        css += "text-align:right;";
        break;
    case TextAlignment::Center:
        css += "text-align:center;";
        break;
    case TextAlignment::Justified:
        css += "text-align:justify;";
        break;
    default:
        break;
    }
    if (isWritten(m_lineHeightMultiple) && m_lineHeightMultiple != 1)
        css += "line-height:" + formatShortest(m_lineHeightMultiple) + "em;";
    if (std::optional<double> height = ownLineHeight()) {
        // A least or exact height in the page's pixels, which are the
        // document's points; the page marks a least one apart.
        css += "line-height:" + formatShortest(*height) + "px;";
    } else if (isWritten(m_paragraphLineSpacing)) {
        if (m_paragraphLineSpacing == kRTFSingleLineSpacing || m_paragraphLineSpacing == kSingleLineSpacing)
            css += "line-height:normal;";
        else {
            // Word processors space lines in hundredths (Word's 1.15 is
            // "\sl276"): a tenth alone would change them on every save.
            const double hundredths = std::round(m_paragraphLineSpacing * 100);
            int decimals = std::fmod(hundredths, 10) == 0 ? 1 : 2;
            // A spacing in twips that hundredths do not give back
            // (LibreOffice's "\sl256", 1.0667 lines) takes a third decimal.
            constexpr double kTwipsPerLine = 240;
            if (std::lround(hundredths / 100 * kTwipsPerLine) != std::lround(m_paragraphLineSpacing * kTwipsPerLine))
                decimals = 3;
            css += "line-height:" + formatFixed(m_paragraphLineSpacing, decimals) + ";";
        }
    }
    if (m_baseWritingDirection == WritingDirection::RightToLeft)
        css += "direction:rtl;";
    else if (m_baseWritingDirection == WritingDirection::LeftToRight)
        css += "direction:ltr;";
    if (isWritten(m_paragraphSpacing))
        css += "margin-bottom:" + formatShortest(m_paragraphSpacing) + "px;";
    if (isWritten(m_paragraphSpacingBefore))
        css += "margin-top:" + formatShortest(m_paragraphSpacingBefore) + "px;";
    if (isWritten(m_headIndent))
        css += "margin-left:" + formatShortest(m_headIndent) + "px;";
    if (isWritten(m_tailIndent))
        css += "margin-right:" + formatShortest(-m_tailIndent) + "px;";
    if (m_firstLineHeadIndent > 0 && std::isfinite(m_firstLineHeadIndent)) {
        double indent = m_firstLineHeadIndent > kLargestPointIndent ? m_firstLineHeadIndent / kParagraphTwipsPerPoint
                                                                    : m_firstLineHeadIndent;
        css += firstLineIndentCSS(indent);
    }
    css += paginationCSS();
    if (css.empty())
        return std::nullopt;
    return css;
}

std::optional<double> TEParagraphStyle::ownLineHeight() const
{
    if (!(m_minimumLineHeight > 0) || !std::isfinite(m_minimumLineHeight))
        return std::nullopt;
    if (m_maximumLineHeight != 0 && m_maximumLineHeight != m_minimumLineHeight)
        return std::nullopt;
    return m_minimumLineHeight;
}

bool TEParagraphStyle::hasLeastLineHeight() const { return ownLineHeight() && m_maximumLineHeight == 0; }

std::string TEParagraphStyle::paginationCSS() const
{
    // Print honours them, and the page hands them back to the save.
    std::string css;
    if (m_keepWithNext)
        css += "break-after:avoid;";
    if (m_keepTogether)
        css += "break-inside:avoid;";
    // Two lines are what print keeps together anyway; said outright, the
    // page hands the paragraph's widow control back to the save.
    if (m_widowControl)
        css += "orphans:2;widows:2;";
    // A paragraph that says no to hyphenation keeps saying it on a page
    // whose text is hyphenated.
    if (m_noHyphenation)
        css += "-webkit-hyphens:manual;hyphens:manual;";
    return css;
}

std::string TEParagraphStyle::firstLineIndentCSS(double centimetres)
{
    // Documents measure indents in twips, and a hundredth of a centimetre is
    // nearly six of them: a thousandth brings back the twip that was read.
    // Hundredths that say it all are written as they always were.
    std::string number = formatFixed(centimetres, 3);
    if (number.ends_with('0'))
        number.pop_back();
    return "text-indent:" + number + "cm;";
}

bool TEParagraphStyle::isEqual(const TEParagraphStyle& other) const
{
    if (this == &other)
        return true;
    return m_firstLineHeadIndent == other.m_firstLineHeadIndent && m_defaultTabInterval == other.m_defaultTabInterval
        && m_paragraphSpacingBefore == other.m_paragraphSpacingBefore
        && m_paragraphSpacing == other.m_paragraphSpacing && m_paragraphLineSpacing == other.m_paragraphLineSpacing
        && m_headIndent == other.m_headIndent && m_tailIndent == other.m_tailIndent
        && m_lineHeightMultiple == other.m_lineHeightMultiple && m_minimumLineHeight == other.m_minimumLineHeight
        && m_maximumLineHeight == other.m_maximumLineHeight && m_alignment == other.m_alignment
        && m_baseWritingDirection == other.m_baseWritingDirection && m_keepWithNext == other.m_keepWithNext
        && m_keepTogether == other.m_keepTogether && m_widowControl == other.m_widowControl
        && m_outlineLevel == other.m_outlineLevel && m_noHyphenation == other.m_noHyphenation
        && m_contextualSpacing == other.m_contextualSpacing && m_tabStops == other.m_tabStops
        && equalArrays(m_textLists, other.m_textLists) && equalArrays(m_textBlocks, other.m_textBlocks);
}

void TEParagraphStyle::addToFormattingKey(TEFormattingKey& key) const
{
    addNumbersToFormattingKey(key);
    key.add(static_cast<std::uint64_t>(m_textLists.size()));
    for (const auto& list : m_textLists)
        key.addIdentity(list.get());
    key.add(static_cast<std::uint64_t>(m_textBlocks.size()));
    for (const auto& block : m_textBlocks)
        key.addIdentity(block.get());
}

void TEParagraphStyle::addSettingsToFormattingKey(TEFormattingKey& key) const
{
    addNumbersToFormattingKey(key);
    // The same bytes as a copy of the style without lists and blocks gives.
    key.add(std::uint64_t{0});
    key.add(std::uint64_t{0});
}

void TEParagraphStyle::addNumbersToFormattingKey(TEFormattingKey& key) const
{
    key.add(m_firstLineHeadIndent);
    key.add(m_defaultTabInterval);
    key.add(m_paragraphSpacingBefore);
    key.add(m_paragraphSpacing);
    key.add(m_paragraphLineSpacing);
    key.add(m_headIndent);
    key.add(m_tailIndent);
    key.add(m_lineHeightMultiple);
    key.add(m_minimumLineHeight);
    key.add(m_maximumLineHeight);
    key.add(m_alignment);
    key.add(m_baseWritingDirection);
    key.add(m_keepWithNext);
    key.add(m_keepTogether);
    key.add(m_widowControl);
    key.add(m_outlineLevel);
    key.add(m_noHyphenation);
    key.add(m_contextualSpacing);
    key.add(m_tabStops.has_value());
    if (m_tabStops) {
        key.add(static_cast<std::uint64_t>(m_tabStops->size()));
        for (const TextTab& tab : *m_tabStops) {
            key.add(tab.location);
            key.add(tab.alignment);
            key.add(tab.decimal);
            key.add(static_cast<std::uint32_t>(tab.leader));
        }
    }
}

} // namespace folio
