#include "formats/rtf/DKRTFReader.h"

#include "formats/rtf/DKRTFKeywordTable.h"
#include "formats/rtf/DKRTFLegacyAnnotations.h"
#include "formats/rtf/DKRTFObjectReader.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/UserDefaults.h"

#include <limits>
#include <utility>

namespace folio {

namespace {

constexpr char16_t kPlaceholder = u'\uFEFF';

bool isLetter(char16_t character)
{
    return (character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z');
}

bool isDigit(char16_t character) { return character >= u'0' && character <= u'9'; }

const CharacterSet& standardReservedSet()
{
    static const CharacterSet set = CharacterSet::characterSetWithCharactersInString(std::u16string_view(u"\\{}\r\n"));
    return set;
}

const CharacterSet& semicolonReservedSet()
{
    static const CharacterSet set = CharacterSet::characterSetWithCharactersInString(std::u16string_view(u"\\{};\r\n"));
    return set;
}

AttributeDictionaryPtr singleFlagAttributes(std::string_view key)
{
    return AttributeDictionary::make({{std::string(key), BoolValue::make(true)}});
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
    return parseRTFString(rtf, documentName, UserDefaults::standardUserDefaults(), warnings);
}

Result<AttributedString> DKRTFReader::parseRTFString(std::u16string_view rtf,
                                                     const std::optional<std::string>& documentName,
                                                     UserDefaults& defaults, std::vector<std::string>* warnings)
{
    if (!isRTF(rtf))
        return Error{kErrorDomain, NotRTFError, "The text is not an RTF document: it does not begin with \"{\\rtf\"."};
    DKRTFReader reader(rtf, documentName, defaults);
    reader.parse();
    if (warnings)
        *warnings = reader.warnings();
    return reader.attributedString().copy();
}

DKRTFReader::DKRTFReader(std::u16string_view rtf, std::optional<std::string> documentName, UserDefaults& defaults)
    : m_scanner(std::u16string(rtf))
    , m_attributeBuilder(m_fontTable, m_listTable, m_documentValues)
    , m_pageSettings(defaults)
    , m_documentName(std::move(documentName))
{
}

void DKRTFReader::parse()
{
    if (m_parsed)
        return;
    m_parsed = true;
    m_pageSettings.resetForNewDocument();
    m_attributedString.beginEditing();
    while (!m_scanner.isAtEnd())
        parseRTFGroup(SemicolonAction::None);
    m_attributedString.endEditing();
    m_pageSettings.synchronize();

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
    const CharacterSet& reserved =
        semicolonAction == SemicolonAction::None ? standardReservedSet() : semicolonReservedSet();
    for (;;) {
        if (m_scanner.isAtEnd()) {
            // Places an attachment read last, which has no text after it.
            appendString(u"");
            return;
        }
        const char16_t character = m_scanner.peekCharacter();
        switch (character) {
        case u'}':
            m_scanner.skipPeekedCharacter();
            m_states.pop();
            if (m_states.depth() < entryDepth)
                return;
            break;
        case u'{':
            m_scanner.skipPeekedCharacter();
            m_states.push();
            break;
        case u'\\':
            m_scanner.skipPeekedCharacter();
            if (!m_scanner.isAtEnd() && isLetter(m_scanner.peekCharacter()))
                parseKeyword();
            else
                parseControlSymbol();
            break;
        case u'\r':
        case u'\n':
            // Line breaks of the RTF text are never text.
            m_scanner.skipPeekedCharacter();
            break;
        default:
            if (character == u';' && semicolonAction != SemicolonAction::None) {
                performSemicolonAction(semicolonAction);
            } else if (state().discardText()) {
                m_scanner.skipUpToCharacterInSet(reserved);
            } else if (std::optional<std::u16string> run = m_scanner.readTokenFragmentWithDelimiterSet(reserved)) {
                appendString(*run);
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

// --- Control words and symbols ---------------------------------------------

int DKRTFReader::readParameterDigits()
{
    const std::u16string& text = m_scanner.string();
    std::size_t position = m_scanner.scanLocation();
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    while (position < text.size() && isDigit(text[position])) {
        if (value < kLimit)
            value = value * 10 + (text[position] - u'0');
        ++position;
    }
    m_scanner.setScanLocation(position);
    return static_cast<int>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

void DKRTFReader::parseKeyword()
{
    const std::u16string& text = m_scanner.string();
    const std::size_t start = m_scanner.scanLocation();
    std::size_t end = start;
    while (end < text.size() && isLetter(text[end]))
        ++end;
    std::string name(text.begin() + static_cast<std::ptrdiff_t>(start), text.begin() + static_cast<std::ptrdiff_t>(end));
    m_scanner.setScanLocation(end);

    if (m_scanner.isAtEnd()) {
        handleKeyword(name, nullptr);
        return;
    }
    const char16_t next = m_scanner.peekCharacter();
    if (isDigit(next) || next == u'-') {
        const bool negative = next == u'-';
        if (negative)
            m_scanner.skipPeekedCharacter();
        int parameter = readParameterDigits();
        if (negative)
            parameter = -parameter;
        if (!m_scanner.isAtEnd() && m_scanner.peekCharacter() == u' ')
            m_scanner.skipPeekedCharacter();
        handleKeyword(name, &parameter);
    } else if (next == u'\'') {
        // A word run into a hex escape is dropped; the escape still counts.
        m_scanner.skipPeekedCharacter();
        parseHexByte();
    } else {
        if (next == u' ')
            m_scanner.skipPeekedCharacter();
        handleKeyword(name, nullptr);
    }
}

void DKRTFReader::handleKeyword(std::string_view name, const int* parameter)
{
    const DKRTFKeyword* keyword = DKRTFKeywordTable::shared().keywordNamed(name);
    if (!keyword)
        return;
    (this->*keyword->handler)(keyword->valueForParameter(parameter));
}

void DKRTFReader::parseControlSymbol()
{
    if (m_scanner.isAtEnd())
        return;
    const char16_t symbol = m_scanner.readCharacter();
    switch (symbol) {
    case u'\'':
        parseHexByte();
        break;
    case u'*':
        // The rest of the group is not text; control words inside it still
        // act, so destinations that read their own content work behind "\*".
        state().setDiscardText(true);
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

std::u16string DKRTFReader::decodeBytes(std::string_view bytes)
{
    const StringEncoding& encoding = state().stringEncoding();
    if (std::optional<std::u16string> text = stringWithData(bytes, encoding))
        return *text;
    // Something in the run does not decode: take it a character at a time,
    // a pair where the pair decodes, else the single byte, so that one bad
    // byte costs only itself.
    std::u16string text;
    std::size_t index = 0;
    while (index < bytes.size()) {
        if (index + 1 < bytes.size()) {
            if (std::optional<std::u16string> pair = stringWithData(bytes.substr(index, 2), encoding)) {
                text += *pair;
                index += 2;
                continue;
            }
        }
        if (std::optional<std::u16string> single = stringWithData(bytes.substr(index, 1), encoding))
            text += *single;
        else
            noteUndecodableBytes();
        ++index;
    }
    return text;
}

void DKRTFReader::noteUndecodableBytes() { ++m_undecodableBytes; }

// --- Appending text -------------------------------------------------------

void DKRTFReader::appendString(std::u16string_view text)
{
    DKRTFReaderState& current = state();
    if (current.discardText())
        return;
    if (const std::shared_ptr<std::u16string>& destination = current.alternateDestination()) {
        *destination = std::u16string(text);
        return;
    }
    if (current.listPrefix() != 0 && m_listTable.count() > 0) {
        // The item's number or bullet is made again from the list style; one
        // placeholder carries the list attributes instead.
        const std::u16string& document = m_attributedString.string();
        if (document.empty() || document.back() != kPlaceholder)
            m_attributedString.appendString(std::u16string_view(&kPlaceholder, 1),
                                            m_attributeBuilder.stringAttributes(current, current.listType()));
        return;
    }

    AttributeDictionaryPtr attributes = m_attributeBuilder.stringAttributes(current, current.listType());
    if (AttributeValuePtr attachment = std::exchange(m_pendingAttachment, nullptr)) {
        const auto* textAttachment = attachment->as<TETextAttachment>();
        const std::u16string* type = textAttachment ? textAttachment->attributeForKey("attachmentType") : nullptr;
        if (attachment->as<TEImageTextAttachment>()) {
            m_attributedString.appendString(std::u16string_view(&kPlaceholder, 1),
                                            attributes->dictionaryBySettingValue(NSAttachmentAttributeName, attachment));
        } else if (type && (*type == u"footnote" || *type == u"annotation")) {
            // A note sits on a placeholder of its own that continues the text
            // before it; at the very start it still gets its note.
            const std::size_t length = m_attributedString.length();
            AttributeDictionaryPtr previous =
                length > 0 ? m_attributedString.attributesAtIndex(length - 1) : AttributeDictionary::empty();
            m_attributedString.appendString(std::u16string_view(&kPlaceholder, 1),
                                            previous->dictionaryBySettingValue(NSAttachmentAttributeName, attachment));
        } else if (!text.empty()) {
            m_attributedString.appendString(text, attributes->dictionaryBySettingValue(NSAttachmentAttributeName, attachment));
            return;
        }
    }
    if (!text.empty())
        m_attributedString.appendString(text, attributes);
}

// --- Text and characters ----------------------------------------------------

void DKRTFReader::actionInsertUnicodeCharacter(int value)
{
    int code = value < 0 ? value + 65536 : value;
    const char16_t character = static_cast<char16_t>(code & 0xFFFF);
    appendString(std::u16string_view(&character, 1));

    const int skipCount = state().unicodeSkipCount();
    for (int skipped = 0; skipped < skipCount; ++skipped) {
        if (!skipReplacementCharacter())
            break;
    }
    m_scanner.scanString(u"loch");
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
    state().setStringEncoding(encoding.isSupported() ? encoding : StringEncoding::windowsLatin1());
}

void DKRTFReader::actionInsertCharacter(int value)
{
    const char16_t character = static_cast<char16_t>(value);
    appendString(std::u16string_view(&character, 1));
}

void DKRTFReader::actionNewParagraph(int) { appendString(u"\n"); }

void DKRTFReader::actionInsertPageBreak(int)
{
    m_attributedString.appendString(u"\f", singleFlagAttributes(TEPageBreakAttribute));
}

void DKRTFReader::actionInsertHorizontalLine(int)
{
    m_attributedString.appendString(u"\f", singleFlagAttributes(TEHorizontalRuleStyleAttribute));
}

void DKRTFReader::actionSkipBinaryData(int value)
{
    if (value > 0)
        m_scanner.skipCharacters(static_cast<std::size_t>(value));
}

} // namespace folio
