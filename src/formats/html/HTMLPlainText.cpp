#include "formats/html/HTMLPlainText.h"

#include "engine/html/XMLTreeWalk.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

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
const std::set<std::string, std::less<>> kSkippedElements = {"head", "script", "style", "title", "template"};

bool isHidden(xmlNode* element)
{
    xmlChar* id = xmlGetProp(element, reinterpret_cast<const xmlChar*>("id"));
    bool hidden = false;
    if (id) {
        std::string_view name(reinterpret_cast<const char*>(id));
        hidden = name == "bodyStyle" || name == "pageHeader" || name == "pageFooter";
        xmlFree(id);
    }
    if (xmlChar* style = xmlGetProp(element, reinterpret_cast<const xmlChar*>("style"))) {
        std::string text(reinterpret_cast<const char*>(style));
        xmlFree(style);
        text.erase(std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }),
                   text.end());
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        hidden = hidden || text.find("display:none") != std::string::npos;
    }
    return hidden;
}

void endLine(std::string& text)
{
    if (!text.empty() && text.back() != '\n')
        text += '\n';
}

void appendText(xmlNode* node, std::string& text, bool preformatted, bool keepsWhiteSpace)
{
    const char* content = reinterpret_cast<const char*>(node->content);
    if (!content)
        return;
    if (keepsWhiteSpace) {
        // Line breaks between elements are the markup's, not the text's.
        if (std::strspn(content, "\r\n") != std::strlen(content))
            text += content;
        return;
    }
    if (preformatted) {
        text += content;
        return;
    }
    // Runs of white space read as one blank, as a browser shows them.
    for (const char* c = content; *c; ++c) {
        if (std::strchr(" \t\n\r\f", *c)) {
            if (!text.empty() && text.back() != ' ' && text.back() != '\n')
                text += ' ';
        } else {
            text += *c;
        }
    }
}

std::optional<std::string> property(xmlNode* element, const char* name)
{
    xmlChar* value = xmlGetProp(element, reinterpret_cast<const xmlChar*>(name));
    if (!value)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

// The list-style keyword of an element's inline style ("list-style:lower-alpha;").
std::optional<TECSSListStyleType> listTypeOf(xmlNode* list, std::string_view element)
{
    std::string style = property(list, "style").value_or("");
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

std::string_view nameOf(xmlNode* element)
{
    return reinterpret_cast<const char*>(element->name);
}

void collect(xmlNode* first, std::string& text, const HTMLPlainText::Options& options)
{
    int preformattedDepth = 0;
    std::vector<ListCounter> lists;
    auto isList = [&](std::string_view name) { return options.listMarkers && (name == "ol" || name == "ul"); };
    auto enter = [&](xmlNode* node) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            appendText(node, text, preformattedDepth > 0, options.keepsWhiteSpace);
            return false;
        }
        if (node->type != XML_ELEMENT_NODE)
            return false;
        std::string_view name = nameOf(node);
        if (kSkippedElements.count(name) || isHidden(node))
            return false;
        if (name == "br") {
            text += '\n';
            return false;
        }
        if (kBlockElements.count(name))
            endLine(text);
        if ((name == "td" || name == "th") && !text.empty() && text.back() != '\n')
            text += '\t';
        if (name == "pre")
            ++preformattedDepth;
        if (isList(name)) {
            ListCounter counter;
            counter.type = *listTypeOf(node, name);
            if (std::optional<std::string> start = property(node, "start"))
                counter.next = std::atoll(start->c_str());
            lists.push_back(counter);
        }
        if (options.listMarkers && name == "li" && !lists.empty()) {
            ListCounter& list = lists.back();
            // A tab per level below the outermost, whose items start their lines.
            text.append(lists.size() - 1, '\t');
            std::string marker = markerText(list.type, list.next);
            if (!marker.empty())
                text += marker + ' ';
            list.next = TECSSListStyle::itemNumber(list.next, 1);
        }
        return true;
    };
    auto leave = [&](xmlNode* node) {
        std::string_view name = nameOf(node);
        if (name == "pre")
            --preformattedDepth;
        if (isList(name) && !lists.empty())
            lists.pop_back();
        if (kBlockElements.count(name))
            endLine(text);
    };
    walkXMLTree(first, enter, leave);
}

} // namespace

// Without it the tree builder cuts a text run at 10,000,000 bytes and says
// nothing (HTML_PARSE_HUGE in later libxml2; this one takes the XML flag).
constexpr int kLongTextRuns = XML_PARSE_HUGE;

std::u16string HTMLPlainText::plainText(std::string_view html)
{
    return plainText(html, Options{});
}

std::u16string HTMLPlainText::plainText(std::string_view html, const Options& options)
{
    if (html.empty())
        return {};
    htmlDocPtr document = htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                                         HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING
                                             | HTML_PARSE_NONET | kLongTextRuns);
    if (!document)
        return {};
    std::string text;
    collect(xmlDocGetRootElement(document), text, options);
    xmlFreeDoc(document);
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
