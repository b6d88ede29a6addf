#include "export/epub/EPubChapterMarkup.h"

#include "engine/html/HTMLEntityTable.h"
#include "platform/foundation/MarkupTree.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace folio {

namespace {

constexpr std::string_view kXMLEntityNames[] = {"lt", "gt", "amp", "quot", "apos"};
// Longer names are not entities; the bound keeps a stray "&" from scanning far.
constexpr std::size_t kMaximumEntityNameLength = 32;

bool isASCIILetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isXMLCharacter(unsigned long value)
{
    return value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF)
        || (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF);
}

// The length of a numeric reference starting at `at` ("&#...;"), or 0 when
// there is none or it names no character XML allows.
std::size_t numericReferenceLength(std::string_view html, std::size_t at)
{
    std::size_t index = at + 2;
    bool hex = index < html.size() && (html[index] == 'x' || html[index] == 'X');
    if (hex)
        ++index;
    std::size_t digitsStart = index;
    unsigned long value = 0;
    while (index < html.size() && index - digitsStart < 8) {
        char c = html[index];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            break;
        value = value * (hex ? 16 : 10) + unsigned(digit);
        ++index;
    }
    if (index == digitsStart || index >= html.size() || html[index] != ';' || !isXMLCharacter(value))
        return 0;
    return index + 1 - at;
}

// Style attributes and style elements lose their bidirectional properties;
// an element whose style asked for right-to-left text says so in "dir".
void removeBidiDeclarations(MarkupNode element)
{
    if (element.name() == "style") {
        element.setTextContent(EPubChapterMarkup::withoutBidiDeclarations(element.textContent()));
        return;
    }
    std::optional<std::string> style = element.attribute("style");
    if (!style)
        return;
    bool rightToLeft = false;
    element.setAttribute("style", EPubChapterMarkup::withoutBidiDeclarations(*style, &rightToLeft));
    if (rightToLeft && !element.hasAttribute("dir"))
        element.setAttribute("dir", "rtl");
}

// Pictures the book holds stay, and so do inline ones; any other reference
// becomes the picture's alternative text.
void replaceUnpackedPicture(MarkupNode picture, const std::vector<std::string>& packedPictures)
{
    if (picture.name() != "img")
        return;
    std::string path = picture.attribute("src").value_or("");
    if (path.starts_with("data:") || std::ranges::find(packedPictures, path) != packedPictures.end())
        return;
    std::string alternative = picture.attribute("alt").value_or("");
    if (!alternative.empty())
        picture.insertTextBefore(alternative);
    picture.remove();
}

// "rev" was dropped from HTML and EPUB 3 refuses it; the Markdown converter
// marks a footnote's link back to its reference with it. The reading
// systems' way of saying the same is the "doc-backlink" role.
void replaceReverseLink(MarkupNode element)
{
    std::optional<std::string> reverse = element.attribute("rev");
    if (!reverse)
        return;
    element.removeAttribute("rev");
    if (*reverse == "footnote" && element.name() == "a" && element.hasAttribute("href") && !element.hasAttribute("role"))
        element.setAttribute("role", "doc-backlink");
}

} // namespace

std::string EPubChapterMarkup::closingLineBreaks(std::string_view html)
{
    std::string result;
    result.reserve(html.size());
    for (std::size_t index = 0; index < html.size();) {
        if (html.compare(index, 4, "<br>") == 0) {
            result += "<br/>";
            index += 4;
        } else {
            result += html[index++];
        }
    }
    return result;
}

std::string EPubChapterMarkup::decodingEntities(std::string_view html)
{
    const auto& table = htmlEntityDecodeTable();
    std::string result;
    result.reserve(html.size());
    std::size_t index = 0;
    while (index < html.size()) {
        std::size_t ampersand = html.find('&', index);
        result.append(html.substr(index, ampersand - index));
        if (ampersand == std::string_view::npos)
            break;
        index = ampersand + 1;
        if (index < html.size() && html[index] == '#') {
            if (std::size_t length = numericReferenceLength(html, ampersand)) {
                result.append(html.substr(ampersand, length));
                index = ampersand + length;
            } else {
                result += "&amp;";
            }
            continue;
        }
        std::size_t end = index;
        while (end < html.size() && end - index <= kMaximumEntityNameLength && isASCIILetterOrDigit(html[end]))
            ++end;
        if (end == index || end >= html.size() || html[end] != ';') {
            result += "&amp;";
            continue;
        }
        std::string_view name = html.substr(index, end - index);
        bool known = false;
        for (std::string_view xmlName : kXMLEntityNames)
            known = known || name == xmlName;
        if (known) {
            result.append(html.substr(ampersand, end + 1 - ampersand));
            index = end + 1;
            continue;
        }
        std::u16string wideName = toUtf16(name);
        auto found = table.find(std::u16string_view(wideName));
        if (found == table.end()) {
            result += "&amp;";
            continue;
        }
        char16_t character = found->second;
        switch (character) {
        case u'<':
        case u'>':
        case u'&':
        case u'"':
        case u'\'':
            result += "&#" + std::to_string(unsigned(character)) + ";";
            break;
        default:
            result += toUtf8(std::u16string(1, character));
        }
        index = end + 1;
    }
    return result;
}

std::string EPubChapterMarkup::withoutBidiDeclarations(std::string_view css, bool* rightToLeft)
{
    auto lowered = [](std::string_view text) {
        std::string lower(text);
        for (char& c : lower)
            c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        return lower;
    };
    auto trimmed = [](std::string_view text) {
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos)
            return std::string_view();
        return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    };
    // Declarations run between ";", "{" and "}" outside quotes and brackets.
    std::string result;
    std::size_t start = 0;
    char quote = 0;
    int depth = 0;
    for (std::size_t index = 0; index <= css.size(); ++index) {
        const char c = index < css.size() ? css[index] : ';';
        if (quote) {
            if (c == '\\')
                ++index;
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        depth += c == '(' ? 1 : c == ')' && depth > 0 ? -1 : 0;
        if (depth > 0 || (c != ';' && c != '{' && c != '}'))
            continue;
        std::string_view declaration = css.substr(start, index - start);
        const std::size_t colon = declaration.find(':');
        const std::string property = colon == std::string_view::npos ? std::string()
                                                                      : lowered(trimmed(declaration.substr(0, colon)));
        if (property == "direction" || property == "unicode-bidi") {
            if (property == "direction" && rightToLeft
                && lowered(trimmed(declaration.substr(colon + 1))).starts_with("rtl"))
                *rightToLeft = true;
            // The declaration goes with its ";"; a brace stays.
            if (c != ';' && index < css.size())
                result += c;
        } else {
            result.append(declaration);
            if (index < css.size())
                result += c;
        }
        start = index + 1;
    }
    return result;
}

bool EPubChapterMarkup::isWellFormedContent(std::string_view content)
{
    return MarkupTree::isWellFormedXML("<body xmlns=\"http://www.w3.org/1999/xhtml\">" + std::string(content) + "</body>");
}

std::string EPubChapterMarkup::repairedContent(std::string_view html, const std::vector<std::string>* packedPictures)
{
    std::optional<MarkupTree> parsed =
        MarkupTree::parseHTML("<html><head><meta charset=\"UTF-8\"></head><body>" + std::string(html) + "</body></html>");
    if (!parsed)
        return {};
    MarkupNode body;
    for (MarkupNode node = parsed->root().firstChild(); node; node = node.nextSibling()) {
        if (node.isElement() && node.name() == "body")
            body = node;
    }
    if (!body)
        return {};
    removeBidiDeclarations(body);
    body.forEachDescendantElement(removeBidiDeclarations);
    body.forEachDescendantElement(replaceReverseLink);
    if (packedPictures)
        body.forEachDescendantElement([packedPictures](MarkupNode node) { replaceUnpackedPicture(node, *packedPictures); });
    // Written as XML, not HTML: empty elements close themselves and every
    // markup character in text and attributes is escaped.
    return body.childrenAsXML();
}

std::string EPubChapterMarkup::xhtmlContent(std::string_view html, const std::vector<std::string>* packedPictures)
{
    std::string content = decodingEntities(closingLineBreaks(html));
    const bool needsRewriting = content.find("direction") != std::string::npos
        || content.find("unicode-bidi") != std::string::npos || content.find(" rev=") != std::string::npos
        || (packedPictures && content.find("<img") != std::string::npos);
    if (!needsRewriting && isWellFormedContent(content))
        return content;
    return repairedContent(content, packedPictures);
}

} // namespace folio
