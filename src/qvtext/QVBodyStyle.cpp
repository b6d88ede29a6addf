#include "qvtext/QVBodyStyle.h"

#include "platform/foundation/StringUtilities.h"

#include <cctype>
#include <optional>

namespace folio {

namespace {

constexpr std::string_view kHidingDeclarations[] = {"visibility: hidden;", "display: none;"};

bool isNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == ':' || c == '_';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// One tag of the serialised HTML, from its "<" to just past its ">".
struct Tag {
    size_t start = 0;
    size_t end = 0;
    std::string name; // lower case
    bool closing = false;
    bool selfClosing = false;
    bool hasStyleId = false;
};

// The tag starting at `start` ("<"); none for a "<" that opens no tag (text,
// comments and declarations are skipped by the caller as text).
std::optional<Tag> readTag(std::string_view html, size_t start)
{
    Tag tag;
    tag.start = start;
    size_t i = start + 1;
    if (i < html.size() && html[i] == '/') {
        tag.closing = true;
        ++i;
    }
    while (i < html.size() && isNameCharacter(html[i]))
        tag.name += asciiLowercase(html[i++]);
    if (tag.name.empty() || !std::isalpha(static_cast<unsigned char>(tag.name.front())))
        return std::nullopt;
    // Attributes: name, optionally "=" and a value quoted either way or bare.
    while (i < html.size()) {
        while (i < html.size() && isSpace(html[i]))
            ++i;
        if (i >= html.size())
            return std::nullopt;
        if (html[i] == '>') {
            tag.end = i + 1;
            return tag;
        }
        if (html[i] == '/') {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        std::string attribute;
        while (i < html.size() && !isSpace(html[i]) && html[i] != '=' && html[i] != '>' && html[i] != '/')
            attribute += asciiLowercase(html[i++]);
        while (i < html.size() && isSpace(html[i]))
            ++i;
        std::string_view value;
        if (i < html.size() && html[i] == '=') {
            ++i;
            while (i < html.size() && isSpace(html[i]))
                ++i;
            if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
                char quote = html[i++];
                size_t close = html.find(quote, i);
                if (close == std::string_view::npos)
                    return std::nullopt;
                value = html.substr(i, close - i);
                i = close + 1;
            } else {
                size_t from = i;
                while (i < html.size() && !isSpace(html[i]) && html[i] != '>')
                    ++i;
                value = html.substr(from, i - from);
            }
        }
        if (attribute == "id" && value == QVBodyStyle::kElementId)
            tag.hasStyleId = true;
        if (attribute.empty())
            ++i;
    }
    return std::nullopt;
}

// Where the element opened by `opening` ends: past its matching end tag, or
// past the opening tag itself when it has none.
size_t elementEnd(std::string_view html, const Tag& opening)
{
    if (opening.selfClosing)
        return opening.end;
    int depth = 1;
    size_t i = opening.end;
    while ((i = html.find('<', i)) != std::string_view::npos) {
        std::optional<Tag> tag = readTag(html, i);
        if (!tag) {
            ++i;
            continue;
        }
        if (tag->name == opening.name && !tag->selfClosing) {
            depth += tag->closing ? -1 : 1;
            if (depth == 0)
                return tag->end;
        }
        i = tag->end;
    }
    return opening.end;
}

} // namespace

std::string QVBodyStyle::restoredStyle(std::string_view storedStyle)
{
    std::string style(storedStyle);
    for (std::string_view hiding : kHidingDeclarations) {
        size_t found;
        while ((found = style.find(hiding)) != std::string::npos)
            style.erase(found, hiding.size());
    }
    return style;
}

std::string QVBodyStyle::withoutStyleElements(std::string_view html)
{
    std::string kept;
    kept.reserve(html.size());
    size_t copied = 0;
    size_t i = 0;
    while ((i = html.find('<', i)) != std::string_view::npos) {
        std::optional<Tag> tag = readTag(html, i);
        if (!tag) {
            ++i;
            continue;
        }
        if (!tag->closing && tag->hasStyleId) {
            kept.append(html.substr(copied, i - copied));
            copied = elementEnd(html, *tag);
            i = copied;
            continue;
        }
        i = tag->end;
    }
    kept.append(html.substr(copied));
    return kept;
}

} // namespace folio
