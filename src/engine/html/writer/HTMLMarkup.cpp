#include "engine/html/writer/HTMLMarkup.h"

#include "engine/attachments/TETextAttachment.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>

namespace folio {

namespace {

// ASCII written as it is: everything but the markup characters and the
// control characters HTML and XML text may not hold.
bool isPlainASCII(char16_t c)
{
    return c < 0x80 && c != u'<' && c != u'&' && (c >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r');
}

} // namespace

void HTMLMarkup::appendText(std::string& html, std::u16string_view text)
{
    // One pass: ASCII is copied unit for byte, the stretches beyond it are
    // encoded as UTF-8, and the rest escaped or dropped.
    std::size_t index = 0;
    while (index < text.size()) {
        std::size_t plain = index;
        while (plain < text.size() && isPlainASCII(text[plain]))
            ++plain;
        if (plain > index) {
            const std::size_t at = html.size();
            html.resize(at + (plain - index));
            char* out = html.data() + at;
            for (; index < plain; ++index)
                *out++ = static_cast<char>(text[index]);
            if (index == text.size())
                break;
        }
        const char16_t c = text[index];
        if (c >= 0x80) {
            std::size_t beyond = index;
            while (beyond < text.size() && text[beyond] >= 0x80)
                ++beyond;
            appendUtf8(html, text.substr(index, beyond - index));
            index = beyond;
            continue;
        }
        if (c == u'<')
            html += "&#60;";
        else if (c == u'&')
            html += "&amp;";
        ++index;
    }
}

void HTMLMarkup::appendAttributes(std::string& html, const HTMLAttributeMap& attributes)
{
    for (const auto& [name, value] : attributes) {
        html += ' ';
        // Names come from the document too; characters a name may not hold
        // are encoded so that a name cannot add attributes of its own.
        appendUtf8(html, htmlAttributeName(name));
        html += "=\"";
        HTMLTextEscaper::append(html, value);
        html += '"';
    }
}

bool HTMLMarkup::finishBody(std::string& body, HTMLTabForm tabForm, bool convertSpaces)
{
    // U+2028 and U+00A0 in UTF-8; every character the pass looks for
    // otherwise is ASCII, and no byte of a longer UTF-8 sequence is.
    constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
    constexpr std::string_view kBlankAndNoBreakSpace = " \xC2\xA0";
    const std::string_view tabSpan = tabForm == HTMLTabForm::InlineStyle
                                         ? std::string_view("<span style=\"white-space:pre;\">\t</span>")
                                         : std::string_view("<span class=\"Apple-tab-span\">\t</span>");
    const std::string_view all(body);
    std::string out;
    bool sawTab = false;
    // Text and tags are copied in stretches; only the characters replaced
    // end one.
    std::size_t copiedUpTo = 0;
    auto replace = [&](std::size_t at, std::size_t length, std::string_view replacement) {
        if (out.empty())
            out.reserve(body.size() + body.size() / 16);
        out.append(body, copiedUpTo, at - copiedUpTo);
        out += replacement;
        copiedUpTo = at + length;
    };
    std::size_t index = 0;
    while (index < all.size()) {
        // Element content up to the next tag: its tabs, line separators and
        // pairs of blanks, each found with one search.
        const std::size_t end = std::min(all.find('<', index), all.size());
        const std::string_view text = all.substr(0, end);
        auto next = [&](char c, std::size_t from) { return std::min(text.find(c, from), end); };
        auto nextPair = [&](std::size_t from) {
            if (!convertSpaces)
                return end;
            for (std::size_t at = from; at + 1 < end; ++at) {
                if (all[at] == ' ' && all[at + 1] == ' ')
                    return at;
            }
            return end;
        };
        std::size_t tab = next('\t', index);
        std::size_t separator = next('\xE2', index);
        std::size_t pair = nextPair(index);
        while (true) {
            const std::size_t at = std::min({tab, separator, pair});
            if (at >= end)
                break;
            if (at == tab) {
                sawTab = true;
                replace(at, 1, tabSpan);
                tab = next('\t', at + 1);
            } else if (at == separator) {
                bool isSeparator = all.substr(at, kLineSeparator.size()) == kLineSeparator;
                if (isSeparator)
                    replace(at, kLineSeparator.size(), "<br/>");
                separator = next('\xE2', at + (isSeparator ? kLineSeparator.size() : 1));
            } else {
                replace(at, 2, kBlankAndNoBreakSpace);
                pair = nextPair(at + 2);
            }
        }
        if (end >= all.size())
            break;

        // A tag, whose quoted attribute values may hold ">" and blanks:
        // neither ends the tag nor gets converted. A quote opens a value only
        // right after "=", as HTML reads it.
        index = end + 1;
        char lastInTag = '<';
        while (index < all.size()) {
            const char c = all[index++];
            if ((c == '"' || c == '\'') && lastInTag == '=') {
                std::size_t close = all.find(c, index);
                index = close == std::string_view::npos ? all.size() : close + 1;
            } else if (c == '>') {
                break;
            }
            if (c != ' ')
                lastInTag = c;
        }
    }
    if (copiedUpTo == 0)
        return sawTab;
    out.append(body, copiedUpTo, body.size() - copiedUpTo);
    body = std::move(out);
    return sawTab;
}

std::string HTMLMarkup::notesSection(const std::vector<TEPrintedNote>& notes)
{
    if (notes.empty())
        return {};
    std::string html = "<div class=\"footnotes\"><hr/>";
    for (const TEPrintedNote& note : notes) {
        HTMLAttributeMap attributes{{"class", u"footnote-text"}};
        if (!note.fontCSS.empty())
            attributes["style"] = toUtf16(note.fontCSS);
        html += "<div";
        appendAttributes(html, attributes);
        html += "><sup>" + std::to_string(note.number) + "</sup> ";
        // The note's own mark and the blank after it are the number here;
        // its paragraphs stay lines of its entry.
        std::u16string lines = note.text.substr(std::min(note.text.find_first_not_of(u" \t"), note.text.size()));
        std::replace(lines.begin(), lines.end(), u'\n', u'\u2028');
        appendText(html, lines);
        html += "</div>";
    }
    html += "</div>";
    return html;
}

} // namespace folio
