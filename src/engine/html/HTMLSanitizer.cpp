#include "engine/html/HTMLSanitizer.h"

#include "engine/html/XMLTreeWalk.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <optional>
#include <vector>

namespace folio {

namespace {

struct DocumentFree {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
using DocumentPointer = std::unique_ptr<xmlDoc, DocumentFree>;

// XML_PARSE_HUGE (HTML_PARSE_HUGE in later libxml2) lifts the 10,000,000-byte
// limit on one text node, which the HTML parser honours too.
constexpr int kParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING
    | HTML_PARSE_NODEFDTD | XML_PARSE_HUGE | HTML_PARSE_IGNORE_ENC;

std::string lowercased(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

bool contains(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements that only run, load or embed something; they go with their content.
bool isDroppedElement(std::string_view name)
{
    return contains(name, {"script", "noscript", "iframe", "frame", "frameset", "object", "embed", "applet", "base",
                           "link", "xmp", "noembed", "noframes", "plaintext", "template", "portal", "param",
                           "animate", "animatemotion", "animatetransform", "set", "handler", "listener"});
}

bool isVoidElement(std::string_view name)
{
    return contains(name, {"area", "br", "col", "hr", "img", "input", "meta", "source", "track", "wbr", "keygen",
                           "basefont", "bgsound", "image"});
}

// Where an attribute names a place to go rather than something to load.
bool isLinkAttribute(std::string_view element, std::string_view attribute)
{
    if (attribute == "action" || attribute == "formaction")
        return true;
    if (attribute != "href" && attribute != "xlink:href")
        return false;
    return element == "a" || element == "area";
}

bool isResourceAttribute(std::string_view attribute)
{
    return contains(attribute, {"src", "srcset", "imagesrcset", "poster", "background", "data", "lowsrc", "dynsrc",
                                "codebase", "manifest", "ping", "href", "xlink:href", "longdesc", "usemap"});
}

bool isAttributeNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' || c == '.';
}

// The URL as a browser reads it: without the blanks and control characters
// it strips from the ends and ignores inside a scheme.
std::string compactURL(std::string_view url)
{
    std::string result;
    for (char c : url) {
        if (static_cast<unsigned char>(c) > 0x20)
            result += c;
    }
    return result;
}

std::string schemeOf(std::string_view url)
{
    std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return {};
    for (std::size_t index = 0; index < colon; ++index) {
        char c = url[index];
        bool allowed = std::isalpha(static_cast<unsigned char>(c))
            || (index > 0 && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'));
        if (!allowed)
            return {};
    }
    return lowercased(url.substr(0, colon));
}

void appendEscaped(std::string& out, std::string_view text, bool inAttribute)
{
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"':
            out += inAttribute ? "&quot;" : "\"";
            break;
        default: out += c;
        }
    }
}

std::string_view text(const xmlChar* characters)
{
    return characters ? std::string_view(reinterpret_cast<const char*>(characters)) : std::string_view();
}

std::string textContent(xmlNode* node)
{
    std::string result;
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE)
            result += text(child->content);
    }
    return result;
}

// A value for an attribute, or nothing when the attribute must go.
std::optional<std::string> sanitizedAttribute(std::string_view element, std::string_view name, std::string value,
                                              HTMLSanitizer::Use use)
{
    const bool exported = use == HTMLSanitizer::Use::Export;
    auto keptReference = [exported](std::string_view url) { return !exported || !HTMLSanitizer::leavesTheDocument(url); };
    if (name.size() > 2 && name.starts_with("on"))
        return std::nullopt;
    if (!std::all_of(name.begin(), name.end(), isAttributeNameCharacter) || name == "srcdoc")
        return std::nullopt;
    if (element == "meta" && name == "http-equiv")
        return std::nullopt;
    if (name == "style")
        return HTMLSanitizer::sanitizedCSS(value, use);
    if (isLinkAttribute(element, name))
        return HTMLSanitizer::isSafeLinkTarget(value) && keptReference(value) ? std::optional(value) : std::nullopt;
    if (name == "srcset" || name == "imagesrcset") {
        // Candidates are "URL [descriptor]" separated by commas.
        std::size_t start = 0;
        while (start <= value.size()) {
            std::size_t comma = value.find(',', start);
            std::string candidate = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            std::size_t begin = candidate.find_first_not_of(" \t\n\r\f");
            if (begin != std::string::npos) {
                std::string url = candidate.substr(begin, candidate.find_first_of(" \t\n\r\f", begin) - begin);
                if (!HTMLSanitizer::isLocalResource(url) || !keptReference(url))
                    return std::nullopt;
            }
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        return value;
    }
    if (isResourceAttribute(name)) {
        if (name == "longdesc" || name == "usemap")
            return HTMLSanitizer::isSafeLinkTarget(value) && keptReference(value) ? std::optional(value) : std::nullopt;
        std::string compact = compactURL(value);
        bool picture = element == "img" && name == "src";
        // An SVG picture shown by an image runs no script; anywhere else it could.
        if (!picture && lowercased(compact).starts_with("data:image/svg"))
            return std::nullopt;
        return HTMLSanitizer::isLocalResource(value) && keptReference(value) ? std::optional(value) : std::nullopt;
    }
    // Presentation attributes of SVG (fill, filter, mask...) take url() too.
    if (lowercased(value).find("url") != std::string::npos)
        return HTMLSanitizer::sanitizedCSS(value, use);
    return value;
}

// Writes the tree back as HTML that holds only what is safe to show. The walk
// is iterative: a document may nest elements deeper than the stack allows.
class Writer {
public:
    explicit Writer(HTMLSanitizer::Use use) : m_use(use), m_insertion(use == HTMLSanitizer::Use::Insertion) {}

    std::string result;

    void writeChildren(xmlNode* first)
    {
        walkXMLTree(
            first, [this](xmlNode* node) { return enter(node); }, [this](xmlNode* node) { leave(node); });
    }

    void write(xmlNode* node)
    {
        if (!enter(node))
            return;
        if (node->children)
            writeChildren(node->children);
        leave(node);
    }

private:
    HTMLSanitizer::Use m_use;
    bool m_insertion;

    // Drop goes with its content; DropTag keeps the content of a void element
    // that must not be written.
    enum class Treatment { Skip, Drop, DropTag, Void, Raw, Element };

    static std::string nameOf(xmlNode* node) { return lowercased(text(node->name)); }

    Treatment treatmentOf(xmlNode* node) const
    {
        if (node->type != XML_ELEMENT_NODE)
            return Treatment::Skip;
        std::string name = nameOf(node);
        if (name.empty() || !std::all_of(name.begin(), name.end(), isAttributeNameCharacter))
            return Treatment::Drop;
        // A void element holds nothing: what the parser put inside it is the
        // text that followed it, and must survive whatever becomes of it.
        bool isVoid = isVoidElement(name) || isVoidDroppedElement(name);
        if (isDroppedElement(name) || (name == "meta" && xmlHasProp(node, BAD_CAST "http-equiv")))
            return isVoid ? Treatment::DropTag : Treatment::Drop;
        // Inserted into a page, a style sheet would restyle the whole page
        // and a meta element means nothing.
        if (m_insertion && (name == "style" || name == "meta"))
            return isVoid ? Treatment::DropTag : Treatment::Drop;
        if (isVoid)
            return Treatment::Void;
        return name == "style" ? Treatment::Raw : Treatment::Element;
    }

    static bool isVoidDroppedElement(std::string_view name)
    {
        return contains(name, {"embed", "param", "base", "link", "frame"});
    }

    // Answers whether the node's children are to be walked.
    bool enter(xmlNode* node)
    {
        switch (node->type) {
        case XML_ELEMENT_NODE:
            break;
        case XML_TEXT_NODE:
            appendEscaped(result, text(node->content), false);
            return false;
        case XML_DTD_NODE:
            writeDoctype(reinterpret_cast<xmlDtd*>(node));
            return false;
        default:
            // Comments, processing instructions and CDATA are dropped: a
            // browser may end a comment where the parser here did not, and
            // none of them is shown.
            return false;
        }
        Treatment treatment = treatmentOf(node);
        switch (treatment) {
        case Treatment::Skip:
        case Treatment::Drop:
            return false;
        case Treatment::DropTag:
            return true;
        case Treatment::Void:
            writeStartTag(node);
            return true;
        case Treatment::Raw:
            writeStartTag(node);
            writeStyleText(node);
            result += "</style>";
            return false;
        case Treatment::Element:
            writeStartTag(node);
            return true;
        }
        return false;
    }

    void leave(xmlNode* node)
    {
        if (treatmentOf(node) == Treatment::Element)
            result += "</" + nameOf(node) + ">";
    }

    void writeStartTag(xmlNode* node)
    {
        std::string name = nameOf(node);
        result += "<" + name;
        for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
            std::string attributeName = lowercased(text(attribute->name));
            if (attribute->ns && attribute->ns->prefix)
                attributeName = lowercased(text(attribute->ns->prefix)) + ":" + attributeName;
            xmlChar* raw = xmlNodeListGetString(node->doc, attribute->children, 1);
            std::string value(text(raw));
            xmlFree(raw);
            std::optional<std::string> kept = sanitizedAttribute(name, attributeName, std::move(value), m_use);
            if (!kept)
                continue;
            result += " " + attributeName + "=\"";
            appendEscaped(result, *kept, true);
            result += "\"";
        }
        result += ">";
    }

    void writeStyleText(xmlNode* node)
    {
        // Raw text to a browser: nothing in it may read as the end tag.
        std::string css = HTMLSanitizer::sanitizedCSS(textContent(node), m_use);
        for (char c : css) {
            if (c == '<')
                result += "\\3c ";
            else
                result += c;
        }
    }

    void writeDoctype(xmlDtd* doctype)
    {
        result += "<!DOCTYPE ";
        result += doctype->name ? text(doctype->name) : "html";
        auto quoted = [this](std::string_view value) {
            std::string cleaned;
            for (char c : value) {
                if (c != '"' && c != '>')
                    cleaned += c;
            }
            result += " \"" + cleaned + "\"";
        };
        if (doctype->ExternalID) {
            result += " PUBLIC";
            quoted(text(doctype->ExternalID));
            if (doctype->SystemID)
                quoted(text(doctype->SystemID));
        } else if (doctype->SystemID) {
            result += " SYSTEM";
            quoted(text(doctype->SystemID));
        }
        result += ">";
    }
};

bool looksLikeWholePage(std::string_view html)
{
    std::string head = lowercased(html.substr(0, std::min<std::size_t>(html.size(), 4096)));
    return head.find("<html") != std::string::npos || head.find("<!doctype") != std::string::npos
        || head.find("<body") != std::string::npos;
}

xmlNode* childElement(xmlNode* parent, std::string_view name)
{
    for (xmlNode* node = parent ? parent->children : nullptr; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && lowercased(text(node->name)) == name)
            return node;
    }
    return nullptr;
}

// Decodes the CSS escapes that stand for letters, digits and the few marks
// of at-rules and function names, so that "\75rl(" reads as "url(".
// Escapes of anything else stay as written: decoding a quote or a
// parenthesis would change where a string or function ends.
std::string withIdentifierEscapesDecoded(std::string_view css)
{
    std::string result;
    for (std::size_t index = 0; index < css.size(); ++index) {
        char c = css[index];
        if (c != '\\' || index + 1 >= css.size()) {
            result += c;
            continue;
        }
        std::size_t start = index + 1;
        std::size_t end = start;
        while (end < css.size() && end - start < 6 && std::isxdigit(static_cast<unsigned char>(css[end])))
            ++end;
        unsigned long code = 0;
        std::size_t next = end;
        if (end > start) {
            code = std::stoul(std::string(css.substr(start, end - start)), nullptr, 16);
            if (next < css.size() && std::isspace(static_cast<unsigned char>(css[next])))
                ++next;
        } else {
            code = static_cast<unsigned char>(css[start]);
            next = start + 1;
        }
        bool identifier = code < 0x80 && (std::isalnum(static_cast<int>(code)) || code == '-' || code == '_' || code == '@');
        if (identifier) {
            result += static_cast<char>(code);
            index = next - 1;
        } else {
            result += c;
        }
    }
    return result;
}

bool isIdentifierCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// The index just past the parenthesis that closes the one before `start`,
// skipping strings; the end of the text when it is never closed.
std::size_t closingParenthesis(std::string_view css, std::size_t start)
{
    int depth = 1;
    char quote = 0;
    for (std::size_t index = start; index < css.size(); ++index) {
        char c = css[index];
        if (c == '\\') {
            ++index;
        } else if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return index + 1;
        }
    }
    return css.size();
}

// The URLs a function's argument names: quoted strings, or the bare text of url().
std::vector<std::string> urlsInArgument(std::string_view argument, bool bare)
{
    std::vector<std::string> urls;
    std::size_t index = 0;
    while (index < argument.size()) {
        char c = argument[index];
        if (c == '"' || c == '\'') {
            std::size_t end = argument.find(c, index + 1);
            urls.emplace_back(argument.substr(index + 1, end == std::string_view::npos ? end : end - index - 1));
            index = end == std::string_view::npos ? argument.size() : end + 1;
        } else if (c == '(') {
            // A url() inside image-set() is checked on its own.
            index = closingParenthesis(argument, index + 1);
        } else {
            ++index;
        }
    }
    if (urls.empty() && bare) {
        std::string_view trimmed = argument;
        while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.front())))
            trimmed.remove_prefix(1);
        while (!trimmed.empty() && (std::isspace(static_cast<unsigned char>(trimmed.back())) || trimmed.back() == ')'))
            trimmed.remove_suffix(1);
        urls.emplace_back(trimmed);
    }
    return urls;
}

} // namespace

bool HTMLSanitizer::isSafeLinkTarget(std::string_view url)
{
    std::string scheme = schemeOf(compactURL(url));
    return scheme != "javascript" && scheme != "vbscript" && scheme != "livescript" && scheme != "data";
}

bool HTMLSanitizer::isLocalResource(std::string_view url, bool allowingAnyData)
{
    std::string compact = compactURL(url);
    // "//host/x" (and "\\host\x", which browsers read alike) names another host.
    if (compact.size() >= 2 && (compact[0] == '/' || compact[0] == '\\') && (compact[1] == '/' || compact[1] == '\\'))
        return false;
    std::string scheme = schemeOf(compact);
    if (scheme.empty() || scheme == "file" || scheme == "myfont")
        return true;
    if (scheme == "data")
        return allowingAnyData || lowercased(compact).starts_with("data:image/");
    return false;
}

bool HTMLSanitizer::leavesTheDocument(std::string_view url)
{
    std::string compact = compactURL(url);
    std::string scheme = schemeOf(compact);
    if (scheme == "file")
        return true;
    if (!scheme.empty())
        return false;
    if (!compact.empty() && (compact[0] == '/' || compact[0] == '\\'))
        return true;
    // A ".." segment, before any query or fragment, climbs out.
    std::string_view path = std::string_view(compact).substr(0, compact.find_first_of("?#"));
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        std::string_view segment = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (segment == ".." || lowercased(segment) == "%2e%2e")
            return true;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return false;
}

std::string HTMLSanitizer::sanitizedCSS(std::string_view css, Use use)
{
    std::string decoded = withIdentifierEscapesDecoded(css);
    std::string lower = lowercased(decoded);
    bool risky = lower.find("url") != std::string::npos || lower.find("@import") != std::string::npos
        || lower.find("expression") != std::string::npos || lower.find("image-set") != std::string::npos;
    if (!risky)
        return std::string(css);

    std::string result;
    bool changed = false;
    std::size_t index = 0;
    while (index < decoded.size()) {
        char c = decoded[index];
        if (c == '"' || c == '\'') {
            std::size_t end = index + 1;
            while (end < decoded.size() && decoded[end] != c) {
                if (decoded[end] == '\\')
                    ++end;
                ++end;
            }
            end = std::min(end + 1, decoded.size());
            result.append(decoded, index, end - index);
            index = end;
            continue;
        }
        if (c == '/' && index + 1 < decoded.size() && decoded[index + 1] == '*') {
            std::size_t end = decoded.find("*/", index + 2);
            end = end == std::string::npos ? decoded.size() : end + 2;
            result.append(decoded, index, end - index);
            index = end;
            continue;
        }
        if (c == '@' && std::string_view(lower).substr(index).starts_with("@import")) {
            // The whole rule goes: up to its semicolon, outside strings.
            std::size_t end = index;
            char quote = 0;
            while (end < decoded.size() && (quote || decoded[end] != ';')) {
                if (decoded[end] == '\\')
                    ++end;
                else if (quote && decoded[end] == quote)
                    quote = 0;
                else if (!quote && (decoded[end] == '"' || decoded[end] == '\''))
                    quote = decoded[end];
                ++end;
            }
            index = std::min(end + 1, decoded.size());
            changed = true;
            continue;
        }
        bool startsWord = index == 0 || !isIdentifierCharacter(decoded[index - 1]);
        if (startsWord && isIdentifierCharacter(c)) {
            std::size_t end = index;
            while (end < decoded.size() && isIdentifierCharacter(decoded[end]))
                ++end;
            std::string word = lower.substr(index, end - index);
            if (end < decoded.size() && decoded[end] == '(') {
                std::size_t close = closingParenthesis(decoded, end + 1);
                std::string_view argument = std::string_view(decoded).substr(end + 1, close - end - 1);
                bool refused = false;
                if (word == "expression") {
                    refused = true;
                } else if (word == "url" || word == "image-set" || word == "-webkit-image-set") {
                    for (const std::string& url : urlsInArgument(argument, word == "url"))
                        refused = refused || !isLocalResource(url, true) || (use == Use::Export && leavesTheDocument(url));
                }
                if (refused) {
                    result += "none";
                    changed = true;
                    index = close;
                    continue;
                }
                if (word == "image-set" || word == "-webkit-image-set") {
                    // Its url() arguments are checked one by one below.
                    result.append(decoded, index, end + 1 - index);
                    index = end + 1;
                    continue;
                }
                result.append(decoded, index, close - index);
                index = close;
                continue;
            }
            result.append(decoded, index, end - index);
            index = end;
            continue;
        }
        result += c;
        ++index;
    }
    return changed ? result : std::string(css);
}

std::string HTMLSanitizer::sanitizedHTML(std::string_view html, Use use)
{
    if (html.empty())
        return {};
    bool wholePage = looksLikeWholePage(html);
    std::string source = wholePage ? std::string(html)
                                   : "<html><head><meta charset=\"UTF-8\"></head><body>" + std::string(html)
            + "</body></html>";
    DocumentPointer document(htmlReadMemory(source.data(), static_cast<int>(source.size()), nullptr, "UTF-8",
                                            kParseOptions));
    if (!document)
        return {};
    Writer writer(use);
    if (wholePage) {
        writer.writeChildren(document->children);
        return writer.result;
    }
    xmlNode* root = xmlDocGetRootElement(document.get());
    // A style element leading the fragment is put in the head by the parser;
    // it belongs to the fragment all the same.
    if (xmlNode* head = childElement(root, "head")) {
        for (xmlNode* node = head->children; node; node = node->next) {
            if (node->type == XML_ELEMENT_NODE && lowercased(text(node->name)) != "meta")
                writer.write(node);
        }
    }
    if (xmlNode* body = childElement(root, "body"))
        writer.writeChildren(body->children);
    return writer.result;
}

} // namespace folio
