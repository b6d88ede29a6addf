#include "formats/rtf/DKRTFReader.h"

#include "engine/model/TEAttributeKeys.h"

#include <optional>
#include <string>
#include <utility>

namespace folio {

TESectionBreak::Settings* DKRTFReader::sectionAfterBreak()
{
    return m_sectionBreaks.empty() ? nullptr : &m_sectionBreaks.back().settings;
}

TESectionBreak::Settings& DKRTFReader::currentSection()
{
    TESectionBreak::Settings* section = sectionAfterBreak();
    return section ? *section : m_pageSettings.firstSection();
}

namespace {

// A section's own length, where it is one a page can have.
void setSectionLength(TESectionBreak::Settings& section, std::optional<int> TESectionBreak::Settings::*member,
                      int twips, bool (*isUsable)(int) = &TESectionBreak::isUsableLength)
{
    if (isUsable(twips))
        section.*member = twips;
}

} // namespace

void DKRTFReader::actionSectionBreak(int value)
{
    // A break in a table, a note or a header is no page of the document's.
    const bool breaksText = !state().discardText() && !state().inTable() && !m_inRow && !m_readsHeaderFooter;
    if (breaksText && m_atParagraphStart && m_lastParagraphEnd && *m_lastParagraphEnd + 1 == m_attributedString.length()) {
        m_sectionBreaks.push_back(SectionBreak{*m_lastParagraphEnd, settingsOfSectionBefore()});
        // A second break at once is a paragraph, and a section, of its own.
        m_lastParagraphEnd.reset();
        return;
    }
    actionNewParagraph(value);
    if (breaksText && m_attributedString.length() > 0)
        m_sectionBreaks.push_back(SectionBreak{m_attributedString.length() - 1, settingsOfSectionBefore()});
}

TESectionBreak::Settings DKRTFReader::settingsOfSectionBefore()
{
    // A section goes on as the one before it (LibreOffice's "\sbknone" once
    // for all its sections) until a "\sectd" says otherwise.
    TESectionBreak::Settings settings = m_sectionBreaks.empty() ? m_pageSettings.firstSection() : m_sectionBreaks.back().settings;
    settings.fileSection.reset();
    return settings;
}

void DKRTFReader::actionSectionDefaults(int)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        *section = TESectionBreak::Settings{};
}

void DKRTFReader::actionSectionStart(int start)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        section->start = static_cast<TESectionBreak::Start>(start);
    else
        m_pageSettings.setFirstSectionStart(static_cast<TESectionBreak::Start>(start));
}

void DKRTFReader::actionSectionLandscape(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        section->landscape = value != 0;
    else
        m_pageSettings.setFirstSectionLandscape(value != 0);
}

void DKRTFReader::actionSectionColumns(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        setSectionLength(*section, &TESectionBreak::Settings::columns, value, &TESectionBreak::isUsableColumnCount);
    else
        m_pageSettings.setFirstSectionColumns(value);
}

void DKRTFReader::actionSectionColumnSpacing(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        setSectionLength(*section, &TESectionBreak::Settings::columnSpacing, value);
    else
        m_pageSettings.setFirstSectionColumnSpacing(value);
}

void DKRTFReader::actionPageNumberStart(int value)
{
    setSectionLength(currentSection(), &TESectionBreak::Settings::pageNumberStart, value,
                     &TESectionBreak::isUsableNumberStart);
}

void DKRTFReader::actionPageNumbersRestart(int value) { currentSection().restartsPageNumbers = value != 0; }

void DKRTFReader::actionPageNumberFormat(int kind)
{
    std::optional<TESectionBreak::PageNumberFormat>& format = currentSection().pageNumberFormat;
    if (kind < 0)
        format.reset();
    else
        format = static_cast<TESectionBreak::PageNumberFormat>(kind);
}

void DKRTFReader::actionLineNumberInterval(int value)
{
    setSectionLength(currentSection(), &TESectionBreak::Settings::lineNumberInterval, value,
                     &TESectionBreak::isUsableLineNumberInterval);
}

void DKRTFReader::actionLineNumberDistance(int value)
{
    // Word writes "\linex0", the automatic distance, in every section.
    if (value > 0)
        setSectionLength(currentSection(), &TESectionBreak::Settings::lineNumberDistance, value);
}

void DKRTFReader::actionLineNumberStart(int value)
{
    setSectionLength(currentSection(), &TESectionBreak::Settings::lineNumberStart, value,
                     &TESectionBreak::isUsableNumberStart);
}

void DKRTFReader::actionLineNumbering(int kind)
{
    currentSection().lineNumbering = static_cast<TESectionBreak::LineNumbering>(kind);
}

void DKRTFReader::actionDocumentPageNumberStart(int value)
{
    if (TESectionBreak::isUsableNumberStart(value))
        m_pageSettings.addPageWord("\\pgnstart" + std::to_string(value));
}

void DKRTFReader::actionDocumentLineNumberStart(int value)
{
    if (TESectionBreak::isUsableNumberStart(value))
        m_pageSettings.addPageWord("\\linestart" + std::to_string(value));
}

void DKRTFReader::actionDocumentPageWord(int word)
{
    const std::string text(kPageWords.at(static_cast<std::size_t>(word)));
    // Said twice, it is still said once.
    if (m_pageSettings.text(DKRTFPageSettings::kPageWordsKey).value_or(std::string()).find(text) == std::string::npos)
        m_pageSettings.addPageWord(text);
}

void DKRTFReader::markSectionBreaks()
{
    const std::u16string& text = m_attributedString.string();
    // The headers and footers read after the n-th break are its section's.
    int fileSection = 0;
    for (const SectionBreak& sectionBreak : m_sectionBreaks) {
        ++fileSection;
        if (sectionBreak.paragraphEnd >= text.size())
            continue;
        const std::size_t newline = sectionBreak.paragraphEnd == 0
            ? std::u16string::npos
            : text.find_last_of(u'\n', sectionBreak.paragraphEnd - 1);
        const std::size_t start = newline == std::u16string::npos ? 0 : newline + 1;
        TESectionBreak::Settings settings = sectionBreak.settings;
        settings.fileSection = fileSection;
        m_attributedString.addAttribute(TESectionBreakAttribute, TESectionBreak::make(std::move(settings)),
                                        Range{start, sectionBreak.paragraphEnd + 1 - start});
    }
}

void DKRTFReader::actionSectionMarginLeft(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        return setSectionLength(*section, &TESectionBreak::Settings::leftMargin, value);
    if (TESectionBreak::isUsableLength(value))
        m_pageSettings.setSectionPageMargin(DKRTFPageSettings::kPageMarginLeftKey, value);
}

void DKRTFReader::actionSectionMarginRight(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        return setSectionLength(*section, &TESectionBreak::Settings::rightMargin, value);
    if (TESectionBreak::isUsableLength(value))
        m_pageSettings.setSectionPageMargin(DKRTFPageSettings::kPageMarginRightKey, value);
}

void DKRTFReader::actionSectionMarginTop(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        return setSectionLength(*section, &TESectionBreak::Settings::topMargin, value);
    if (TESectionBreak::isUsableLength(value))
        m_pageSettings.setSectionPageMargin(DKRTFPageSettings::kPageMarginTopKey, value);
}

void DKRTFReader::actionSectionMarginBottom(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        return setSectionLength(*section, &TESectionBreak::Settings::bottomMargin, value);
    if (TESectionBreak::isUsableLength(value))
        m_pageSettings.setSectionPageMargin(DKRTFPageSettings::kPageMarginBottomKey, value);
}

void DKRTFReader::actionSectionGutter(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        return setSectionLength(*section, &TESectionBreak::Settings::gutter, value);
    // No gutter is none at all.
    if (value > 0 && TESectionBreak::isUsableLength(value))
        m_pageSettings.setSectionGutter(value);
}

void DKRTFReader::actionSectionPaperWidth(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        return setSectionLength(*section, &TESectionBreak::Settings::paperWidth, value,
                                &TESectionBreak::isUsablePaperLength);
    m_pageSettings.setSectionPaperWidth(value);
}

void DKRTFReader::actionSectionPaperHeight(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        return setSectionLength(*section, &TESectionBreak::Settings::paperHeight, value,
                                &TESectionBreak::isUsablePaperLength);
    m_pageSettings.setSectionPaperHeight(value);
}

void DKRTFReader::actionHeaderDistance(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        return setSectionLength(*section, &TESectionBreak::Settings::headerDistance, value);
    m_headerDistance = value;
}

void DKRTFReader::actionFooterDistance(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak())
        return setSectionLength(*section, &TESectionBreak::Settings::footerDistance, value);
    m_footerDistance = value;
}

} // namespace folio
