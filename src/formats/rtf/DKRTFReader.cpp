#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/RTFPaperColor.h"

#include "formats/rtf/DKRTFKeywordTable.h"
#include "formats/rtf/DKRTFObjectReader.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UTF16Search.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace folio {

namespace {

constexpr char16_t kPlaceholder = u'\uFEFF';

bool isLetter(char16_t character)
{
    return (character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z');
}

// Room for the text of a document read from a source of that length. Every
// character of the text comes from at least one unit of the source, so the
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
std::size_t endOfTextRun(const std::u16string& text, std::size_t from, bool semicolons)
{
    if (semicolons)
        return findFirstOf<u'\\', u'{', u'}', u'\r', u'\n', u';'>(text.data(), from, text.size());
    return findFirstOf<u'\\', u'{', u'}', u'\r', u'\n'>(text.data(), from, text.size());
}

std::u16string utf16FromCodePoint(char32_t code)
{
    if (code <= 0xFFFF)
        return std::u16string(1, static_cast<char16_t>(code));
    code -= 0x10000;
    return {static_cast<char16_t>(0xD800 + (code >> 10)), static_cast<char16_t>(0xDC00 + (code & 0x3FF))};
}

// A letter that has a capital of its own (a lower-case letter).
bool hasCapital(char16_t unit)
{
    const std::u16string_view letter(&unit, 1);
    return uppercaseString(letter) != letter;
}

AttributeDictionaryPtr singleFlagAttributes(std::string_view key)
{
    return AttributeDictionary::make({{AttributeKey(key), BoolValue::make(true)}});
}

// NOTE: Folio's own writer opens every file with this line and a fixed paper
// size that says nothing of the page the document is printed on (the user's
// page size setting does).
bool isWrittenByFolio(std::u16string_view rtf)
{
    return rtf.starts_with(u"{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840\\margl");
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
    DKRTFReader reader(rtf, documentName);
    reader.parse();
    if (warnings)
        *warnings = reader.warnings();
    return reader.takeAttributedString();
}

Result<DKRTFReadResult> DKRTFReader::read(std::u16string rtf, const std::optional<std::string>& documentName,
                                         Fonts fonts)
{
    std::string paperColor = takePaperColorFromRTF(rtf);
    if (!isRTF(rtf))
        return Error{kErrorDomain, NotRTFError, "The text is not an RTF document: it does not begin with \"{\\rtf\"."};
    DKRTFReader reader(std::move(rtf), documentName, TextUnits::UTF16, fonts);
    reader.parse();
    return DKRTFReadResult{reader.takeAttributedString(), reader.pageSettings(), std::move(paperColor),
                           reader.warnings(), reader.legacyAnnotations()};
}

Result<AttributedString> DKRTFReader::parseRTFData(std::string_view bytes,
                                                   const std::optional<std::string>& documentName,
                                                   std::vector<std::string>* warnings)
{
    TextUnits units = TextUnits::UTF16;
    std::u16string text;
    if (std::optional<std::u16string> utf8 = stringWithData(bytes, StringEncoding::utf8())) {
        text = std::move(*utf8);
    } else {
        units = TextUnits::Bytes;
        text.reserve(bytes.size());
        for (char byte : bytes)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(byte)));
    }
    if (!isRTF(text))
        return Error{kErrorDomain, NotRTFError, "The file is not an RTF document: it does not begin with \"{\\rtf\"."};
    DKRTFReader reader(std::move(text), documentName, units);
    reader.parse();
    if (warnings)
        *warnings = reader.warnings();
    return reader.takeAttributedString();
}

DKRTFReader::DKRTFReader(std::u16string_view rtf, std::optional<std::string> documentName, TextUnits units)
    : DKRTFReader(std::u16string(rtf), std::move(documentName), units)
{
}

DKRTFReader::DKRTFReader(std::u16string&& rtf, std::optional<std::string> documentName, TextUnits units,
                         Fonts fonts)
    : m_keywords(DKRTFKeywordTable::shared())
    , m_scanner(std::move(rtf))
    , m_attributedString(textRoomForSource(m_scanner.string().size()))
    , m_attributeBuilder(m_fontTable, m_listTable, m_documentValues, fonts)
    , m_documentName(std::move(documentName))
    , m_units(units)
{
}

void DKRTFReader::parse()
{
    if (m_parsed)
        return;
    m_parsed = true;
    m_attributedString.beginEditing();
    while (!m_scanner.isAtEnd())
        parseRTFGroup(SemicolonAction::None);
    m_attributedString.endEditing();
    if (m_lastParagraphSpacing)
        m_pageSettings.setParagraphSpacing(DKRTFPageSettings::kParagraphSpacingKey, *m_lastParagraphSpacing);
    if (m_lastParagraphSpacingBefore)
        m_pageSettings.setParagraphSpacing(DKRTFPageSettings::kParagraphSpacingBeforeKey, *m_lastParagraphSpacingBefore);
    m_pageSettings.completeWithRTFDefaults(!isWrittenByFolio(m_scanner.string()));

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
    // The scanner's text never changes; only its location moves, also
    // inside the handlers of control words, so it is read afresh each turn.
    const std::u16string& text = m_scanner.string();
    for (;;) {
        const std::size_t location = m_scanner.scanLocation();
        if (location >= text.size()) {
            // Places an attachment read last, which has no text after it.
            appendString(u"");
            return;
        }
        const char16_t character = text[location];
        if (character != u'\\')
            m_afterStar = false;
        switch (character) {
        case u'}': {
            m_scanner.setScanLocation(location + 1);
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
            if (m_states.depth() < entryDepth)
                return;
            break;
        }
        case u'{':
            m_scanner.setScanLocation(location + 1);
            m_states.push();
            break;
        case u'\\':
            m_scanner.setScanLocation(location + 1);
            // The string's terminating NUL, after a backslash at the very
            // end, is no letter.
            if (isLetter(text.data()[location + 1]))
                parseKeyword();
            else
                parseControlSymbol();
            break;
        case u'\r':
        case u'\n':
            // Line breaks of the RTF text are never text.
            m_scanner.setScanLocation(location + 1);
            break;
        default:
            if (character == u';' && semicolonAction != SemicolonAction::None) {
                performSemicolonAction(semicolonAction);
            } else {
                // The run is read in place: the text outlives the parse.
                const std::size_t end = endOfTextRun(text, location + 1, semicolonAction != SemicolonAction::None);
                m_scanner.setScanLocation(end);
                if (!state().discardText())
                    appendSourceText(std::u16string_view(text).substr(location, end - location));
            }
            break;
        }
    }
}

void DKRTFReader::performSemicolonAction(SemicolonAction action)
{
    m_scanner.skipPeekedCharacter();
    if (action == SemicolonAction::AddColorTableEntry) {
        m_colorTable.addColorTableEntry();
        return;
    }
    const std::shared_ptr<std::u16string>& destination = state().alternateDestination();
    std::u16string name = destination ? *destination : std::u16string();
    state().setAlternateDestination(std::make_shared<std::u16string>());
    if (state().fontNumber() < 0)
        return;
    m_fontTable.addEntry(state().fontNumber(), std::move(name), state().fontCharacterSet());
}

std::size_t DKRTFReader::endOfCurrentGroup(std::size_t limit) const
{
    const std::u16string& text = m_scanner.string();
    const std::size_t start = m_scanner.scanLocation();
    const std::size_t end = limit < text.size() - std::min(start, text.size()) ? start + limit : text.size();
    std::size_t depth = 0;
    for (std::size_t position = findFirstOf<u'\\', u'{', u'}'>(text.data(), start, end); position < end;
         position = findFirstOf<u'\\', u'{', u'}'>(text.data(), position + 1, end)) {
        switch (text[position]) {
        case u'\\':
            // An escaped brace or backslash is text.
            ++position;
            break;
        case u'{':
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

// --- Control words and symbols ---------------------------------------------

int DKRTFReader::readParameterDigits()
{
    std::size_t position = m_scanner.scanLocation();
    const int value = parameterDigits(m_scanner.string(), position);
    m_scanner.setScanLocation(position);
    return value;
}

namespace {

// The digits of a parameter from the cursor, which moves past them. The
// string's terminating NUL is no digit, so the run ends without a test of
// the length at every digit. Inlined: a large document has a parameter on
// every other control word.
[[gnu::always_inline]] inline int readDigits(const char16_t*& cursor)
{
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    for (;; ++cursor) {
        const unsigned digit = static_cast<unsigned>(*cursor) - u'0';
        if (digit > 9)
            break;
        if (value < kLimit)
            value = value * 10 + digit;
    }
    return static_cast<int>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

int DKRTFReader::parameterDigits(const std::u16string& text, std::size_t& position)
{
    const char16_t* cursor = text.data() + position;
    const int value = readDigits(cursor);
    position = static_cast<std::size_t>(cursor - text.data());
    return value;
}

void DKRTFReader::parseKeyword()
{
    // Half a million control words in a large document: the word, its
    // parameter and the blank after it are read in one pass over the text,
    // and the word is looked up where it stands, without a copy. The
    // string's terminating NUL is neither letter, digit, sign nor blank, so
    // each step ends there without a test of the length.
    const std::u16string& text = m_scanner.string();
    const char16_t* const first = text.data() + m_scanner.scanLocation();
    const char16_t* cursor = first;
    // Short names are packed into their table key while they are read, and
    // most words are read and keyed in one step.
    std::uint64_t packed = 0;
    std::size_t length = shortASCIILetterRun(first, text.data() + text.size(), packed);
    if (length > 0) {
        cursor += length;
    } else {
        for (packed = 0;; ++cursor) {
            const unsigned unit = *cursor;
            // One comparison for both cases: folding in the 0x20 bit maps the
            // capitals onto the small letters and nothing else onto them.
            if ((unit | 0x20u) - u'a' >= 26u)
                break;
            packed = DKRTFKeywordTable::packStep(packed, static_cast<char16_t>(unit));
        }
        length = static_cast<std::size_t>(cursor - first);
    }
    const DKRTFKeyword* keyword = nullptr;
    if (length <= DKRTFKeywordTable::kLongestPackedName)
        keyword = m_keywords.keywordPacked(packed);
    else if (length <= DKRTFKeywordTable::kLongestName) // no word the reader knows is longer
        keyword = m_keywords.keywordNamed(std::u16string_view(first, length));

    const char16_t next = *cursor;
    // Half the words of a word processor's file are words this reader does
    // not know ("\loch", "\af", "\brdrw"): outside a "\*" destination
    // they do nothing but end, with their parameter and blank.
    const bool ignored = !keyword && !m_afterStar;
    if (static_cast<unsigned>(next) - u'0' <= 9u || next == u'-') {
        const bool negative = next == u'-';
        if (negative)
            ++cursor;
        int parameter = readDigits(cursor);
        if (negative)
            parameter = -parameter;
        if (*cursor == u' ')
            ++cursor;
        m_scanner.setScanLocation(static_cast<std::size_t>(cursor - text.data()));
        if (!ignored)
            handleKeyword(keyword, &parameter);
    } else if (next == u'\'') {
        // A word run into a hex escape is dropped; the escape still counts.
        m_scanner.setScanLocation(static_cast<std::size_t>(cursor - text.data()) + 1);
        parseHexByte();
    } else {
        if (next == u' ')
            ++cursor;
        m_scanner.setScanLocation(static_cast<std::size_t>(cursor - text.data()));
        if (!ignored)
            handleKeyword(keyword, nullptr);
    }
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
    (this->*keyword->handler)(keyword->valueForParameter(parameter));
}

void DKRTFReader::parseControlSymbol()
{
    if (m_scanner.isAtEnd())
        return;
    const char16_t symbol = m_scanner.readCharacter();
    m_afterStar = false;
    switch (symbol) {
    case u'\'':
        parseHexByte();
        break;
    case u'*':
        // The rest of the group is not text; control words inside it still
        // act, so destinations that read their own content work behind "\*".
        state().setDiscardText(true);
        m_afterStar = true;
        break;
    case u'~':
        appendString(u"\u00A0");
        break;
    case u'-':
        appendString(u"\u00AD");
        break;
    case u'_':
        appendString(u"\u2011");
        break;
    case u'\r':
        // A file with CR LF line ends escapes the CR: still one new paragraph.
        appendString(u"\n");
        break;
    default:
        appendString(std::u16string(1, symbol));
        break;
    }
}

void DKRTFReader::parseHexByte()
{
    // Adjacent escapes are decoded together, so that the two bytes of a
    // double-byte code page character make one character.
    std::string bytes;
    for (;;) {
        std::optional<unsigned> byte = m_scanner.readHexadecimalNumber(2);
        if (!byte)
            break;
        bytes.push_back(static_cast<char>(*byte));
        if (!m_scanner.scanString(u"\\'"))
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

void DKRTFReader::appendSourceText(std::u16string_view text)
{
    // Control characters in the source (a NUL that a writer left after the
    // last brace) are no text; a tab is.
    if (findFirstBelow<0x20, u'\t'>(text.data(), 0, text.size()) < text.size()) {
        std::u16string kept;
        for (char16_t unit : text) {
            if (unit >= 0x20 || unit == u'\t')
                kept.push_back(unit);
        }
        if (!kept.empty())
            appendSourceText(kept);
        return;
    }
    if (m_units == TextUnits::UTF16) {
        appendString(text);
        return;
    }
    // Runs of 8-bit characters are bytes in the current code page.
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        const bool eightBit = text[start] >= 0x80;
        while (end < text.size() && (text[end] >= 0x80) == eightBit)
            ++end;
        std::u16string_view run = text.substr(start, end - start);
        if (eightBit) {
            std::string bytes(run.begin(), run.end());
            appendString(decodeBytes(bytes));
        } else {
            appendString(run);
        }
        start = end;
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
        *destination = std::u16string(text);
        return;
    }
    if (current.listPrefix() != 0) {
        // The item's number or bullet is made again from the list style; it
        // is kept only for a paragraph that turns out not to be a list item.
        m_pendingListPrefix = true;
        m_pendingListLabel += text;
        return;
    }
    if (current.hidden() || text.empty()) {
        if (text.empty())
            placePendingAttachment(text, current);
        return;
    }
    if (m_pendingListPrefix) {
        m_pendingListPrefix = false;
        std::u16string label = std::exchange(m_pendingListLabel, std::u16string());
        if (current.listID() != 0 && m_listTable.count() > 0)
            appendListPlaceholder();
        else if (!label.empty())
            m_attributedString.appendString(label, m_attributeBuilder.stringAttributes(current, current.listType()));
    } else if (m_atParagraphStart && current.listID() != 0 && m_listTable.itemsNeedNoLabel(current.listID())) {
        appendListPlaceholder();
    }
    m_atParagraphStart = false;
    if (current.capitals()) {
        placePendingAttachment(uppercaseString(text), current);
    } else if (current.smallCapitals() && !m_pendingAttachment) {
        appendSmallCapitals(text, current);
    } else {
        placePendingAttachment(text, current);
    }
}

void DKRTFReader::appendSmallCapitals(std::u16string_view text, DKRTFReaderState& current)
{
    // Lower-case letters become capitals of seven tenths of the size; the
    // text's own capitals keep theirs.
    constexpr double kSmallCapitalScale = 0.7;
    const AttributeDictionaryPtr attributes = m_attributeBuilder.stringAttributes(current, current.listType());
    AttributeDictionaryPtr small = attributes;
    if (const auto* font = attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName))
        small = attributes->dictionaryBySettingValue(
            kCTFontAttributeName, FontAttributeValue::make(font->font().copyWithSize(font->font().pointSize() * kSmallCapitalScale)));
    std::size_t index = 0;
    while (index < text.size()) {
        const bool lower = hasCapital(text[index]);
        std::size_t end = index;
        while (end < text.size() && hasCapital(text[end]) == lower)
            ++end;
        std::u16string_view run = text.substr(index, end - index);
        if (lower)
            m_attributedString.appendString(uppercaseString(run), small);
        else
            m_attributedString.appendString(run, attributes);
        index = end;
    }
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
    while (!m_scanner.isAtEnd() && (m_scanner.peekCharacter() == u'\r' || m_scanner.peekCharacter() == u'\n'))
        m_scanner.skipPeekedCharacter();
    if (m_scanner.isAtEnd())
        return false;
    const char16_t character = m_scanner.peekCharacter();
    if (character == u'{' || character == u'}')
        return false;
    m_scanner.skipPeekedCharacter();
    if (character != u'\\') {
        if (character >= 0xD800 && character <= 0xDBFF && !m_scanner.isAtEnd() && m_scanner.peekCharacter() >= 0xDC00 &&
            m_scanner.peekCharacter() <= 0xDFFF)
            m_scanner.skipPeekedCharacter();
        return true;
    }
    if (m_scanner.isAtEnd())
        return true;
    const char16_t next = m_scanner.peekCharacter();
    if (next == u'\'') {
        m_scanner.skipPeekedCharacter();
        m_scanner.readHexadecimalNumber(2);
    } else if (isLetter(next)) {
        while (!m_scanner.isAtEnd() && isLetter(m_scanner.peekCharacter()))
            m_scanner.skipPeekedCharacter();
        if (!m_scanner.isAtEnd() && m_scanner.peekCharacter() == u'-')
            m_scanner.skipPeekedCharacter();
        readParameterDigits();
        if (!m_scanner.isAtEnd() && m_scanner.peekCharacter() == u' ')
            m_scanner.skipPeekedCharacter();
    } else {
        m_scanner.skipPeekedCharacter();
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
    if (state().inTable()) {
        appendString(u"\u2028");
        return;
    }
    if (m_pendingListPrefix)
        appendString(u"");
    appendString(u"\n");
    m_atParagraphStart = true;
}

void DKRTFReader::actionInsertPageBreak(int)
{
    if (state().discardText())
        return;
    m_attributedString.appendString(u"\f", singleFlagAttributes(TEPageBreakAttribute));
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
    // The count is in bytes of the file; a file read as UTF-8 holds some
    // bytes as parts of longer characters.
    const std::u16string& text = m_scanner.string();
    std::size_t position = m_scanner.scanLocation();
    std::int64_t bytes = value;
    while (bytes > 0 && position < text.size()) {
        const char16_t unit = text[position++];
        if (m_units == TextUnits::Bytes || unit < 0x80)
            bytes -= 1;
        else if (unit < 0x800)
            bytes -= 2;
        else if (unit >= 0xD800 && unit <= 0xDBFF)
            bytes -= 2; // the other half of the pair counts the other two
        else if (unit >= 0xDC00 && unit <= 0xDFFF)
            bytes -= 2;
        else
            bytes -= 3;
    }
    m_scanner.setScanLocation(position);
}

} // namespace folio
