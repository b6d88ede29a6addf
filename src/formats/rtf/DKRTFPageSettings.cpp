#include "formats/rtf/DKRTFPageSettings.h"

#include "engine/model/TESectionBreak.h"
#include "formats/rtf/DKRTFUnstatedPage.h"
#include "platform/foundation/OFStringScanner.h"
#include "platform/foundation/Unicode.h"

#include <array>

namespace folio {

namespace {

constexpr float kPageTwipsPerCentimetre = 566.96f;
constexpr int kTwipsPerPoint = 20;
// Paper beyond this (in twips, over 5 metres) is no page anyone prints.
constexpr int kLargestPaperTwips = 20 * 72 * 200;
// No page has more lines than this in a row.
constexpr int kPageMostConsecutiveHyphens = 200;

} // namespace

void DKRTFPageSettings::setPageMargin(std::string_view key, int twips)
{
    m_numbers.insert_or_assign(std::string(key), static_cast<float>(twips) / kPageTwipsPerCentimetre);
}

void DKRTFPageSettings::setDocumentPageMargin(std::string_view key, int twips)
{
    m_documentMargins.insert_or_assign(std::string(key), twips);
    setPageMargin(key, twips);
}

void DKRTFPageSettings::setSectionPageMargin(std::string_view key, int twips)
{
    m_sectionMargins.emplace(std::string(key), twips);
}

void DKRTFPageSettings::setSectionPaperWidth(int twips)
{
    if (!m_sectionPaperWidth)
        m_sectionPaperWidth = twips;
}

void DKRTFPageSettings::setSectionPaperHeight(int twips)
{
    if (!m_sectionPaperHeight)
        m_sectionPaperHeight = twips;
}

void DKRTFPageSettings::setHyphenationZone(int twips)
{
    if (TESectionBreak::isUsableLength(twips))
        m_numbers.insert_or_assign(std::string(kHyphenationZoneKey), static_cast<float>(twips));
}

void DKRTFPageSettings::setHyphenationConsecutiveLines(int lines)
{
    if (lines >= 0 && lines <= kPageMostConsecutiveHyphens)
        m_numbers.insert_or_assign(std::string(kHyphenationConsecutiveLinesKey), static_cast<float>(lines));
}

void DKRTFPageSettings::setFirstSectionColumns(int columns)
{
    if (TESectionBreak::isUsableColumnCount(columns))
        m_firstSection.columns = columns;
}

void DKRTFPageSettings::setFirstSectionColumnSpacing(int twips)
{
    if (TESectionBreak::isUsableLength(twips))
        m_firstSection.columnSpacing = twips;
}

void DKRTFPageSettings::completeWithRTFDefaults(bool paperIsMeaningful)
{
    if (!(m_firstSection == TESectionBreak::Settings{}))
        m_texts.insert_or_assign(std::string(kFirstSectionKey), toUtf8(TESectionBreak(m_firstSection).attributeText()));
    m_paperIsMeaningful = paperIsMeaningful;
    TESectionBreak::Settings documentWide;
    struct Side {
        std::string_view key;
        int defaultTwips;
        std::optional<int> TESectionBreak::Settings::*documentWide;
        bool DKRTFUnstatedPage::*unstated;
    };
    static constexpr std::array kSides{
        Side{kPageMarginLeftKey, kDefaultSideMarginTwips, &TESectionBreak::Settings::leftMargin,
             &DKRTFUnstatedPage::leftMargin},
        Side{kPageMarginRightKey, kDefaultSideMarginTwips, &TESectionBreak::Settings::rightMargin,
             &DKRTFUnstatedPage::rightMargin},
        Side{kPageMarginTopKey, kDefaultTopBottomMarginTwips, &TESectionBreak::Settings::topMargin,
             &DKRTFUnstatedPage::topMargin},
        Side{kPageMarginBottomKey, kDefaultTopBottomMarginTwips, &TESectionBreak::Settings::bottomMargin,
             &DKRTFUnstatedPage::bottomMargin}};
    DKRTFUnstatedPage unstated;
    unstated.paper = !m_paperWidth && !m_paperHeight && !m_sectionPaperWidth && !m_sectionPaperHeight;
    for (const Side& side : kSides) {
        auto section = m_sectionMargins.find(side.key);
        auto document = m_documentMargins.find(side.key);
        if (section != m_sectionMargins.end()) {
            if (document != m_documentMargins.end() && document->second != section->second &&
                TESectionBreak::isUsableLength(document->second))
                documentWide.*side.documentWide = document->second;
            setPageMargin(side.key, section->second);
        } else if (!m_numbers.contains(side.key)) {
            setPageMargin(side.key, side.defaultTwips);
            unstated.*side.unstated = true;
        }
    }
    if (!unstated.isEmpty())
        m_texts.insert_or_assign(std::string(kUnstatedPageKey), unstated.text());
    // Beside a first section's paper the document's is its own, even where
    // it is the constant this program's files once always wrote.
    if (m_sectionPaperWidth && m_sectionPaperHeight && TESectionBreak::isUsablePaperLength(*m_sectionPaperWidth) &&
        TESectionBreak::isUsablePaperLength(*m_sectionPaperHeight) && m_paperWidth && m_paperHeight &&
        (*m_paperWidth != *m_sectionPaperWidth || *m_paperHeight != *m_sectionPaperHeight) &&
        TESectionBreak::isUsablePaperLength(*m_paperWidth) && TESectionBreak::isUsablePaperLength(*m_paperHeight)) {
        documentWide.paperWidth = m_paperWidth;
        documentWide.paperHeight = m_paperHeight;
    }
    if (!(documentWide == TESectionBreak::Settings{}))
        m_texts.insert_or_assign(std::string(kDocumentWidePageKey),
                                 toUtf8(TESectionBreak(documentWide).attributeText()));
}

std::optional<Size> DKRTFPageSettings::paperSize() const
{
    // A size of nothing, or of a poster, is no page to lay text out on.
    auto usable = [](const std::optional<int>& twips) { return twips && *twips >= 1440 && *twips <= kLargestPaperTwips; };
    auto points = [](int width, int height) {
        return Size{static_cast<double>(width) / kTwipsPerPoint, static_cast<double>(height) / kTwipsPerPoint};
    };
    // The first section's paper is the first pages'; the document's may be
    // its writer's constant.
    if (usable(m_sectionPaperWidth) && usable(m_sectionPaperHeight))
        return points(*m_sectionPaperWidth, *m_sectionPaperHeight);
    if (!m_paperIsMeaningful)
        return std::nullopt;
    std::optional<int> width = m_paperWidth ? m_paperWidth : m_sectionPaperWidth;
    std::optional<int> height = m_paperHeight ? m_paperHeight : m_sectionPaperHeight;
    if (!usable(width) || !usable(height))
        return std::nullopt;
    return points(*width, *height);
}

void DKRTFPageSettings::setParagraphSpacing(std::string_view key, int twips)
{
    // Every paragraph of a document may say its spacing: the key is made
    // once, and later paragraphs only change the number.
    const float points = static_cast<float>(twips / kTwipsPerPoint);
    if (auto found = m_numbers.find(key); found != m_numbers.end())
        found->second = points;
    else
        m_numbers.emplace(std::string(key), points);
}

void DKRTFPageSettings::setHeaderFooterControl(std::string_view key, const std::u16string& settings)
{
    m_texts.insert_or_assign(std::string(key), toUtf8(settings));
}

void DKRTFPageSettings::setForeignHeaderFooterControl(std::string_view key, const std::string& settings)
{
    m_texts.emplace(std::string(key), settings);
}

std::optional<float> DKRTFPageSettings::number(std::string_view key) const
{
    auto found = m_numbers.find(key);
    return found == m_numbers.end() ? std::nullopt : std::optional<float>(found->second);
}

std::optional<std::string> DKRTFPageSettings::text(std::string_view key) const
{
    auto found = m_texts.find(key);
    return found == m_texts.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::u16string DKRTFPageSettings::readHeaderFooterText(OFStringScanner& scanner)
{
    std::u16string text;
    while (!scanner.isAtEnd()) {
        char16_t character = scanner.peekCharacter();
        if (character == u'}')
            break;
        scanner.skipPeekedCharacter();
        if (character == u'\\' && !scanner.isAtEnd()) {
            char16_t escaped = scanner.peekCharacter();
            if (escaped == u'\\' || escaped == u'{' || escaped == u'}') {
                scanner.skipPeekedCharacter();
                text.push_back(escaped);
                continue;
            }
        }
        text.push_back(character);
    }
    return text;
}

} // namespace folio
