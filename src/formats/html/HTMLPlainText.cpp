#include "formats/html/HTMLPlainText.h"

#include "engine/html/HTMLSimpleMarkupReader.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/HTMLParser.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace folio {

namespace {

const std::set<std::string, std::less<>> kBlockElements = {
    "address", "article", "aside", "blockquote", "dd", "div", "dl", "dt", "figcaption", "figure", "footer",
    "h1", "h2", "h3", "h4", "h5", "h6", "header", "hr", "li", "ol", "p", "pre", "section", "table", "tr", "ul"};
const std::set<std::string, std::less<>> kSkippedElements = {"head", "script", "noscript", "style", "title", "template"};

// An attribute's value as the document's tree holds it; none when absent.
std::optional<std::string> property(const HTMLAttributeList& attributes, std::string_view name)
{
    for (std::size_t index = 0, count = attributes.size(); index < count; ++index) {
        if (attributes.name(index) == name)
            return std::string(attributes.impliedValue(index));
    }
    return std::nullopt;
}

// An inline style without its quoted strings: what a string says (a font
// named "display:none", say) is a value, never a declaration of its own.
std::string styleOutsideStrings(std::string_view style)
{
    std::string outside;
    char quote = 0;
    for (std::size_t index = 0; index < style.size(); ++index) {
        char c = style[index];
        if (!quote && (c == '\'' || c == '"'))
            quote = c;
        else if (quote && c == '\\')
            ++index;
        else if (quote && c == quote)
            quote = 0;
        else if (!quote)
            outside += c;
    }
    return outside;
}

bool isHidden(const HTMLAttributeList& attributes)
{
    bool hidden = false;
    if (std::optional<std::string> id = property(attributes, "id"))
        hidden = *id == "bodyStyle" || *id == "pageHeader" || *id == "pageFooter";
    if (std::optional<std::string> style = property(attributes, "style")) {
        std::string text = styleOutsideStrings(*style);
        text.erase(std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }),
                   text.end());
        hidden = hidden || containsIgnoringASCIICase(text, "display:none");
    }
    return hidden;
}

void endLine(std::string& text)
{
    if (!text.empty() && text.back() != '\n')
        text += '\n';
}

// One run of text between two tags.
void appendText(std::string_view content, std::string& text, bool preformatted, bool keepsWhiteSpace)
{
    if (keepsWhiteSpace) {
        // Line breaks between elements are the markup's, not the text's.
        if (content.find_first_not_of("\r\n") != std::string_view::npos)
            text += content;
        return;
    }
    if (preformatted) {
        text += content;
        return;
    }
    // Runs of white space read as one blank, as a browser shows them.
    for (char c : content) {
        if (c != '\0' && std::strchr(" \t\n\r\f", c)) {
            if (!text.empty() && text.back() != ' ' && text.back() != '\n')
                text += ' ';
        } else {
            text += c;
        }
    }
}

// The list-style keyword of an element's inline style ("list-style:lower-alpha;").
std::optional<TECSSListStyleType> listTypeOf(const HTMLAttributeList& attributes, std::string_view element)
{
    std::string style = styleOutsideStrings(property(attributes, "style").value_or(""));
    std::size_t found = style.find("list-style");
    if (found != std::string::npos) {
        std::size_t start = style.find(':', found);
        if (start != std::string::npos) {
            std::size_t end = style.find(';', start);
            std::string keyword = style.substr(start + 1, end == std::string::npos ? end : end - start - 1);
            keyword.erase(std::remove(keyword.begin(), keyword.end(), ' '), keyword.end());
            std::u16string word = toUtf16(keyword);
            if (auto type = TECSSListStyle::listStyleTypeFromString(std::u16string_view(word)))
                return type;
        }
    }
    return element == "ol" ? TECSSListStyleType::Decimal : TECSSListStyleType::Disc;
}

struct ListCounter {
    TECSSListStyleType type = TECSSListStyleType::Disc;
    std::int64_t next = 1;
};

// The marker a browser draws before item `number` of a list of the type.
std::string markerText(TECSSListStyleType type, std::int64_t number)
{
    auto letters = [number](char first) {
        std::string text;
        for (std::int64_t value = number; value > 0; value = (value - 1) / 26)
            text.insert(text.begin(), static_cast<char>(first + (value - 1) % 26));
        return text;
    };
    switch (type) {
    case TECSSListStyleType::None:
        return {};
    case TECSSListStyleType::Circle:
        return "\u25E6";
    case TECSSListStyleType::Square:
        return "\u25AA";
    case TECSSListStyleType::Hyphen:
        return "-";
    case TECSSListStyleType::Decimal:
        return std::to_string(number) + ".";
    case TECSSListStyleType::DecimalLeadingZero:
        return (number >= 0 && number < 10 ? "0" : "") + std::to_string(number) + ".";
    case TECSSListStyleType::UpperAlpha:
    case TECSSListStyleType::UpperLatin:
        return letters('A') + ".";
    case TECSSListStyleType::LowerAlpha:
    case TECSSListStyleType::LowerLatin:
        return letters('a') + ".";
    case TECSSListStyleType::UpperRoman:
        return toUtf8(TECSSListStyle::romanNumeral(number)) + ".";
    case TECSSListStyleType::LowerRoman:
        return toUtf8(lowercaseString(TECSSListStyle::romanNumeral(number))) + ".";
    default:
        return "\u2022";
    }
}

// Gathers the text as the parser reads it: the elements a reader does not
// see are skipped with all they hold, blocks start lines, list items get
// their markers.
class TextCollector final : public HTMLParseEvents {
public:
    explicit TextCollector(const HTMLPlainText::Options& options) : m_options(options) {}

    std::string text;

    void startElement(std::string_view name, const HTMLAttributeList& attributes) override
    {
        flushText();
        ++m_depth;
        if (m_skipDepth) {
            ++m_skipDepth;
            return;
        }
        if (kSkippedElements.count(name) || isHidden(attributes)) {
            m_skipDepth = 1;
            return;
        }
        if (name == "br") {
            text += '\n';
            m_skipDepth = 1;
            return;
        }
        if (kBlockElements.count(name))
            endLine(text);
        if ((name == "td" || name == "th") && !text.empty() && text.back() != '\n')
            text += '\t';
        if (name == "pre")
            ++m_preformattedDepth;
        if (isList(name)) {
            ListCounter counter;
            counter.type = *listTypeOf(attributes, name);
            if (std::optional<std::string> start = property(attributes, "start"))
                counter.next = std::atoll(start->c_str());
            m_lists.push_back(counter);
        }
        if (m_options.listMarkers && name == "li" && !m_lists.empty()) {
            ListCounter& list = m_lists.back();
            // A tab per level below the outermost, whose items start their lines.
            text.append(m_lists.size() - 1, '\t');
            std::string marker = markerText(list.type, list.next);
            if (!marker.empty())
                text += marker + ' ';
            list.next = TECSSListStyle::itemNumber(list.next, 1);
        }
    }

    void endElement(std::string_view name) override
    {
        flushText();
        --m_depth;
        if (m_skipDepth) {
            --m_skipDepth;
            return;
        }
        if (name == "pre")
            --m_preformattedDepth;
        if (isList(name) && !m_lists.empty())
            m_lists.pop_back();
        if (kBlockElements.count(name))
            endLine(text);
    }

    void characters(std::string_view content) override
    {
        // Text outside every element belongs to no node of the page.
        if (!m_skipDepth && m_depth > 0)
            m_pending += content;
    }

    void flushText()
    {
        if (m_pending.empty())
            return;
        appendText(m_pending, text, m_preformattedDepth > 0, m_options.keepsWhiteSpace);
        m_pending.clear();
    }

private:
    bool isList(std::string_view name) const { return m_options.listMarkers && (name == "ol" || name == "ul"); }

    const HTMLPlainText::Options& m_options;
    int m_depth = 0;
    int m_skipDepth = 0;
    int m_preformattedDepth = 0;
    std::vector<ListCounter> m_lists;
    // The text since the last tag: the parser hands a run over in pieces.
    std::string m_pending;
};

} // namespace

std::u16string HTMLPlainText::plainText(std::string_view html)
{
    return plainText(html, Options{});
}

std::u16string HTMLPlainText::plainText(std::string_view html, const Options& options)
{
    if (html.empty())
        return {};
    TextCollector quick(options);
    // HTML in the plain forms of the program's own writer (a document's
    // text export) is read without libxml2, to the same events. Only HTML
    // that opens with an element: libxml2 drops blanks ahead of every
    // element and puts other text there into a paragraph of its own, which
    // the quick reading, made for fragments inside a page's body, does not.
    bool readQuickly = html.front() == '<' && HTMLSimpleMarkupReader::readFragment(html, quick);
    std::optional<TextCollector> parsed;
    if (!readQuickly) {
        parsed.emplace(options);
        HTMLParser::Options parsing;
        parsing.incremental = false;
        HTMLParser parser(*parsed, HTMLParser::Elements | HTMLParser::Characters, parsing);
        parser.parse(html, "UTF-8");
    }
    TextCollector& collector = readQuickly ? quick : *parsed;
    collector.flushText();
    std::string& text = collector.text;
    // Blanks left at line ends by the white-space rule are not the text's.
    std::string cleaned;
    for (char c : text) {
        if (c == '\n' && !options.keepsWhiteSpace)
            while (!cleaned.empty() && cleaned.back() == ' ')
                cleaned.pop_back();
        cleaned += c;
    }
    while (!cleaned.empty() && (cleaned.back() == '\n' || cleaned.back() == ' '))
        cleaned.pop_back();
    return toUtf16(cleaned);
}

} // namespace folio
