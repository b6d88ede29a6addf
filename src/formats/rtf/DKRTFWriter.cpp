#include "formats/rtf/DKRTFWriter.h"

#include "formats/rtf/DKRTFDocumentInfo.h"
#include "formats/rtf/DKRTFForeignHeaderFooter.h"
#include "formats/rtf/DKRTFReaderFontTable.h"
#include "formats/rtf/DKRTFSectionWords.h"

#include "engine/attachments/TETextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TESectionBreak.h"
#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/OneShotHeap.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionaryAccess.h"

#include <algorithm>
#include <new>
#include <set>
#include <stdexcept>
#include <utility>

namespace folio {

namespace {

constexpr float kWriterTwipsPerCentimetre = 566.96f;
constexpr double kWriterTwipsPerPoint = 20;
// The letter page width and height in centimetres: margins at or past them
// mean "no margin" rather than a negative one.
constexpr float kPaperWidthCentimetres = 21.59f;
constexpr float kPaperHeightCentimetres = 33.02f;

// Header and footer settings are written as their UTF-8 bytes, with only the
// characters that would end or open a group escaped, so that a "}" typed in a
// header cannot close the destination early.
void appendGroupText(DKRTFDataBuffer& buffer, std::u16string_view text)
{
    std::string bytes = toUtf8(text);
    for (char byte : bytes) {
        if (byte == '\\' || byte == '{' || byte == '}')
            buffer.appendByte('\\');
        buffer.appendByte(byte);
    }
}

// "\\word" and "\\word12" one after another, and nothing else: no group,
// no text, no space.
bool isControlWordsOnly(std::string_view words)
{
    auto isLetter = [](char c) { return c >= 'a' && c <= 'z'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t at = 0;
    while (at < words.size()) {
        if (words[at] != '\\' || at + 1 == words.size() || !isLetter(words[at + 1]))
            return false;
        for (++at; at < words.size() && isLetter(words[at]); ++at) {
        }
        for (; at < words.size() && isDigit(words[at]); ++at) {
        }
    }
    return !words.empty();
}

void appendMargin(DKRTFDataBuffer& buffer, const char* word, std::optional<float> twips)
{
    buffer.appendCString(word);
    if (twips)
        buffer.appendRoundedNumber(*twips);
    else
        buffer.appendCString("1440");
}

// The colour as RTF numbers it, red + green × 256 + blue × 65536. The text is
// cut into three equal parts; a part that is not hexadecimal counts 0.
std::uint64_t paperColorNumber(std::u16string_view color)
{
    std::size_t part = color.size() / 3;
    double red = static_cast<double>(DKRTFWriter::integerValueFromHex(color.substr(0, part)));
    double green = static_cast<double>(DKRTFWriter::integerValueFromHex(color.substr(part, part)));
    double blue = static_cast<double>(DKRTFWriter::integerValueFromHex(color.substr(2 * part, part)));
    return static_cast<std::uint64_t>(red + green * 256.0 + blue * 65536.0);
}

} // namespace

Result<std::string> DKRTFWriter::writeDocument(const AttributedString& text, const DKRTFDocumentSettings& settings,
                                               bool isRTFDDocument, std::string documentName)
{
    try {
        std::unique_ptr<DKRTFWriter> writer(new DKRTFWriter(BorrowedText{}, text, settings));
        writer->setIsRTFDDocument(isRTFDDocument);
        writer->setDocumentName(std::move(documentName));
        std::string rtf = writer->writeRTFData();
        // What the writer remembered per run and per set of attributes is
        // of no more use; a one-shot conversion keeps it to the end rather
        // than take it apart.
        dropWhenOneShotTaskEnds(std::move(writer));
        return rtf;
    } catch (const std::bad_alloc&) {
        return Error{kErrorDomain, OutOfMemoryError, "Unable to resize buffer"};
    } catch (const std::length_error&) {
        return Error{kErrorDomain, OutOfMemoryError, "Unable to resize buffer"};
    }
}

Result<std::string> DKRTFWriter::rtfDataForAttributedString(const AttributedString& text, bool isRTFDDocument,
                                                            std::string documentName, BlankDocument blank)
{
    return writeDocument(text, DKRTFDocumentSettings::fromFirstCharacter(text, blank), isRTFDDocument,
                         std::move(documentName));
}

DKRTFWriter::DKRTFWriter(const AttributedString& text, DKRTFDocumentSettings settings)
    : m_ownText(text)
    , m_attributedString(*m_ownText)
    , m_settings(std::move(settings))
{
}

DKRTFWriter::DKRTFWriter(BorrowedText, const AttributedString& text, DKRTFDocumentSettings settings)
    : m_attributedString(text)
    , m_settings(std::move(settings))
{
}

std::uint64_t DKRTFWriter::integerValueFromHex(std::u16string_view text)
{
    unsigned long long value = 0;
    if (scanHexadecimalInteger(text, 0, &value) == 0)
        return 0;
    return value;
}

std::string DKRTFWriter::writeRTFData()
{
    // Nearly every unit of the text is a byte of the file or more, and the
    // control words of a formatted page as many again: the room for them is
    // taken at once, not doubled up to, copying all that was written each
    // time (room never written to costs no memory).
    m_buffer.reserve(2 * m_attributedString.length() + 4096);
    prepareStyleSheet();
    if (m_settings.otherHeaderFooterForms)
        m_headerFooterForms = DKRTFHeaderFooterForms::fromSerialized(*m_settings.otherHeaderFooterForms);
    if (m_settings.fontNames) {
        for (const std::string& name : componentsSeparatedByString(std::string_view(*m_settings.fontNames), ";")) {
            if (!name.empty())
                m_documentFontNames.insert(name);
        }
        const std::string unnamed = toUtf8(DKRTFReaderFontTable::kUnnamedFontName);
        if (hasPrefix(std::string_view(*m_settings.fontNames), std::string_view(";")) && !documentNamedFont(unnamed))
            m_unnamedFontName = unnamed;
    }
    if (m_settings.scriptDefaults) {
        DKRTFScriptDefaults defaults = DKRTFScriptDefaults::fromSerialized(*m_settings.scriptDefaults);
        if (!defaults.isEmpty())
            m_scriptDefaults = std::move(defaults);
    }
    collectNoteForms();
    registerFonts();
    findCommentRanges();
    writeHeader();
    writeFontTable();
    writeColorTable();
    writeListTable();
    // The title, author and times the file came with; a new document has none.
    if (m_settings.documentInfo)
        DKRTFDocumentInfo::fromSerialized(*m_settings.documentInfo).write(m_buffer);
    if (m_settings.pageHeader) {
        m_buffer.appendCString("{\\*\\pageHeader ");
        appendGroupText(m_buffer, *m_settings.pageHeader);
        m_buffer.appendCString("}\n");
    }
    if (m_settings.pageFooter) {
        m_buffer.appendCString("{\\*\\pageFooter ");
        appendGroupText(m_buffer, *m_settings.pageFooter);
        m_buffer.appendCString("}\n");
    }
    writeHeadersAndFooters();
    if (m_settings.paperColor) {
        m_buffer.appendCString(
            "{\\*\\background {\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright0\\shpbottom0\\shpfhdr0\\shpbxmargin"
            "\\shpbymargin\\shpwr0\\shpwrk0\\shpfblwtxt1\\shpz0\\shplid1025{\\sp{\\sn shapeType}{\\sv 1}}"
            "{\\sp{\\sn fFlipH}{\\sv 0}}{\\sp{\\sn fFlipV}{\\sv 0}}{\\sp{\\sn fillColor}{\\sv ");
        m_buffer.appendCString(std::to_string(paperColorNumber(*m_settings.paperColor)));
        m_buffer.appendCString(
            "}}{\\sp{\\sn fFilled}{\\sv 1}}{\\sp{\\sn lineWidth}{\\sv 0}}{\\sp{\\sn fLine}{\\sv 0}}"
            "{\\sp{\\sn bWMode}{\\sv 9}}{\\sp{\\sn fBackground}{\\sv 1}}}}}\n");
    }
    writeBody();
    writeFieldAndBookmarkClosings();
    // A list marker that ends the text would otherwise leave its group open.
    if (m_state.isPrefixIndex == 1) {
        m_buffer.appendByte('}');
        m_state.isPrefixIndex = 0;
    }
    m_buffer.appendByte('}');
    return m_buffer.takeBytes();
}

void DKRTFWriter::writeHeader()
{
    const DKRTFDocumentSettings& settings = m_settings;
    // Single precision throughout, as documents have always been written.
    std::optional<float> left;
    std::optional<float> right;
    if (!((settings.leftMargin == 0 && settings.rightMargin == 0) || settings.isNewBlankDocument)) {
        left = settings.leftMargin * kWriterTwipsPerCentimetre;
        right = settings.rightMargin < kPaperWidthCentimetres
            ? (kPaperWidthCentimetres - settings.rightMargin) * kWriterTwipsPerCentimetre
            : 0.0f;
    }
    std::optional<float> top;
    std::optional<float> bottom;
    if (!(settings.topMargin == 0 && settings.bottomMargin == 0)) {
        top = settings.topMargin * kWriterTwipsPerCentimetre;
        bottom = settings.bottomMargin < kPaperHeightCentimetres ? settings.bottomMargin * kWriterTwipsPerCentimetre : 0.0f;
    }

    // Where the file gave the document a page of its own beside its first
    // section's, the header keeps the document's and the section words at
    // its end the first section's (the page's), so that every reader lays
    // the first pages out as the page shows them.
    const TESectionBreak::Settings documentWide = settings.documentWidePage
        ? TESectionBreak::settingsFromAttributeText(toUtf16(*settings.documentWidePage))
        : TESectionBreak::Settings{};
    const bool writesFirstSection = !(documentWide == TESectionBreak::Settings{});
    auto documentMargin = [&](std::optional<int> TESectionBreak::Settings::*side, std::optional<float> page) {
        const std::optional<int>& own = documentWide.*side;
        return own ? std::optional<float>(static_cast<float>(*own)) : page;
    };
    m_buffer.appendCString("{\\rtf1\\ansi\\ansicpg1252");
    // The fonts and languages the file gave complex-script and East Asian
    // text throughout, where word processors write them.
    if (m_scriptDefaults) {
        m_scriptDefaults->write(m_buffer, [this](const std::string& name) -> std::optional<int> {
            auto found = m_registeredFonts.find(name);
            return found == m_registeredFonts.end() ? std::nullopt : std::optional<int>(found->second);
        });
    }
    // The document's own paper, so that a Letter or custom page stays what
    // it was; A4 for a new document; none for a file that never gave one,
    // which other programs then show on their own default paper.
    if (documentWide.paperWidth && documentWide.paperHeight) {
        m_buffer.appendCString("\\paperw");
        m_buffer.appendInteger(*documentWide.paperWidth);
        m_buffer.appendCString("\\paperh");
        m_buffer.appendInteger(*documentWide.paperHeight);
    } else if (settings.paperSize) {
        m_buffer.appendCString("\\paperw");
        m_buffer.appendRoundedNumber(settings.paperSize->width * kWriterTwipsPerPoint);
        m_buffer.appendCString("\\paperh");
        m_buffer.appendRoundedNumber(settings.paperSize->height * kWriterTwipsPerPoint);
    } else if (!settings.unstatedPage.paper) {
        m_buffer.appendCString("\\paperw11900\\paperh16840");
    }
    struct Margin {
        const char* word;
        std::optional<int> TESectionBreak::Settings::*side;
        std::optional<float> page;
        bool unstated;
    };
    const DKRTFUnstatedPage& unstated = settings.unstatedPage;
    for (const Margin& margin : {Margin{"\\margl", &TESectionBreak::Settings::leftMargin, left, unstated.leftMargin},
                                 Margin{"\\margr", &TESectionBreak::Settings::rightMargin, right, unstated.rightMargin},
                                 Margin{"\\margt", &TESectionBreak::Settings::topMargin, top, unstated.topMargin},
                                 Margin{"\\margb", &TESectionBreak::Settings::bottomMargin, bottom, unstated.bottomMargin}}) {
        if (!margin.unstated || documentWide.*margin.side)
            appendMargin(m_buffer, margin.word, documentMargin(margin.side, margin.page));
    }
    // Pages bound as a book, which the page does not show, stay so.
    if (settings.gutter > 0) {
        m_buffer.appendCString("\\gutter");
        m_buffer.appendInteger(settings.gutter);
    }
    if (settings.mirroredMargins)
        m_buffer.appendCString("\\margmirror");
    // The tab width the file came with, so its tabs line up where they did.
    if (settings.defaultTabWidth > 0) {
        m_buffer.appendCString("\\deftab");
        m_buffer.appendInteger(settings.defaultTabWidth);
    }
    // The notes' placement and numbering, which the editor does not show. A
    // value that is not plain control words could open or close a group, so
    // it is left out rather than written into the header.
    if (settings.noteSettings && isControlWordsOnly(*settings.noteSettings))
        m_buffer.appendCString(*settings.noteSettings);
    if (settings.pageWords && isControlWordsOnly(*settings.pageWords))
        m_buffer.appendCString(*settings.pageWords);
    // Hyphenation goes back with the paragraphs that say no to it, which
    // their settings write.
    if (settings.autoHyphenation)
        m_buffer.appendCString("\\hyphauto1");
    if (settings.hyphenationZone) {
        m_buffer.appendCString("\\hyphhotz");
        m_buffer.appendInteger(*settings.hyphenationZone);
    }
    if (settings.hyphenationConsecutiveLines) {
        m_buffer.appendCString("\\hyphconsec");
        m_buffer.appendInteger(*settings.hyphenationConsecutiveLines);
    }
    if (settings.hyphenateCapitals)
        m_buffer.appendCString(*settings.hyphenateCapitals ? "\\hyphcaps" : "\\hyphcaps0");
    if (settings.bookmark) {
        m_buffer.appendCString("\\vieww10800\\viewh8400\\viewscale100\\lin0\\rin0\\xebookmark");
        m_buffer.appendCString(toUtf8(*settings.bookmark));
    } else {
        m_buffer.appendCString("\\vieww18540\\viewh17280\\viewscale100\\lin0\\rin0");
    }
    // The first section's words follow all of the document's.
    const TESectionBreak::Settings firstSection = settings.firstSection
        ? TESectionBreak::settingsFromAttributeText(toUtf16(*settings.firstSection))
        : TESectionBreak::Settings{};
    // Only how the section starts, its columns, turned paper and numbering: its page
    // is the one the page shows, written here or in the header.
    TESectionBreak::Settings firstSectionFlow;
    firstSectionFlow.start = firstSection.start;
    firstSectionFlow.columns = firstSection.columns;
    firstSectionFlow.columnSpacing = firstSection.columnSpacing;
    firstSectionFlow.landscape = firstSection.landscape;
    firstSectionFlow.pageNumberStart = firstSection.pageNumberStart;
    firstSectionFlow.restartsPageNumbers = firstSection.restartsPageNumbers;
    firstSectionFlow.pageNumberFormat = firstSection.pageNumberFormat;
    firstSectionFlow.lineNumberInterval = firstSection.lineNumberInterval;
    firstSectionFlow.lineNumberDistance = firstSection.lineNumberDistance;
    firstSectionFlow.lineNumberStart = firstSection.lineNumberStart;
    firstSectionFlow.lineNumbering = firstSection.lineNumbering;
    m_sectionInForce = firstSectionFlow;
    if (writesFirstSection || !(firstSectionFlow == TESectionBreak::Settings{}))
        m_buffer.appendCString("\\sectd");
    DKRTFSectionWords::append(m_buffer, firstSectionFlow);
    if (writesFirstSection) {
        if (settings.paperSize) {
            m_buffer.appendCString("\\pgwsxn");
            m_buffer.appendRoundedNumber(settings.paperSize->width * kWriterTwipsPerPoint);
            m_buffer.appendCString("\\pghsxn");
            m_buffer.appendRoundedNumber(settings.paperSize->height * kWriterTwipsPerPoint);
        }
        appendMargin(m_buffer, "\\marglsxn", left);
        appendMargin(m_buffer, "\\margrsxn", right);
        appendMargin(m_buffer, "\\margtsxn", top);
        appendMargin(m_buffer, "\\margbsxn", bottom);
    }
    m_buffer.appendByte('\n');

    if (settings.paperColor) {
        m_buffer.appendCString("{\\papercolor");
        m_buffer.appendCString(std::to_string(paperColorNumber(*settings.paperColor)));
        m_buffer.appendCString("}\n");
    }
}

void DKRTFWriter::writeBody()
{
    const std::u16string& text = m_attributedString.string();
    Range attributeRange{0, 0};
    bool beginningOfParagraph = true;
    bool inRow = false;
    bool runCarriesPicture = false;
    bool runIsPageBreak = false;
    bool runIsRule = false;
    // The side a line break of the run clears ("\\lbr"), 0 for none.
    std::int64_t runLineBreakClear = 0;
    // The rule the run starts with went out with its paragraph's settings.
    bool ruleWrittenWithParagraph = false;
    const TESectionBreak* runSectionBreak = nullptr;
    std::set<int> sectionsWritten;
    // A marker the page drew ("\t1)\t") is this program's own text, not
    // the level's: the group gets the marker the list table gives instead.
    bool runIsDrawnMarker = false;
    // Once for each group: the page's marker may come in several runs.
    bool drawnMarkerWritten = false;
    // The paragraph has had text beside its marker and placeholder.
    bool paragraphHasText = false;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (!inRow && beginningOfParagraph && isTableText(index)) {
            writeTableRowStart(index);
            inRow = true;
            // The row's paragraph settings follow its "\\pard".
            attributeRange = Range{0, 0};
        }
        if (index >= attributeRange.end()) {
            // Attributes are fetched once per longest stretch of equal runs.
            AttributeDictionaryPtr attributes = m_attributedString.attributesAtIndexLongestEffectiveRange(
                index, &attributeRange, Range{0, text.size()}, m_runCursor);
            const AttributeDictionary& runAttributes = attributes ? *attributes : *AttributeDictionary::empty();
            const CharacterFormatting& runFormatting = characterFormatting(runAttributes);
            AttributeDictionaryPtr itemText;
            if (beginningOfParagraph && runFormatting.listMarker) {
                // The item's text follows the whole marker, which the
                // document's first character may split in two runs.
                Range run = attributeRange;
                while (run.end() < text.size() && text[run.end() - 1] != u'\n') {
                    itemText = m_attributedString.attributesAtIndex(run.end(), &run);
                    if (!itemText || !characterFormatting(*itemText).listMarker)
                        break;
                }
                if (itemText && characterFormatting(*itemText).listMarker)
                    itemText = nullptr;
            }
            const std::size_t runEnd = std::min(attributeRange.end(), text.size());
            // The comment ranges a run is in are found by its place: a
            // carrier's marks go inside or outside them by its own, not by
            // that of the text before it.
            m_runLocation = index;
            const std::u16string_view runText = std::u16string_view(text).substr(index, runEnd - index);
            if (isMarkCarrierRun(runFormatting, runText) || isFormValueRun(runFormatting, runText)) {
                writeMarkCarriers(runAttributes, runFormatting, isFormValueRun(runFormatting, runText) ? 1 : runEnd - index);
                index = runEnd - 1;
                continue;
            }
            // The page gives a paragraph's end none of its text's fields or
            // bookmarks: one the text after it goes on with stays open.
            m_paragraphEndGoesOnWith = nullptr;
            if (attributeRange.length == 1 && text[index] == u'\n' && attributeRange.end() < text.size()) {
                AttributeDictionaryPtr next = m_attributedString.attributesAtIndex(attributeRange.end());
                if (next)
                    m_paragraphEndGoesOnWith = &characterFormatting(*next);
            }
            // The page gives an empty list item's marks (its languages,
            // its effects) to its placeholder only, which is no text of the
            // file: the item's paragraph end, which has none of its own,
            // goes on in them, as the file had it.
            if (text[index] == u'\n' && !beginningOfParagraph && !paragraphHasText
                && runFormatting.characterMarks == DKRTFCharacterMarks()) {
                CharacterFormatting itemEnd = runFormatting;
                itemEnd.characterMarks = m_state.characterMarks;
                writeAttributes(runAttributes, itemEnd, beginningOfParagraph, itemText.get());
            } else {
                writeAttributes(runAttributes, runFormatting, beginningOfParagraph, itemText.get());
            }
            runCarriesPicture = runFormatting.isPicture;
            runIsPageBreak = runFormatting.pageBreak;
            runIsRule = runFormatting.rule;
            runLineBreakClear = intForKey(runAttributes, TELineBreakClearAttribute, 0);
            ruleWrittenWithParagraph = runIsRule && beginningOfParagraph;
            runSectionBreak = runFormatting.sectionBreak;
            runIsDrawnMarker = m_state.isPrefixIndex == 1 && runFormatting.listMarker &&
                text[index] != u'\uFEFF';
            if (m_state.isPrefixIndex == 0)
                drawnMarkerWritten = false;
            if (runIsDrawnMarker && !std::exchange(drawnMarkerWritten, true)) {
                const std::u16string marker = nextMarkerText(runAttributes);
                if (!marker.empty())
                    m_buffer.appendByte(' ');
                for (char16_t markerUnit : marker)
                    m_buffer.appendEscapedCharacter(markerUnit);
            }
        }
        if (runIsDrawnMarker && text[index] != u'\n') {
            beginningOfParagraph = false;
            continue;
        }
        if (!inRow) {
            // Plain text to the end of the run goes out as it stands; only
            // the units that need escaping, or end a paragraph, are looked at
            // one by one below.
            const std::size_t runEnd = std::min(attributeRange.end(), text.size());
            const std::size_t plain =
                m_buffer.appendPlainPrefix(std::u16string_view(text).substr(index, runEnd - index));
            if (plain > 0) {
                beginningOfParagraph = false;
                paragraphHasText = true;
                index += plain - 1;
                continue;
            }
        }
        const char16_t unit = text[index];
        paragraphHasText = paragraphHasText || (unit != u'\uFEFF' && unit != u'\n');
        // A package picture's stand-in character is written with the picture.
        if (runCarriesPicture && unit == u'\u00AC')
            continue;
        // The page reads a page break as a line of its own; "\page", written
        // with its attributes, already ends the page, and the text after it
        // stays in its paragraph as the file had it.
        if (runIsPageBreak && unit == u'\n' && !inRow) {
            beginningOfParagraph = true;
            continue;
        }
        // A rule inside its paragraph (a drawn line in the text) goes where
        // it stands; the one a paragraph starts with was written with the
        // paragraph's settings, and the text after it writes its own, which
        // the rule does not carry.
        if (runIsRule && unit == u'\f') {
            if (!std::exchange(ruleWrittenWithParagraph, false))
                m_buffer.appendCString(kRuleGroup);
            continue;
        }
        // A paragraph end that is a rule (a rule element a page put inside
        // a paragraph's element) draws it at the end of the paragraph it
        // ends, where the page showed it.
        if (runIsRule && unit == u'\n' && !inRow && !std::exchange(ruleWrittenWithParagraph, false))
            m_buffer.appendCString(kRuleGroup);
        const TableMark mark = inRow ? tableMarkAt(index) : TableMark::None;
        if (mark == TableMark::CellEnd) {
            m_buffer.appendCString("\\cell ");
            beginningOfParagraph = false;
            continue;
        }
        if (mark == TableMark::RowEnd) {
            m_buffer.appendCString("\\cell\\row\n");
            inRow = false;
            beginningOfParagraph = true;
            if (!isTableText(index + 1)) {
                // The paragraph after the table is no table text.
                m_buffer.appendCString("\\pard\n");
                resetWrittenParagraphState();
            }
            continue;
        }
        // A marker read from a file stands in for text it does not hold.
        if (unit == u'\uFEFF' && m_state.isPrefixIndex == 1) {
            AttributeDictionaryPtr marker = m_attributedString.attributesAtIndex(index);
            const std::u16string text = nextMarkerText(marker ? *marker : *AttributeDictionary::empty());
            // The group's word ends before the text, which may begin with a digit.
            if (!text.empty())
                m_buffer.appendByte(' ');
            for (char16_t markerUnit : text)
                m_buffer.appendEscapedCharacter(markerUnit);
        }
        // A paragraph that ends a section ends with the break, which is
        // a paragraph end of its own, and the next section's page.
        const auto* sectionBreak =
            unit == u'\n' && !inRow ? runSectionBreak : nullptr;
        if (sectionBreak) {
            // An empty paragraph that ends a section ends as a paragraph
            // first: Word and LibreOffice read a break straight after a
            // paragraph's end as that paragraph's, and the empty line would
            // go. Read back, the break still belongs to the empty one.
            if (paragraphIsEmptyAt(index))
                m_buffer.appendCString("\\par");
            // A section like the one before goes on with its settings, as
            // LibreOffice's do: a "\sectd" would give it a default page.
            TESectionBreak::Settings flow = sectionBreak->settings();
            flow.fileSection.reset();
            if (flow == m_sectionInForce) {
                m_buffer.appendCString("\\sect\n");
            } else {
                m_buffer.appendCString("\\sect\\sectd");
                DKRTFSectionWords::append(m_buffer, sectionBreak->settings());
                m_buffer.appendByte('\n');
                m_sectionInForce = flow;
            }
            // A section keeps the headers it was read with, whatever breaks
            // before it were deleted or added; a break of Folio's own has
            // none, and a section's are written once.
            if (const std::optional<int>& section = sectionBreak->settings().fileSection;
                section && sectionsWritten.insert(*section).second)
                writeSectionHeadersAndFooters(*section);
        } else {
            if (unit == u'\u2028' && runLineBreakClear >= 1 && runLineBreakClear <= 3) {
                m_buffer.appendCString("\\lbr");
                m_buffer.appendInteger(static_cast<std::int32_t>(runLineBreakClear));
            }
            m_buffer.appendEscapedCharacter(unit);
        }
        // The text after a page break that starts a paragraph writes its
        // paragraph's own settings, which the break does not carry.
        beginningOfParagraph = unit == u'\n' || (beginningOfParagraph && runIsPageBreak && unit == u'\f');
        if (unit != u'\n')
            continue;
        paragraphHasText = false;
        // The paragraph after one that starts a page names its own settings,
        // also where its text goes on in the same run: only they end the break.
        if (m_state.pageBreakBefore == 1 && !inRow)
            attributeRange = Range{index + 1, 0};
        // Text read from other writers' lists has no list-end marker: the
        // paragraph after the list leaves it all the same.
        const bool listEnds = m_state.previousWasList == 1 ||
            (m_writtenList != 0 && isListText(index) && index + 1 < text.size() && !isListText(index + 1));
        if (listEnds) {
            // A reader of our files keeps the list's indents and spacing
            // past this "\pard", while Word and LibreOffice go back to none:
            // the next paragraph names its own, so that both read the same.
            // The stops, shading, lines and the list end with it for all.
            m_buffer.appendCString("\\pard\n");
            m_state.previousWasList = 0;
            forgetWrittenIndentsAndSpacing(true);
            m_state.paragraphStyle = DKRTFWriterState().paragraphStyle;
            m_state.tabStops.clear();
            m_state.paragraphShading.clear();
            m_state.paragraphBorders.clear();
            m_state.paragraphFrame.clear();
            m_state.keepWithNext = 0;
            m_state.keepTogether = 0;
            m_state.widowControl = 0;
            m_state.outlineLevel = 0;
            m_state.noHyphenation = 0;
            m_state.contextualSpacing = 0;
            m_writtenList = 0;
            m_enclosingLists.clear();
        }
    }
}

void DKRTFWriter::writeAttributesAtIndex(std::size_t index, bool beginningOfParagraph)
{
    if (index >= m_attributedString.length())
        return;
    AttributeDictionaryPtr attributes = m_attributedString.attributesAtIndex(index);
    m_runLocation = index;
    writeAttributes(attributes ? *attributes : *AttributeDictionary::empty(), beginningOfParagraph);
}

void DKRTFWriter::writeAttributes(const AttributeDictionary& attributes, bool beginningOfParagraph,
                                  const AttributeDictionary* itemText)
{
    writeAttributes(attributes, characterFormatting(attributes), beginningOfParagraph, itemText);
}

void DKRTFWriter::writeAttributes(const AttributeDictionary& attributes, const CharacterFormatting& formatting,
                                  bool beginningOfParagraph, const AttributeDictionary* itemText)
{
    const RangesOfRun ranges = writeFieldEnds(attributes, formatting, beginningOfParagraph, itemText);
    // LibreOffice gives a paragraph whose settings come after a bookmark
    // the spacing of the one before it: a paragraph's bookmarks begin after
    // its settings, at the same place in its text. A page break or a rule
    // is itself the paragraph's first character, so they stay before it.
    const bool rangesAfterSettings = beginningOfParagraph && !formatting.pageBreak &&
        !attributes.containsKey(TEHorizontalRuleStyleAttribute);
    if (!rangesAfterSettings)
        writeRangeMarks(ranges);
    if (beginningOfParagraph)
        writeParagraphAttributes(attributes, itemText);
    else if (formatting.pageBreak)
        // A page break inside a paragraph (Word's "text\page more").
        m_buffer.appendCString("\\page ");
    if (rangesAfterSettings)
        writeRangeMarks(ranges);
    writeFontAttributes(formatting);
}

} // namespace folio
