#include "formats/markdown/RenderedMarkdownSanitizer.h"

#include "platform/foundation/ByteScan.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

namespace folio {

namespace {

// The elements the renderer writes, with what decides where each may stand.
enum ElementTraits : unsigned {
    kPhrasing = 1,       // a, em, code...: text-level, inside blocks
    kVoid = 2,           // nothing inside, no end tag
    kPhrasingOnly = 4,   // holds text-level content only: a block inside would end it
    kItemParent = 8,     // holds items, rows or cells, and no text but line feeds
};

enum class Parent { AnyBlock, List, Table, TableSection, Row };

struct Element {
    std::string_view name;
    unsigned traits;
    // For items, rows and cells, the parent without which a browser would
    // close or open elements around them.
    std::optional<Parent> needs;
    // What the element is to the elements inside it.
    Parent as;
};

constexpr Element kElements[] = {
    {"a", kPhrasing | kPhrasingOnly, {}, Parent::AnyBlock},
    {"em", kPhrasing | kPhrasingOnly, {}, Parent::AnyBlock},
    {"strong", kPhrasing | kPhrasingOnly, {}, Parent::AnyBlock},
    {"code", kPhrasing | kPhrasingOnly, {}, Parent::AnyBlock},
    {"u", kPhrasing | kPhrasingOnly, {}, Parent::AnyBlock},
    {"mark", kPhrasing | kPhrasingOnly, {}, Parent::AnyBlock},
    {"q", kPhrasing | kPhrasingOnly, {}, Parent::AnyBlock},
    {"del", kPhrasing | kPhrasingOnly, {}, Parent::AnyBlock},
    {"sup", kPhrasing | kPhrasingOnly, {}, Parent::AnyBlock},
    {"br", kPhrasing | kVoid, {}, Parent::AnyBlock},
    {"img", kPhrasing | kVoid, {}, Parent::AnyBlock},
    {"hr", kVoid, {}, Parent::AnyBlock},
    {"p", kPhrasingOnly, {}, Parent::AnyBlock},
    {"h1", kPhrasingOnly, {}, Parent::AnyBlock},
    {"h2", kPhrasingOnly, {}, Parent::AnyBlock},
    {"h3", kPhrasingOnly, {}, Parent::AnyBlock},
    {"h4", kPhrasingOnly, {}, Parent::AnyBlock},
    {"h5", kPhrasingOnly, {}, Parent::AnyBlock},
    {"h6", kPhrasingOnly, {}, Parent::AnyBlock},
    {"pre", 0, {}, Parent::AnyBlock},
    {"blockquote", 0, {}, Parent::AnyBlock},
    {"div", 0, {}, Parent::AnyBlock},
    {"ul", kItemParent, {}, Parent::List},
    {"ol", kItemParent, {}, Parent::List},
    {"li", 0, Parent::List, Parent::AnyBlock},
    {"table", kItemParent, {}, Parent::Table},
    {"thead", kItemParent, Parent::Table, Parent::TableSection},
    {"tbody", kItemParent, Parent::Table, Parent::TableSection},
    {"tr", kItemParent, Parent::TableSection, Parent::Row},
    {"th", 0, Parent::Row, Parent::AnyBlock},
    {"td", 0, Parent::Row, Parent::AnyBlock},
};

// Looked up by first letter and length before the name is compared: the
// rendered HTML holds a tag every few words.
const Element* elementNamed(std::string_view name)
{
    if (name.empty())
        return nullptr;
    for (const Element& element : kElements) {
        if (element.name.size() == name.size() && element.name[0] == name[0] && element.name == name)
            return &element;
    }
    return nullptr;
}

// The references the renderer and the typographic filter write, as the
// characters they stand for.
std::optional<std::string_view> decodedReference(std::string_view name)
{
    struct Reference {
        std::string_view name;
        std::string_view text;
    };
    static constexpr Reference kReferences[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"#39", "'"}, {"#x27", "'"},
        {"ldquo", "\u201C"}, {"rdquo", "\u201D"}, {"lsquo", "\u2018"}, {"rsquo", "\u2019"},
        {"ndash", "\u2013"}, {"mdash", "\u2014"}, {"hellip", "\u2026"}, {"nbsp", "\u00A0"}, {"#8617", "\u21A9"},
    };
    for (const Reference& reference : kReferences) {
        if (reference.name == name)
            return reference.text;
    }
    return std::nullopt;
}

// Characters every parser reads alike: no carriage return or other control
// character but tab and line feed, valid UTF-8, no noncharacter at the end
// of a plane. Markup outside text and values is checked as it is read.
bool hasOnlyPlainCharacters(std::string_view html)
{
    // Runs of plain ASCII, which is most of any text, are passed over at once.
    std::size_t index = 0;
    while ((index = ByteScan::firstNotPlainOrOf<>(html, index)) < html.size()) {
        if (static_cast<unsigned char>(html[index]) < 0x80)
            return false;
        const std::uint32_t code = decodeUtf8At(html, index);
        if (code < 0xA0 || code == 0xFFFD || (code & 0xFFFE) == 0xFFFE)
            return false;
    }
    return true;
}

// How a byte of text between tags is written.
enum TextByte : unsigned char {
    // ASCII that the sanitiser writes unchanged in text, whichever way it
    // writes characters.
    kWrittenAsItStands = 0,
    // What it would escape or reference, and every byte of other characters.
    kRewritten = 1,
    // Starts a tag or a reference: the text ends before it.
    kEndsText = 2,
};

constexpr std::array<unsigned char, 256> kTextBytes = [] {
    std::array<unsigned char, 256> bytes{};
    for (int c = 0; c < 256; ++c) {
        const bool asItStands = (c >= 0x20 && c < 0x7F && c != '>' && c != '"') || c == '\n' || c == '\t';
        bytes[c] = asItStands ? kWrittenAsItStands : kRewritten;
    }
    bytes['<'] = kEndsText;
    bytes['&'] = kEndsText;
    return bytes;
}();

class Reader {
public:
    Reader(std::string_view html, HTMLSanitizer::Use use, HTMLSanitizer::Characters characters)
        : m_html(html)
        , m_use(use)
        , m_characters(characters)
    {
        m_out.reserve(html.size() + html.size() / 8);
    }

    std::optional<std::string> run()
    {
        while (m_at < m_html.size()) {
            // Most text is ASCII written as it stands up to the next tag: one
            // test per byte finds its end, and only a text with a byte to
            // rewrite is read on to its end.
            std::size_t special = textStop(m_at);
            const bool asItStands = special >= m_html.size() || kTextBytes[byteAt(special)] == kEndsText;
            if (!asItStands)
                special = ByteScan::firstOf<'<', '&'>(m_html, special);
            const std::string_view text = m_html.substr(m_at, special - m_at);
            // Text a list or a table holds outside its items and cells is
            // moved about by browsers; the renderer writes only line feeds there.
            if (!m_open.empty() && (m_open.back()->traits & kItemParent)
                && text.find_first_not_of('\n') != std::string_view::npos)
                return std::nullopt;
            if (asItStands) {
                keep(m_at, special);
            } else {
                if (!hasOnlyPlainCharacters(text))
                    return std::nullopt;
                HTMLSanitizer::appendText(out(), text, false, m_characters);
            }
            m_at = special;
            if (m_at >= m_html.size())
                break;
            const bool read = m_html[m_at] == '&' ? readReference(m_decoded) && appendDecoded(false) : readTag();
            if (!read)
                return std::nullopt;
        }
        if (!m_open.empty())
            return std::nullopt;
        return std::move(out());
    }

private:
    std::string_view m_html;
    HTMLSanitizer::Use m_use;
    HTMLSanitizer::Characters m_characters;
    std::string m_out;
    std::size_t m_at = 0;
    // Text and markup written as they stand wait as a stretch of the HTML
    // read, and go across in one piece before anything written otherwise.
    std::size_t m_keptStart = 0;
    std::size_t m_keptEnd = 0;
    std::vector<const Element*> m_open;
    // How many of the open elements hold phrasing only, and how many are links.
    int m_openPhrasingOnly = 0;
    int m_openLinks = 0;
    std::string m_decoded;
    std::string m_value;
    std::vector<std::string_view> m_attributesOfTag;
    // The renderer writes the same few style attributes on every block, row
    // and cell: each is checked and written once, keyed by element and value.
    std::unordered_map<std::string, std::string> m_writtenStyles;
    std::string m_styleKey;

    unsigned char byteAt(std::size_t index) const { return static_cast<unsigned char>(m_html[index]); }

    // The bytes of the HTML from `start` to `end`, written as they stand.
    void keep(std::size_t start, std::size_t end)
    {
        if (start != m_keptEnd) {
            flushKept();
            m_keptStart = start;
        }
        m_keptEnd = end;
    }

    void flushKept()
    {
        if (m_keptEnd > m_keptStart)
            m_out.append(m_html.substr(m_keptStart, m_keptEnd - m_keptStart));
        m_keptStart = m_keptEnd;
    }

    // The output, for writing what does not stand as it was read.
    std::string& out()
    {
        flushKept();
        return m_out;
    }

    // The first byte at or after `from` that ends the text or would be rewritten.
    std::size_t textStop(std::size_t from) const { return ByteScan::firstNotPlainOrOf<'<', '>', '&', '"'>(m_html, from); }

    bool appendDecoded(bool inAttribute)
    {
        HTMLSanitizer::appendText(out(), m_decoded, inAttribute, m_characters);
        return true;
    }

    // A reference at m_at, decoded into `text`.
    bool readReference(std::string& text)
    {
        const std::size_t end = m_html.find(';', m_at);
        if (end == std::string_view::npos || end - m_at > 8)
            return false;
        const std::optional<std::string_view> decoded = decodedReference(m_html.substr(m_at + 1, end - m_at - 1));
        if (!decoded)
            return false;
        text = *decoded;
        m_at = end + 1;
        return true;
    }

    static bool isNameCharacter(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

    std::string_view readName()
    {
        const std::size_t start = m_at;
        while (m_at < m_html.size() && isNameCharacter(m_html[m_at]))
            ++m_at;
        return m_html.substr(start, m_at - start);
    }

    // A tag's name, and a tag without attributes whole, are written as they
    // stand in the markup: the names read are the sanitiser's own spelling.
    bool readTag()
    {
        const std::size_t tagStart = m_at;
        ++m_at;
        if (m_at < m_html.size() && m_html[m_at] == '/') {
            ++m_at;
            const std::string_view name = readName();
            if (m_at >= m_html.size() || m_html[m_at] != '>' || m_open.empty() || m_open.back()->name != name)
                return false;
            ++m_at;
            close();
            keep(tagStart, m_at);
            return true;
        }
        const std::string_view name = readName();
        const Element* element = elementNamed(name);
        if (!element || !admits(*element))
            return false;
        keep(tagStart, m_at);
        m_attributesOfTag.clear();
        while (m_at < m_html.size() && m_html[m_at] == ' ') {
            ++m_at;
            const std::size_t nameStart = m_at;
            while (m_at < m_html.size() && ((m_html[m_at] >= 'a' && m_html[m_at] <= 'z') || m_html[m_at] == '-'))
                ++m_at;
            const std::string_view attribute = m_html.substr(nameStart, m_at - nameStart);
            if (attribute.empty()
                || std::find(m_attributesOfTag.begin(), m_attributesOfTag.end(), attribute) != m_attributesOfTag.end())
                return false;
            m_attributesOfTag.push_back(attribute);
            if (m_html.substr(m_at, 2) != "=\"")
                return false;
            m_at += 2;
            if (!readAttributeValue())
                return false;
            if (attribute == "style") {
                if (!writeStyleAttribute(name))
                    return false;
            } else if (!writeAttribute(name, attribute)) {
                return false;
            }
        }
        if (m_at >= m_html.size() || m_html[m_at] != '>')
            return false;
        ++m_at;
        keep(m_at - 1, m_at);
        // A line feed just inside a pre element is not its text to a browser.
        if (name == "pre" && m_at < m_html.size() && m_html[m_at] == '\n')
            return false;
        if (!(element->traits & kVoid))
            open(element);
        return true;
    }

    // The attribute whose value was just read, as the sanitiser keeps it (or
    // nothing when it drops it); false when the value is not plain text.
    bool writeAttribute(std::string_view element, std::string_view attribute)
    {
        if (!hasOnlyPlainCharacters(m_value))
            return false;
        std::optional<std::string> kept = HTMLSanitizer::sanitizedAttribute(element, attribute, m_value, m_use);
        if (!kept)
            return true;
        std::string& written = out();
        written += ' ';
        written += attribute;
        written += "=\"";
        HTMLSanitizer::appendText(written, *kept, true, m_characters);
        written += '"';
        return true;
    }

    bool writeStyleAttribute(std::string_view element)
    {
        m_styleKey.assign(element);
        m_styleKey += '\0';
        m_styleKey += m_value;
        if (const auto found = m_writtenStyles.find(m_styleKey); found != m_writtenStyles.end()) {
            out() += found->second;
            return true;
        }
        const std::size_t start = out().size();
        if (!writeAttribute(element, "style"))
            return false;
        m_writtenStyles.emplace(m_styleKey, m_out.substr(start));
        return true;
    }

    void open(const Element* element)
    {
        m_open.push_back(element);
        m_openPhrasingOnly += (element->traits & kPhrasingOnly) ? 1 : 0;
        m_openLinks += element->name == "a" ? 1 : 0;
    }

    void close()
    {
        const Element* element = m_open.back();
        m_open.pop_back();
        m_openPhrasingOnly -= (element->traits & kPhrasingOnly) ? 1 : 0;
        m_openLinks -= element->name == "a" ? 1 : 0;
    }

    // Whether the element stands where it is written, with nothing for a
    // browser to close or open around it.
    bool admits(const Element& element) const
    {
        if (!(element.traits & kPhrasing) && m_openPhrasingOnly)
            return false;
        if (element.name == "a" && m_openLinks)
            return false;
        const Parent parent = m_open.empty() ? Parent::AnyBlock : m_open.back()->as;
        return element.needs ? parent == *element.needs : parent == Parent::AnyBlock;
    }

    bool readAttributeValue()
    {
        m_value.clear();
        while (m_at < m_html.size()) {
            // The value ends at its quote; a reference is decoded, and markup
            // or a line break inside a value is no value the renderer writes.
            const std::size_t special = ByteScan::firstOf<'"', '&', '<', '>', '\t', '\n'>(m_html, m_at);
            m_value.append(m_html.substr(m_at, special - m_at));
            m_at = special;
            if (m_at >= m_html.size())
                return false;
            const char c = m_html[m_at];
            if (c == '"') {
                ++m_at;
                return true;
            }
            if (c != '&' || !readReference(m_decoded))
                return false;
            m_value += m_decoded;
        }
        return false;
    }
};

} // namespace

std::optional<std::string> RenderedMarkdownSanitizer::sanitizedHTML(std::string_view html, HTMLSanitizer::Use use,
                                                                    HTMLSanitizer::Characters characters)
{
    if (html.empty())
        return std::string();
    return Reader(html, use, characters).run();
}

} // namespace folio
