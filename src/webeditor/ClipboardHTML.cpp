#include "webeditor/ClipboardHTML.h"

#include "engine/html/HTMLSanitizer.h"
#include "engine/html/HTMLString.h"
#include "foundation/markup/HTMLAdditions.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <initializer_list>
#include <utility>

namespace folio {

namespace {

std::u16string replaced(std::u16string text, std::initializer_list<std::pair<std::u16string_view, std::u16string_view>> pairs)
{
    for (const auto& [target, replacement] : pairs)
        text = stringByReplacingOccurrencesOfString(text, target, replacement);
    return text;
}

// Every "<object " up to the end of the next "object>" goes; an opening
// without an end stops the removal there.
std::u16string withoutObjects(std::u16string text)
{
    for (;;) {
        std::size_t start = text.find(u"<object ");
        if (start == std::u16string::npos)
            return text;
        std::size_t end = text.find(u"object>", start + 1);
        if (end == std::u16string::npos)
            return text;
        text.erase(start, end + 7 - start);
    }
}

// The pattern as the editor has always linked addresses: the characters of
// "&amp;" and the doubled "%" are members of the character classes, not
// entities or format signs.
constexpr std::u16string_view kLinkPattern =
    u"(?<!=\")\\b((http|https):\\/\\/[\\w\\-_]+(\\.[\\w\\-_]+)+([\\w\\-\\.,@?^=%%&amp;:/~\\+#]*[\\w\\-\\@?^=%%&amp;/~\\+#])?)";

// A value the page answered, made one CSS value: nothing in it may end the
// declaration, open a string or a block, or escape a character.
std::string cssValue(std::string_view value)
{
    std::string clean;
    for (char c : value) {
        if (c != ';' && c != '"' && c != '\'' && c != '\\' && c != '{' && c != '}' && c != '<' && c != '>')
            clean.push_back(c);
    }
    return clean;
}

// The style of the caret's looks, the names cleaned of what could end the
// value or the attribute; what the page could not say is left out.
std::string caretStyle(std::string_view fontFamily, int pixelSize, std::string_view color)
{
    std::string style;
    if (const std::string family = cssValue(fontFamily); !family.empty())
        style += "font-family:" + HTMLTextEscaper::escape(family) + ";";
    if (pixelSize > 0)
        style += "font-size: " + std::to_string(pixelSize) + "px;";
    if (const std::string clean = cssValue(color); !clean.empty())
        style += (style.empty() ? "color: " : " color: ") + HTMLTextEscaper::escape(clean) + ";";
    return style;
}

// Where the text of an HTML fragment begins and ends: past the tags that
// open it and before those that close it.
std::size_t textBegin(const std::string& html)
{
    std::size_t at = 0;
    while (at < html.size() && html[at] == '<') {
        std::size_t close = html.find('>', at);
        if (close == std::string::npos)
            break;
        at = close + 1;
    }
    return at;
}

std::size_t textEnd(const std::string& html, std::size_t begin)
{
    std::size_t at = html.size();
    while (at > begin && html[at - 1] == '>') {
        std::size_t open = html.rfind('<', at - 1);
        if (open == std::string::npos || open < begin)
            break;
        at = open;
    }
    return at;
}

// The page's insertion drops blanks at either end of what it inserts, as a
// line's edges would; blanks the clipboard held there stay blanks only in a
// span that keeps them. Tags around the text (the lines plain text is
// written as) do not hide its blanks.
std::string withEndBlanksKept(std::string html)
{
    constexpr std::string_view kKeeper = "<span style=\"white-space:pre-wrap;\">";
    constexpr std::string_view kKeeperEnd = "</span>";
    std::size_t begin = textBegin(html);
    std::size_t end = textEnd(html, begin);
    std::size_t firstLetter = html.find_first_not_of(' ', begin);
    if (firstLetter == std::string::npos || firstLetter >= end) {
        if (end > begin)
            html.insert(end, kKeeperEnd).insert(begin, kKeeper);
        return html;
    }
    std::size_t lastLetter = html.find_last_not_of(' ', end - 1);
    if (lastLetter + 1 < end)
        html.insert(end, kKeeperEnd).insert(lastLetter + 1, kKeeper);
    if (firstLetter > begin)
        html.insert(firstLetter, kKeeperEnd).insert(begin, kKeeper);
    return html;
}

} // namespace

std::u16string ClipboardHTML::flattenHTML(std::u16string_view html)
{
    std::u16string text = replaced(std::u16string(html), {{u"</div>", u"\n"},
                                                         {u"<li", u"<br><li"},
                                                         {u"</p>", u"\n\n"},
                                                         {u"<br>", u"\n\n"},
                                                         {u"<br/>", u"\n\n"},
                                                         {u"<br class=\"Apple-interchange-newline\">", u"\n\n"}});
    // The tags are found in the text as it was before any of them went, so a
    // blank left by one never joins two others into a new tag.
    const std::u16string scanned = text;
    std::size_t at = 0;
    while (at < scanned.size()) {
        std::size_t open = scanned.find(u'<', at);
        if (open == std::u16string::npos)
            break;
        std::size_t close = scanned.find(u'>', open);
        if (close == std::u16string::npos)
            break;
        std::u16string tag = scanned.substr(open, close - open) + u">";
        text = stringByReplacingOccurrencesOfString(text, tag, u" ");
        at = close;
    }
    text = stringByAddingHTMLEntities(text);
    text = replaced(std::move(text), {{u"\n", u"<br>"}, {u"\t", u""}, {u"\r", u"<br>"}});
    static const CharacterSet blanksAndTabs = CharacterSet::characterSetWithCharactersInString(std::u16string_view(u" \t"));
    return stringByTrimmingCharactersInSet(text, blanksAndTabs);
}

std::u16string ClipboardHTML::stringByLinkifyingURLs(std::u16string_view text)
{
    static const Result<RegularExpression> pattern = RegularExpression::make(kLinkPattern);
    if (!pattern)
        return std::u16string(text);
    return pattern->stringByReplacingMatches(text, u"<a href=\"$1\" class=\"linkified\">$1</a>");
}

std::u16string ClipboardHTML::fragmentFromPlainTextOfPage(std::u16string_view plainText)
{
    std::u16string text = replaced(flattenHTML(plainText), {{u"&amp;gt;", u"&#62;"}, {u"&amp;lt;", u"&#60;"}, {u"\\", u"&#92;"}});
    return stringByLinkifyingURLs(text);
}

// Safe markup made a fragment of the paste: safe first, since the quote
// replacements would otherwise change how the attributes of hostile markup
// are read.
std::u16string ClipboardHTML::fragmentFromSafeHTML(const std::string& safeHTML)
{
    std::u16string text = replaced(toUtf16(safeHTML), {{u"'", u"&#039;"}, {u"\\", u"&#92;"}});
    return withoutObjects(std::move(text));
}

std::u16string ClipboardHTML::fragmentFromCopiedHTML(std::string_view html)
{
    return fragmentFromSafeHTML(HTMLSanitizer::sanitizedHTML(html, HTMLSanitizer::Use::Insertion));
}

std::u16string ClipboardHTML::fragmentFromCopiedHTML(std::string_view html,
                                                     const HTMLSanitizer::PictureFileCheck& keepsPictureFile)
{
    return fragmentFromSafeHTML(HTMLSanitizer::sanitizedInsertion(html, keepsPictureFile));
}

std::u16string ClipboardHTML::fragmentFromWrittenText(std::u16string_view writtenHTML)
{
    return replaced(std::u16string(writtenHTML), {{u"\r", u"<br>"},
                                                 {u"'", u"&#039;"},
                                                 {u"\\", u"&#92;"},
                                                 {u"&amp;gt;", u"&#62;"},
                                                 {u"&amp;lt;", u"&#60;"}});
}

std::u16string ClipboardHTML::plainTextFragment(std::u16string_view text)
{
    // Comments are marked in the page's text by U+FEFF, "[", the speech
    // balloon and "]"; pasted, the marker would be an orphan.
    std::u16string clean = stringByReplacingOccurrencesOfString(text, u"\uFEFF[\U0001F4AC]", u"");
    clean = stringByEscapingForHTML(clean);
    return replaced(std::move(clean), {{u"\r", u"<br>"}, {u"\n", u"<br>"}});
}

std::string ClipboardHTML::plainInsertionSpan(std::u16string_view fragment, std::optional<int> pixelSize,
                                              std::string_view fontFamily, std::string_view color)
{
    const std::string style = caretStyle(fontFamily, pixelSize.value_or(0), color);
    std::string open = style.empty() ? std::string("<span>") : "<span style=\"" + style + "\">";
    return open + withEndBlanksKept(toUtf8(fragment)) + "</span>";
}

std::string ClipboardHTML::insertionSpan(std::u16string_view fragment, std::string_view fontFamily, int pixelSize,
                                         std::string_view color)
{
    std::string span = "<span style=\"" + caretStyle(fontFamily, pixelSize, color) + "\">" +
                       withEndBlanksKept(toUtf8(fragment)) + "</span>";
    return HTMLSanitizer::sanitizedHTML(span, HTMLSanitizer::Use::Insertion);
}

} // namespace folio
