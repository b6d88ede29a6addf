#include "formats/rtf/DKRTFReader.h"

#include "formats/rtf/DKRTFForeignHeaderFooter.h"
#include "formats/rtf/DKRTFFormField.h"
#include "formats/rtf/DKRTFNoteForm.h"
#include "formats/rtf/DKRTFShapeGroup.h"
#include "formats/rtf/DKRTFKeywordTable.h"
#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/OFStringScanner.h"

#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEShapePlace.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <array>
#include <iterator>
#include <map>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

// The control-word actions that change formatting, tables, lists, fonts,
// colours and destinations; the parsing loop and text handling are in
// DKRTFReader.cpp.

namespace folio {

namespace {

bool isControlWordLetter(char16_t character)
{
    return (character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z');
}

bool isControlWordDigit(char16_t character) { return character >= u'0' && character <= u'9'; }

// Words of a style entry that Word writes (its style gallery, priorities,
// revision ids, hidden and locked styles) and LibreOffice does not.
bool isWordOnlyStyleWord(std::string_view name)
{
    static constexpr std::string_view kWords[] = {"sqformat", "spriority", "styrsid", "ssemihidden", "sunhideused", "slocked"};
    return std::find(std::begin(kWords), std::end(kWords), name) != std::end(kWords);
}

// Words of a style entry that Word wrote long before the ones above, and
// LibreOffice does not.
bool isOldWordStyleWord(std::string_view name) { return name == "additive" || name == "adjustright"; }

} // namespace

// --- Character formatting ---------------------------------------------------

void DKRTFReader::actionFontNumber(int value)
{
    state().setFontNumber(value);
    state().setStringEncoding(m_fontTable.fontEncodingAtIndex(value, m_documentEncoding));
}

void DKRTFReader::actionDefaultFont(int value)
{
    m_defaultFontNumber = value;
    m_fontTable.setDefaultFontNumber(value);
    actionFontNumber(value);
}

void DKRTFReader::actionPlain(int)
{
    state().resetCharacterAttributes(m_defaultFontNumber);
    if (m_formattingDefaults)
        state().replaceUnchangedCharacters(*m_resetFormatting, *m_formattingDefaults);
    state().setStringEncoding(m_fontTable.fontEncodingAtIndex(state().fontNumber(), m_documentEncoding));
}

void DKRTFReader::actionHidden(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.hidden = value != 0;
    keepCharacterMarks(marks);
}

void DKRTFReader::actionFontSize(int value)
{
    state().setFontSize(static_cast<double>(static_cast<float>(value) * 0.5f));
}

void DKRTFReader::actionFontMilliSize(int value) { state().setFontSize(value / 1000.0); }
void DKRTFReader::actionBold(int value) { state().setBold(value != 0); }
void DKRTFReader::actionItalic(int value) { state().setItalic(value != 0); }
void DKRTFReader::actionStrike(int value)
{
    state().setStrike(value != 0);
    // One strike-through at a time: a single line replaces a double one.
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.doubleStrike = false;
    keepCharacterMarks(marks);
}

void DKRTFReader::actionDoubleStrike(int value)
{
    // Ending a double line leaves a single one alone (TextEdit ends every
    // strike with both words).
    if (value == 0 && !state().characterMarks().doubleStrike)
        return;
    state().setStrike(value != 0);
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.doubleStrike = value != 0;
    keepCharacterMarks(marks);
}

void DKRTFReader::actionForegroundColor(int value) { state().setForegroundColor(m_colorTable.colorAtIndex(value)); }
void DKRTFReader::actionBackgroundColor(int value) { state().setBackgroundColor(m_colorTable.colorAtIndex(value)); }

// "\highlight0" ends a highlight rather than naming the table's first colour.
void DKRTFReader::actionHighlight(int value)
{
    state().setBackgroundColor(value == 0 ? nullptr : m_colorTable.colorAtIndex(value));
}

void DKRTFReader::actionSuperSubScript(int value)
{
    // Each word again raises (or lowers) further, as this program writes
    // its deeper levels; the other word turns the text the other way
    // rather than back to the baseline, as word processors take it.
    const int count = state().superscriptCount();
    const bool turns = (value > 0 && count < 0) || (value < 0 && count > 0);
    state().setSuperscriptCount(value == 0 ? 0 : turns ? value : count + value);
}

// A raised or lowered run keeps its size and its distance from the
// baseline; "\up0" and "\dn0" put it back on the baseline.
void DKRTFReader::actionRaise(int halfPoints)
{
    // Raised or lowered smaller is a superscript or subscript, which still
    // keeps its own distance for the save.
    if (std::exchange(m_raisedTextIsSmaller, false) && halfPoints != 0)
        state().setSuperscriptCount(halfPoints > 0 ? 1 : -1);
    else if (halfPoints == 0)
        state().setSuperscriptCount(0);
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.baselineShift = std::clamp(halfPoints, -TELargestBaselineShift, TELargestBaselineShift);
    keepCharacterMarks(marks);
}

// In hundredths of a percent of the text's size; 100 percent is no smaller.
void DKRTFReader::actionRaisedTextProportion(int value)
{
    constexpr int kWholeSize = 10000;
    m_raisedTextIsSmaller = value > 0 && value < kWholeSize;
}

void DKRTFReader::actionLower(int halfPoints) { actionRaise(halfPoints == INT_MIN ? INT_MAX : -halfPoints); }

// A page's worth of space between letters is as far as anyone spaces text.
constexpr int kLargestCharacterSpacing = 22 * 1440;

void DKRTFReader::actionExpandQuarterPoints(int quarterPoints)
{
    actionExpandTwips(std::clamp(quarterPoints, -kLargestCharacterSpacing / 5, kLargestCharacterSpacing / 5) * 5);
}

void DKRTFReader::actionExpandTwips(int twips)
{
    state().setCharacterSpacing(std::clamp(twips, -kLargestCharacterSpacing, kLargestCharacterSpacing));
}

void DKRTFReader::actionUnderline(int value) { state().setUnderline(value != 0 ? 1 : 0); }
void DKRTFReader::actionUnderlineStyle(int value) { state().setUnderline(static_cast<unsigned>(value)); }

// --- Paragraph formatting ---------------------------------------------------

void DKRTFReader::actionParagraphDefault(int)
{
    // NOTE: our own files write "\pard" after a list's last paragraph and
    // rely on the paragraph settings of the list surviving it.
    if (!m_writtenByCocoa && state().listID() != 0 && m_listTable.keepsFormattingAtParagraphReset(state().listID())) {
        state().setListID(0);
        state().setInTable(false);
        // Tab stops were never part of what survives: a writer that wants
        // the next paragraph without them has no other way to say so.
        state().mutableParagraph().tabs.clear();
        // Nor were the keeps, widow control, the outline level, a refusal
        // of hyphenation, shading and lines around the paragraph, which our
        // files write only where they hold.
        state().mutableParagraph().shading = {};
        state().mutableParagraph().borders = {};
        state().mutableParagraph().keepWithNext = false;
        state().mutableParagraph().keepTogether = false;
        state().mutableParagraph().widowControl = false;
        state().mutableParagraph().outlineLevel = 0;
        state().mutableParagraph().noHyphenation = false;
        state().mutableParagraph().contextualSpacing = false;
        return;
    }
    state().resetParagraphAttributes();
    if (m_formattingDefaults)
        state().replaceUnchangedParagraph(*m_resetFormatting, *m_formattingDefaults);
}

void DKRTFReader::actionFormattingDefaults(int paragraph)
{
    // "{\*\defchp \fs22\lang1033}{\*\defpap \sa160\sl259\slmult1}"; the
    // groups are never text.
    const std::size_t end = endOfCurrentGroup();
    (paragraph ? m_defaultParagraphWords : m_defaultCharacterWords) =
        formattingWords(m_bytes.substr(m_location, end - m_location));
    m_location = end;
    // The words are run in a group of their own, so that they reach neither
    // the text nor the spacing the page settings keep.
    const std::optional<int> spacing = m_lastParagraphSpacing;
    const std::optional<int> spacingBefore = m_lastParagraphSpacingBefore;
    m_states.push();
    state().resetParagraphAttributes();
    state().resetCharacterAttributes(m_defaultFontNumber);
    m_resetFormatting = state().copy();
    performControlWords(m_defaultCharacterWords);
    performControlWords(m_defaultParagraphWords);
    std::unique_ptr<DKRTFReaderState> previousDefaults = std::exchange(m_formattingDefaults, state().copy());
    m_states.pop();
    m_lastParagraphSpacing = spacing;
    m_lastParagraphSpacingBefore = spacingBefore;
    // The text before any "\pard" or "\plain" has them too.
    DKRTFReaderState& text = m_states.enclosing();
    const DKRTFReaderState& from = previousDefaults ? *previousDefaults : *m_resetFormatting;
    text.replaceUnchangedParagraph(from, *m_formattingDefaults);
    text.replaceUnchangedCharacters(from, *m_formattingDefaults);
    text.setStringEncoding(m_fontTable.fontEncodingAtIndex(text.fontNumber(), m_documentEncoding));
    state().skipGroup();
}

void DKRTFReader::actionCocoaVersion(int) { m_writtenByCocoa = true; }

void DKRTFReader::actionGenerator(int)
{
    // "{\*\generator Microsoft Word 16.0;}"; the group is never text.
    state().skipGroup();
    const std::u16string name = m_source.text(m_location, endOfCurrentGroup());
    const std::size_t start = name.find_first_not_of(u" \r\n\t");
    if (start == std::u16string::npos)
        return;
    if (std::u16string_view(name).substr(start).starts_with(u"Microsoft Word"))
        m_generatorIsWord = true;
    else
        m_generatorIsOther = true;
}

void DKRTFReader::actionParagraphStyle(int value) { performStyle(value); }

void DKRTFReader::actionCharacterStyle(int value)
{
    state().setCharacterStyleNumber(value);
    performStyle(value);
}

void DKRTFReader::actionParagraphStyleNumber(int value)
{
    if (state().paragraph().styleNumber != value)
        state().mutableParagraph().styleNumber = value;
    // Word's entry holds the style whole, defaults included: what it leaves
    // out, the style does not have, whatever the document's defaults say.
    if (m_formattingDefaults && styleEntriesAreWhole() && m_paragraphStyles.contains(value)) {
        state().replaceUnchangedParagraph(*m_formattingDefaults, *m_resetFormatting);
        state().replaceUnchangedCharacters(*m_formattingDefaults, *m_resetFormatting);
        state().setStringEncoding(m_fontTable.fontEncodingAtIndex(state().fontNumber(), m_documentEncoding));
    }
    performStyle(value, !styleEntriesAreWhole() && !m_generatorIsOther);
}

void DKRTFReader::performStyle(int number, bool characters)
{
    // A document names its styles at every paragraph: each style's words,
    // with those of the styles it is based on, are gathered once.
    const ResolvedStyleKey key{number, characters, styleEntriesAreWhole()};
    auto resolved = m_resolvedStyles.find(key);
    if (resolved == m_resolvedStyles.end()) {
        std::vector<StyleWord> words;
        gatherStyleWords(number, 0, characters, std::get<2>(key), words);
        resolved = m_resolvedStyles.emplace(key, std::move(words)).first;
    }
    for (const StyleWord& word : resolved->second)
        handleKeyword(word.keyword, word.parameter ? &*word.parameter : nullptr);
}

void DKRTFReader::gatherStyleWords(int number, int depth, bool characters, bool entriesAreWhole,
                                   std::vector<StyleWord>& words) const
{
    // A bound on "\sbasedon" chains, which may loop in a damaged file.
    if (depth > 8)
        return;
    auto style = m_paragraphStyles.find(number);
    if (style == m_paragraphStyles.end())
        return;
    if (auto base = m_styleBases.find(number); base != m_styleBases.end() && !entriesAreWhole)
        gatherStyleWords(base->second, depth + 1, characters, entriesAreWhole, words);
    for (const StyleWord& word : style->second) {
        // LibreOffice reads a run's face, size, underline, colours and font
        // as the text states them after a style's number, whoever wrote the
        // file: a heading set plain after "\plain" prints plain though its
        // style is bold, and a character style's own of those shows only
        // where the run restates it. What the style takes from the one it is
        // based on still shows, all but the font, which every run names.
        if (word.restated && (depth == 0 || word.font))
            continue;
        // So too a paragraph's spacing before and after and its indents,
        // though its alignment and line spacing show: a paragraph that names
        // a spaced style and no spacing prints unspaced. Word states them in
        // full at every paragraph, and its whole entries are read as before.
        if (word.spacing && depth == 0 && !entriesAreWhole)
            continue;
        if (word.character && !word.restated && !characters)
            continue;
        words.push_back(word);
    }
}
void DKRTFReader::actionParagraphAlign(int value) { state().mutableParagraph().alignment = static_cast<std::uint8_t>(value); }
void DKRTFReader::actionParagraphFirstLineIndent(int value) { state().mutableParagraph().firstLineIndent = value; }
void DKRTFReader::actionParagraphLeftIndent(int value) { state().mutableParagraph().leftIndent = value; }
void DKRTFReader::actionParagraphRightIndent(int value) { state().mutableParagraph().rightIndent = value; }
void DKRTFReader::actionTabKind(int kind) { state().mutableParagraph().pendingTab.kind = static_cast<std::uint8_t>(kind); }
void DKRTFReader::actionTabLeader(int leader) { state().mutableParagraph().pendingTab.leader = static_cast<char16_t>(leader); }

void DKRTFReader::actionTabStop(int position)
{
    DKRTFReaderState::Paragraph& paragraph = state().mutableParagraph();
    // A file may repeat its stops for every paragraph; a paragraph has at
    // most a few dozen of its own.
    // A stop named again where one already is replaces it: LibreOffice
    // names a list item's stops both before and after its marker.
    paragraph.pendingTab.position = position;
    auto same = std::find_if(paragraph.tabs.begin(), paragraph.tabs.end(),
                             [position](const auto& stop) { return stop.position == position; });
    if (position > 0 && same != paragraph.tabs.end())
        *same = paragraph.pendingTab;
    else if (position > 0 && paragraph.tabs.size() < 64)
        paragraph.tabs.push_back(paragraph.pendingTab);
    paragraph.pendingTab = {};
}
void DKRTFReader::actionParagraphLineSpacing(int value) { state().mutableParagraph().lineSpacing = value; }

void DKRTFReader::actionParagraphLineSpacingMultiple(int value)
{
    state().mutableParagraph().lineSpacingIsMultiple = value != 0;
}

void DKRTFReader::actionParagraphSpacing(int value)
{
    state().mutableParagraph().paragraphSpacing = value;
    m_lastParagraphSpacing = value;
}

void DKRTFReader::actionParagraphSpacingBefore(int value)
{
    state().mutableParagraph().paragraphSpacingBefore = value;
    m_lastParagraphSpacingBefore = value;
}

// Word's automatic spacing ("\sb100\sbauto1", as it keeps paragraphs that
// came from a web page) is 14 points, whatever the twips beside it say.
constexpr int kAutomaticParagraphSpacing = 280;

void DKRTFReader::actionParagraphSpacingAuto(int value)
{
    if (value != 0)
        actionParagraphSpacing(kAutomaticParagraphSpacing);
}

void DKRTFReader::actionParagraphSpacingBeforeAuto(int value)
{
    if (value != 0)
        actionParagraphSpacingBefore(kAutomaticParagraphSpacing);
}

void DKRTFReader::actionParagraphKeepWithNext(int value)
{
    state().mutableParagraph().keepWithNext = value != 0;
}

void DKRTFReader::actionParagraphKeepTogether(int value)
{
    state().mutableParagraph().keepTogether = value != 0;
}

void DKRTFReader::actionParagraphWidowControl(int value)
{
    state().mutableParagraph().widowControl = value != 0;
}

void DKRTFReader::actionParagraphOutlineLevel(int value)
{
    // Nine levels; "\outlinelevel9" is body text, and so is any other number.
    state().mutableParagraph().outlineLevel = static_cast<std::int8_t>(value >= 0 && value <= 8 ? value + 1 : 0);
}

void DKRTFReader::actionParagraphHyphenation(int value)
{
    state().mutableParagraph().noHyphenation = value == 0;
}

void DKRTFReader::actionParagraphContextualSpacing(int value)
{
    state().mutableParagraph().contextualSpacing = value != 0;
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
    m_tableGroups += u"{\\fonttbl" + m_source.text(m_location, endOfCurrentGroup()) + u"}";
    m_readingTable = true;
    parseRTFGroup(SemicolonAction::AddFontTableEntry);
    m_readingTable = false;
}

void DKRTFReader::actionReadFontCharacterSet(int value)
{
    state().setFontCharacterSet(value);
    // A font's name is written in its own character set: a Japanese name
    // in a Western document is Shift-JIS bytes.
    if (state().alternateDestination() && value != 0 && value != 1)
        state().setStringEncoding(DKRTFReaderFontTable::fontEncoding(value));
}

void DKRTFReader::actionFontFamilyClass(int familyClass)
{
    if (state().alternateDestination())
        m_fontFamilyClass = static_cast<DKRTFFontFamilyClass>(familyClass);
}

void DKRTFReader::actionFontAlternative(int)
{
    // Only an entry of the font table has an alternative; elsewhere the
    // group is skipped as any destination this reader does not know.
    if (!state().alternateDestination() || !m_readingTable) {
        state().skipGroup();
        return;
    }
    // The group's words are its own destination's, kept apart from the
    // entry's name.
    m_fontAlternative = std::make_shared<std::u16string>();
    state().setAlternateDestination(m_fontAlternative);
    state().setDiscardText(m_discardedBeforeStar);
    m_destinationRunGoesOn = false;
}

void DKRTFReader::actionReadColorTable(int)
{
    if (m_readingTable)
        return;
    state().setDiscardText(true);
    m_tableGroups += u"{\\colortbl" + m_source.text(m_location, endOfCurrentGroup()) + u"}";
    m_colorTable.resetCurrentColor();
    m_readingTable = true;
    parseRTFGroup(SemicolonAction::AddColorTableEntry);
    m_readingTable = false;
}

void DKRTFReader::actionReadColorTableRedValue(int value) { m_colorTable.setRedComponent(value); }
void DKRTFReader::actionReadColorTableGreenValue(int value) { m_colorTable.setGreenComponent(value); }
void DKRTFReader::actionReadColorTableBlueValue(int value) { m_colorTable.setBlueComponent(value); }

void DKRTFReader::actionReadListTable(int)
{
    // A look-ahead: the table is read on its own. A list table inside one
    // already read is not read twice.
    const std::size_t start = m_location;
    if (start < m_listTableEnd)
        return;
    const std::size_t end = endOfCurrentGroup();
    m_listTableEnd = end;
    // A symbol font's letters are other signs (Wingdings' "v" is a
    // diamond), which the list's type draws: such a font names no bullet.
    m_listTable.readListTypes(m_source.text(start, end), m_documentEncoding, [this](int number) {
        const std::u16string name = m_fontTable.hasEntry(number) ? m_fontTable.fontNameAtIndex(number) : std::u16string();
        for (std::u16string_view symbols : {u"Symbol", u"Wingdings", u"Webdings", u"Dingbats"})
            if (name.find(symbols) != std::u16string::npos)
                return std::u16string();
        return name;
    });
    // Behind "\*" none of the rest of the group reaches the document, and
    // its words act only on the group's own state: the reading goes on at
    // its end, as after the override table (a word processor writes every
    // level of every list, which can be a good part of its file). The
    // closing brace is left to close the group. Elsewhere the group is read
    // on like any other text.
    if (state().discardText())
        m_location = end;
}

void DKRTFReader::listOverrideTable(int)
{
    const std::size_t end = endOfCurrentGroup();
    m_listTable.readOverrides(m_source.text(m_location, end));
    // The overrides repeat what the list table said. Skipping to the end of
    // the table's own group (not to the first "}}") keeps the braces of the
    // document balanced; the table's closing brace is left to close it.
    m_location = end;
}

void DKRTFReader::actionListID(int value)
{
    // "\ls" names an override; our own files number lists and overrides
    // alike, so the override of a list without an override table is itself.
    unsigned listID = m_listTable.listForOverride(value);
    // A file without a list table numbers its items with "\pn" alone: a
    // list the table does not have leaves the item in that one.
    if (listID > m_listTable.count() && state().listID() != 0)
        listID = state().listID();
    state().setListID(listID);
    // The item is at the level "\ilvl" named, before or after this word; a
    // paragraph that named none (or one the list does not have) is at the
    // first level.
    int level = state().namedLevel();
    std::optional<unsigned> type = m_listTable.typeOfLevel(listID, level);
    if (!type) {
        level = 0;
        type = m_listTable.typeOfLevel(listID, 0);
    }
    if (type) {
        state().setListType(*type);
        state().setLevelList(level);
    }
}

void DKRTFReader::actionLevelList(int value)
{
    state().setNamedLevel(value);
    if (std::optional<unsigned> type = m_listTable.typeOfLevel(state().listID(), value)) {
        state().setListType(*type);
        state().setLevelList(value);
    }
}

void DKRTFReader::actionListPrefix(int value)
{
    state().setListPrefix(static_cast<unsigned>(value));
    // An item whose label is empty is an item all the same.
    if (value != 0)
        m_pendingListPrefix = true;
}

// --- Pictures, notes, comments and links -------------------------------------

DKRTFObjectReader::ByteDecoder DKRTFReader::byteDecoder()
{
    return [this](std::string_view bytes) { return decodeBytes(bytes); };
}

template<typename Read>
auto DKRTFReader::readObject(Read read)
{
    // The object reader reads the group as text, its closing brace
    // included, and says how many units of it the construct took.
    const std::size_t start = m_location;
    const std::size_t groupEnd = endOfCurrentGroup();
    const bool closed = groupEnd < m_bytes.size();
    const std::u16string group = m_source.text(start, closed ? groupEnd + 1 : groupEnd);
    const std::size_t groupEndUnit = closed ? group.size() - 1 : group.size();
    const bool unitPerByte = group.size() == std::min(groupEnd + 1, m_bytes.size()) - start;
    DKRTFObjectReader reader(group, groupEndUnit);
    auto result = read(reader);
    m_location = unitPerByte ? start + reader.endOfRead() : m_source.advancedByUnits(start, reader.endOfRead());
    return result;
}

void DKRTFReader::actionImageAttachment(int)
{
    m_pendingAttachment = nullptr;
    m_pendingPictureOwnsBlank = false;
    m_pendingPictureOwnsBlank = readObject([this](DKRTFObjectReader& reader) {
        TETextAttachmentPtr picture = reader.readPicture();
        if (picture && state().shapeWrapsText() && picture->wrapAlignment() == TEWrapAlignment::None)
            picture->setWrapAlignment(state().shapeStandsRight() ? TEWrapAlignment::Right : TEWrapAlignment::Left);
        if (picture && !state().shapePlace().empty()) {
            StringMapValue::Map attributes = picture->attributes();
            attributes[TEShapePlace::kAttributeKey] = toUtf16(state().shapePlace());
            picture->setAttributes(std::move(attributes));
        }
        m_pendingAttachment = picture;
        m_groupPicture = state().shapeGroup() ? picture : nullptr;
        return m_pendingAttachment && reader.readOwnPictureForm();
    });
    // Files of ours written before closed the picture with "} }", whose
    // blank was the form's; now the groups close together ("}}") and a
    // blank after them is the text's own.
    if (m_pendingPictureOwnsBlank)
        m_pendingPictureOwnsBlank = byteAt(m_location) == '}' && byteAt(m_location + 1) == ' ';
    // Picture data is never text, whether or not it could be read.
    state().setDiscardText(true);
}

void DKRTFReader::actionScrivenerImageAttachment(int)
{
    m_pendingAttachment = nullptr;
    m_pendingPictureOwnsBlank = false;
    m_pendingAttachment = readObject([](DKRTFObjectReader& reader) { return reader.readShapePicture(); });
}

void DKRTFReader::actionAttachment(int)
{
    m_pendingAttachment = nullptr;
    m_pendingPictureOwnsBlank = false;
    m_pendingAttachment = readObject([](DKRTFObjectReader& reader) { return reader.readFileAttachment(); });
}

void DKRTFReader::actionFootnote(int)
{
    m_pendingAttachment = nullptr;
    m_pendingPictureOwnsBlank = false;
    auto styleName = [this](int number) -> const std::u16string* {
        auto name = m_documentValues.paragraphStyleNames.find(number);
        const auto* value = name == m_documentValues.paragraphStyleNames.end() ? nullptr : name->second->as<StringValue>();
        return value ? &value->value() : nullptr;
    };
    const std::size_t start = m_location;
    const std::size_t groupEnd = endOfCurrentGroup();
    TETextAttachmentPtr note =
        readObject([&](DKRTFObjectReader& reader) { return reader.readFootnote(byteDecoder(), styleName); });
    keepNoteForm(note, start, groupEnd);
    m_pendingAttachment = note;
}

void DKRTFReader::actionAnnotation(int)
{
    m_pendingAttachment = nullptr;
    m_pendingPictureOwnsBlank = false;
    const std::size_t before = m_location;
    TETextAttachmentPtr note = readObject(
        [this](DKRTFObjectReader& reader) { return reader.readAnnotation(m_commentAuthor, byteDecoder()); });
    // The comment is the annotation group read; its content follows its word.
    const std::size_t open = m_bytes.find('{', before);
    if (note && open < m_location && byteAt(m_location - 1) == '}') {
        const std::string_view bytes = m_bytes;
        std::size_t start = open + 1;
        if (bytes.substr(start).starts_with("\\*"))
            start += 2;
        if (bytes.substr(start).starts_with("\\annotation")) {
            start += 11;
            if (byteAt(start) == ' ')
                ++start;
            keepNoteForm(note, start, m_location - 1);
        }
    }
    m_pendingAttachment = note;
}

void DKRTFReader::keepNoteForm(const TETextAttachmentPtr& note, std::size_t start, std::size_t end)
{
    const std::u16string* text = note ? note->contentsString() : nullptr;
    if (!text || end <= start || m_readsHeaderFooter || !m_keepsNoteForms)
        return;
    std::string_view content = std::string_view(m_bytes).substr(start, end - start);
    // A group the file never closed is not written back: its braces would
    // break the file it went into.
    if (end >= m_bytes.size() || !DKRTFNoteForm::isBalanced(content) || DKRTFNoteForm::isOwnForm(content))
        return;
    // A comment's reference names its range by a number that each save
    // gives anew (the note keeps the range itself), so it is written apart.
    std::string withoutReference;
    if (const std::size_t reference = content.find("{\\*\\atnref"); reference != std::string_view::npos) {
        std::size_t close = reference;
        while (close < content.size() && content[close] != '}')
            close += content[close] == '\\' ? 2 : 1;
        withoutReference = std::string(content.substr(0, reference));
        if (close + 1 < content.size())
            withoutReference += content.substr(close + 1);
        content = withoutReference;
    }
    DKRTFNoteForm form(*text);
    form.setContent(keptGroupContent(content, form));
    StringMapValue::Map attributes = note->attributes();
    attributes[TEObjectTextAttachment::kKeptFormKey] = toUtf16(form.serialized());
    note->setAttributes(std::move(attributes));
}

void DKRTFReader::actionAnnotationAuthor(int)
{
    m_commentAuthor = readObject([this](DKRTFObjectReader& reader) { return reader.readGroupText(byteDecoder()); });
}

void DKRTFReader::actionFootnoteTable(int value)
{
    m_documentValues.footnoteTableMarker = value != 0 ? 1 : -1;
    // The text that follows in this group must show the new marker, even
    // though no formatting changed.
    state().invalidateAttributes();
}

void DKRTFReader::actionField(int)
{
    // A field's result is a link only when its own instruction says so.
    m_documentValues.linkTarget.clear();
    m_documentValues.fieldInstruction.clear();
    m_openFields.push_back(OpenField{m_states.depth(), m_attributedString.length(), {}});
}

void DKRTFReader::actionLink(int)
{
    std::u16string instruction =
        readObject([this](DKRTFObjectReader& reader) { return reader.readFieldInstruction(byteDecoder()); });
    std::optional<std::u16string> target = DKRTFObjectReader::linkTarget(DKRTFFormField::text(instruction));
    m_documentValues.linkTarget = target.value_or(std::u16string());
    // A hyperlink is kept as the link itself; any other field keeps its
    // instruction, or saving would freeze a date or a table of contents
    // into the text it last showed. Lines part nested instructions.
    std::replace(instruction.begin(), instruction.end(), u'\n', u' ');
    m_documentValues.fieldInstruction = target ? std::u16string() : std::move(instruction);
    if (!m_openFields.empty())
        m_openFields.back().instruction = m_documentValues.fieldInstruction;
}

void DKRTFReader::actionTextLink(int value)
{
    state().setLink(static_cast<unsigned>(value));
    std::u16string instruction = std::exchange(m_documentValues.fieldInstruction, std::u16string());
    if (!instruction.empty()) {
        const std::u16string& outer = state().fieldInstructions();
        state().setFieldInstructions(outer.empty() ? std::move(instruction) : outer + u"\n" + instruction);
    }
}

void DKRTFReader::actionBookmarkStart(int)
{
    std::u16string name = readObject([this](DKRTFObjectReader& reader) { return reader.readGroupText(byteDecoder()); });
    std::erase(name, u'\n');
    if (name.empty())
        return;
    m_documentValues.openBookmarks.push_back({std::move(name), m_attributedString.length()});
    ++m_documentValues.bookmarksVersion;
}

void DKRTFReader::actionBookmarkEnd(int)
{
    std::u16string name = readObject([this](DKRTFObjectReader& reader) { return reader.readGroupText(byteDecoder()); });
    std::erase(name, u'\n');
    auto& open = m_documentValues.openBookmarks;
    auto found = std::find_if(open.begin(), open.end(), [&](const auto& bookmark) { return bookmark.name == name; });
    // An end that names no open bookmark ends nothing.
    if (found == open.end())
        return;
    if (found->textLength == m_attributedString.length()) {
        // A bookmark of a place, not of words: the end's group is read as
        // the text around it, which the bookmark's carrier belongs to.
        DKRTFReaderState& current = state();
        const bool discards = current.discardText();
        current.setDiscardText(m_states.enclosing().discardText());
        appendMarkCarrier();
        current.setDiscardText(discards);
    }
    open.erase(found);
    ++m_documentValues.bookmarksVersion;
}

void DKRTFReader::actionCommentRangeStart(int)
{
    std::u16string tag = readObject([this](DKRTFObjectReader& reader) { return reader.readCommentRangeTag(byteDecoder()); });
    auto& open = m_documentValues.openCommentRanges;
    if (tag.empty() || std::find(open.begin(), open.end(), tag) != open.end())
        return;
    open.push_back(std::move(tag));
    ++m_documentValues.bookmarksVersion;
}

void DKRTFReader::actionCommentRangeEnd(int)
{
    const std::u16string tag =
        readObject([this](DKRTFObjectReader& reader) { return reader.readCommentRangeTag(byteDecoder()); });
    auto& open = m_documentValues.openCommentRanges;
    if (auto found = std::find(open.begin(), open.end(), tag); found != open.end()) {
        open.erase(found);
        ++m_documentValues.bookmarksVersion;
    }
}

void DKRTFReader::actionMarquentAnnotations(int)
{
    // The block is never text; its bytes go back with the reading.
    if (isAtEnd())
        return;
    const std::size_t end = std::min(m_bytes.find('\n', m_location), m_bytes.size());
    m_legacyAnnotations = DKRTFObjectReader::hexStringToData(m_source.text(m_location, end));
    m_location = end;
}

// --- Page settings ----------------------------------------------------------

void DKRTFReader::actionPageMarginLeft(int value) { m_pageSettings.setDocumentPageMargin(DKRTFPageSettings::kPageMarginLeftKey, value); }
void DKRTFReader::actionPageMarginRight(int value) { m_pageSettings.setDocumentPageMargin(DKRTFPageSettings::kPageMarginRightKey, value); }
void DKRTFReader::actionPageMarginTop(int value) { m_pageSettings.setDocumentPageMargin(DKRTFPageSettings::kPageMarginTopKey, value); }
void DKRTFReader::actionPageMarginBottom(int value) { m_pageSettings.setDocumentPageMargin(DKRTFPageSettings::kPageMarginBottomKey, value); }

// A gutter past the widest paper is a damaged number, not a binding.
constexpr int kLargestGutter = 31680;

void DKRTFReader::actionGutter(int value)
{
    if (value > 0 && value < kLargestGutter)
        m_pageSettings.setGutter(value);
}

void DKRTFReader::actionMirroredMargins(int value)
{
    if (value != 0)
        m_pageSettings.setMirroredMargins();
}

void DKRTFReader::actionAutoHyphenation(int value)
{
    if (value != 0)
        m_pageSettings.setAutoHyphenation();
}

void DKRTFReader::actionHyphenationZone(int value) { m_pageSettings.setHyphenationZone(value); }

void DKRTFReader::actionHyphenationConsecutiveLines(int value) { m_pageSettings.setHyphenationConsecutiveLines(value); }

void DKRTFReader::actionHyphenateCapitals(int value) { m_pageSettings.setHyphenateCapitals(value != 0); }

void DKRTFReader::actionDefaultTabWidth(int value)
{
    // No stop wider than the paper is meant; zero or less would be none.
    if (value > 0 && value < kLargestGutter)
        m_pageSettings.setDefaultTabWidth(value);
}

void DKRTFReader::actionNoteSetting(int word)
{
    m_pageSettings.addNoteSetting("\\" + std::string(kNoteSettingWords.at(static_cast<std::size_t>(word))));
}

// Notes are numbered from 1 up; a start past any count a document reaches
// is a damaged number.
constexpr int kLargestNoteStart = 32767;

void DKRTFReader::actionFootnoteStart(int value)
{
    if (value > 0 && value <= kLargestNoteStart)
        m_pageSettings.addNoteSetting("\\ftnstart" + std::to_string(value));
}

void DKRTFReader::actionEndnoteStart(int value)
{
    if (value > 0 && value <= kLargestNoteStart)
        m_pageSettings.addNoteSetting("\\aftnstart" + std::to_string(value));
}

// 0 footnotes only, 1 endnotes only, 2 both.
void DKRTFReader::actionNoteKinds(int value)
{
    if (value >= 0 && value <= 2)
        m_pageSettings.addNoteSetting("\\fet" + std::to_string(value));
}

void DKRTFReader::actionPaperWidth(int value) { m_pageSettings.setPaperWidth(value); }
void DKRTFReader::actionPaperHeight(int value) { m_pageSettings.setPaperHeight(value); }


std::u16string DKRTFReader::readHeaderFooterText()
{
    // The control runs to the first brace that is not escaped; the page
    // settings read it as text.
    std::size_t end = m_location;
    while (end < m_bytes.size() && m_bytes[end] != '}') {
        const char next = byteAt(end + 1);
        end += m_bytes[end] == '\\' && (next == '\\' || next == '{' || next == '}') ? 2 : 1;
    }
    end = std::min(end, m_bytes.size());
    OFStringScanner control(m_source.text(m_location, end));
    std::u16string text = DKRTFPageSettings::readHeaderFooterText(control);
    m_location = end;
    return text;
}

void DKRTFReader::actionPageHeader(int)
{
    m_pageSettings.setHeaderFooterControl(DKRTFPageSettings::kHeaderControlKey, readHeaderFooterText());
}

void DKRTFReader::actionPageFooter(int)
{
    m_pageSettings.setHeaderFooterControl(DKRTFPageSettings::kFooterControlKey, readHeaderFooterText());
}

void DKRTFReader::actionForeignHeaderFooter(int value)
{
    // The group is read on its own below; its words are no document text.
    const bool skipped = state().skipsGroup();
    state().skipGroup();
    if (skipped || m_readsHeaderFooter)
        return;
    static constexpr const char* kWords[] = {"header", "headerr", "headerl", "headerf"};
    static constexpr const char* kFooterWords[] = {"footer", "footerr", "footerl", "footerf"};
    const bool footer = value >= kForeignFooter;
    const int form = value % kForeignFooter;
    if (form < 0 || form > 3)
        return;
    const std::size_t groupEnd = endOfCurrentGroup();
    DKRTFHeaderFooterForms::Group kept;
    kept.section = static_cast<int>(m_sectionBreaks.size());
    kept.word = footer ? kFooterWords[form] : kWords[form];
    kept.content = keptHeaderFooterContent(m_bytes.substr(m_location, groupEnd > m_location ? groupEnd - m_location : 0));
    m_headerFooterForms.groups.push_back(std::move(kept));
    std::optional<ForeignHeaderFooter>& shown = footer ? m_foreignFooter : m_foreignHeader;
    // A title page's own header stands on one page only: it never stands in
    // for the one on every page, even where the file has no other.
    if ((shown && shown->form <= form) || form == static_cast<int>(DKRTFForeignHeaderFooter::Form::FirstPage))
        return;
    std::u16string group = u"{\\rtf1" + m_tableGroups + u"\\ansi\\deff" + toUtf16(std::to_string(m_defaultFontNumber)) + u" "
        + DKRTFForeignHeaderFooter::withPagePlaceholders(m_source.text(m_location, groupEnd)) + u"}";
    DKRTFReader reader(group, std::nullopt, m_attributeBuilder.fontUse());
    reader.m_readsHeaderFooter = true;
    reader.parse();
    // Folio writes the word and "\pard\plain" with no blank between them;
    // a group it keeps from another program goes back with one.
    const bool writtenForSettings = m_location > 0 && m_bytes[m_location - 1] != ' '
        && m_bytes.substr(m_location).starts_with(DKRTFForeignHeaderFooter::kWrittenGroupOpening);
    shown = ForeignHeaderFooter{form, reader.takeAttributedString(), m_headerFooterForms.groups.size() - 1,
                                writtenForSettings};
}

std::string DKRTFReader::keptHeaderFooterContent(std::string_view content)
{
    return keptGroupContent(content, m_headerFooterForms);
}

template<typename Tables>
std::string DKRTFReader::keptGroupContent(std::string_view content, Tables& tables)
{
    // Characters of the document's code page become Unicode escapes; the
    // fallbacks after a Unicode escape stay as they are, for they are skipped.
    std::string decoded;
    // Bytes are in the code page of the font they are set in.
    StringEncoding encoding = state().stringEncoding();
    int fallbackLength = 1;
    int fallbacksLeft = 0;
    auto isControlWordDigit = [](char character) { return character >= '0' && character <= '9'; };
    auto isHex = [](char character) {
        return (character >= '0' && character <= '9') || (character >= 'a' && character <= 'f') || (character >= 'A' && character <= 'F');
    };
    std::size_t at = 0;
    while (at < content.size()) {
        const char character = content[at];
        if (character == '\\' && at + 3 < content.size() && content[at + 1] == '\'' && isHex(content[at + 2])
            && isHex(content[at + 3])) {
            if (fallbacksLeft > 0) {
                --fallbacksLeft;
                decoded.append(content.substr(at, 4));
                at += 4;
                continue;
            }
            std::string bytes;
            while (at + 3 < content.size() && content[at] == '\\' && content[at + 1] == '\'' && isHex(content[at + 2])
                   && isHex(content[at + 3])) {
                bytes.push_back(static_cast<char>(std::stoi(std::string(content.substr(at + 2, 2)), nullptr, 16)));
                at += 4;
            }
            std::optional<std::u16string> characters = decoderFor(encoding).decode(bytes);
            for (char16_t unit : characters ? *characters : decodeBytes(bytes)) {
                decoded += "\\u" + std::to_string(unit > 0x7FFF ? static_cast<int>(unit) - 65536 : static_cast<int>(unit));
                decoded.append(static_cast<std::size_t>(fallbackLength), '?');
            }
            continue;
        }
        if (character == '\\' && at + 1 < content.size() && std::isalpha(static_cast<unsigned char>(content[at + 1]))) {
            std::size_t end = at + 1;
            while (end < content.size() && std::isalpha(static_cast<unsigned char>(content[end])))
                ++end;
            const std::string_view word = content.substr(at + 1, end - at - 1);
            const std::size_t number = end;
            if (end < content.size() && (content[end] == '-' || isControlWordDigit(content[end])))
                ++end;
            while (end < content.size() && isControlWordDigit(content[end]))
                ++end;
            if (word == "u" && end > number)
                fallbacksLeft = fallbackLength;
            else if (word == "f" && end > number)
                encoding = m_fontTable.fontEncodingAtIndex(static_cast<int>(integerValue(content.substr(number, end - number))),
                                                           m_documentEncoding);
            else if (word == "plain")
                encoding = m_fontTable.fontEncodingAtIndex(m_defaultFontNumber, m_documentEncoding);
            else if (word == "uc" && end > number)
                fallbackLength = static_cast<int>(std::clamp<std::int64_t>(integerValue(content.substr(number, end - number)), 0, 8));
            if (end < content.size() && content[end] == ' ')
                ++end;
            decoded.append(content.substr(at, end - at));
            at = end;
            continue;
        }
        if (character != '\\' && fallbacksLeft == 0) {
            // Text and braces up to the next control word are kept as they are.
            const std::size_t next = std::min(content.find('\\', at + 1), content.size());
            decoded.append(content.substr(at, next - at));
            at = next;
            continue;
        }
        const std::size_t length = character == '\\' && at + 1 < content.size() ? 2 : 1;
        if (fallbacksLeft > 0 && character != '{' && character != '}' && character != '\r' && character != '\n')
            --fallbacksLeft;
        decoded.append(content.substr(at, length));
        at += length;
    }
    auto font = [this, &tables](int number) -> std::optional<int> {
        if (!m_fontTable.hasEntry(number))
            return std::nullopt;
        return tables.fontReference(m_fontTable.fontNameAtIndex(number));
    };
    auto color = [this, &tables](int number) -> std::optional<int> {
        std::shared_ptr<const ColorValue> value = m_colorTable.colorAtIndex(number);
        if (!value)
            return std::nullopt;
        return tables.colorReference(value);
    };
    return DKRTFStyleSheet::renumbered(decoded, font, color);
}

void DKRTFReader::actionPageFormsOfHeaders(int value)
{
    if (TESectionBreak::Settings* section = sectionAfterBreak(); section && value == 1) {
        section->titlePage = true;
        return;
    }
    const char* word = value == 1 ? "\\titlepg" : "\\facingp";
    if (m_pageFormsOfHeaders.find(word) == std::string::npos)
        m_pageFormsOfHeaders += word;
}

std::string DKRTFReader::otherHeaderFooterForms(HeadsKept inSettings)
{
    // The group the document's header or footer was read from stands for
    // those settings while they stay as they are.
    if (m_foreignHeader && inSettings.header) {
        DKRTFHeaderFooterForms::Group& group = m_headerFooterForms.groups[m_foreignHeader->group];
        group.shownAs = m_pageSettings.text(DKRTFPageSettings::kHeaderControlKey);
        group.settingsAreOwn = inSettings.ownHeader;
    }
    if (m_foreignFooter && inSettings.footer) {
        DKRTFHeaderFooterForms::Group& group = m_headerFooterForms.groups[m_foreignFooter->group];
        group.shownAs = m_pageSettings.text(DKRTFPageSettings::kFooterControlKey);
        group.settingsAreOwn = inSettings.ownFooter;
    }
    // A title page, and facing pages, go back even without headers of
    // their own: a title page then prints none.
    m_headerFooterForms.words = m_pageFormsOfHeaders;
    if (m_headerFooterForms.groups.empty())
        return m_pageFormsOfHeaders;
    // The distance from the paper's edge goes with the kept header's
    // settings; where only the title page has a header, it goes with it.
    auto keepDistance = [&](const char* word, int distance, bool kept, bool header) {
        const bool hasGroup = std::any_of(m_headerFooterForms.groups.begin(), m_headerFooterForms.groups.end(),
                                          [&](const DKRTFHeaderFooterForms::Group& group) {
                                              return group.section == 0 && DKRTFHeaderFooterForms::isHeader(group) == header;
                                          });
        if (!kept && distance != kDefaultHeaderDistance && distance > 0 && distance < kLargestHeaderDistance && hasGroup)
            m_headerFooterForms.words += word + std::to_string(distance);
    };
    keepDistance("\\headery", m_headerDistance, inSettings.header, true);
    keepDistance("\\footery", m_footerDistance, inSettings.footer, false);
    return m_headerFooterForms.serialized();
}

void DKRTFReader::actionSkipDestination(int)
{
    // A destination owns the group it opens. Written loose in the document's
    // own group (a hand-edited "\papercolor255 words"), the word would
    // otherwise swallow every word after it up to the end of the file.
    if (m_states.depth() <= 1)
        return;
    state().skipGroup();
}

void DKRTFReader::actionDocumentInfo(int)
{
    // The group is read on its own; none of its words are document text.
    state().skipGroup();
    const std::size_t groupEnd = endOfCurrentGroup();
    if (groupEnd > m_location)
        m_documentInfo.append(DKRTFDocumentInfo::read(m_source.text(m_location, groupEnd), byteDecoder()));
}

void DKRTFReader::actionUserProperties(int)
{
    state().skipGroup();
    const std::size_t groupEnd = endOfCurrentGroup();
    if (groupEnd > m_location)
        m_documentInfo.readUserProperties(m_source.text(m_location, groupEnd), byteDecoder());
}

void DKRTFReader::actionKnownDestination(int) {}

void DKRTFReader::actionShape(int)
{
    // The placement words lead the instructions, before the properties and
    // the picture's data: the start of the group holds them.
    constexpr std::size_t kPlacementReach = 4096;
    const std::size_t end = std::min(endOfCurrentGroup(), m_location + kPlacementReach);
    const std::u16string start = end > m_location ? m_source.text(m_location, end) : std::u16string();
    const std::size_t instructions = start.find(u"\\shpinst");
    const std::u16string_view own =
        instructions == std::u16string::npos ? std::u16string_view() : std::u16string_view(start).substr(instructions + 8);
    // A shape of a group takes its place, and the text's wrap, from the
    // group's.
    if (const std::shared_ptr<const DKRTFShapeGroup>& group = state().shapeGroup()) {
        // The picture of a shape before it stands on its own character
        // rather than giving way to this one's.
        if (pendingPicture() && m_groupPicture && m_pendingAttachment == m_groupPicture) {
            StringMapValue::Map attributes = m_groupPicture->attributes();
            attributes[TEShapePlace::kGroupGoesOnKey] = u"1";
            m_groupPicture->setAttributes(std::move(attributes));
            placePendingAttachment(u"", state());
        }
        state().setShapePlace(group->placeOfMember(own));
        return;
    }
    state().setShapeWrapsText(false);
    state().setShapeStandsRight(false);
    state().setShapePlace(own.empty() ? std::string() : TEShapePlace::wordsOfInstructions(own));
}

void DKRTFReader::actionShapeGroup(int)
{
    state().setShapeWrapsText(false);
    state().setShapeStandsRight(false);
    // Unlike a single shape's, a group's instructions hold its shapes, and
    // with them their pictures: the whole group is looked at.
    const std::u16string group = m_source.text(m_location, endOfCurrentGroup());
    const std::size_t instructions = group.find(u"\\shpinst");
    std::optional<DKRTFShapeGroup> read;
    if (instructions != std::u16string::npos)
        read = DKRTFShapeGroup::fromInstructions(std::u16string_view(group).substr(instructions + 8));
    state().setShapeGroup(read ? std::make_shared<const DKRTFShapeGroup>(std::move(*read)) : nullptr);
    state().setShapePlace(std::string());
}

void DKRTFReader::actionShapeWrap(int value)
{
    // Square, tight and through wrapping set text beside the picture; the
    // others above and below it, or over it.
    state().setShapeWrapsText(value == 2 || value == 4 || value == 5);
}

void DKRTFReader::actionShapeLeft(int value)
{
    // A shape that starts past the middle of a column of text stands on
    // its right; the column's width is not known here, so a usual one
    // (six inches) stands in.
    constexpr int kHalfColumn = 4320;
    state().setShapeStandsRight(value > kHalfColumn);
}

void DKRTFReader::actionTextBoxText(int)
{
    // The words of a text box are document text where the box is anchored,
    // although the shape around them is a "\*" destination: paragraphs of
    // their own, after the text before the box.
    if (state().skipsGroup())
        return;
    state().setDiscardText(false);
    if (!state().inTextBox()) {
        state().setInTextBox(true);
        if (!m_atParagraphStart)
            actionNewParagraph(1);
    }
}

void DKRTFReader::actionDrawnObject(int)
{
    // The box's place and size follow its words in the group: they are
    // looked up first, among the group's own words (not its text's), and
    // said as a frame's, which the text box's paragraphs take and a save
    // writes back around them.
    const std::u16string group = m_source.text(m_location, endOfCurrentGroup());
    std::map<std::u16string, std::optional<long long>> words;
    int depth = 0;
    for (std::size_t at = 0; at < group.size(); ++at) {
        if (group[at] == u'{') {
            ++depth;
        } else if (group[at] == u'}') {
            --depth;
        } else if (group[at] == u'\\' && depth == 0) {
            std::size_t end = at + 1;
            while (end < group.size() && group[end] >= u'a' && group[end] <= u'z')
                ++end;
            std::u16string word = group.substr(at + 1, end - at - 1);
            long long number = 0;
            const std::size_t numberEnd = scanDecimalInteger(group, end, &number, -0x7FFFFFFFLL, 0x7FFFFFFFLL);
            words[word] = numberEnd == end ? std::nullopt : std::optional<long long>(number);
            at = std::max(end, numberEnd) - 1;
        }
    }
    auto given = [&words](std::u16string_view word) { return words.find(std::u16string(word)) != words.end(); };
    auto length = [&words](std::u16string_view word) -> std::optional<long long> {
        auto found = words.find(std::u16string(word));
        return found == words.end() ? std::nullopt : found->second;
    };
    const std::optional<long long> x = length(u"dpx"), y = length(u"dpy");
    const std::optional<long long> width = length(u"dpxsize"), height = length(u"dpysize");
    if (!given(u"dptxbx") || !x || !y || !width || !height || *width <= 0 || *height <= 0 || *x < -31680
        || *x > 31680 || *y < -31680 || *y > 31680 || *width > 31680 || *height > 31680)
        return;
    std::string frame = given(u"dobxpage") ? "\\phpg" : given(u"dobxcolumn") ? "\\phcol" : "\\phmrg";
    frame += given(u"dobypage") ? "\\pvpg" : given(u"dobypara") ? "\\pvpara" : "\\pvmrg";
    // The box is at least as high as it was: words typed into it are not
    // cut off.
    frame += "\\posx" + std::to_string(*x) + "\\posy" + std::to_string(*y) + "\\absw" + std::to_string(*width) + "\\absh"
        + std::to_string(*height);
    state().mutableParagraph().frame = frame;
}

// --- Tables -----------------------------------------------------------------

void DKRTFReader::actionTableRowDefaults(int)
{
    if (!state().inNestedTableProperties()) {
        if (!m_rowFormat.boundaries().empty())
            m_clearedRowFormat = m_rowFormat;
        m_rowDefinitionEnded = false;
    }
    rowFormat().reset();
    if (!state().discardText() && !state().inNestedTableProperties())
        m_inRow = true;
}

void DKRTFReader::actionTableCellBoundary(int value)
{
    if (m_rowDefinitionEnded && !state().inNestedTableProperties()) {
        m_rowFormat.reset();
        m_rowDefinitionEnded = false;
    }
    rowFormat().endCell(value);
}

void DKRTFReader::actionTableRowLeft(int value) { rowFormat().setRowLeft(value); }
void DKRTFReader::actionTableRowAlignment(int value) { rowFormat().setRowAlignment(value); }
void DKRTFReader::actionTableCellGap(int value) { rowFormat().setCellGap(value); }
void DKRTFReader::actionTableRowHeight(int value) { rowFormat().setRowHeight(value); }

void DKRTFReader::actionTableCellBorder(int side)
{
    m_paragraphBorderSides = 0;
    rowFormat().selectCellBorder(static_cast<DKRTFTableRowFormat::Side>(side));
}

void DKRTFReader::actionOtherBorder(int)
{
    m_paragraphBorderSides = 0;
    rowFormat().selectOtherBorder();
}

void DKRTFReader::actionParagraphBorder(int sides)
{
    rowFormat().selectOtherBorder();
    m_paragraphBorderSides = static_cast<unsigned>(sides);
    // A side named is no line until its kind says what line it is, as word
    // processors take it.
    forEachParagraphBorder([](std::optional<TEParagraphBorders::Border>& side) {
        side = TEParagraphBorders::Border{.style = 0};
    });
}

void DKRTFReader::forEachParagraphBorder(const std::function<void(std::optional<TEParagraphBorders::Border>&)>& change)
{
    TEParagraphBorders& borders = state().mutableParagraph().borders;
    for (std::size_t side = 0; side < borders.sides.size(); ++side) {
        if (m_paragraphBorderSides & (1u << side))
            change(borders.sides[side]);
    }
}

void DKRTFReader::actionBorderStyle(int style)
{
    if (m_paragraphBorderSides != 0) {
        // "\brdrnone" takes the side away.
        forEachParagraphBorder([style](std::optional<TEParagraphBorders::Border>& side) {
            if (style == 0)
                side.reset();
            else if (side)
                side->style = style;
        });
        return;
    }
    // A cell knows the first five kinds; of the others its line is dashed
    // or plain.
    using CellStyle = DKRTFTableRowFormat::BorderStyle;
    const bool dashed = style == TEParagraphBorders::styleNumber("dashsm");
    const int cellStyle = style <= static_cast<int>(CellStyle::Dashed)
        ? style
        : static_cast<int>(dashed ? CellStyle::Dashed : CellStyle::Single);
    rowFormat().setBorderStyle(static_cast<CellStyle>(cellStyle));
}

void DKRTFReader::actionBorderWidth(int value)
{
    if (m_paragraphBorderSides != 0) {
        forEachParagraphBorder([value](std::optional<TEParagraphBorders::Border>& side) {
            if (side)
                side->width = std::clamp(value, 0, TEParagraphBorders::kWidest);
        });
        return;
    }
    rowFormat().setBorderWidth(value);
}

void DKRTFReader::actionBorderSpace(int value)
{
    forEachParagraphBorder([value](std::optional<TEParagraphBorders::Border>& side) {
        if (side)
            side->space = std::clamp(value, 0, TEParagraphBorders::kFarthest);
    });
}

void DKRTFReader::actionBorderColor(int value)
{
    if (m_paragraphBorderSides != 0) {
        const std::shared_ptr<const ColorValue> color = value > 0 ? m_colorTable.colorAtIndex(value) : nullptr;
        forEachParagraphBorder([&color](std::optional<TEParagraphBorders::Border>& side) {
            if (side)
                side->color = color ? std::optional<Color>(color->color()) : std::nullopt;
        });
        return;
    }
    rowFormat().setBorderColor(m_colorTable.colorAtIndex(value));
}
void DKRTFReader::actionTableCellBackground(int value) { rowFormat().setBackgroundColor(m_colorTable.colorAtIndex(value)); }
void DKRTFReader::actionTableCellPatternColor(int value) { rowFormat().setPatternColor(m_colorTable.colorAtIndex(value)); }
void DKRTFReader::actionTableCellShading(int value) { rowFormat().setShading(value); }

void DKRTFReader::actionTableCellVerticalAlignment(int alignment)
{
    rowFormat().setVerticalAlignment(static_cast<DKRTFTableRowFormat::VerticalAlignment>(alignment));
}

void DKRTFReader::actionTableCellMerge(int direction)
{
    rowFormat().setMerge(direction == 0 ? DKRTFTableRowFormat::Merge::IntoLeft : DKRTFTableRowFormat::Merge::IntoAbove);
}

void DKRTFReader::actionInTable(int value) { state().setInTable(value != 0); }

void DKRTFReader::appendTableMark(char16_t mark, std::string_view key, int value)
{
    DKRTFReaderState& current = state();
    if (current.discardText())
        return;
    // A note's mark that ends the cell stays in it.
    if (m_pendingListPrefix || m_atParagraphStart || pendingPicture() || pendingNote())
        appendString(u"");
    m_atParagraphStart = false;
    AttributeDictionaryPtr attributes = m_attributeBuilder.stringAttributes(current, current.listType());
    m_attributedString.appendString(std::u16string_view(&mark, 1),
                                    attributes->dictionaryBySettingValue(key, IntegerValue::make(value)));
}

void DKRTFReader::actionTableCell(int)
{
    if (state().discardText())
        return;
    // A cell mark outside "\intbl" still ends a cell: the text is a table.
    if (!state().inTable())
        state().setInTable(true);
    // The cell's alignment is that of its text, which may have been set in
    // a group closed before the cell mark (as pandoc writes cells).
    const std::size_t cellStart = m_cellMarks.empty() ? rowStart(m_attributedString.length()) : m_cellMarks.back() + 1;
    std::uint8_t alignment = state().paragraph().alignment;
    if (cellStart < m_attributedString.length()) {
        AttributeDictionaryPtr attributes = m_attributedString.attributesAtIndex(cellStart);
        const auto* style = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName) : nullptr;
        if (style)
            alignment = static_cast<std::uint8_t>(style->style().alignment());
    }
    appendTableMark(u'\t', TEIsEndTableCellKey, static_cast<int>(m_cellMarks.size()) + 1);
    m_cellMarks.push_back(m_attributedString.length() - 1);
    m_cellAlignments.push_back(alignment);
}

std::size_t DKRTFReader::rowStart(std::size_t end) const
{
    // Searched back unit by unit with two comparisons each: the library's
    // search looks every unit up in the set of stops.
    const std::u16string& text = m_attributedString.string();
    for (std::size_t index = std::min(end, text.size()); index > 0; --index) {
        if (text[index - 1] == u'\n' || text[index - 1] == u'\f')
            return index;
    }
    return 0;
}

void DKRTFReader::alignRowStartingBefore(std::size_t rowEnd)
{
    const bool mixed = std::any_of(m_cellAlignments.begin(), m_cellAlignments.end(),
                                   [this](std::uint8_t alignment) { return alignment != m_cellAlignments.front(); });
    m_cellAlignments.clear();
    if (!mixed)
        return;
    const std::size_t start = rowStart(rowEnd);
    // One pass over the row's runs; the runs of one paragraph style share
    // its left-aligned copy.
    std::vector<std::pair<const AttributeValue*, AttributeValuePtr>> leftAligned;
    m_attributedString.replaceAttributes(
        Range{start, rowEnd + 1 - start}, [&](const AttributeDictionary& attributes) -> AttributeDictionaryPtr {
            const AttributeValuePtr& value = attributes.valueForKey(kCTParagraphStyleAttributeName);
            const auto* style = value ? value->as<ParagraphStyleValue>() : nullptr;
            if (!style || style->style().alignment() == TextAlignment::Left)
                return nullptr;
            auto known = std::find_if(leftAligned.begin(), leftAligned.end(),
                                      [&](const auto& entry) { return entry.first == value.get(); });
            if (known == leftAligned.end()) {
                PlatformParagraphStyle::Settings settings = style->style().settings();
                settings.alignment = TextAlignment::Left;
                leftAligned.emplace_back(value.get(), ParagraphStyleValue::make(PlatformParagraphStyle(std::move(settings))));
                known = leftAligned.end() - 1;
            }
            return attributes.dictionaryBySettingValue(kCTParagraphStyleAttributeName, known->second);
        });
}

void DKRTFReader::actionTableRow(int)
{
    if (state().discardText())
        return;
    // A paragraph end after the last cell (" \par\row") is no cell of its
    // own: the row ends with that cell, as word processors show it.
    if (!m_cellMarks.empty() && m_cellMarks.back() + 1 < m_attributedString.length()) {
        const std::u16string_view after =
            std::u16string_view(m_attributedString.string()).substr(m_cellMarks.back() + 1);
        if (after.find_first_not_of(u" \u2028") == std::u16string_view::npos && after.find(u'\u2028') != after.npos)
            m_attributedString.replaceCharactersInRange(Range{m_cellMarks.back() + 1, after.size()}, u"");
    }
    const std::size_t length = m_attributedString.length();
    if (!m_cellMarks.empty() && m_cellMarks.back() == length - 1) {
        // The row's last cell mark becomes the row end: one paragraph per row.
        m_attributedString.replaceCharactersInRange(Range{length - 1, 1}, u"\n");
        m_attributedString.addAttribute(TEIsEndTableRowKey, IntegerValue::make(1), Range{length - 1, 1});
    } else {
        appendTableMark(u'\n', TEIsEndTableRowKey, 1);
        m_cellMarks.push_back(m_attributedString.length() - 1);
    }
    // The widths and looks come from the row's definition, which Word
    // repeats just before "\row"; an undefined cell gets none. A "\trowd"
    // with no cells after it leaves those given before it.
    if (m_rowFormat.boundaries().empty() && !m_clearedRowFormat.boundaries().empty())
        m_rowFormat = m_clearedRowFormat;
    m_clearedRowFormat.reset();
    m_rowDefinitionEnded = true;
    const std::vector<int>& boundaries = m_rowFormat.boundaries();
    int previous = 0;
    for (std::size_t cell = 0; cell < m_cellMarks.size() && cell < boundaries.size(); ++cell) {
        const int boundary = boundaries[cell];
        // A mark is one character of its own set: its set with the keys
        // added replaces it in one change (each change rebuilds the set).
        const std::size_t mark = m_cellMarks[cell];
        std::vector<AttributeDictionary::Entry> entries{
            {AttributeKey(TETableCellRightBoundaryKey), IntegerValue::make(boundary)},
            {AttributeKey(TETableCellWidthKey), IntegerValue::make(boundary - previous)}};
        const int alignment = cell < m_cellAlignments.size() ? m_cellAlignments[cell] : 0;
        if (AttributeValuePtr style = m_rowFormat.cellStyleValue(cell, alignment))
            entries.emplace_back(AttributeKey(TETableCellStyleKey), std::move(style));
        if (cell + 1 == m_cellMarks.size())
            entries.emplace_back(AttributeKey(TETableRowStyleKey), StringMapValue::make(m_rowFormat.rowStyle()));
        m_attributedString.setAttributes(m_attributedString.attributesAtIndex(mark)->dictionaryByAddingEntries(entries),
                                         Range{mark, 1});
        previous = boundary;
    }
    m_cellMarks.clear();
    m_inRow = false;
    alignRowStartingBefore(m_attributedString.length() - 1);
    m_atParagraphStart = true;
}

DKRTFTableRowFormat& DKRTFReader::rowFormat()
{
    return state().inNestedTableProperties() ? m_nestedRowFormat : m_rowFormat;
}

void DKRTFReader::actionNestedTableProperties(int)
{
    // A "\*" destination, but its "\nestrow" ends the nested row in the text.
    state().setDiscardText(false);
    state().setInNestedTableProperties(true);
}

void DKRTFReader::actionNestedTableCell(int)
{
    // Tables inside tables are kept as text of the outer cell, their cells
    // and rows marked so that exports print them as tables.
    if (state().discardText())
        return;
    appendTableMark(u'\t', TEIsEndNestedTableCellKey, static_cast<int>(m_nestedCellMarks.size()) + 1);
    m_nestedCellMarks.push_back(m_attributedString.length() - 1);
}

void DKRTFReader::actionNestedTableRow(int)
{
    if (state().discardText())
        return;
    appendTableMark(u'\u2028', TEIsEndNestedTableRowKey, 1);
    // The nested row's definition comes with its end, as Word writes it.
    for (std::size_t cell = 0; cell < m_nestedCellMarks.size(); ++cell) {
        const std::size_t mark = m_nestedCellMarks[cell];
        if (std::optional<StringMapValue::Map> style = m_nestedRowFormat.cellStyle(cell, 0))
            m_attributedString.addAttribute(TETableCellStyleKey, StringMapValue::make(std::move(*style)), Range{mark, 1});
    }
    m_attributedString.addAttribute(TETableRowStyleKey, StringMapValue::make(m_nestedRowFormat.rowStyle()),
                                    Range{m_attributedString.length() - 1, 1});
    m_nestedCellMarks.clear();
}

// --- Styles and old-style lists ---------------------------------------------

void DKRTFReader::actionReadStyleSheet(int)
{
    // Each entry is "{\sN <formatting> Name;}" (or "\csN", "\dsN",
    // "\*\csN"); the formatting is kept as control words and performed
    // where a paragraph or run names the style.
    const std::string_view text = m_bytes;
    const std::size_t end = endOfCurrentGroup();
    std::size_t position = m_location;
    // A second sheet (damaged or pasted files) replaces the first, and
    // with it what its words said of the program that wrote it.
    m_styleSheet.emplace();
    m_paragraphStyles.clear();
    m_styleBases.clear();
    m_resolvedStyles.clear();
    m_sheetHasWordOnlyWords = false;
    m_sheetHasOldWordWords = false;
    m_documentValues.paragraphStyleNames.clear();
    m_documentValues.characterStyleNames.clear();
    while (position < end) {
        if (text[position] != u'{') {
            ++position;
            continue;
        }
        std::size_t entryEnd = position + 1;
        for (int depth = 1; entryEnd < end && depth > 0; ++entryEnd) {
            if (text[entryEnd] == u'\\')
                ++entryEnd;
            else if (text[entryEnd] == u'{')
                ++depth;
            else if (text[entryEnd] == u'}')
                --depth;
        }
        std::string_view entry(text.data() + position + 1, entryEnd - position - 2 < text.size() ? entryEnd - position - 2 : 0);
        std::optional<int> number;
        std::optional<int> basedOn;
        std::string words;
        std::size_t index = 0;
        while (index < entry.size()) {
            if (entry[index] != u'\\' || index + 1 >= entry.size() || !isControlWordLetter(entry[index + 1])) {
                ++index;
                continue;
            }
            std::size_t nameEnd = index + 1;
            while (nameEnd < entry.size() && isControlWordLetter(entry[nameEnd]))
                ++nameEnd;
            std::size_t valueEnd = nameEnd;
            if (valueEnd < entry.size() && entry[valueEnd] == u'-')
                ++valueEnd;
            while (valueEnd < entry.size() && isControlWordDigit(entry[valueEnd]))
                ++valueEnd;
            std::string_view name = entry.substr(index + 1, nameEnd - index - 1);
            std::string_view digits = entry.substr(nameEnd, valueEnd - nameEnd);
            if ((name == "s" || name == "cs" || name == "ds") && !digits.empty() && !number)
                number = intValue(digits);
            else if (name == "sbasedon" && !digits.empty())
                basedOn = intValue(digits);
            else
                words += entry.substr(index, valueEnd - index);
            if (isWordOnlyStyleWord(name))
                m_sheetHasWordOnlyWords = true;
            if (isOldWordStyleWord(name))
                m_sheetHasOldWordWords = true;
            index = valueEnd;
        }
        DKRTFStyleSheet::Entry kept = readStyleSheetEntry(entry);
        // Word's default paragraph style goes without a number: it is style 0.
        if (!number && kept.kind == DKRTFStyleSheet::Entry::Kind::Paragraph)
            number = 0;
        if (number) {
            m_paragraphStyles[*number] = formattingWords(words);
            if (basedOn && *basedOn != *number)
                m_styleBases[*number] = *basedOn;
        }
        if (kept.kind == DKRTFStyleSheet::Entry::Kind::Paragraph)
            m_documentValues.paragraphStyleNames[kept.number] = StringValue::make(kept.name);
        else if (kept.kind == DKRTFStyleSheet::Entry::Kind::Character)
            m_documentValues.characterStyleNames[kept.number] = StringValue::make(kept.name);
        m_styleSheet->addEntry(std::move(kept));
        position = entryEnd;
    }
    m_location = end;
    state().skipGroup();
}

DKRTFStyleSheet::Entry DKRTFReader::readStyleSheetEntry(std::string_view group)
{
    DKRTFStyleSheet::EntryReading reading;
    reading.plainText = [this](std::string_view bytes) {
        std::u16string buffer;
        if (m_source.characters() != DKRTFReaderSource::Characters::DeclaredCodePages)
            return std::u16string(m_source.text(bytes, buffer));
        return decodeBytes(bytes);
    };
    reading.escapedBytes = [this](std::string_view bytes) { return decodeBytes(bytes); };
    reading.font = [this](int number) -> std::optional<int> {
        // Word names theme fonts its font table does not hold: no font.
        if (!m_fontTable.hasEntry(number))
            return std::nullopt;
        return m_styleSheet->fontReference(m_fontTable.fontNameAtIndex(number));
    };
    reading.color = [this](int number) -> std::optional<int> {
        // The automatic colour is what a style has without the word; Folio's
        // colour table has no entry for it.
        std::shared_ptr<const ColorValue> color = m_colorTable.colorAtIndex(number);
        if (!color)
            return std::nullopt;
        return m_styleSheet->colorReference(color);
    };
    return DKRTFStyleSheet::readEntry(group, reading);
}

std::vector<DKRTFReader::StyleWord> DKRTFReader::formattingWords(std::string_view words)
{
    static const std::unordered_set<std::string_view> kFormatting = {
        "b",  "i",  "strike", "ul", "ulnone", "uld",  "uldb", "ulth", "ulw", "f",      "fs",
        "cf", "cb", "super",  "sub", "nosupersub", "caps", "scaps", "shad", "outl", "lang", "langnp", "langfe", "langfenp", "noproof", "v", "ql", "qr", "qc",
        "qj", "fi", "li",     "ri", "sl", "slmult", "sa", "sb", "ltrpar", "rtlpar",
        // A heading style keeps its paragraphs with the text after them.
        "keepn", "keep", "widctlpar", "nowidctlpar",
        // A heading style gives its paragraphs their outline level; a style
        // may say no to hyphenation for all of them.
        "outlinelevel", "hyphpar",
        // A list style spaces its items only around the list.
        "contextualspace",
        // The fonts and languages of complex-script and East Asian letters.
        "rtlch", "ltrch", "dbch", "hich", "loch", "af", "afs", "ab", "ai", "alang"};
    static const std::unordered_set<std::string_view> kCharacter = {
        "b", "i", "strike", "ul", "ulnone", "uld", "uldb", "ulth", "ulw", "f", "fs", "cf", "cb", "super", "sub",
        "nosupersub", "caps", "scaps", "shad", "outl", "v", "af", "afs", "ab", "ai"};
    static const std::unordered_set<std::string_view> kRestated = {"b",    "i",    "fs",  "ul", "ulnone", "uld",
                                                                   "uldb", "ulth", "ulw", "f",  "cf",     "cb"};
    static const std::unordered_set<std::string_view> kSpacing = {"sb", "sa", "li", "fi", "ri"};
    constexpr std::size_t kLongestFormattingWord = 15;
    std::vector<StyleWord> formatting;
    std::size_t index = 0;
    while (index < words.size()) {
        if (words[index] != u'\\') {
            ++index;
            continue;
        }
        std::size_t nameEnd = index + 1;
        while (nameEnd < words.size() && isControlWordLetter(words[nameEnd]))
            ++nameEnd;
        std::size_t valueEnd = nameEnd;
        const bool negative = valueEnd < words.size() && words[valueEnd] == u'-';
        if (negative)
            ++valueEnd;
        while (valueEnd < words.size() && isControlWordDigit(words[valueEnd]))
            ++valueEnd;
        const std::size_t nameLength = nameEnd - index - 1;
        std::string_view digits = words.substr(nameEnd + (negative ? 1 : 0), valueEnd - nameEnd - (negative ? 1 : 0));
        if (nameLength <= kLongestFormattingWord) {
            std::string_view name = words.substr(index + 1, nameEnd - index - 1);
            // Looked up once here rather than at every paragraph of the style.
            const DKRTFKeyword* keyword = kFormatting.contains(name) ? DKRTFKeywordTable::shared().keywordNamed(name) : nullptr;
            if (keyword) {
                std::optional<int> parameter;
                if (!digits.empty())
                    parameter = (negative ? -1 : 1) * intValue(digits);
                formatting.push_back({keyword, parameter, kCharacter.contains(name), kRestated.contains(name),
                                      name == "f", kSpacing.contains(name)});
            }
        }
        index = std::max(valueEnd, index + 1);
    }
    return formatting;
}

void DKRTFReader::performControlWords(const std::vector<StyleWord>& words)
{
    for (const StyleWord& word : words)
        handleKeyword(word.keyword, word.parameter ? &*word.parameter : nullptr);
}

void DKRTFReader::actionOldStyleListLevel(int)
{
    // "{\*\pn\pnlvlbody\pndec ...}": the numbering of one paragraph, as
    // word processors wrote it before list tables. It belongs to the
    // paragraph around its group.
    const std::size_t end = endOfCurrentGroup();
    const std::u16string group = m_source.text(m_location, end);
    m_location = end;
    state().skipGroup();
    if (std::optional<DKRTFReaderListTable::OldStyleLevel> level =
            m_listTable.oldStyleLevel(group, m_pendingListLabelHalfPoints)) {
        DKRTFReaderState& paragraph = m_states.enclosing();
        paragraph.setListID(level->listID);
        paragraph.setListType(level->type);
        paragraph.setLevelList(level->level);
    }
}

} // namespace folio
