#include "engine/html/writer/HTMLMarkup.h"

#include "engine/attachments/TETextAttachment.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>

namespace folio {

void HTMLMarkup::appendText(std::u16string& html, std::u16string_view text)
{
    std::size_t copiedUpTo = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char16_t c = text[index];
        // Control characters are not allowed in HTML or XML text.
        const bool control = c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
        if (!control && c != u'<' && c != u'&')
            continue;
        html.append(text, copiedUpTo, index - copiedUpTo);
        if (c == u'<')
            html += u"&#60;";
        else if (c == u'&')
            html += u"&amp;";
        copiedUpTo = index + 1;
    }
    html.append(text, copiedUpTo);
}

void HTMLMarkup::appendAttributes(std::u16string& html, const HTMLAttributeMap& attributes)
{
    for (const auto& [name, value] : attributes) {
        html += u' ';
        // Names come from the document too; characters a name may not hold
        // are encoded so that a name cannot add attributes of its own.
        html += htmlAttributeName(name);
        html += u"=\"";
        HTMLTextEscaper::append(html, value);
        html += u'"';
    }
}

bool HTMLMarkup::finishBody(std::u16string& body, HTMLTabForm tabForm, bool convertSpaces)
{
    const std::u16string_view tabSpan = tabForm == HTMLTabForm::InlineStyle
                                            ? std::u16string_view(u"<span style=\"white-space:pre;\">\t</span>")
                                            : std::u16string_view(u"<span class=\"Apple-tab-span\">\t</span>");
    std::u16string out;
    bool sawTab = false;
    bool inTag = false;
    char16_t quote = 0;
    char16_t lastInTag = 0;
    // Text and tags are copied in stretches; only the characters replaced
    // end one.
    std::size_t copiedUpTo = 0;
    auto replace = [&](std::size_t at, std::size_t length, std::u16string_view replacement) {
        if (out.empty())
            out.reserve(body.size() + body.size() / 16);
        out.append(body, copiedUpTo, at - copiedUpTo);
        out += replacement;
        copiedUpTo = at + length;
    };
    for (std::size_t i = 0; i < body.size(); ++i) {
        char16_t c = body[i];
        if (inTag) {
            // Quoted attribute values may hold ">" and blanks; neither ends
            // the tag nor gets converted.
            // A quote opens a value only right after "=", as HTML reads it.
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if ((c == u'"' || c == u'\'') && lastInTag == u'=') {
                quote = c;
            } else if (c == u'>') {
                inTag = false;
            }
            if (c != u' ')
                lastInTag = c;
            continue;
        }
        switch (c) {
        case u'<':
            inTag = true;
            lastInTag = c;
            break;
        case u'\t':
            sawTab = true;
            replace(i, 1, tabSpan);
            break;
        case u'\u2028':
            replace(i, 1, u"<br/>");
            break;
        case u' ':
            if (convertSpaces && i + 1 < body.size() && body[i + 1] == u' ') {
                replace(i, 2, u" \u00A0");
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

std::u16string HTMLMarkup::notesSection(const std::vector<TEPrintedNote>& notes)
{
    if (notes.empty())
        return {};
    std::u16string html = u"<div class=\"footnotes\"><hr/>";
    for (const TEPrintedNote& note : notes) {
        HTMLAttributeMap attributes{{"class", u"footnote-text"}};
        if (!note.fontCSS.empty())
            attributes["style"] = toUtf16(note.fontCSS);
        html += u"<div";
        appendAttributes(html, attributes);
        html += u"><sup>" + toUtf16(std::to_string(note.number)) + u"</sup> ";
        // The note's own mark and the blank after it are the number here;
        // its paragraphs stay lines of its entry.
        std::u16string lines = note.text.substr(std::min(note.text.find_first_not_of(u" \t"), note.text.size()));
        std::replace(lines.begin(), lines.end(), u'\n', u'\u2028');
        appendText(html, lines);
        html += u"</div>";
    }
    html += u"</div>";
    return html;
}

} // namespace folio
