#include "platform/foundation/HTMLNoscriptText.h"

#include <array>

namespace folio {

namespace {

constexpr std::string_view kNoscript = "noscript";

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lowercase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool hasNameAt(std::string_view html, std::size_t at, std::string_view name)
{
    if (html.size() - at < name.size())
        return false;
    for (std::size_t index = 0; index < name.size(); ++index) {
        if (lowercase(html[at + index]) != name[index])
            return false;
    }
    return true;
}

// Whether a tag name that starts at `at` is `name`: what follows it ends a
// tag name.
bool isTagNameAt(std::string_view html, std::size_t at, std::string_view name)
{
    if (!hasNameAt(html, at, name))
        return false;
    std::size_t after = at + name.size();
    return after == html.size() || isSpace(html[after]) || html[after] == '/' || html[after] == '>';
}

// Where the raw text of an element of that name ends: at its first end
// tag, or at the end of the page.
std::size_t rawTextEnd(std::string_view html, std::size_t from, std::string_view name)
{
    for (std::size_t at = html.find("</", from); at != std::string_view::npos; at = html.find("</", at + 1)) {
        if (isTagNameAt(html, at + 2, name))
            return at;
    }
    return html.size();
}

// Just past the ">" that ends a tag whose name ends before `at`: a ">" in a
// quoted attribute value does not end it, and a quote counts only where a
// value starts.
std::size_t tagEnd(std::string_view html, std::size_t at)
{
    const std::size_t size = html.size();
    while (at < size) {
        char c = html[at];
        if (c == '>')
            return at + 1;
        ++at;
        if (c != '=')
            continue;
        while (at < size && isSpace(html[at]))
            ++at;
        if (at < size && (html[at] == '"' || html[at] == '\'')) {
            std::size_t close = html.find(html[at], at + 1);
            at = close == std::string_view::npos ? size : close + 1;
            continue;
        }
        while (at < size && !isSpace(html[at]) && html[at] != '>')
            ++at;
    }
    return size;
}

// Where a comment that opens at `at` ("<!--") ends.
std::size_t commentEnd(std::string_view html, std::size_t at)
{
    std::size_t body = at + 4;
    // "<!-->" and "<!--->" are whole, empty comments.
    if (html.substr(body).starts_with(">"))
        return body + 1;
    if (html.substr(body).starts_with("->"))
        return body + 2;
    std::size_t closed = html.find("-->", body);
    std::size_t banged = html.find("--!>", body);
    if (banged < closed)
        return banged + 4;
    return closed == std::string_view::npos ? html.size() : closed + 3;
}

// Elements whose content a browser reads as text up to their own end tag.
bool isRawTextElement(std::string_view html, std::size_t nameStart, std::string_view& name)
{
    static constexpr std::array<std::string_view, 8> kNames = {"script", "style", "xmp", "iframe", "noembed",
                                                               "noframes", "textarea", "title"};
    for (std::string_view candidate : kNames) {
        if (isTagNameAt(html, nameStart, candidate)) {
            name = candidate;
            return true;
        }
    }
    return false;
}

void appendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
}

bool mayHoldNoscript(std::string_view html)
{
    for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
        if (hasNameAt(html, at + 1, kNoscript))
            return true;
    }
    return false;
}

} // namespace

std::optional<std::string> HTMLNoscriptText::withContentAsText(std::string_view html)
{
    if (!mayHoldNoscript(html))
        return std::nullopt;
    std::string out;
    out.reserve(html.size() + html.size() / 16);
    std::size_t copied = 0;
    bool changed = false;
    std::size_t at = html.find('<');
    while (at != std::string_view::npos && at + 1 < html.size()) {
        const char next = html[at + 1];
        std::size_t resume = at + 1;
        if (html.substr(at).starts_with("<!--")) {
            resume = commentEnd(html, at);
        } else if (next == '!' || next == '?') {
            // Declarations and processing instructions end at the first ">".
            std::size_t close = html.find('>', at);
            resume = close == std::string_view::npos ? html.size() : close + 1;
        } else if (next == '/' && at + 2 < html.size() && isLetter(html[at + 2])) {
            resume = tagEnd(html, at + 2);
        } else if (isLetter(next)) {
            std::size_t contentStart = tagEnd(html, at + 1);
            std::string_view rawName;
            if (isTagNameAt(html, at + 1, kNoscript)) {
                std::size_t contentEnd = rawTextEnd(html, contentStart, kNoscript);
                out.append(html.substr(copied, contentStart - copied));
                appendEscaped(out, html.substr(contentStart, contentEnd - contentStart));
                copied = contentEnd;
                changed = true;
                resume = contentEnd;
            } else if (isTagNameAt(html, at + 1, "plaintext")) {
                break;
            } else if (isRawTextElement(html, at + 1, rawName)) {
                resume = rawTextEnd(html, contentStart, rawName);
            } else {
                resume = contentStart;
            }
        }
        at = html.find('<', resume);
    }
    if (!changed)
        return std::nullopt;
    out.append(html.substr(copied));
    return out;
}

} // namespace folio
