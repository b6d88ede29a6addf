#include "formats/rtf/DKRTFReader.h"

#include "formats/rtf/DKRTFForeignHeaderFooter.h"
#include "formats/rtf/RTFPaperColor.h"

#include "formats/rtf/DKRTFKeywordTable.h"
#include "formats/rtf/DKRTFObjectReader.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/ByteSearch.h"
#include "platform/foundation/UnitSearch.h"
#include "platform/foundation/Unicode.h"

#include <cmath>
#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace folio {

namespace {

constexpr char16_t kPlaceholder = u'\uFEFF';

bool isWordLetter(char character)
{
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z');
}

// Room for the text of a document read from a source of that length. Every
// unit of the text comes from at least one byte of the source, so the
// text fits and is never copied as it grows; the part it leaves unused is
// never written, so its pages cost nothing.
std::u16string textRoomForSource(std::size_t sourceLength)
{
    std::u16string text;
    text.reserve(sourceLength);
    return text;
}

// Where a run of text that goes on at `from` ends: at the first character
// the reader acts on (a semicolon only where it ends a table entry), or at
// the end of the text.
std::size_t endOfTextRun(std::string_view text, std::size_t from, bool semicolons)
{
    if (semicolons)
        return findFirstOf<'\\', '{', '}', '\r', '\n', ';'>(text.data(), from, text.size());
    return findFirstOf<'\\', '{', '}', '\r', '\n'>(text.data(), from, text.size());
}

std::u16string utf16FromCodePoint(char32_t code)
{
    if (code <= 0xFFFF)
        return std::u16string(1, static_cast<char16_t>(code));
    code -= 0x10000;
    return {static_cast<char16_t>(0xD800 + (code >> 10)), static_cast<char16_t>(0xDC00 + (code & 0x3FF))};
}

AttributeDictionaryPtr singleFlagAttributes(std::string_view key)
{
    return AttributeDictionary::make({{AttributeKey(key), BoolValue::make(true)}});
}

// NOTE: Folio's own writer opens every file with this line and a fixed paper
// size that says nothing of the page the document is printed on (the user's
// page size setting does).
bool isWrittenByFolio(std::string_view rtf)
{
    return rtf.starts_with("{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840\\margl");
}

} // namespace

// --- Entry points ---------------------------------------------------------

bool DKRTFReader::isRTF(std::u16string_view text)
{
    std::size_t start = 0;
    while (start < text.size() &&
           (text[start] == kPlaceholder || text[start] == u' ' || text[start] == u'\t' || text[start] == u'\r' ||
            text[start] == u'\n'))
        ++start;
    return text.substr(start).starts_with(u"{\\rtf");
}

Result<AttributedString> DKRTFReader::parseRTFString(std::u16string_view rtf,
                                                     const std::optional<std::string>& documentName,
                                                     std::vector<std::string>* warnings)
{
    if (!isRTF(rtf))
        return Error{kErrorDomain, NotRTFError, "The text is not an RTF document: it does not begin with \"{\\rtf\"."};
    DKRTFReader reader(DKRTFReaderSource::fromText(rtf), documentName);
    reader.parse();
    if (warnings)
        *warnings = reader.warnings();
    return reader.takeAttributedString();
}

Result<DKRTFReadResult> DKRTFReader::read(std::u16string_view rtf, const std::optional<std::string>& documentName,
                                         Fonts fonts)
{
    return read(DKRTFReaderSource::fromText(rtf), documentName, fonts);
}

Result<DKRTFReadResult> DKRTFReader::read(const DKRTFReaderSource& source, const std::optional<std::string>& documentName,
                                         Fonts fonts, NoteForms noteForms, const DKRTFReadWatch* watch)
{
    const RTFPaperColor paper = paperColorOfRTF(source.bytes());
    // Our own white marker is no RTF the reader knows; the bytes are
    // borrowed, so the reading gets a copy without it.
    DKRTFReaderSource reading =
        paper.whiteMarker ? source.without(*paper.whiteMarker, RTFPaperColor::kWhiteMarkerLength) : source;
    if (!reading.startsAsRTF())
        return Error{kErrorDomain, NotRTFError, "The text is not an RTF document: it does not begin with \"{\\rtf\"."};
    DKRTFReader reader(std::move(reading), documentName, fonts);
    reader.m_keepsNoteForms = noteForms == NoteForms::Kept;
    if (watch && watch->goOn) {
        reader.m_watch = watch;
        reader.m_nextWatchedLength = watch->interval;
    }
    reader.parse();
    if (reader.m_stopped)
        return Error{kErrorDomain, Stopped, "The read was stopped before the end of the text."};
    return DKRTFReadResult{reader.takeAttributedString(), reader.pageSettings(), paper.color, reader.warnings(),
                           reader.legacyAnnotations()};
}

Result<AttributedString> DKRTFReader::parseRTFData(std::string_view bytes,
                                                   const std::optional<std::string>& documentName,
                                                   std::vector<std::string>* warnings)
{
    const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    DKRTFReaderSource source =
        isUTF8(span) ? DKRTFReaderSource::utf8(bytes) : DKRTFReaderSource::inDeclaredCodePages(bytes);
    if (!source.startsAsRTF())
        return Error{kErrorDomain, NotRTFError, "The file is not an RTF document: it does not begin with \"{\\rtf\"."};
    DKRTFReader reader(std::move(source), documentName);
    reader.parse();
    if (warnings)
        *warnings = reader.warnings();
    return reader.takeAttributedString();
}

DKRTFReader::DKRTFReader(DKRTFReaderSource source, std::optional<std::string> documentName, Fonts fonts)
    : m_keywords(DKRTFKeywordTable::shared())
    , m_source(std::move(source))
    , m_bytes(m_source.bytes())
    , m_attributedString(textRoomForSource(m_bytes.size()))
    , m_attributeBuilder(m_fontTable, m_listTable, m_documentValues, fonts)
    , m_documentName(std::move(documentName))
{
}

DKRTFReader::DKRTFReader(std::u16string_view rtf, std::optional<std::string> documentName, Fonts fonts)
    : DKRTFReader(DKRTFReaderSource::fromText(rtf), std::move(documentName), fonts)
{
}

void DKRTFReader::parse()
{
    if (m_parsed)
        return;
    m_parsed = true;
    m_attributedString.beginEditing();
    while (!isAtEnd())
        parseRTFGroup(SemicolonAction::None);
    markSectionBreaks();
    m_attributedString.endEditing();
    if (m_lastParagraphSpacing)
        m_pageSettings.setParagraphSpacing(DKRTFPageSettings::kParagraphSpacingKey, *m_lastParagraphSpacing);
    if (m_lastParagraphSpacingBefore)
        m_pageSettings.setParagraphSpacing(DKRTFPageSettings::kParagraphSpacingBeforeKey, *m_lastParagraphSpacingBefore);
    // Another program's header or footer stands in for Folio's own, which a
    // file of ours may carry beside it for other programs.
    HeadsKept kept;
    if (m_foreignHeader) {
        if (auto settings = DKRTFForeignHeaderFooter::settingsForText(m_foreignHeader->text, m_headerDistance)) {
            kept.ownHeader = m_foreignHeader->writtenForSettings
                && m_pageSettings.text(DKRTFPageSettings::kHeaderControlKey).has_value();
            m_pageSettings.setForeignHeaderFooterControl(DKRTFPageSettings::kHeaderControlKey, *settings);
            kept.header = true;
        }
    }
    if (m_foreignFooter) {
        if (auto settings = DKRTFForeignHeaderFooter::settingsForText(m_foreignFooter->text, m_footerDistance)) {
            kept.ownFooter = m_foreignFooter->writtenForSettings
                && m_pageSettings.text(DKRTFPageSettings::kFooterControlKey).has_value();
            m_pageSettings.setForeignHeaderFooterControl(DKRTFPageSettings::kFooterControlKey, *settings);
            kept.footer = true;
        }
    }
    m_pageSettings.completeWithRTFDefaults(!isWrittenByFolio(m_bytes));
    if (m_styleSheet && !m_styleSheet->isEmpty())
        m_pageSettings.setStyleSheet(m_styleSheet->serialized());
    keepScriptDefaults();
    if (!m_documentInfo.isEmpty())
        m_pageSettings.setDocumentInfo(m_documentInfo.serialized());
    std::string names = m_fontTable.joinedNames();
    if (m_attributeBuilder.foundUnnamedFont())
        names.insert(0, 1, ';');
    if (!names.empty())
        m_pageSettings.setFontNames(std::move(names));
    if (std::string forms = otherHeaderFooterForms(kept); !forms.empty())
        m_pageSettings.setOtherHeaderFooterForms(std::move(forms));

    if (m_states.openGroups() > 0)
        m_warnings.push_back("The text ends with " + std::to_string(m_states.openGroups()) + " group(s) still open.");
    if (m_states.unmatchedClosingBraces() > 0)
        m_warnings.push_back(std::to_string(m_states.unmatchedClosingBraces()) +
                             " closing brace(s) without an opening brace were ignored.");
    if (m_states.overflowed())
        m_warnings.push_back("Groups nested deeper than " + std::to_string(DKRTFReaderStateStack::kMaxDepth) +
                             " levels were read as part of their enclosing group.");
    if (m_undecodableBytes > 0)
        m_warnings.push_back(std::to_string(m_undecodableBytes) +
                             " byte(s) could not be decoded in their code page and were left out.");
}

// --- The group step -------------------------------------------------------

void DKRTFReader::parseRTFGroup(SemicolonAction semicolonAction)
{
    const std::size_t entryDepth = m_states.depth();
    // The bytes never change; only the location moves, also inside the
    // handlers of control words, so it is read afresh each turn.
    const std::string_view text = m_bytes;
    for (;;) {
        const std::size_t location = m_location;
        if (location >= text.size()) {
            // Places an attachment read last, which has no text after it.
            appendString(u"");
            return;
        }
        const char character = text[location];
        if (character != '\\')
            m_afterStar = false;
        switch (character) {
        case '}': {
            m_location = location + 1;
            m_destinationRunGoesOn = false;
            // The text after a text box starts a paragraph of its own.
            if (state().inTextBox() && !m_states.enclosing().inTextBox() && !m_atParagraphStart)
                actionNewParagraph(1);
            const DKRTFReaderState::ListTracking tracking = state().listTracking();
            m_states.pop();
            // Word and pandoc write each item of a list in a group of its
            // own: the items read in the group still belong to the list, so
            // the next item continues it instead of opening another. Our
            // own lists are read as they always were.
            if (tracking.previousListID != 0 && m_listTable.itemsNeedNoLabel(tracking.previousListID))
                state().setListTracking(tracking);
            if (!m_openFields.empty())
                endFieldsClosedByGroupEnd();
            if (m_states.depth() < entryDepth)
                return;
            break;
        }
        case '{':
            m_location = location + 1;
            m_destinationRunGoesOn = false;
            m_states.push();
            break;
        case '\\':
            m_location = location + 1;
            if (!parseKeyword())
                parseControlSymbol();
            break;
        case '\r':
        case '\n':
            // Line breaks of the RTF text are never text.
            m_location = location + 1;
            break;
        default:
            if (character == ';' && semicolonAction != SemicolonAction::None) {
                performSemicolonAction(semicolonAction);
            } else {
                const std::size_t end = endOfTextRun(text, location + 1, semicolonAction != SemicolonAction::None);
                m_location = end;
                if (!state().discardText())
                    appendSourceText(location, end);
            }
            break;
        }
    }
}

void DKRTFReader::performSemicolonAction(SemicolonAction action)
{
    m_location = m_source.endOfUnit(m_location);
    if (action == SemicolonAction::AddColorTableEntry) {
        m_colorTable.addColorTableEntry();
        return;
    }
    m_destinationRunGoesOn = false;
    const std::shared_ptr<std::u16string>& destination = state().alternateDestination();
    std::u16string name = destination ? *destination : std::u16string();
    state().setAlternateDestination(std::make_shared<std::u16string>());
    const DKRTFFontFamilyClass familyClass = std::exchange(m_fontFamilyClass, DKRTFFontFamilyClass::Unstated);
    const std::shared_ptr<std::u16string> alternative = std::move(m_fontAlternative);
    m_fontAlternative.reset();
    if (state().fontNumber() < 0)
        return;
    m_fontTable.addEntry(state().fontNumber(), std::move(name), state().fontCharacterSet(), familyClass,
                         alternative ? *alternative : std::u16string());
}

std::size_t DKRTFReader::endOfCurrentGroup(std::size_t limit) const
{
    const std::string_view text = m_bytes;
    const std::size_t start = m_location;
    const std::size_t end = limit < text.size() - std::min(start, text.size()) ? start + limit : text.size();
    std::size_t depth = 0;
    for (std::size_t position = findFirstOf<'\\', '{', '}'>(text.data(), start, end); position < end;
         position = findFirstOf<'\\', '{', '}'>(text.data(), position + 1, end)) {
        switch (text[position]) {
        case '\\':
            // An escaped brace or backslash is text.
            ++position;
            break;
        case '{':
            ++depth;
            break;
        default:
            if (depth == 0)
                return position;
            --depth;
            break;
        }
    }
    return end;
}

bool DKRTFReader::skipString(std::string_view string)
{
    if (!m_bytes.substr(std::min(m_location, m_bytes.size())).starts_with(string))
        return false;
    m_location += string.size();
    return true;
}

std::optional<unsigned> DKRTFReader::readHexByte()
{
    unsigned value = 0;
    std::size_t digits = 0;
    for (; digits < 2 && m_location < m_bytes.size(); ++digits, ++m_location) {
        const int digit = digitValue(static_cast<char16_t>(static_cast<unsigned char>(m_bytes[m_location])), 16);
        if (digit < 0)
            break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

// --- Control words and symbols ---------------------------------------------

namespace {

// The digits of a parameter from the cursor, which moves past them, up to
// the end. Inlined: a large document has a parameter on every other control
// word.
[[gnu::always_inline]] inline int readDigits(const char*& cursor, const char* end)
{
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; cursor < end; ++cursor) {
        const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(*cursor)) - '0';
        if (digit > 9)
            break;
        if (value < kLimit)
            value = value * 10 + digit;
    }
    return static_cast<int>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

int DKRTFReader::readParameterDigits()
{
    const char* cursor = m_bytes.data() + std::min(m_location, m_bytes.size());
    const int value = readDigits(cursor, m_bytes.data() + m_bytes.size());
    m_location = static_cast<std::size_t>(cursor - m_bytes.data());
    return value;
}

bool DKRTFReader::parseKeyword()
{
    // Half a million control words in a large document: the word, its
    // parameter and the blank after it are read in one pass over the bytes,
    // and the word is looked up where it stands, without a copy.
    const char* const begin = m_bytes.data();
    const char* const end = begin + m_bytes.size();
    const char* const first = begin + m_location;
    const char* cursor = first;
    // Short names are packed into their table key while they are read, and
    // most words are read and keyed in one step.
    std::uint64_t packed = 0;
    std::size_t length = shortASCIILetterRun(first, end, packed);
    if (length > 0) {
        cursor += length;
    } else {
        for (packed = 0; cursor < end; ++cursor) {
            const unsigned unit = static_cast<unsigned char>(*cursor);
            // One comparison for both cases: folding in the 0x20 bit maps the
            // capitals onto the small letters and nothing else onto them.
            if ((unit | 0x20u) - 'a' >= 26u)
                break;
            packed = DKRTFKeywordTable::packStep(packed, static_cast<char16_t>(unit));
        }
        length = static_cast<std::size_t>(cursor - first);
        // The letter test of the backslash's next byte is this read's
        // first step, not one of its own before it.
        if (length == 0)
            return false;
    }
    const DKRTFKeyword* keyword = nullptr;
    if (length <= DKRTFKeywordTable::kLongestPackedName)
        keyword = m_keywords.keywordPacked(packed);
    else if (length <= DKRTFKeywordTable::kLongestName) // no word the reader knows is longer
        keyword = m_keywords.keywordNamed(std::string_view(first, length));

    m_keywordName = std::string_view(first, length);
    const char next = cursor < end ? *cursor : '\0';
    // Half the words of a word processor's file are words this reader does
    // not know ("\fcs", "\cgrid", "\brdrw"): outside a "\*" destination
    // they do nothing but end, with their parameter and blank.
    const bool ignored = !keyword && !m_afterStar;
    if (static_cast<unsigned>(static_cast<unsigned char>(next)) - '0' <= 9u || next == '-') {
        const bool negative = next == '-';
        if (negative)
            ++cursor;
        int parameter = readDigits(cursor, end);
        if (negative)
            parameter = -parameter;
        if (cursor < end && *cursor == ' ')
            ++cursor;
        m_location = static_cast<std::size_t>(cursor - begin);
        if (!ignored)
            handleKeyword(keyword, &parameter);
    } else if (next == '\'') {
        // A word run into a hex escape is dropped; the escape still counts.
        m_location = static_cast<std::size_t>(cursor - begin) + 1;
        parseHexByte();
    } else {
        if (next == ' ')
            ++cursor;
        m_location = static_cast<std::size_t>(cursor - begin);
        if (!ignored)
            handleKeyword(keyword, nullptr);
    }
    return true;
}

void DKRTFReader::handleKeyword(const DKRTFKeyword* keyword, const int* parameter)
{
    const bool afterStar = std::exchange(m_afterStar, false);
    if (state().skipsGroup()) {
        // Binary data is stepped over even where nothing else acts: its
        // bytes could otherwise be read as braces.
        if (keyword && keyword->handler == &DKRTFReader::actionSkipBinaryData)
            actionSkipBinaryData(keyword->valueForParameter(parameter));
        return;
    }
    if (!keyword) {
        // RTF's rule for "\*": a destination the reader does not know is
        // ignored whole, control words included.
        if (afterStar)
            state().skipGroup();
        return;
    }
    // LibreOffice marks a run's character style as ignorable ("{\*\cs15
    // words}") for readers without styles: the words are still text.
    if (afterStar && keyword->handler == &DKRTFReader::actionCharacterStyle)
        state().setDiscardText(m_discardedBeforeStar);
    (this->*keyword->handler)(keyword->valueForParameter(parameter));
}

void DKRTFReader::parseControlSymbol()
{
    if (isAtEnd())
        return;
    const std::size_t symbolStart = m_location;
    const std::size_t symbolEnd = m_source.endOfUnit(symbolStart);
    const char symbol = m_bytes[symbolStart];
    m_location = symbolEnd;
    m_afterStar = false;
    switch (symbol) {
    case '\'':
        parseHexByte();
        break;
    case '*':
        // The rest of the group is not text; control words inside it still
        // act, so destinations that read their own content work behind "\*".
        m_discardedBeforeStar = state().discardText();
        state().setDiscardText(true);
        m_afterStar = true;
        break;
    case '~':
        appendString(u"\u00A0");
        break;
    case '-':
        appendString(u"\u00AD");
        break;
    case '_':
        appendString(u"\u2011");
        break;
    case '\r':
        // A file with CR LF line ends escapes the CR: still one new paragraph.
        appendString(u"\n");
        break;
    default:
        // Any other character stands for itself: one unit, which may be
        // the first half of a surrogate pair.
        appendString(m_source.text(symbolStart, symbolEnd, m_runText));
        break;
    }
}

void DKRTFReader::parseHexByte()
{
    // Adjacent escapes are decoded together, so that the two bytes of a
    // double-byte code page character make one character.
    std::string bytes;
    for (;;) {
        std::optional<unsigned> byte = readHexByte();
        if (!byte)
            break;
        bytes.push_back(static_cast<char>(*byte));
        if (!skipString("\\'"))
            break;
    }
    if (!bytes.empty())
        appendString(decodeBytes(bytes));
}

StringDecoder& DKRTFReader::decoderFor(const StringEncoding& encoding)
{
    for (StringDecoder& decoder : m_decoders) {
        if (decoder.encoding() == encoding)
            return decoder;
    }
    return m_decoders.emplace_back(encoding);
}

std::u16string DKRTFReader::decodeBytes(std::string_view bytes)
{
    StringDecoder& decoder = decoderFor(state().stringEncoding());
    if (std::optional<std::u16string> text = decoder.decode(bytes))
        return *text;
    // Something in the run does not decode: take it a character at a time,
    // a pair where the pair decodes, else the single byte, so that one bad
    // byte costs only itself.
    std::u16string text;
    std::size_t index = 0;
    while (index < bytes.size()) {
        if (index + 1 < bytes.size()) {
            if (std::optional<std::u16string> pair = decoder.decode(bytes.substr(index, 2))) {
                text += *pair;
                index += 2;
                continue;
            }
        }
        if (std::optional<std::u16string> single = decoder.decode(bytes.substr(index, 1)))
            text += *single;
        else
            noteUndecodableBytes();
        ++index;
    }
    return text;
}

void DKRTFReader::noteUndecodableBytes() { ++m_undecodableBytes; }

// --- Appending text -------------------------------------------------------

void DKRTFReader::appendSourceText(std::size_t begin, std::size_t end)
{
    std::string_view run = m_bytes.substr(begin, end - begin);
    // Control characters in the source (a NUL that a writer left after the
    // last brace) are no text; a tab is. They are ASCII in every source.
    std::string kept;
    if (findFirstByteBelow<0x20, '\t'>(run.data(), 0, run.size()) < run.size()) {
        std::ranges::copy_if(run, std::back_inserter(kept),
                             [](char byte) { return static_cast<unsigned char>(byte) >= 0x20 || byte == '\t'; });
        if (kept.empty())
            return;
        run = kept;
    }
    if (m_source.characters() != DKRTFReaderSource::Characters::DeclaredCodePages) {
        // Decoded where it stands, so that its last bytes are widened in a
        // block with those after them.
        appendString(kept.empty() ? m_source.text(begin, end, m_runText) : m_source.text(run, m_runText));
        return;
    }
    // Runs of 8-bit characters are bytes in the current code page.
    std::size_t start = 0;
    while (start < run.size()) {
        std::size_t runEnd = start;
        const bool eightBit = static_cast<unsigned char>(run[start]) >= 0x80;
        while (runEnd < run.size() && (static_cast<unsigned char>(run[runEnd]) >= 0x80) == eightBit)
            ++runEnd;
        if (eightBit) {
            appendString(decodeBytes(run.substr(start, runEnd - start)));
        } else {
            appendString(m_source.text(run.substr(start, runEnd - start), m_runText));
        }
        start = runEnd;
    }
}

void DKRTFReader::appendListPlaceholder()
{
    const std::u16string& document = m_attributedString.string();
    if (!document.empty() && document.back() == kPlaceholder)
        return;
    // A copy, so that the list tracking advanced for the label stays with
    // the label, as it does when the label's own group is read.
    std::unique_ptr<DKRTFReaderState> label = state().copy();
    label->setListPrefix(1);
    m_attributedString.appendString(std::u16string_view(&kPlaceholder, 1),
                                    m_attributeBuilder.stringAttributes(*label, label->listType()));
}

void DKRTFReader::appendString(std::u16string_view text)
{
    DKRTFReaderState& current = state();
    if (current.discardText())
        return;
    if (const std::shared_ptr<std::u16string>& destination = current.alternateDestination()) {
        // A font's name is the last run of its group before ";", and a name
        // in a code page of its own ("\'82\'6c\'82\'72 \'83\'53...", as
        // WordPad writes Japanese names) is runs of escapes and blanks that
        // make one run together: only a brace starts another.
        if (std::exchange(m_destinationRunGoesOn, true))
            destination->append(text);
        else
            *destination = std::u16string(text);
        return;
    }
    if (current.listPrefix() != 0) {
        // The item's number or bullet is made again from the list style; it
        // is kept only for a paragraph that turns out not to be a list item.
        m_pendingListPrefix = true;
        m_pendingListLabel += text;
        m_pendingListLabelHalfPoints = static_cast<int>(std::lround(current.fontSize() * 2));
        return;
    }
    if (text.empty()) {
        if (text.empty())
            placePendingAttachment(text, current);
        return;
    }
    if (m_pendingListPrefix) {
        m_pendingListPrefix = false;
        std::u16string label = std::exchange(m_pendingListLabel, std::u16string());
        m_pendingListLabelHalfPoints.reset();
        if (current.listID() != 0 && m_listTable.count() > 0)
            appendListPlaceholder();
        else if (!label.empty())
            m_attributedString.appendString(label, m_attributeBuilder.stringAttributes(current, current.listType()));
    } else if (m_atParagraphStart && current.listID() != 0 && m_listTable.itemsNeedNoLabel(current.listID())) {
        appendListPlaceholder();
    }
    m_atParagraphStart = false;
    placePendingAttachment(text, current);
}

void DKRTFReader::placePendingAttachment(std::u16string_view text, DKRTFReaderState& current)
{
    AttributeDictionaryPtr attributes = m_attributeBuilder.stringAttributes(current, current.listType());
    if (AttributeValuePtr attachment = std::exchange(m_pendingAttachment, nullptr)) {
        const auto* textAttachment = attachment->as<TETextAttachment>();
        const std::u16string* type = textAttachment ? textAttachment->attributeForKey("attachmentType") : nullptr;
        if (attachment->as<TEImageTextAttachment>()) {
            m_attributedString.appendString(std::u16string_view(&kPlaceholder, 1),
                                            attributes->dictionaryBySettingValue(NSAttachmentAttributeName, attachment));
            if (std::exchange(m_pendingPictureOwnsBlank, false) && text.starts_with(u' '))
                text.remove_prefix(1);
        } else if (type && (*type == u"footnote" || *type == u"annotation")) {
            // A note sits on a placeholder of its own that continues the text
            // before it; at the very start it still gets its note.
            const std::size_t length = m_attributedString.length();
            AttributeDictionaryPtr previous =
                length > 0 ? m_attributedString.attributesAtIndex(length - 1) : AttributeDictionary::empty();
            m_attributedString.appendString(std::u16string_view(&kPlaceholder, 1),
                                            previous->dictionaryBySettingValue(NSAttachmentAttributeName, attachment));
        } else if (!text.empty()) {
            // A package picture stands on one character (the writer's "\'ac");
            // the text after that character is the user's own.
            const std::size_t standIn = isHighSurrogate(text.front()) && text.size() > 1 ? 2 : 1;
            m_attributedString.appendString(text.substr(0, standIn),
                                            attributes->dictionaryBySettingValue(NSAttachmentAttributeName, attachment));
            text.remove_prefix(standIn);
        }
    }
    if (!text.empty())
        m_attributedString.appendString(text, attributes);
}

// --- Text and characters ----------------------------------------------------

void DKRTFReader::actionInsertUnicodeCharacter(int value)
{
    // RTF writes code points above 32767 as negative numbers.
    const std::int64_t code = value < 0 ? static_cast<std::int64_t>(value) + 65536 : value;
    std::u16string character;
    if (code < 0 || code > 0x10FFFF) {
        character = u"\uFFFD";
    } else if (code == u'\t' || code == u'\n' || (code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0) &&
                                                    code != kPlaceholder)) {
        // Control characters and the list placeholder are never text.
        character = utf16FromCodePoint(static_cast<char32_t>(code));
    }
    if (!character.empty())
        appendString(character);

    const int skipCount = state().unicodeSkipCount();
    for (int skipped = 0; skipped < skipCount; ++skipped) {
        if (!skipReplacementCharacter())
            break;
    }
}

bool DKRTFReader::skipReplacementCharacter()
{
    // Line breaks of the RTF text are not characters of the replacement.
    while (!isAtEnd() && (m_bytes[m_location] == '\r' || m_bytes[m_location] == '\n'))
        ++m_location;
    if (isAtEnd())
        return false;
    const char character = m_bytes[m_location];
    if (character == '{' || character == '}')
        return false;
    if (character != '\\') {
        // A whole surrogate pair is one character.
        m_location = m_source.endOfCharacter(m_location);
        return true;
    }
    ++m_location;
    if (isAtEnd())
        return true;
    const char next = m_bytes[m_location];
    if (next == '\'') {
        ++m_location;
        readHexByte();
    } else if (isWordLetter(next)) {
        while (!isAtEnd() && isWordLetter(m_bytes[m_location]))
            ++m_location;
        if (!isAtEnd() && m_bytes[m_location] == '-')
            ++m_location;
        readParameterDigits();
        if (!isAtEnd() && m_bytes[m_location] == ' ')
            ++m_location;
    } else {
        m_location = m_source.endOfUnit(m_location);
    }
    return true;
}

void DKRTFReader::actionSetUnicodeSkipCount(int value) { state().setUnicodeSkipCount(value); }

void DKRTFReader::actionSetAnsiCode(int value)
{
    StringEncoding encoding = StringEncoding::windowsCodePage(value);
    // A code page this system cannot decode would lose every escaped byte.
    if (!encoding.isSupported())
        encoding = StringEncoding::windowsLatin1();
    m_documentEncoding = encoding;
    state().setStringEncoding(std::move(encoding));
}

void DKRTFReader::actionDocumentCodePage(int value)
{
    StringEncoding encoding = value == 10000 ? StringEncoding::macRoman() : StringEncoding::windowsCodePage(value);
    if (!encoding.isSupported())
        encoding = StringEncoding::windowsLatin1();
    m_documentEncoding = encoding;
    state().setStringEncoding(std::move(encoding));
}

void DKRTFReader::actionInsertCharacter(int value)
{
    const char16_t character = static_cast<char16_t>(value);
    appendString(std::u16string_view(&character, 1));
}

void DKRTFReader::actionNewParagraph(int)
{
    if (state().discardText())
        return;
    // Paragraphs inside a table cell stay in the cell, as lines.
    if (state().inTable() || m_inRow) {
        appendString(u"\u2028");
        watchText();
        return;
    }
    // A picture that ends its paragraph stays in it.
    if (m_pendingListPrefix || pendingPicture())
        appendString(u"");
    appendString(u"\n");
    m_atParagraphStart = true;
    m_lastParagraphEnd = m_attributedString.length() - 1;
    m_listTable.paragraphEnded();
    watchText();
}

void DKRTFReader::watchText()
{
    if (!m_watch || m_attributedString.length() < m_nextWatchedLength)
        return;
    m_nextWatchedLength = m_attributedString.length() + m_watch->interval;
    if (m_watch->goOn(m_attributedString))
        return;
    // Nothing more is read: every step of the read ends at the end of the bytes.
    m_stopped = true;
    m_location = m_bytes.size();
}

void DKRTFReader::actionLineBreak(int)
{
    const int clear = std::exchange(m_pendingLineBreakClear, 0);
    if (state().discardText())
        return;
    appendString(u"\u2028");
    const std::size_t length = m_attributedString.length();
    if (clear < 1 || clear > 3 || length == 0 || m_attributedString.string().back() != u'\u2028')
        return;
    AttributeDictionaryPtr attributes = m_attributedString.attributesAtIndex(length - 1);
    m_attributedString.setAttributes(
        (attributes ? attributes : AttributeDictionary::empty())
            ->dictionaryBySettingValue(TELineBreakClearAttribute, IntegerValue::make(clear)),
        Range{length - 1, 1});
}

void DKRTFReader::actionLineBreakClear(int value) { m_pendingLineBreakClear = value; }

bool DKRTFReader::pendingPicture() const
{
    return m_pendingAttachment && m_pendingAttachment->as<TEImageTextAttachment>();
}

bool DKRTFReader::pendingNote() const
{
    const auto* attachment = m_pendingAttachment ? m_pendingAttachment->as<TETextAttachment>() : nullptr;
    const std::u16string* type = attachment ? attachment->attributeForKey("attachmentType") : nullptr;
    return type && (*type == u"footnote" || *type == u"annotation");
}

void DKRTFReader::actionInsertPageBreak(int)
{
    if (state().discardText())
        return;
    m_attributedString.appendString(u"\f", singleFlagAttributes(TEPageBreakAttribute));
    m_atParagraphStart = true;
}

// A paragraph that starts a page ("\pagebb", as Word and LibreOffice write a
// heading's page break) has the break in front of it, as "\page" gives; the
// first paragraph of the text is on the first page already.
void DKRTFReader::actionPageBreakBefore(int value)
{
    if (value == 0 || m_attributedString.length() == 0 || state().discardText())
        return;
    // An escaped line end ("\\" and a line feed, as this program writes a
    // paragraph's end) starts a paragraph too.
    const char16_t last = m_attributedString.string().back();
    if (last == u'\f' || (!m_atParagraphStart && last != u'\n'))
        return;
    // Kept apart from a break of its own, so that a save gives the
    // paragraph its break back.
    AttributeDictionaryPtr attributes = singleFlagAttributes(TEPageBreakAttribute)
        ->dictionaryBySettingValue(TEPageBreakBeforeParagraphAttribute, BoolValue::make(true));
    m_attributedString.appendString(u"\f", attributes);
    m_atParagraphStart = true;
}

void DKRTFReader::actionInsertHorizontalLine(int)
{
    if (state().skipsGroup())
        return;
    m_attributedString.appendString(u"\f", singleFlagAttributes(TEHorizontalRuleStyleAttribute));
}

void DKRTFReader::actionSkipBinaryData(int value)
{
    if (value <= 0)
        return;
    // The count is in bytes of the file.
    m_location = m_source.endOfBinaryData(m_location, value);
}

} // namespace folio
