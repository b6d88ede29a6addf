#include "engine/html/writer/HTMLMarkup.h"

#include "engine/attachments/TETextAttachment.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>

namespace folio {

void HTMLMarkup::appendText(std::string& html, std::u16string_view text)
{
    std::size_t copiedUpTo = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char16_t c = text[index];
        // Control characters are not allowed in HTML or XML text.
        const bool control = c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
        if (!control && c != u'<' && c != u'&')
            continue;
        appendUtf8(html, text.substr(copiedUpTo, index - copiedUpTo));
        if (c == u'<')
            html += "&#60;";
        else if (c == u'&')
            html += "&amp;";
        copiedUpTo = index + 1;
    }
    appendUtf8(html, text.substr(copiedUpTo));
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
    std::string out;
    bool sawTab = false;
    bool inTag = false;
    char quote = 0;
    char lastInTag = 0;
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
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (inTag) {
            // Quoted attribute values may hold ">" and blanks; neither ends
            // the tag nor gets converted.
            // A quote opens a value only right after "=", as HTML reads it.
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if ((c == '"' || c == '\'') && lastInTag == '=') {
                // Nothing inside the value counts: on to its closing quote,
                // which is read next.
                quote = c;
                std::size_t close = body.find(quote, i + 1);
                if (close == std::string::npos)
                    break;
                i = close - 1;
            } else if (c == '>') {
                inTag = false;
            }
            if (c != ' ')
                lastInTag = c;
            continue;
        }
        switch (c) {
        case '<':
            inTag = true;
            lastInTag = c;
            break;
        case '\t':
            sawTab = true;
            replace(i, 1, tabSpan);
            break;
        case '\xE2':
            if (std::string_view(body).substr(i, kLineSeparator.size()) == kLineSeparator) {
                replace(i, kLineSeparator.size(), "<br/>");
                i += kLineSeparator.size() - 1;
            }
            break;
        case ' ':
            if (convertSpaces && i + 1 < body.size() && body[i + 1] == ' ') {
                replace(i, 2, kBlankAndNoBreakSpace);
                ++i;
            }
            break;
        default:
            break;
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
