#include "documents/QVOutlineMarkup.h"

#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace folio {

namespace {

constexpr std::string_view kHandleClass = "branch-drag-handler";
constexpr std::string_view kSpaces = " \t\n\r\f";

// One tag or comment of the markup: where it starts ('<') and where the
// text after it starts.
struct Tag {
    std::size_t start = 0;
    std::size_t end = 0;
};

// The next tag or comment from `from` on. A '>' inside a quoted attribute
// value does not end its tag; none when the markup ends inside one.
std::optional<Tag> nextTag(std::string_view html, std::size_t from)
{
    const std::size_t start = html.find('<', from);
    if (start == std::string_view::npos)
        return std::nullopt;
    if (html.substr(start).starts_with("<!--")) {
        const std::size_t close = html.find("-->", start + 4);
        if (close == std::string_view::npos)
            return std::nullopt;
        return Tag{start, close + 3};
    }
    char quote = 0;
    for (std::size_t index = start + 1; index < html.size(); ++index) {
        const char c = html[index];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return Tag{start, index + 1};
        }
    }
    return std::nullopt;
}

// Whether the tag is a start ("<div") or an end ("</div") of a div.
bool isDiv(std::string_view tag, bool endTag)
{
    const std::string_view opening = endTag ? "</div" : "<div";
    if (!hasPrefixIgnoringASCIICase(tag, opening) || tag.size() == opening.size())
        return false;
    const char after = tag[opening.size()];
    return after == '>' || after == '/' || kSpaces.find(after) != std::string_view::npos;
}

// The value of the tag's class attribute, as written.
std::optional<std::string_view> classOf(std::string_view tag)
{
    std::size_t index = tag.find_first_of(kSpaces);
    while (index != std::string_view::npos && index < tag.size()) {
        index = tag.find_first_not_of(kSpaces, index);
        if (index == std::string_view::npos || tag[index] == '>' || tag[index] == '/')
            return std::nullopt;
        const std::size_t nameEnd = tag.find_first_of(" \t\n\r\f=>/", index);
        if (nameEnd == std::string_view::npos)
            return std::nullopt;
        const std::string_view name = tag.substr(index, nameEnd - index);
        index = tag.find_first_not_of(kSpaces, nameEnd);
        if (index == std::string_view::npos || tag[index] != '=') {
            // An attribute without a value.
            continue;
        }
        index = tag.find_first_not_of(kSpaces, index + 1);
        if (index == std::string_view::npos)
            return std::nullopt;
        std::string_view value;
        if (tag[index] == '"' || tag[index] == '\'') {
            const std::size_t close = tag.find(tag[index], index + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            value = tag.substr(index + 1, close - index - 1);
            index = close + 1;
        } else {
            const std::size_t valueEnd = tag.find_first_of(" \t\n\r\f>", index);
            value = tag.substr(index, valueEnd - index);
            index = valueEnd;
        }
        if (equalsIgnoringASCIICase(name, "class"))
            return value;
    }
    return std::nullopt;
}

bool hasHandleClass(std::string_view classes)
{
    std::size_t index = 0;
    while ((index = classes.find_first_not_of(kSpaces, index)) != std::string_view::npos) {
        const std::size_t end = std::min(classes.find_first_of(kSpaces, index), classes.size());
        if (classes.substr(index, end - index) == kHandleClass)
            return true;
        index = end;
    }
    return false;
}

// Where the markup after the div whose start tag ends at `from` goes on:
// past the end tag that closes it, counting the divs inside it. None when
// it is never closed.
std::optional<std::size_t> afterClosingDiv(std::string_view html, std::size_t from)
{
    int depth = 1;
    for (std::optional<Tag> tag = nextTag(html, from); tag; tag = nextTag(html, tag->end)) {
        const std::string_view text = html.substr(tag->start, tag->end - tag->start);
        if (isDiv(text, false))
            ++depth;
        else if (isDiv(text, true) && --depth == 0)
            return tag->end;
    }
    return std::nullopt;
}

} // namespace

std::string QVOutlineMarkup::withoutDragHandles(std::string_view html)
{
    if (html.find(kHandleClass) == std::string_view::npos)
        return std::string(html);
    std::string kept;
    kept.reserve(html.size());
    std::size_t copiedTo = 0;
    for (std::optional<Tag> tag = nextTag(html, 0); tag; tag = nextTag(html, tag->end)) {
        const std::string_view text = html.substr(tag->start, tag->end - tag->start);
        if (!isDiv(text, false))
            continue;
        std::optional<std::string_view> classes = classOf(text);
        if (!classes || !hasHandleClass(*classes))
            continue;
        std::optional<std::size_t> after = afterClosingDiv(html, tag->end);
        if (!after)
            break;
        kept.append(html.substr(copiedTo, tag->start - copiedTo));
        copiedTo = *after;
        tag->end = *after;
    }
    kept.append(html.substr(copiedTo));
    return kept;
}

} // namespace folio
