#include "formats/html/HTMLPlainText.h"

#include "engine/html/XMLTreeWalk.h"
#include "platform/foundation/Unicode.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

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

void appendText(xmlNode* node, std::string& text, bool preformatted)
{
    const char* content = reinterpret_cast<const char*>(node->content);
    if (!content)
        return;
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

std::string_view nameOf(xmlNode* element)
{
    return reinterpret_cast<const char*>(element->name);
}

void collect(xmlNode* first, std::string& text)
{
    int preformattedDepth = 0;
    auto enter = [&](xmlNode* node) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            appendText(node, text, preformattedDepth > 0);
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
        return true;
    };
    auto leave = [&](xmlNode* node) {
        std::string_view name = nameOf(node);
        if (name == "pre")
            --preformattedDepth;
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
    if (html.empty())
        return {};
    htmlDocPtr document = htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                                         HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING
                                             | HTML_PARSE_NONET | kLongTextRuns);
    if (!document)
        return {};
    std::string text;
    collect(xmlDocGetRootElement(document), text);
    xmlFreeDoc(document);
    // Blanks left at line ends by the white-space rule are not the text's.
    std::string cleaned;
    for (char c : text) {
        if (c == '\n')
            while (!cleaned.empty() && cleaned.back() == ' ')
                cleaned.pop_back();
        cleaned += c;
    }
    while (!cleaned.empty() && (cleaned.back() == '\n' || cleaned.back() == ' '))
        cleaned.pop_back();
    return toUtf16(cleaned);
}

} // namespace folio
