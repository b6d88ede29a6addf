#include "export/BookmarkTargets.h"

#include "platform/foundation/URL.h"
#include "platform/foundation/UnitSearch.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string_view>
#include <vector>

namespace folio {

namespace {

bool isIdStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isIdCharacter(unsigned char c)
{
    return isIdStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

std::string_view lowered(std::string_view text, std::string& buffer)
{
    buffer.assign(text);
    for (char& c : buffer)
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    return buffer;
}

// An attribute value as the writers escape it.
std::string unescaped(std::string_view value)
{
    std::string result;
    for (std::size_t at = 0; at < value.size(); ++at) {
        if (value[at] != '&') {
            result += value[at];
            continue;
        }
        std::size_t end = value.find(';', at);
        if (end == std::string_view::npos || end - at > 10) {
            result += '&';
            continue;
        }
        std::string_view name = value.substr(at + 1, end - at - 1);
        unsigned long code = 0;
        if (name == "amp")
            code = '&';
        else if (name == "quot")
            code = '"';
        else if (name == "apos")
            code = '\'';
        else if (name == "lt")
            code = '<';
        else if (name == "gt")
            code = '>';
        else if (name.size() > 1 && name[0] == '#')
            code = std::strtoul(std::string(name.substr(name[1] == 'x' || name[1] == 'X' ? 2 : 1)).c_str(), nullptr,
                                name[1] == 'x' || name[1] == 'X' ? 16 : 10);
        if (code == 0 || code > 0x7F) {
            // Only the markup characters and line ends are written as
            // references; anything else stays as it came.
            result += '&';
            continue;
        }
        result += char(code);
        at = end;
    }
    return result;
}

std::string escaped(std::string_view value)
{
    std::string result;
    for (char c : value) {
        switch (c) {
        case '&': result += "&amp;"; break;
        case '"': result += "&quot;"; break;
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        default: result += c;
        }
    }
    return result;
}

struct Attribute {
    std::string name;
    std::size_t valueStart = 0;
    std::size_t valueEnd = 0;
};

struct Tag {
    std::size_t start = 0;
    std::size_t end = 0; // one past '>'
    bool closing = false;
    std::string name;
    std::vector<Attribute> attributes;

    const Attribute* attribute(std::string_view wanted) const
    {
        for (const Attribute& attribute : attributes) {
            if (attribute.name == wanted)
                return &attribute;
        }
        return nullptr;
    }
};

// The tag starting at `at` ('<'), or nothing for a comment or stray '<'.
bool readTag(std::string_view html, std::size_t at, Tag& tag)
{
    tag.closing = false;
    tag.attributes.clear();
    tag.start = at;
    std::size_t index = at + 1;
    if (index < html.size() && html[index] == '/') {
        tag.closing = true;
        ++index;
    }
    std::size_t nameStart = index;
    while (index < html.size() && (std::isalnum(static_cast<unsigned char>(html[index])) || html[index] == '-'))
        ++index;
    if (index == nameStart)
        return false;
    std::string buffer;
    tag.name = std::string(lowered(html.substr(nameStart, index - nameStart), buffer));
    while (index < html.size() && html[index] != '>') {
        const unsigned char c = static_cast<unsigned char>(html[index]);
        if (std::isspace(c) || c == '/') {
            ++index;
            continue;
        }
        std::size_t attributeStart = index;
        while (index < html.size() && !std::isspace(static_cast<unsigned char>(html[index])) && html[index] != '='
               && html[index] != '>')
            ++index;
        Attribute attribute;
        attribute.name = std::string(lowered(html.substr(attributeStart, index - attributeStart), buffer));
        if (index < html.size() && html[index] == '=') {
            ++index;
            const char quote = index < html.size() && (html[index] == '"' || html[index] == '\'') ? html[index] : 0;
            if (quote)
                ++index;
            attribute.valueStart = index;
            while (index < html.size()
                   && (quote ? html[index] != quote : !std::isspace(static_cast<unsigned char>(html[index])) && html[index] != '>'))
                ++index;
            attribute.valueEnd = index;
            if (quote && index < html.size())
                ++index;
        } else {
            attribute.valueStart = attribute.valueEnd = index;
        }
        tag.attributes.push_back(std::move(attribute));
    }
    if (index >= html.size())
        return false;
    tag.end = index + 1;
    return true;
}

std::string_view valueOf(std::string_view html, const Attribute& attribute)
{
    return html.substr(attribute.valueStart, attribute.valueEnd - attribute.valueStart);
}

// Each tag of the page in turn, read one at a time: a long document has
// hundreds of thousands, which are not all kept.
void forEachTag(std::string_view html, const std::function<void(const Tag&)>& visit)
{
    Tag tag;
    for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
        if (html.compare(at, 4, "<!--") == 0) {
            std::size_t end = html.find("-->", at);
            if (end == std::string_view::npos)
                break;
            at = end;
            continue;
        }
        if (!readTag(html, at, tag))
            continue;
        at = tag.end - 1;
        visit(tag);
        // A style sheet's or script's text is no markup.
        if (!tag.closing && (tag.name == "style" || tag.name == "script")) {
            std::size_t close = html.find("</" + tag.name, tag.end);
            if (close == std::string_view::npos)
                break;
            at = close - 1;
        }
    }
}

std::vector<std::string> namesOf(std::string_view value)
{
    std::vector<std::string> names;
    std::string text = unescaped(value);
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            names.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

} // namespace

std::string BookmarkTargets::validId(std::string_view name)
{
    std::string id;
    for (std::size_t at = 0; at < name.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(name[at]);
        if (at == 0 ? isIdStart(c) : isIdCharacter(c)) {
            id += char(c);
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%02X", unsigned(c));
            id += "_";
            id += code;
        }
    }
    return id.empty() ? "_" : id;
}

namespace {

// Whether the page holds the words anywhere. A page of megabytes is looked
// through for the words' first and last letters standing as far apart as in
// the words, a block of places at a time, and the words are compared whole
// only where both stand: a search for their first letter alone stops at
// every "d" and "h" of the text.
template<char First, char Last, std::size_t Gap>
bool holds(std::string_view page, std::string_view words)
{
    if (words.size() != Gap + 1 || words.front() != First || words.back() != Last || page.size() < words.size())
        return page.find(words) != std::string_view::npos;
    const std::size_t last = page.size() - words.size() + 1;
    for (std::size_t at = findSpacedPair<First, Last, Gap>(page.data(), 0, last); at < last;
         at = findSpacedPair<First, Last, Gap>(page.data(), at + 1, last)) {
        if (page.substr(at, words.size()) == words)
            return true;
    }
    return false;
}

} // namespace

std::string BookmarkTargets::linked(std::string page, Dangling dangling)
{
    // Without bookmarks no link is pointed elsewhere; only a dangling one
    // dropped as text changes the page then.
    if (!holds<'d', 'k', 12>(page, "data-bookmark")
        && (dangling == Dangling::Keep
            || (!holds<'h', '#', 6>(page, "href=\"#") && !holds<'h', '#', 6>(page, "href='#"))))
        return page;
    const std::string_view html = page;
    std::set<std::string> taken;
    std::vector<std::pair<std::size_t, std::vector<std::string>>> bookmarks;
    forEachTag(html, [&](const Tag& tag) {
        if (tag.closing)
            return;
        if (const Attribute* id = tag.attribute("id"))
            taken.insert(unescaped(valueOf(html, *id)));
        if (const Attribute* bookmark = tag.attribute("data-bookmark"))
            bookmarks.emplace_back(tag.start, namesOf(valueOf(html, *bookmark)));
    });
    // Each bookmark's id, given where it begins; names already taken by the
    // page (its notes) and ids two names map to get a number.
    std::map<std::string, std::string> ids;
    std::map<std::size_t, std::vector<std::string>> targetsBefore;
    for (auto& [start, names] : bookmarks) {
        for (std::string& name : names) {
            if (ids.contains(name))
                continue;
            const std::string base = validId(name);
            std::string id = base;
            for (int number = 2; taken.contains(id); ++number)
                id = base + "-" + std::to_string(number);
            taken.insert(id);
            targetsBefore[start].push_back(id);
            ids.emplace(std::move(name), std::move(id));
        }
    }
    bookmarks.clear();

    std::string result;
    result.reserve(html.size() + ids.size() * 24);
    std::size_t copied = 0;
    bool droppingLinkEnd = false;
    forEachTag(html, [&](const Tag& tag) {
        if (droppingLinkEnd && tag.closing && tag.name == "a") {
            result.append(html.substr(copied, tag.start - copied));
            copied = tag.end;
            droppingLinkEnd = false;
            return;
        }
        if (auto found = targetsBefore.find(tag.start); found != targetsBefore.end()) {
            result.append(html.substr(copied, tag.start - copied));
            copied = tag.start;
            for (const std::string& id : found->second)
                result += "<span id=\"" + escaped(id) + "\"></span>";
        }
        const Attribute* href = !tag.closing && tag.name == "a" ? tag.attribute("href") : nullptr;
        if (!href)
            return;
        const std::string target = unescaped(valueOf(html, *href));
        if (!target.starts_with("#"))
            return;
        std::string fragment = URL::percentDecode(std::string_view(target).substr(1)).value_or(target.substr(1));
        if (auto id = ids.find(fragment); id != ids.end()) {
            result.append(html.substr(copied, href->valueStart - copied));
            result += escaped("#" + id->second);
            copied = href->valueEnd;
        } else if (dangling == Dangling::AsText && !taken.contains(fragment) && !target.substr(1).empty()) {
            result.append(html.substr(copied, tag.start - copied));
            copied = tag.end;
            droppingLinkEnd = true;
        }
    });
    result.append(html.substr(copied));
    return result;
}

} // namespace folio
