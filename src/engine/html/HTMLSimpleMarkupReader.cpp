#include "engine/html/HTMLSimpleMarkupReader.h"

#include "engine/html/ByteWord.h"
#include "engine/html/HTMLSimpleMarkupEvents.h"
#include "platform/foundation/HTMLParser.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace folio {

namespace {

// libxml2 has a depth limit of its own; nothing near it is read here.
constexpr std::size_t kMaximumDepth = 200;

constexpr std::array<std::string_view, 8> kContainerElements = {"div", "span", "a", "sup", "sub", "ul", "ol", "li"};
constexpr std::array<std::string_view, 3> kVoidElements = {"br", "hr", "img"};

bool isNameOneOf(std::string_view name, auto const& names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isLowerLetter(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isNameCharacter(char c) { return isLowerLetter(c) || isDigit(c) || c == '-' || c == '_'; }

// Names told apart by their letters in place: these are asked at every tag.
bool isListElement(std::string_view name)
{
    return name.size() == 2 && name[1] == 'l' && (name[0] == 'u' || name[0] == 'o');
}
bool isListItem(std::string_view name) { return name.size() == 2 && name[0] == 'l' && name[1] == 'i'; }
bool isLink(std::string_view name) { return name.size() == 1 && name[0] == 'a'; }

// The number of bytes UTF-8 takes for the code point, to tell a well-formed
// sequence from an overlong one.
std::size_t utf8Length(std::uint32_t code)
{
    return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

// Characters libxml2 reports as they are: everything but C0 controls other
// than tab, line feed and carriage return, surrogates and noncharacters.
bool isPlainCharacter(std::uint32_t code)
{
    if (code < 0x20)
        return code == '\t' || code == '\n' || code == '\r';
    if (code >= 0xD800 && code <= 0xDFFF)
        return false;
    if (code >= 0xFDD0 && code <= 0xFDEF)
        return false;
    return (code & 0xFFFE) != 0xFFFE && code <= 0x10FFFF;
}

// "</name>" as the bytes of one word, first byte lowest, for a name short
// enough for it (every element read here has one); zero for a longer name.
std::uint64_t endTagWord(std::string_view name)
{
    if (name.size() > 5)
        return 0;
    std::array<char, 8> bytes{};
    bytes[0] = '<';
    bytes[1] = '/';
    std::copy(name.begin(), name.end(), bytes.begin() + 2);
    bytes[name.size() + 2] = '>';
    return ByteWord::load(bytes.data());
}

// An element open at the point read: its name and its end tag's word.
struct OpenElement {
    std::string_view name;
    std::uint64_t endTag;
};

// A start tag read before: its number, its name, whether it is a void or
// self-closed element, and the end tag's word of the element it opens.
struct ReadTag {
    std::size_t number;
    std::string_view name;
    bool endsAtOnce;
    std::uint64_t endTag;
};

// The start tags read so far, by their text in the markup (which outlives
// the reading). Looked up once per tag of a long export and found nearly
// always: open addressing over a power of two of slots, with each entry's
// hash kept to pass most mismatches without comparing texts.
class ReadTagTable {
public:
    const ReadTag* find(std::string_view tag, std::size_t hash) const
    {
        if (m_slots.empty())
            return nullptr;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            std::uint32_t entry = m_slots[slot];
            if (!entry)
                return nullptr;
            const Entry& candidate = m_entries[entry - 1];
            if (candidate.hash == hash && candidate.tag == tag)
                return &candidate.read;
        }
    }

    // A tag not in the table yet.
    void add(std::string_view tag, std::size_t hash, ReadTag read)
    {
        m_entries.push_back(Entry{tag, hash, read});
        // At most half the slots taken, so that probes stay short.
        if (m_entries.size() * 2 > m_slots.size()) {
            m_slots.assign(std::max<std::size_t>(m_slots.size() * 2, 256), 0);
            for (std::size_t index = 0; index < m_entries.size(); ++index)
                place(m_entries[index].hash, index);
        } else {
            place(hash, m_entries.size() - 1);
        }
    }

    std::size_t size() const { return m_entries.size(); }

    // The tag of a number, its text, and the number of the start tag that
    // came next after it last time with as many end tags between (kNone
    // before any did); three end tags or more count as three.
    static constexpr std::size_t kNone = SIZE_MAX;
    const ReadTag& tag(std::size_t number) const { return m_entries[number].read; }
    std::string_view text(std::size_t number) const { return m_entries[number].tag; }
    std::size_t next(std::size_t number, std::size_t endTags) const
    {
        return m_entries[number].next[std::min<std::size_t>(endTags, 3)];
    }
    void setNext(std::size_t number, std::size_t endTags, std::size_t next)
    {
        m_entries[number].next[std::min<std::size_t>(endTags, 3)] = next;
    }

private:
    struct Entry {
        std::string_view tag;
        std::size_t hash;
        ReadTag read;
        std::array<std::size_t, 4> next = {kNone, kNone, kNone, kNone};
    };
    std::vector<Entry> m_entries;
    // Each slot holds an entry's index plus one; zero is free.
    std::vector<std::uint32_t> m_slots;

    void place(std::size_t hash, std::size_t index)
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t slot = hash & mask;
        while (m_slots[slot])
            slot = (slot + 1) & mask;
        m_slots[slot] = static_cast<std::uint32_t>(index + 1);
    }
};

class Reader {
public:
    Reader(std::string_view html, HTMLParseEvents& events, HTMLSimpleMarkupEvents* markupEvents)
        : m_html(html)
        , m_events(events)
        , m_markupEvents(markupEvents)
    {
    }

    bool read()
    {
        const HTMLAttributeList none(nullptr);
        m_events.startElement("html", none);
        m_events.startElement("head", none);
        std::array<const unsigned char*, 3> charset = {reinterpret_cast<const unsigned char*>("charset"),
                                                       reinterpret_cast<const unsigned char*>("UTF-8"), nullptr};
        m_events.startElement("meta", HTMLAttributeList(charset.data()));
        m_events.endElement("meta");
        m_events.endElement("head");
        m_events.startElement("body", none);
        while (m_at < m_html.size()) {
            bool read = m_html[m_at] == '<' ? readTag() : readText();
            if (!read)
                return false;
        }
        if (!m_open.empty())
            return false;
        m_events.endElement("body");
        m_events.endElement("html");
        return true;
    }

private:
    std::string_view m_html;
    HTMLParseEvents& m_events;
    // The same listener when it takes markup as it stands.
    HTMLSimpleMarkupEvents* m_markupEvents;
    std::size_t m_at = 0;
    std::vector<OpenElement> m_open;
    struct Attribute {
        std::string name;
        std::string value;
        bool hasValue = false;
    };
    // The attributes of the tag being read (kept from tag to tag so that
    // their buffers are reused), and the name and value pointers handed over.
    std::vector<Attribute> m_attributes;
    std::vector<const unsigned char*> m_pairs;
    bool m_selfClosed = false;
    std::string m_decoded;
    // The start tags read so far, by their text in the markup (which
    // outlives the reading), with their numbers: a tag of the same text is
    // read alike, wherever it stands.
    ReadTagTable m_readTags;
    // The number of the last start tag read, and the end tags read since.
    std::size_t m_lastTag = ReadTagTable::kNone;
    std::size_t m_endTagsSince = 0;

    // Text up to the next tag; text without references is handed over as
    // it stands in the markup.
    bool readText()
    {
        // Most text is printable ASCII up to the next tag: one scan finds
        // where it ends and that it holds nothing to decode or escape.
        std::size_t plainEnd = m_at;
        if (m_markupEvents) {
            plainEnd = plainTextEnd(m_at);
            if (plainEnd == m_html.size() || m_html[plainEnd] == '<') {
                if (m_markupEvents->plainTextAsWritten(m_html.substr(m_at, plainEnd - m_at))) {
                    m_at = plainEnd;
                    return true;
                }
            }
        }
        // What that scan passed holds no "<" and nothing to check again: a
        // reference starts with "&", where it stopped.
        std::size_t end = std::min(m_html.find('<', plainEnd), m_html.size());
        std::string_view text = m_html.substr(m_at, end - m_at);
        std::string_view unchecked = m_html.substr(plainEnd, end - plainEnd);
        m_at = end;
        if (m_markupEvents) {
            if (!isReadableText(unchecked))
                return false;
            if (m_markupEvents->textAsWritten(text))
                return true;
        }
        if (text.find('&') == std::string_view::npos) {
            if (!isPlainText(text))
                return false;
            m_events.characters(text);
            return true;
        }
        m_decoded.clear();
        if (!decode(text, &m_decoded))
            return false;
        m_events.characters(m_decoded);
        return true;
    }

    // The index of the first byte from `at` that is not printable ASCII or
    // is one of "&", "<" and ">"; the end of the markup when there is none.
    std::size_t plainTextEnd(std::size_t at) const
    {
        const char* data = m_html.data();
        const std::size_t size = m_html.size();
        while (at + 8 <= size) {
            std::uint64_t word = ByteWord::load(data + at);
            // "<" and ">" differ in just the bit set here.
            std::uint64_t marks = (word & ByteWord::kHighBits) | ByteWord::bytesBelow(word, 0x20)
                | ByteWord::bytesEqualTo(word, '&') | ByteWord::bytesEqualTo(word | ByteWord::kOnes * 2, '>');
            if (marks)
                return at + ByteWord::firstMarked(marks);
            at += 8;
        }
        while (at < size && isPlainByte(data[at]))
            ++at;
        return at;
    }

    static bool isPlainByte(char c)
    {
        auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x80 && c != '&' && c != '<' && c != '>';
    }

    static bool isReadableText(std::string_view text)
    {
        return text.find('&') == std::string_view::npos ? isPlainText(text) : decode(text, nullptr);
    }

    // Whether text holds only characters reported as they are.
    static bool isPlainText(std::string_view text)
    {
        std::size_t index = 0;
        while (index < text.size()) {
            // Printable ASCII, eight bytes at a time.
            while (index + 8 <= text.size()) {
                std::uint64_t word = ByteWord::load(text.data() + index);
                if (ByteWord::hasHighByte(word) || ByteWord::hasByteBelow(word, 0x20))
                    break;
                index += 8;
            }
            if (index >= text.size())
                break;
            auto c = static_cast<unsigned char>(text[index]);
            if (c >= 0x20 && c < 0x80) {
                ++index;
                continue;
            }
            if (c < 0x20) {
                if (c != '\t' && c != '\n' && c != '\r')
                    return false;
                ++index;
                continue;
            }
            if (!isPlainSequenceAt(text, index))
                return false;
        }
        return true;
    }

    // Whether the UTF-8 sequence at `index` is well formed and a character
    // reported as it is; moves past it.
    static bool isPlainSequenceAt(std::string_view text, std::size_t& index)
    {
        std::size_t start = index;
        std::uint32_t code = decodeUtf8At(text, index);
        if (index - start != utf8Length(code) || !isPlainCharacter(code))
            return false;
        return code != 0xFFFD || text.substr(start, 3) == "\xEF\xBF\xBD";
    }

    // Appends `text` with its references decoded to `out`, when given;
    // false on a reference or a character not read here.
    static bool decode(std::string_view text, std::string* out)
    {
        std::size_t index = 0;
        while (index < text.size()) {
            std::size_t plain = index;
            // Eight bytes at a time while none is a reference, a control
            // character or beyond ASCII.
            while (plain + 8 <= text.size()) {
                std::uint64_t word = ByteWord::load(text.data() + plain);
                if (ByteWord::hasHighByte(word) || ByteWord::hasByteBelow(word, 0x20) || ByteWord::hasByte(word, '&'))
                    break;
                plain += 8;
            }
            while (plain < text.size()) {
                auto c = static_cast<unsigned char>(text[plain]);
                if (c == '&' || (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c >= 0x80)
                    break;
                ++plain;
            }
            if (out)
                out->append(text, index, plain - index);
            index = plain;
            if (index >= text.size())
                break;
            if (text[index] == '&') {
                std::size_t semicolon = text.find(';', index);
                if (semicolon == std::string_view::npos)
                    return false;
                std::optional<char> character =
                    HTMLSimpleMarkupReader::referencedCharacter(text.substr(index + 1, semicolon - index - 1));
                if (!character)
                    return false;
                if (out)
                    *out += *character;
                index = semicolon + 1;
                continue;
            }
            if (static_cast<unsigned char>(text[index]) < 0x80)
                return false;
            std::size_t start = index;
            if (!isPlainSequenceAt(text, index))
                return false;
            if (out)
                out->append(text, start, index - start);
        }
        return true;
    }

    bool readTag()
    {
        std::size_t at = m_at + 1;
        // Most end tags end the element last opened, and are told by one
        // word of the markup; the last few bytes of it are read below.
        if (!m_open.empty() && m_html.size() - m_at >= 8) {
            const OpenElement& last = m_open.back();
            const std::size_t length = last.name.size() + 3;
            if (last.endTag && (ByteWord::load(m_html.data() + m_at) & ByteWord::firstBytes(length)) == last.endTag) {
                std::string_view name = last.name;
                m_open.pop_back();
                m_events.endElement(name);
                ++m_endTagsSince;
                m_at += length;
                return true;
            }
        }
        if (at < m_html.size() && m_html[at] == '/')
            return readEndTag(at + 1);
        return readStartTag(at);
    }

    // An end tag from its name at `at`.
    bool readEndTag(std::size_t at)
    {
        std::string_view name = nameAt(at);
        if (name.empty())
            return false;
        at += name.size();
        // The end of a list ends its last item, left open by the writer.
        if (isListElement(name) && m_open.size() >= 2 && isListItem(m_open.back().name)
            && m_open[m_open.size() - 2].name == name)
            closeLast();
        if (at >= m_html.size() || m_html[at] != '>' || m_open.empty() || m_open.back().name != name)
            return false;
        m_open.pop_back();
        m_events.endElement(name);
        ++m_endTagsSince;
        m_at = at + 1;
        return true;
    }

    // The name of an element at `at`; empty when there is none.
    std::string_view nameAt(std::size_t at) const
    {
        std::size_t end = at;
        while (end < m_html.size() && isNameCharacter(m_html[end]))
            ++end;
        std::string_view name = m_html.substr(at, end - at);
        return !name.empty() && isLowerLetter(name.front()) ? name : std::string_view();
    }

    // A start tag from its name at `at`. A tag of a text read before is
    // read alike, and known by its text, name and all.
    bool readStartTag(std::size_t at)
    {
        // Tags come in much the same order again and again: the one that
        // followed the last tag the time before is tried first. Where the
        // markup reads its text, it is that tag, and ends where its text does.
        const ReadTag* known = predictedTag();
        std::optional<std::size_t> tagEnd;
        std::size_t hash = 0;
        if (known) {
            tagEnd = m_at + m_readTags.text(known->number).size();
        } else {
            // Nearly every tag ends at the first ">", no value in quotes
            // holding one: a tag read before is looked up by the text up to
            // there, found at once rather than scanned for quotes. Where a
            // tag read before is that text as a whole, the tag here is the
            // same one, since the scan for its end reads the same bytes alike.
            const char* data = m_html.data();
            const void* close = std::memchr(data + at, '>', m_html.size() - at);
            if (!close)
                return false;
            const std::size_t firstClose = static_cast<std::size_t>(static_cast<const char*>(close) - data) + 1;
            hash = ByteWord::hash(m_html.substr(m_at, firstClose - m_at));
            known = m_readTags.find(m_html.substr(m_at, firstClose - m_at), hash);
            if (known) {
                tagEnd = firstClose;
            } else {
                tagEnd = endOfTag(at);
                if (!tagEnd)
                    return false;
                if (*tagEnd != firstClose) {
                    hash = ByteWord::hash(m_html.substr(m_at, *tagEnd - m_at));
                    known = m_readTags.find(m_html.substr(m_at, *tagEnd - m_at), hash);
                }
            }
        }
        std::string_view tag = m_html.substr(m_at, *tagEnd - m_at);
        if (known) {
            const ReadTag& read = *known;
            if (!opens(read.name))
                return false;
            if (m_markupEvents && m_markupEvents->repeatedStartElement(read.name, read.number)) {
                m_at = *tagEnd;
                follows(read.number);
                return enter(read);
            }
        }
        std::string_view name = nameAt(at);
        bool isVoid = isNameOneOf(name, kVoidElements);
        if (name.empty() || (!isVoid && !isNameOneOf(name, kContainerElements)))
            return false;
        if (!known && !opens(name))
            return false;
        std::optional<std::size_t> end = readAttributes(at + name.size());
        // The quick scan for the end of the tag and the reading of its
        // attributes agree on every tag read here; should they not, the
        // tag is not one of them.
        if (!end || *end != *tagEnd)
            return false;
        ReadTag read{m_readTags.size(), name, isVoid || m_selfClosed, endTagWord(name)};
        if (!known)
            m_readTags.add(tag, hash, read);
        else
            read = *known;
        follows(read.number);
        m_at = *end;
        HTMLAttributeList attributes(m_pairs.size() > 1 ? m_pairs.data() : nullptr);
        if (m_markupEvents)
            m_markupEvents->startElement(name, attributes, read.number);
        else
            m_events.startElement(name, attributes);
        return enter(read);
    }

    // The tag that came after the last one the time before, when the markup
    // here reads its text.
    const ReadTag* predictedTag() const
    {
        if (m_lastTag == ReadTagTable::kNone)
            return nullptr;
        std::size_t next = m_readTags.next(m_lastTag, m_endTagsSince);
        if (next == ReadTagTable::kNone)
            return nullptr;
        std::string_view text = m_readTags.text(next);
        if (m_html.size() - m_at < text.size() || m_html.compare(m_at, text.size(), text) != 0)
            return nullptr;
        return &m_readTags.tag(next);
    }

    // Notes the start tag just read as the one after the last.
    void follows(std::size_t number)
    {
        if (m_lastTag != ReadTagTable::kNone)
            m_readTags.setNext(m_lastTag, m_endTagsSince, number);
        m_lastTag = number;
        m_endTagsSince = 0;
    }

    // Closes what the start of the element closes; false when it would not
    // open where it is as it stands.
    bool opens(std::string_view name)
    {
        // An item ends the item before it, left open by the writer.
        if (isListItem(name) && !m_open.empty() && isListItem(m_open.back().name))
            closeLast();
        return canOpen(name);
    }

    // After an element's start: a void or self-closed one ends at once.
    bool enter(const ReadTag& read)
    {
        if (read.endsAtOnce) {
            m_events.endElement(read.name);
            return true;
        }
        m_open.push_back(OpenElement{read.name, read.endTag});
        return true;
    }

    // The index past the ">" that ends the tag whose attributes start at
    // `at`, skipping what stands in quotes; nothing when it is never ended.
    std::optional<std::size_t> endOfTag(std::size_t at) const
    {
        const char* data = m_html.data();
        const std::size_t size = m_html.size();
        while (at < size) {
            // Eight bytes at a time up to a quote or the ">".
            if (at + 8 <= size) {
                std::uint64_t word = ByteWord::load(data + at);
                std::uint64_t marks = ByteWord::bytesEqualTo(word, '>') | ByteWord::bytesEqualTo(word, '"')
                    | ByteWord::bytesEqualTo(word, '\'');
                if (!marks) {
                    at += 8;
                    continue;
                }
                at += ByteWord::firstMarked(marks);
            } else if (data[at] != '>' && data[at] != '"' && data[at] != '\'') {
                ++at;
                continue;
            }
            const char c = data[at];
            if (c == '>')
                return at + 1;
            const void* close = std::memchr(data + at + 1, c, size - at - 1);
            if (!close)
                return std::nullopt;
            at = static_cast<std::size_t>(static_cast<const char*>(close) - data) + 1;
        }
        return std::nullopt;
    }

    void closeLast()
    {
        m_events.endElement(m_open.back().name);
        m_open.pop_back();
    }

    // Whether an element opens where it is without the tree builder closing
    // or moving anything.
    bool canOpen(std::string_view name) const
    {
        if (m_open.size() >= kMaximumDepth)
            return false;
        if (isLink(name)
            && std::any_of(m_open.begin(), m_open.end(), [](const OpenElement& open) { return isLink(open.name); }))
            return false;
        if (m_open.empty())
            return true;
        std::string_view parent = m_open.back().name;
        return !(isListElement(name) && isListElement(parent) && name != parent);
    }

    // Reads the attributes from `at` (just after the tag's name) up to the
    // end of the tag; answers the index past its ">" and sets m_pairs and
    // m_selfClosed.
    std::optional<std::size_t> readAttributes(std::size_t at)
    {
        std::size_t count = 0;
        m_selfClosed = false;
        while (true) {
            if (at >= m_html.size())
                return std::nullopt;
            if (m_html[at] == '>') {
                ++at;
                break;
            }
            if (m_html[at] == '/') {
                if (at + 1 >= m_html.size() || m_html[at + 1] != '>')
                    return std::nullopt;
                m_selfClosed = true;
                at += 2;
                break;
            }
            if (m_html[at] != ' ')
                return std::nullopt;
            while (at < m_html.size() && m_html[at] == ' ')
                ++at;
            if (at < m_html.size() && (m_html[at] == '>' || m_html[at] == '/'))
                continue;
            std::size_t nameStart = at;
            while (at < m_html.size() && isNameCharacter(m_html[at]))
                ++at;
            std::string_view name = m_html.substr(nameStart, at - nameStart);
            if (name.empty() || !isLowerLetter(name.front()))
                return std::nullopt;
            // libxml2 keeps only the first of two attributes of one name.
            for (std::size_t index = 0; index < count; ++index) {
                if (m_attributes[index].name == name)
                    return std::nullopt;
            }
            if (m_attributes.size() <= count)
                m_attributes.emplace_back();
            Attribute& attribute = m_attributes[count++];
            attribute.name.assign(name);
            attribute.value.clear();
            attribute.hasValue = at < m_html.size() && m_html[at] == '=';
            if (!attribute.hasValue)
                continue;
            ++at;
            if (at >= m_html.size() || (m_html[at] != '"' && m_html[at] != '\''))
                return std::nullopt;
            char quote = m_html[at];
            std::size_t valueEnd = m_html.find(quote, at + 1);
            if (valueEnd == std::string_view::npos)
                return std::nullopt;
            std::string_view raw = m_html.substr(at + 1, valueEnd - at - 1);
            if (raw.find('<') != std::string_view::npos || !decode(raw, &attribute.value))
                return std::nullopt;
            at = valueEnd + 1;
        }
        // Names and values as zero-terminated pairs, as libxml2 hands them
        // over; the strings do not change until the next tag.
        m_pairs.clear();
        for (std::size_t index = 0; index < count; ++index) {
            const Attribute& attribute = m_attributes[index];
            m_pairs.push_back(reinterpret_cast<const unsigned char*>(attribute.name.c_str()));
            m_pairs.push_back(attribute.hasValue ? reinterpret_cast<const unsigned char*>(attribute.value.c_str())
                                                 : nullptr);
        }
        m_pairs.push_back(nullptr);
        return at;
    }
};

} // namespace

bool HTMLSimpleMarkupReader::readFragment(std::string_view html, HTMLParseEvents& events)
{
    return Reader(html, events, nullptr).read();
}

bool HTMLSimpleMarkupReader::readFragment(std::string_view html, HTMLSimpleMarkupEvents& events)
{
    return Reader(html, events, &events).read();
}

std::optional<char> HTMLSimpleMarkupReader::referencedCharacter(std::string_view name)
{
    if (name == "amp")
        return '&';
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "quot")
        return '"';
    if (name.size() < 2 || name.size() > 4 || name[0] != '#')
        return std::nullopt;
    unsigned code = 0;
    for (char c : name.substr(1)) {
        if (!isDigit(c))
            return std::nullopt;
        code = code * 10 + static_cast<unsigned>(c - '0');
    }
    if (code < 0x20 || code > 0x7E)
        return std::nullopt;
    return static_cast<char>(code);
}

} // namespace folio
