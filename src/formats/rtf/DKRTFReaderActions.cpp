#include "formats/rtf/DKRTFReader.h"

#include "formats/rtf/DKRTFLegacyAnnotations.h"

// The control-word actions that change formatting, tables, lists, fonts,
// colours and destinations; the parsing loop and text handling are in
// DKRTFReader.cpp.

namespace folio {

// --- Character formatting ---------------------------------------------------

void DKRTFReader::actionFontNumber(int value)
{
    state().setFontNumber(value);
    state().setStringEncoding(m_fontTable.fontEncodingAtIndex(value));
}

void DKRTFReader::actionFontSize(int value)
{
    state().setFontSize(static_cast<double>(static_cast<float>(value) * 0.5f));
}

void DKRTFReader::actionFontMilliSize(int value) { state().setFontSize(value / 1000.0); }
void DKRTFReader::actionBold(int value) { state().setBold(value != 0); }
void DKRTFReader::actionItalic(int value) { state().setItalic(value != 0); }
void DKRTFReader::actionStrike(int value) { state().setStrike(value != 0); }
void DKRTFReader::actionForegroundColor(int value) { state().setForegroundColor(m_colorTable.colorAtIndex(value)); }
void DKRTFReader::actionBackgroundColor(int value) { state().setBackgroundColor(m_colorTable.colorAtIndex(value)); }

void DKRTFReader::actionSuperSubScript(int value)
{
    state().setSuperscriptCount(value == 0 ? 0 : state().superscriptCount() + value);
}

void DKRTFReader::actionUnderline(int value) { state().setUnderline(value != 0 ? 1 : 0); }
void DKRTFReader::actionUnderlineStyle(int value) { state().setUnderline(static_cast<unsigned>(value)); }

// --- Paragraph formatting ---------------------------------------------------

void DKRTFReader::actionParagraphDefault(int) { state().resetParagraphAttributes(); }
void DKRTFReader::actionParagraphAlign(int value) { state().mutableParagraph().alignment = static_cast<std::uint8_t>(value); }
void DKRTFReader::actionParagraphFirstLineIndent(int value) { state().mutableParagraph().firstLineIndent = value; }
void DKRTFReader::actionParagraphLeftIndent(int value) { state().mutableParagraph().leftIndent = value; }
void DKRTFReader::actionParagraphRightIndent(int value) { state().mutableParagraph().rightIndent = value; }
void DKRTFReader::actionParagraphLineSpacing(int value) { state().mutableParagraph().lineSpacing = value; }

void DKRTFReader::actionParagraphSpacing(int value)
{
    state().mutableParagraph().paragraphSpacing = value;
    m_pageSettings.setParagraphSpacing(DKRTFPageSettings::kParagraphSpacingKey, value);
}

void DKRTFReader::actionParagraphSpacingBefore(int value)
{
    state().mutableParagraph().paragraphSpacingBefore = value;
    m_pageSettings.setParagraphSpacing(DKRTFPageSettings::kParagraphSpacingBeforeKey, value);
}

void DKRTFReader::actionParagraphDirection(int value)
{
    state().mutableParagraph().baseWritingDirection = static_cast<std::int8_t>(value);
}

// --- Font, colour and list tables -------------------------------------------

void DKRTFReader::actionReadFontTable(int)
{
    if (m_readingTable)
        return;
    state().setAlternateDestination(std::make_shared<std::u16string>());
    m_readingTable = true;
    parseRTFGroup(SemicolonAction::AddFontTableEntry);
    m_readingTable = false;
}

void DKRTFReader::actionReadFontCharacterSet(int value) { state().setFontCharacterSet(value); }

void DKRTFReader::actionReadColorTable(int)
{
    if (m_readingTable)
        return;
    state().setDiscardText(true);
    m_colorTable.resetCurrentColor();
    m_readingTable = true;
    parseRTFGroup(SemicolonAction::AddColorTableEntry);
    m_readingTable = false;
}

void DKRTFReader::actionReadColorTableRedValue(int value) { m_colorTable.setRedComponent(value); }
void DKRTFReader::actionReadColorTableGreenValue(int value) { m_colorTable.setGreenComponent(value); }
void DKRTFReader::actionReadColorTableBlueValue(int value) { m_colorTable.setBlueComponent(value); }

std::size_t DKRTFReader::endOfCurrentGroup(std::size_t limit) const
{
    const std::u16string& text = m_scanner.string();
    const std::size_t start = m_scanner.scanLocation();
    const std::size_t end = limit < text.size() - std::min(start, text.size()) ? start + limit : text.size();
    std::size_t depth = 0;
    for (std::size_t position = start; position < end; ++position) {
        switch (text[position]) {
        case u'\\':
            ++position;
            break;
        case u'{':
            ++depth;
            break;
        case u'}':
            if (depth == 0)
                return position;
            --depth;
            break;
        default:
            break;
        }
    }
    return end;
}

void DKRTFReader::actionReadListTable(int)
{
    // A look-ahead: the table's groups are then read like any other text
    // (behind "\*", so none of it reaches the document). A list table
    // inside one already read is not read twice.
    const std::size_t start = m_scanner.scanLocation();
    if (start < m_listTableEnd)
        return;
    const std::size_t end = endOfCurrentGroup();
    m_listTableEnd = end;
    m_listTable.readListTypes(std::u16string_view(m_scanner.string()).substr(start, end - start));
}

void DKRTFReader::listOverrideTable(int)
{
    // The overrides repeat what the list table said. Skipping to the end of
    // the table's own group (not to the first "}}") keeps the braces of the
    // document balanced; the table's closing brace is left to close it.
    m_scanner.setScanLocation(endOfCurrentGroup());
}

void DKRTFReader::actionListID(int value) { state().setListID(static_cast<unsigned>(value)); }

void DKRTFReader::actionLevelList(int value)
{
    if (std::optional<unsigned> type = m_listTable.typeOfLevel(state().listID(), value)) {
        state().setListType(*type);
        state().setLevelList(value);
    }
}

void DKRTFReader::actionListPrefix(int value) { state().setListPrefix(static_cast<unsigned>(value)); }

// --- Pictures, notes, comments and links -------------------------------------

DKRTFObjectReader::ByteDecoder DKRTFReader::byteDecoder()
{
    return [this](std::string_view bytes) { return decodeBytes(bytes); };
}

void DKRTFReader::actionImageAttachment(int)
{
    m_pendingAttachment = nullptr;
    DKRTFObjectReader reader(m_scanner, endOfCurrentGroup());
    m_pendingAttachment = reader.readPicture();
    // Picture data is never text, whether or not it could be read.
    state().setDiscardText(true);
}

void DKRTFReader::actionScrivenerImageAttachment(int)
{
    m_pendingAttachment = nullptr;
    DKRTFObjectReader reader(m_scanner, endOfCurrentGroup());
    m_pendingAttachment = reader.readShapePicture();
}

void DKRTFReader::actionAttachment(int)
{
    m_pendingAttachment = nullptr;
    DKRTFObjectReader reader(m_scanner, endOfCurrentGroup());
    m_pendingAttachment = reader.readFileAttachment();
}

void DKRTFReader::actionFootnote(int)
{
    m_pendingAttachment = nullptr;
    DKRTFObjectReader reader(m_scanner, endOfCurrentGroup());
    m_pendingAttachment = reader.readFootnote(byteDecoder());
}

void DKRTFReader::actionAnnotation(int)
{
    m_pendingAttachment = nullptr;
    DKRTFObjectReader reader(m_scanner, endOfCurrentGroup());
    m_pendingAttachment = reader.readAnnotation(m_commentAuthor, byteDecoder());
}

void DKRTFReader::actionAnnotationAuthor(int)
{
    DKRTFObjectReader reader(m_scanner, endOfCurrentGroup());
    m_commentAuthor = reader.readGroupText(byteDecoder());
}

void DKRTFReader::actionFootnoteTable(int value)
{
    m_documentValues.footnoteTableMarker = value != 0 ? 1 : -1;
    // The text that follows in this group must show the new marker, even
    // though no formatting changed.
    state().invalidateAttributes();
}

void DKRTFReader::actionField(int) {}

void DKRTFReader::actionLink(int)
{
    DKRTFObjectReader reader(m_scanner, endOfCurrentGroup(kMaxFieldInstructionLength));
    if (std::optional<std::u16string> target = reader.readLinkTarget())
        m_documentValues.linkTarget = std::move(*target);
}

void DKRTFReader::actionTextLink(int value) { state().setLink(static_cast<unsigned>(value)); }

void DKRTFReader::actionMarquentAnnotations(int)
{
    std::optional<std::u16string> hex = m_scanner.readTokenFragmentWithDelimiterCharacter(u'\n');
    if (!m_documentName || !hex)
        return;
    // The file is a side matter: the document reads the same whether or
    // not it could be stored, and the failure is logged where it happens.
    (void)DKRTFLegacyAnnotations::store(*m_documentName, DKRTFObjectReader::hexStringToData(*hex));
}

// --- Page settings ----------------------------------------------------------

void DKRTFReader::actionPageMarginLeft(int value) { m_pageSettings.setPageMargin(DKRTFPageSettings::kPageMarginLeftKey, value); }
void DKRTFReader::actionPageMarginRight(int value) { m_pageSettings.setPageMargin(DKRTFPageSettings::kPageMarginRightKey, value); }
void DKRTFReader::actionPageMarginTop(int value) { m_pageSettings.setPageMargin(DKRTFPageSettings::kPageMarginTopKey, value); }
void DKRTFReader::actionPageMarginBottom(int value) { m_pageSettings.setPageMargin(DKRTFPageSettings::kPageMarginBottomKey, value); }

void DKRTFReader::actionPageHeader(int)
{
    m_pageSettings.setHeaderFooterControl(DKRTFPageSettings::kHeaderControlKey,
                                          DKRTFPageSettings::readHeaderFooterText(m_scanner));
}

void DKRTFReader::actionPageFooter(int)
{
    m_pageSettings.setHeaderFooterControl(DKRTFPageSettings::kFooterControlKey,
                                          DKRTFPageSettings::readHeaderFooterText(m_scanner));
}

void DKRTFReader::actionSkipDestination(int) { state().setDiscardText(true); }

} // namespace folio
