#include "engine/html/HTMLSanitizer.h"

#include "engine/html/HTMLPageObjectNames.h"
#include "engine/html/HTMLSanitizedText.h"
#include "engine/html/HTMLSimpleMarkupEvents.h"
#include "engine/html/HTMLSimpleMarkupReader.h"
#include "platform/foundation/HTMLParser.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace folio {

namespace {

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

bool isSanitizedAttributeNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' || c == '.';
}

// The URL as a browser reads it: without the blanks and control characters
// it strips from the ends and ignores inside a scheme. Most URLs have none,
// and are answered as they are; `storage` holds any other.
std::string_view compactURL(std::string_view url, std::string& storage)
{
    if (std::all_of(url.begin(), url.end(), [](char c) { return static_cast<unsigned char>(c) > 0x20; }))
        return url;
    storage.clear();
    for (char c : url) {
        if (static_cast<unsigned char>(c) > 0x20)
            storage += c;
    }
    return storage;
}

std::string sanitizedSchemeOf(std::string_view url)
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
    return asciiLowercaseString(url.substr(0, colon));
}

bool isScriptOrDataScheme(std::string_view scheme)
{
    return scheme == "javascript" || scheme == "vbscript" || scheme == "livescript" || scheme == "data";
}

// A link to one of these is a message from an editing page to the program.
bool isPageMessageScheme(std::string_view scheme)
{
    return scheme == "rte" || scheme == "x-twwebview";
}

bool isRefusedLinkScheme(std::string_view scheme)
{
    return isScriptOrDataScheme(scheme) || isPageMessageScheme(scheme);
}

// Whether a resource outside the document's folder is refused.
bool refusesOutsideReferences(HTMLSanitizer::Use use)
{
    return use == HTMLSanitizer::Use::Export || use == HTMLSanitizer::Use::EditingPage
        || use == HTMLSanitizer::Use::PageCopy;
}

// Whether the markup goes into one of the editors' pages, whose own scripts
// reach the page's objects by their names.
bool entersAnEditingPage(HTMLSanitizer::Use use)
{
    return use == HTMLSanitizer::Use::Insertion || use == HTMLSanitizer::Use::EditingPage;
}

// Form controls: a page that edits the document is no place for them, and
// the text they hold is the document's, so only their tags go.
bool isFormElement(std::string_view name)
{
    return contains(name, {"form", "input", "button", "select", "option", "optgroup", "textarea", "datalist", "output",
                           "keygen"});
}

// What makes an object load or run something; a note's object has none.
bool isObjectLoadingAttribute(std::string_view name)
{
    return contains(name, {"data", "type", "classid", "codebase", "codetype", "archive", "typemustmatch", "usemap"});
}

// The editors' footnotes and comments are objects of these classes that
// only hold their marker's text.
bool isNoteObject(const HTMLAttributeList& attributes)
{
    std::optional<std::string_view> kind = attributes.valueOf("class");
    return kind && (*kind == "footnote" || *kind == "annotation");
}

// Whether the reference, compacted, with its scheme, names a file outside
// the document's folder.
bool leavesTheDocument(std::string_view compact, std::string_view scheme)
{
    if (scheme == "file")
        return true;
    if (!scheme.empty())
        return false;
    if (!compact.empty() && (compact[0] == '/' || compact[0] == '\\'))
        return true;
    // A ".." segment, before any query or fragment, climbs out.
    std::string_view path = compact.substr(0, compact.find_first_of("?#"));
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        std::string_view segment = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (segment == ".." || equalsIgnoringASCIICase(segment, "%2e%2e"))
            return true;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return false;
}

// A link target a user may follow and, in an export, one inside the
// document: the URL is compacted and its scheme read once for both.
bool isKeptLinkTarget(std::string_view url, bool exported)
{
    std::string storage;
    std::string_view compact = compactURL(url, storage);
    std::string scheme = sanitizedSchemeOf(compact);
    return !isRefusedLinkScheme(scheme) && !(exported && leavesTheDocument(compact, scheme));
}

// A value for an attribute, or nothing when the attribute must go.
std::optional<std::string> sanitizedAttribute(std::string_view element, std::string_view name, std::string value,
                                              HTMLSanitizer::Use use)
{
    const bool exported = use == HTMLSanitizer::Use::Export;
    auto keptReference = [use](std::string_view url) {
        return !refusesOutsideReferences(use) || !HTMLSanitizer::leavesTheDocument(url);
    };
    auto kept = [&value](bool keep) { return keep ? std::optional<std::string>(std::move(value)) : std::nullopt; };
    if (name.size() > 2 && name.starts_with("on"))
        return std::nullopt;
    if (!std::all_of(name.begin(), name.end(), isSanitizedAttributeNameCharacter) || name == "srcdoc")
        return std::nullopt;
    if (element == "meta" && name == "http-equiv")
        return std::nullopt;
    if (element == "object" && isObjectLoadingAttribute(name))
        return std::nullopt;
    if (name == "style")
        return HTMLSanitizer::sanitizedCSS(value, use);
    // No element of the content may stand in for an object of the page.
    if (entersAnEditingPage(use) && (name == "id" || name == "name"))
        return HTMLPageObjectNames::safeName(value);
    if (isLinkAttribute(element, name)) {
        if (!isKeptLinkTarget(value, exported))
            return std::nullopt;
        // A link to a place whose name was changed leads there still.
        if (entersAnEditingPage(use) && value.size() > 1 && value[0] == '#')
            return "#" + HTMLPageObjectNames::safeName(std::string_view(value).substr(1));
        return value;
    }
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
            return kept(isKeptLinkTarget(value, exported));
        std::string storage;
        std::string_view compact = compactURL(value, storage);
        bool picture = element == "img" && name == "src";
        // An SVG picture shown by an image runs no script; anywhere else it could.
        if (!picture && hasPrefixIgnoringASCIICase(compact, "data:image/svg"))
            return std::nullopt;
        return kept(HTMLSanitizer::isLocalResource(value) && keptReference(value));
    }
    // Presentation attributes of SVG (fill, filter, mask...) take url() too.
    if (containsIgnoringASCIICase(value, "url"))
        return HTMLSanitizer::sanitizedCSS(value, use);
    return value;
}

// Writes the parser's events back as HTML that holds only what is safe to
// show, as they come: no tree is built and nothing is read twice.
class Writer final : public HTMLSimpleMarkupEvents {
public:
    Writer(HTMLSanitizer::Use use, HTMLSanitizer::Characters characters, bool fragment, std::size_t sizeHint,
           const HTMLSanitizer::PictureFileCheck* keepsPictureFile = nullptr)
        : m_use(use)
        , m_insertion(use == HTMLSanitizer::Use::Insertion)
        , m_editingPage(use == HTMLSanitizer::Use::EditingPage || use == HTMLSanitizer::Use::PageCopy)
        , m_references(characters == HTMLSanitizer::Characters::References)
        , m_fragment(fragment)
        , m_keepsPictureFile(keepsPictureFile)
    {
        result.reserve(sizeHint + sizeHint / 8);
    }

    std::string result;

    void doctype(std::string_view name, std::optional<std::string_view> publicID,
                 std::optional<std::string_view> systemID) override
    {
        if (m_fragment || m_skipDepth || !m_open.empty())
            return;
        m_sawDoctype = true;
        result += "<!DOCTYPE ";
        result += name.empty() ? std::string_view("html") : name;
        auto quoted = [this](std::string_view value) {
            result += " \"";
            for (char c : value) {
                if (c != '"' && c != '>')
                    result += c;
            }
            result += "\"";
        };
        if (publicID) {
            result += " PUBLIC";
            quoted(*publicID);
            if (systemID)
                quoted(*systemID);
        } else if (systemID) {
            result += " SYSTEM";
            quoted(*systemID);
        }
        result += ">";
    }

    void startElement(std::string_view parsedName, const HTMLAttributeList& attributes) override
    {
        start(parsedName, attributes, std::nullopt);
    }

    // The quick reading's start tags: what the first of each text made is
    // kept, and a tag of the same text is the same element with the same
    // attributes, checked alike wherever it stands in the content.
    void startElement(std::string_view parsedName, const HTMLAttributeList& attributes, std::size_t tagNumber) override
    {
        start(parsedName, attributes, tagNumber);
    }

    bool repeatedStartElement(std::string_view parsedName, std::size_t tagNumber) override
    {
        if (!inContent(parsedName) || tagNumber >= m_writtenTags.size() || !m_writtenTags[tagNumber].known)
            return false;
        const WrittenTag& tag = m_writtenTags[tagNumber];
        result += tag.markup;
        open(tag.treatment, tag.endTag);
        return true;
    }

    void endElement(std::string_view) override
    {
        if (m_skipDepth) {
            --m_skipDepth;
            return;
        }
        if (m_open.empty()) {
            leaveWrapper();
            return;
        }
        const Open open = m_open.back();
        m_open.pop_back();
        if (!m_fragment && m_open.empty() && !m_rootClosed && !m_sawDoctype) {
            // An element after the end of a page's root goes, in the
            // document's tree, into its first node: into the root unless a
            // doctype comes first. So the root's end tag waits for the end.
            m_rootClosed = true;
            if (open.treatment == Treatment::Element)
                m_rootEndTag = *open.endTag;
            return;
        }
        if (open.treatment == Treatment::Element) {
            result += *open.endTag;
        } else if (open.treatment == Treatment::Raw) {
            writeStyleText();
            result += "</style>";
        }
    }

    void finish()
    {
        result += m_rootEndTag;
        m_rootEndTag.clear();
    }

    void characters(std::string_view text) override
    {
        if (m_skipDepth)
            return;
        if (!m_open.empty() && m_open.back().treatment == Treatment::Raw) {
            m_styleText += text;
            return;
        }
        // Text outside every element belongs to no node of the page; in a
        // fragment, text outside the wrapper's body is not the fragment's.
        if (m_open.empty() && !(m_fragment && m_inBody))
            return;
        appendText(text, false);
    }

    bool textAsWritten(std::string_view markup) override
    {
        if (!writesTextAsItComes())
            return false;
        HTMLSanitizedText::appendMarkup(result, markup, m_references);
        return true;
    }

    bool plainTextAsWritten(std::string_view text) override
    {
        if (!writesTextAsItComes())
            return false;
        result += text;
        return true;
    }

    void rawText(std::string_view text) override
    {
        // Only a style element's text is kept; a script goes with its element.
        if (!m_skipDepth && !m_open.empty() && m_open.back().treatment == Treatment::Raw)
            m_styleText += text;
    }

private:
    // Drop goes with its content; DropTag keeps the content of a void element
    // that must not be written.
    enum class Treatment { Drop, DropTag, Void, Raw, Element };
    struct Open {
        Treatment treatment;
        // The end tag of an element that is written, as it is written.
        const std::string* endTag;
    };

    HTMLSanitizer::Use m_use;
    bool m_insertion;
    bool m_editingPage;
    bool m_references;
    bool m_fragment;
    const HTMLSanitizer::PictureFileCheck* m_keepsPictureFile;
    // In a fragment, the html, head and body elements the sanitiser wrapped
    // it in, and which of the last two the events are in.
    int m_wrapperDepth = 0;
    bool m_inHead = false;
    bool m_inBody = false;
    // The depth inside an element that goes with its content.
    int m_skipDepth = 0;
    std::vector<Open> m_open;
    bool m_sawDoctype = false;
    bool m_rootClosed = false;
    std::string m_rootEndTag;
    std::string m_styleText;
    std::string m_attributeName;
    // Style attribute values, by what the markup said, as they were written.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> m_writtenStyles;
    // The quick reading's start tags by number, as their first was taken.
    struct WrittenTag {
        bool known = false;
        Treatment treatment = Treatment::Drop;
        const std::string* endTag = nullptr;
        std::string markup;
    };
    std::vector<WrittenTag> m_writtenTags;

    // Whether text here is written where it stands: not in a style element,
    // nor in what goes, nor outside the content.
    bool writesTextAsItComes() const
    {
        bool inStyle = !m_open.empty() && m_open.back().treatment == Treatment::Raw;
        return !m_skipDepth && !inStyle && !(m_open.empty() && !(m_fragment && m_inBody));
    }

    // Whether an element starting here is the document's content, rather
    // than inside one that goes, or the wrapper of a fragment.
    bool inContent(std::string_view parsedName) const
    {
        if (m_skipDepth || (m_fragment && m_wrapperDepth < 2))
            return false;
        // The wrapper's own character set declaration.
        return !(m_fragment && m_inHead && m_open.empty() && parsedName == "meta");
    }

    void startOutsideContent(std::string_view parsedName)
    {
        if (m_skipDepth)
            ++m_skipDepth;
        else if (m_fragment && m_wrapperDepth < 2)
            enterWrapper(parsedName);
        else
            m_skipDepth = 1;
    }

    void start(std::string_view parsedName, const HTMLAttributeList& attributes, std::optional<std::size_t> tagNumber)
    {
        if (!inContent(parsedName)) {
            startOutsideContent(parsedName);
            return;
        }
        std::string name = asciiLowercaseString(parsedName);
        Treatment treatment = treatmentOf(name, attributes);
        std::size_t start = result.size();
        if (writesStartTag(treatment))
            writeStartTag(name, attributes);
        else if (treatment == Treatment::Drop)
            writeBookmarkPlace(attributes);
        const std::string* endTag = endTagOf(treatment, name);
        if (tagNumber) {
            if (m_writtenTags.size() <= *tagNumber)
                m_writtenTags.resize(*tagNumber + 1);
            m_writtenTags[*tagNumber] = WrittenTag{true, treatment, endTag, result.substr(start)};
        }
        open(treatment, endTag);
    }

    static bool writesStartTag(Treatment treatment)
    {
        return treatment != Treatment::Drop && treatment != Treatment::DropTag;
    }

    // The end tags of the elements written so far, by name, one of each:
    // elements are closed by thousands, and a few names serve them all.
    std::map<std::string, std::string, std::less<>> m_endTags;

    const std::string* endTagOf(Treatment treatment, const std::string& name)
    {
        if (treatment != Treatment::Element)
            return nullptr;
        auto found = m_endTags.find(name);
        if (found == m_endTags.end())
            found = m_endTags.emplace(name, "</" + name + ">").first;
        return &found->second;
    }

    void open(Treatment treatment, const std::string* endTag)
    {
        if (treatment == Treatment::Drop) {
            m_skipDepth = 1;
            return;
        }
        m_open.push_back(Open{treatment, endTag});
        if (treatment == Treatment::Raw)
            m_styleText.clear();
    }

    void enterWrapper(std::string_view name)
    {
        if (m_wrapperDepth == 0) {
            m_wrapperDepth = 1;
            return;
        }
        if ((name == "head" && !m_seenHead) || (name == "body" && !m_seenBody)) {
            m_wrapperDepth = 2;
            m_inHead = name == "head";
            m_inBody = name == "body";
            (m_inHead ? m_seenHead : m_seenBody) = true;
            return;
        }
        // Anything else beside the wrapper's head and body is not the fragment's.
        m_skipDepth = 1;
    }

    void leaveWrapper()
    {
        if (m_wrapperDepth == 2) {
            m_inHead = m_inBody = false;
            m_wrapperDepth = 1;
        } else {
            m_wrapperDepth = 0;
        }
    }
    bool m_seenHead = false;
    bool m_seenBody = false;

    void appendText(std::string_view text, bool inAttribute)
    {
        HTMLSanitizedText::append(result, text, inAttribute, m_references);
    }

    Treatment treatmentOf(const std::string& name, const HTMLAttributeList& attributes) const
    {
        // The elements of the writer's own markup are none of those below.
        static constexpr std::array<std::string_view, 9> kPlainElements = {"span", "div", "a",   "li", "ul",
                                                                           "ol",   "sup", "sub", "p"};
        // An exported file leaves out the text a word processor hides, as
        // word processors do; only the program's own pages keep it.
        if ((m_use == HTMLSanitizer::Use::Export || m_use == HTMLSanitizer::Use::PageCopy) && attributes.has("data-hidden"))
            return Treatment::Drop;
        if (std::find(kPlainElements.begin(), kPlainElements.end(), name) != kPlainElements.end())
            return Treatment::Element;
        if (name.empty() || !std::all_of(name.begin(), name.end(), isSanitizedAttributeNameCharacter))
            return Treatment::Drop;
        // A void element holds nothing: what the parser put inside it is the
        // text that followed it, and must survive whatever becomes of it.
        bool isVoid = isVoidElement(name) || isVoidDroppedElement(name);
        if (m_editingPage && name == "object" && isNoteObject(attributes))
            return Treatment::Element;
        if (isDroppedElement(name) || (name == "meta" && attributes.has("http-equiv")))
            return isVoid ? Treatment::DropTag : Treatment::Drop;
        // Inserted into a page, a style sheet would restyle the whole page
        // and a meta element means nothing.
        if (m_insertion && (name == "style" || name == "meta"))
            return isVoid ? Treatment::DropTag : Treatment::Drop;
        if ((m_insertion || m_editingPage) && (name == "meta" || isFormElement(name)))
            return Treatment::DropTag;
        // A pasted picture whose source may not be loaded would stay in the
        // text as an empty box, and be saved as a picture without bytes.
        if (m_insertion && name == "img" && !hasShowableSource(attributes))
            return Treatment::DropTag;
        if (isVoid)
            return Treatment::Void;
        return name == "style" ? Treatment::Raw : Treatment::Element;
    }

    // Whether a picture keeps a source it may show: a "src" or "srcset"
    // that stays, and is not blank.
    bool hasShowableSource(const HTMLAttributeList& attributes) const
    {
        for (std::size_t index = 0, count = attributes.size(); index < count; ++index) {
            std::string attribute = asciiLowercaseString(attributes.name(index));
            if (attribute != "src" && attribute != "srcset")
                continue;
            std::optional<std::string> kept =
                sanitizedAttribute("img", attribute, std::string(attributes.impliedValue(index)), m_use);
            if (kept && kept->find_first_not_of(" \t\n\r\f") != std::string::npos && keepsPictureFiles(attribute, *kept))
                return true;
        }
        return false;
    }

    // Whether every file a picture's "src" or "srcset" names is one the
    // caller keeps; inline pictures name none.
    bool keepsPictureFiles(std::string_view attribute, const std::string& value) const
    {
        if (!m_keepsPictureFile)
            return true;
        auto kept = [this](std::string_view url) {
            std::string storage;
            return hasPrefixIgnoringASCIICase(compactURL(url, storage), "data:") || (*m_keepsPictureFile)(url);
        };
        if (attribute == "src")
            return kept(value);
        // Candidates are "URL [descriptor]" separated by commas.
        for (std::size_t start = 0; start < value.size();) {
            std::size_t comma = std::min(value.find(',', start), value.size());
            std::string_view candidate = std::string_view(value).substr(start, comma - start);
            std::size_t begin = candidate.find_first_not_of(" \t\n\r\f");
            if (begin != std::string_view::npos
                && !kept(candidate.substr(begin, candidate.find_first_of(" \t\n\r\f", begin) - begin)))
                return false;
            start = comma + 1;
        }
        return true;
    }

    static bool isVoidDroppedElement(std::string_view name)
    {
        return contains(name, {"embed", "param", "base", "link", "frame"});
    }

    // Hidden text that goes keeps the place where its bookmarks begin: the
    // links to them lead there.
    void writeBookmarkPlace(const HTMLAttributeList& attributes)
    {
        std::optional<std::string_view> names = attributes.valueOf("data-bookmark");
        if (!names || names->empty())
            return;
        result += "<span data-bookmark=\"";
        appendText(*names, true);
        result += "\"></span>";
    }

    void writeStartTag(const std::string& name, const HTMLAttributeList& attributes)
    {
        result += '<';
        result += name;
        for (std::size_t index = 0, count = attributes.size(); index < count; ++index) {
            m_attributeName = asciiLowercaseString(attributes.name(index));
            if (m_attributeName == "style") {
                writeStyleAttribute(attributes.impliedValue(index));
                continue;
            }
            std::optional<std::string> kept =
                sanitizedAttribute(name, m_attributeName, std::string(attributes.impliedValue(index)), m_use);
            if (!kept)
                continue;
            if (name == "img" && (m_attributeName == "src" || m_attributeName == "srcset")
                && !keepsPictureFiles(m_attributeName, *kept))
                continue;
            result += ' ';
            result += m_attributeName;
            result += "=\"";
            appendText(*kept, true);
            result += '"';
        }
        result += '>';
    }

    // A document's runs share a few hundred styles: each is checked and
    // escaped once.
    void writeStyleAttribute(std::string_view value)
    {
        auto found = m_writtenStyles.find(value);
        if (found == m_writtenStyles.end()) {
            std::size_t start = result.size();
            result += " style=\"";
            appendText(HTMLSanitizer::sanitizedCSS(value, m_use), true);
            result += '"';
            m_writtenStyles.emplace(std::string(value), result.substr(start));
            return;
        }
        result += found->second;
    }

    void writeStyleText()
    {
        // Raw text to a browser: nothing in it may read as the end tag. Style
        // text is CSS, where references mean nothing, so it stays as it is.
        std::string css = HTMLSanitizer::sanitizedCSS(m_styleText, m_use);
        for (char c : css) {
            if (c == '<')
                result += "\\3c ";
            else
                result += c;
        }
        m_styleText.clear();
    }
};

bool looksLikeWholePage(std::string_view html)
{
    std::string_view head = html.substr(0, std::min<std::size_t>(html.size(), 4096));
    return containsIgnoringASCIICase(head, "<html") || containsIgnoringASCIICase(head, "<!doctype")
        || containsIgnoringASCIICase(head, "<body");
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

std::optional<std::string> HTMLSanitizer::sanitizedAttribute(std::string_view element, std::string_view name,
                                                             std::string value, Use use)
{
    return folio::sanitizedAttribute(element, name, std::move(value), use);
}

void HTMLSanitizer::appendText(std::string& out, std::string_view text, bool inAttribute, Characters characters)
{
    HTMLSanitizedText::append(out, text, inAttribute, characters == Characters::References);
}

bool HTMLSanitizer::isSafeLinkTarget(std::string_view url)
{
    std::string storage;
    return !isRefusedLinkScheme(sanitizedSchemeOf(compactURL(url, storage)));
}

bool HTMLSanitizer::isLocalResource(std::string_view url, bool allowingAnyData)
{
    std::string storage;
    std::string_view compact = compactURL(url, storage);
    // "//host/x" (and "\\host\x", which browsers read alike) names another host.
    if (compact.size() >= 2 && (compact[0] == '/' || compact[0] == '\\') && (compact[1] == '/' || compact[1] == '\\'))
        return false;
    std::string scheme = sanitizedSchemeOf(compact);
    if (scheme.empty() || scheme == "file" || scheme == "myfont")
        return true;
    if (scheme == "data")
        return allowingAnyData || hasPrefixIgnoringASCIICase(compact, "data:image/");
    return false;
}

bool HTMLSanitizer::leavesTheDocument(std::string_view url)
{
    std::string storage;
    std::string_view compact = compactURL(url, storage);
    return folio::leavesTheDocument(compact, sanitizedSchemeOf(compact));
}

std::string HTMLSanitizer::sanitizedCSS(std::string_view css, Use use)
{
    // Most style is plain declarations: without an escape that could hide a
    // word, and without any of the words, it is safe as it stands.
    auto risky = [](std::string_view text) {
        // One pass, stopping only at the letters the words start with, each
        // letter comparing its one word: "e" and "i" are in most names.
        for (std::size_t index = 0; index < text.size(); ++index) {
            std::string_view word;
            switch (asciiLowercase(text[index])) {
            case 'u': word = "url"; break;
            case '@': word = "@import"; break;
            case 'e': word = "expression"; break;
            case 'i': word = "image-set"; break;
            default: continue;
            }
            if (hasPrefixIgnoringASCIICase(text.substr(index), word))
                return true;
        }
        return false;
    };
    if (css.find('\\') == std::string_view::npos && !risky(css))
        return std::string(css);
    std::string decoded = withIdentifierEscapesDecoded(css);
    if (!risky(decoded))
        return std::string(css);
    std::string lower = asciiLowercaseString(decoded);

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
                        refused = refused || !isLocalResource(url, true)
                            || (refusesOutsideReferences(use) && leavesTheDocument(url));
                }
                if (refused) {
                    result += "none";
                    changed = true;
                    index = close;
                    continue;
                }
                // Any other function may take a picture among its arguments
                // (cross-fade(), filter(), a gradient of a later engine), at
                // any depth: its arguments are read on like the rest of the
                // style, and its closing parenthesis is copied as it comes.
                result.append(decoded, index, end + 1 - index);
                index = end + 1;
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

std::string HTMLSanitizer::sanitizedHTML(std::string_view html, Use use, Characters characters)
{
    return sanitized(html, use, characters, nullptr);
}

std::string HTMLSanitizer::sanitizedInsertion(std::string_view html, const PictureFileCheck& keepsPictureFile)
{
    return sanitized(html, Use::Insertion, Characters::AsTheyAre, &keepsPictureFile);
}

std::string HTMLSanitizer::sanitized(std::string_view html, Use use, Characters characters,
                                     const PictureFileCheck* keepsPictureFile)
{
    if (html.empty())
        return {};
    bool wholePage = looksLikeWholePage(html);
    if (!wholePage) {
        // Fragments in the writer's own plain forms (exports of long
        // documents) are read without libxml2, to the same events.
        Writer simple(use, characters, true, html.size(), keepsPictureFile);
        if (HTMLSimpleMarkupReader::readFragment(html, simple)) {
            simple.finish();
            return std::move(simple.result);
        }
    }
    // A fragment is read as the body of a page, as a browser reads what is
    // inserted into one; a style element leading it lands in the head, and
    // belongs to the fragment all the same.
    std::string wrapped;
    if (!wholePage)
        wrapped = "<html><head><meta charset=\"UTF-8\"></head><body>" + std::string(html) + "</body></html>";
    std::string_view source = wholePage ? html : std::string_view(wrapped);
    Writer writer(use, characters, !wholePage, html.size(), keepsPictureFile);
    HTMLParser::Options options;
    options.ignoreDeclaredEncoding = true;
    options.incremental = false;
    HTMLParser parser(writer, HTMLParser::Doctype | HTMLParser::Elements | HTMLParser::Characters | HTMLParser::RawText,
                      options);
    parser.parse(source, "UTF-8");
    writer.finish();
    return std::move(writer.result);
}

} // namespace folio
