#include "richtext/RichTextBodyCleaner.h"

#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace folio {

namespace {

constexpr std::string_view kNoBreakSpace = "&nbsp;";

constexpr const char* kFindHighlightOpening =
    "<span id=\"replaced\" style=\"border: 0px solid rgb(0, 0, 0); border-top-left-radius: 4px; "
    "border-top-right-radius: 4px; border-bottom-right-radius: 4px; border-bottom-left-radius: 4px; "
    "-webkit-box-shadow: none; position: inherit; margin: -1px; z-index: 101; background-color: transparent; "
    "background-position: initial initial; background-repeat: initial initial;";

// Elements that continue the line of text around them.
constexpr std::array<std::string_view, 19> kInlineTags = {
    "a", "b", "big", "code", "del", "em", "font", "i", "ins", "mark", "s", "small", "span", "strike", "strong",
    "sub", "sup", "u", "tt"};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isInlineTagName(std::string_view name)
{
    std::string lower = lowercaseString(name);
    for (std::string_view tag : kInlineTags) {
        if (lower == tag)
            return true;
    }
    return false;
}

// The end (one past ">") of the inline tag that starts at `at`, or none when
// no inline opening or closing tag starts there.
std::optional<std::size_t> inlineTagEnd(std::string_view html, std::size_t at)
{
    if (at >= html.size() || html[at] != '<')
        return std::nullopt;
    std::size_t nameStart = at + 1;
    if (nameStart < html.size() && html[nameStart] == '/')
        ++nameStart;
    std::size_t nameEnd = nameStart;
    while (nameEnd < html.size() && std::isalnum(static_cast<unsigned char>(html[nameEnd])))
        ++nameEnd;
    if (nameEnd == nameStart || !isInlineTagName(html.substr(nameStart, nameEnd - nameStart)))
        return std::nullopt;
    // Serialised attribute values are double-quoted and may hold ">".
    bool quoted = false;
    for (std::size_t i = nameEnd; i < html.size(); ++i) {
        if (html[i] == '"')
            quoted = !quoted;
        else if (html[i] == '>' && !quoted)
            return i + 1;
    }
    return std::nullopt;
}

// Whether a visible character of text starts at `at`.
bool visibleAt(std::string_view html, std::size_t at)
{
    return at < html.size() && html[at] != '<' && !isBlank(html[at]) && html.substr(at, kNoBreakSpace.size()) != kNoBreakSpace;
}

// Whether a visible character of text ends just before `end`.
bool visibleBefore(std::string_view html, std::size_t end)
{
    if (end == 0)
        return false;
    char c = html[end - 1];
    if (c == '>' || isBlank(c))
        return false;
    return !(end >= kNoBreakSpace.size() && html.substr(end - kNoBreakSpace.size(), kNoBreakSpace.size()) == kNoBreakSpace);
}

// Where the run of inline tags that ends just before `end` starts; `end` when none does.
std::size_t inlineTagsStartBefore(std::string_view html, std::size_t end)
{
    std::size_t start = end;
    while (start > 0 && html[start - 1] == '>') {
        std::size_t open = html.rfind('<', start - 1);
        if (open == std::string_view::npos || inlineTagEnd(html, open) != start)
            break;
        start = open;
    }
    return start;
}

// Where the run of inline tags that starts at `at` ends; `at` when none does.
std::size_t inlineTagsEndAfter(std::string_view html, std::size_t at)
{
    while (std::optional<std::size_t> end = inlineTagEnd(html, at))
        at = *end;
    return at;
}

// Whether a line break (<br>, however written) ends just before `end`.
bool lineBreakEndsBefore(std::string_view html, std::size_t end)
{
    if (end == 0 || html[end - 1] != '>')
        return false;
    const std::size_t open = html.rfind('<', end - 1);
    if (open == std::string_view::npos || open + 3 > end)
        return false;
    const std::string name = lowercaseString(html.substr(open + 1, 2));
    const char after = open + 3 < end ? html[open + 3] : '>';
    return name == "br" && (after == '>' || after == '/' || after == ' ');
}

// Whether a note (an <object>, drawn as its marker) ends just before `end`.
bool noteEndsBefore(std::string_view html, std::size_t end)
{
    constexpr std::string_view kNoteEnd = "</object>";
    return end >= kNoteEnd.size() && html.substr(end - kNoteEnd.size(), kNoteEnd.size()) == kNoteEnd;
}

// Whether a block's start tag or a picture ends just before `end`: a blank
// typed after either would not show as a plain one.
bool blockStartOrPictureEndsBefore(std::string_view html, std::size_t end)
{
    if (end == 0 || html[end - 1] != '>')
        return false;
    const std::size_t open = html.rfind('<', end - 1);
    if (open == std::string_view::npos || open + 1 >= end || html[open + 1] == '/')
        return false;
    std::size_t nameEnd = open + 1;
    while (nameEnd < end && std::isalnum(static_cast<unsigned char>(html[nameEnd])))
        ++nameEnd;
    static constexpr std::array<std::string_view, 13> kNames = {"div", "p", "li", "h1", "h2", "h3", "h4",
                                                                 "h5", "h6", "blockquote", "td", "th", "img"};
    const std::string name = lowercaseString(html.substr(open + 1, nameEnd - open - 1));
    return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

// Whether the no-break space at `at` is one of the document's own, which
// the page marks.
bool isMarkedNoBreakSpace(std::string_view html, std::size_t at)
{
    constexpr std::string_view kMark = "<span data-nbsp=\"\">";
    return at >= kMark.size() && html.substr(at - kMark.size(), kMark.size()) == kMark;
}

} // namespace

std::string RichTextBodyCleaner::withTypedSpacesRestored(std::string_view html)
{
    std::string result;
    result.reserve(html.size());
    std::size_t copied = 0;
    for (std::size_t at = html.find(kNoBreakSpace); at != std::string_view::npos; at = html.find(kNoBreakSpace, at + 1)) {
        if (isMarkedNoBreakSpace(html, at))
            continue;
        std::size_t after = at + kNoBreakSpace.size();
        std::size_t tagsAfter = inlineTagsEndAfter(html, after);
        std::size_t tagsBefore = inlineTagsStartBefore(html, at);
        // At the end of a run, text following after the tags; or at the start
        // of a run, text preceding before them.
        bool endOfRun = tagsAfter != after && visibleBefore(html, at) && visibleAt(html, tagsAfter);
        bool startOfRun = tagsBefore != at && visibleBefore(html, tagsBefore) && visibleAt(html, after);
        // The blank a note is inserted with stands after its marker, which
        // shows it; a space typed there follows it.
        bool afterNote = noteEndsBefore(html, tagsBefore);
        // Blanks after a tag (a link's end, a paragraph's start): the page
        // keeps the first of them visible as a no-break space, the second
        // plain. Inside a run the pair may be the file's own and stays.
        bool pairAfterTag = at > 0 && html[at - 1] == '>' && after < html.size() && html[after] == ' ';
        // A space typed at the start of a line after a line break: the
        // page keeps it visible there the same way.
        bool startOfLine = lineBreakEndsBefore(html, tagsBefore) && visibleAt(html, tagsAfter);
        // So at a paragraph's start (the text's own, where the page has
        // none around it yet) and after a picture.
        bool startOfParagraph = (at == 0 || blockStartOrPictureEndsBefore(html, tagsBefore)) &&
            visibleAt(html, tagsAfter);
        if (!endOfRun && !startOfRun && !afterNote && !pairAfterTag && !startOfLine && !startOfParagraph)
            continue;
        result.append(html.substr(copied, at - copied));
        result += ' ';
        copied = after;
    }
    result.append(html.substr(copied));
    return result;
}

std::string RichTextBodyCleaner::cleaned(std::string html)
{
    html = stringByReplacingOccurrencesOfString(std::move(html), "[\xF0\x9F\x92\xAC]", ""); // "[", U+1F4AC, "]"
    html = stringByReplacingOccurrencesOfString(std::move(html), "\xEF\xBB\xBF", "");       // U+FEFF
    html = stringByReplacingOccurrencesOfString(std::move(html), "\xEF\xBF\xBC", "");       // U+FFFC
    html = stringByReplacingOccurrencesOfString(std::move(html), " &nbsp;", "  ");
    html = stringByReplacingOccurrencesOfString(std::move(html), kFindHighlightOpening, "<span ");
    return withTypedSpacesRestored(html);
}

} // namespace folio
