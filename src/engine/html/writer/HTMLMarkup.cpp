#include "engine/html/writer/HTMLMarkup.h"

#include "engine/attachments/TETextAttachment.h"
#include "engine/html/HTMLSanitizer.h"
#include "platform/foundation/HTMLPlainStretch.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace folio {

namespace {

constexpr std::string_view kInlineTabSpan = "<span style=\"white-space:pre;\">\t</span>";
constexpr std::string_view kClassTabSpan = "<span class=\"Apple-tab-span\">\t</span>";
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";

std::string_view tabSpanFor(HTMLTabForm form)
{
    return form == HTMLTabForm::InlineStyle ? kInlineTabSpan : kClassTabSpan;
}

// Appends text as element content. `kFinishes` finishes it as it goes (tabs,
// line separators and, with `kPairsBlanks`, pairs of blanks), which writes
// what finishing the appended text afterwards would: the text holds no tag,
// and its blanks pair with those before them in the output.
template <bool kFinishes, bool kPairsBlanks>
void appendContent(std::string& html, std::u16string_view text, bool dropsPlaceholders, HTMLBodyFinish* finish)
{
    // One pass: stretches of ASCII are copied unit for byte, the stretches
    // beyond it are encoded as UTF-8, and the rest escaped, finished or
    // dropped one at a time.
    const char16_t* units = text.data();
    std::size_t index = 0;
    while (index < text.size()) {
        // A blank after a blank is the second of a pair, as the first of a
        // pair is always written as it is; the output's last byte says what
        // the unit before was written as.
        const bool blankBefore = !html.empty() && html.back() == ' ';
        const std::size_t plain =
            HTMLPlainStretch::stretchEnd<kPairsBlanks>(units, index, text.size(), blankBefore);
        if (plain > index) {
            const std::size_t at = html.size();
            html.resize(at + (plain - index));
            HTMLPlainStretch::copyNarrowed(html.data() + at, units + index, plain - index);
            // An exported file's text is escaped as the sanitiser escapes it.
            if (finish && finish->exported && html.find('>', at) != std::string::npos) {
                std::string stretch = html.substr(at);
                html.resize(at);
                for (char byte : stretch)
                    byte == '>' ? html += "&gt;" : html += byte;
            }
            index = plain;
            if (index == text.size())
                break;
        }
        const char16_t c = text[index];
        if (c >= 0x80) {
            // A placeholder or a line separator ends the stretch as a piece
            // of its own would, so that a surrogate it splits is no pair.
            auto endsStretch = [&](std::size_t at) {
                return (dropsPlaceholders && text[at] == u'\uFEFF') || (kFinishes && text[at] == u'\u2028');
            };
            std::size_t beyond = index;
            while (beyond < text.size() && text[beyond] >= 0x80 && !endsStretch(beyond))
                ++beyond;
            if (finish && finish->exported)
                HTMLSanitizer::appendText(html, toUtf8(text.substr(index, beyond - index)), false,
                                          HTMLSanitizer::Characters::References);
            else
                appendUtf8(html, text.substr(index, beyond - index));
            index = beyond;
            if (index < text.size() && endsStretch(index)) {
                if (text[index] == u'\u2028')
                    html += "<br/>";
                ++index;
            }
            continue;
        }
        const bool exported = finish && finish->exported;
        if (c == u'<') {
            html += exported ? "&lt;" : "&#60;";
        } else if (c == u'&') {
            html += "&amp;";
        } else if (kFinishes && c == u'\t') {
            html += tabSpanFor(finish->tabForm);
            finish->sawTab = true;
        } else if (kPairsBlanks && c == u' ') {
            // Only the second blank of a pair ends a stretch.
            html += exported ? std::string_view("&nbsp;") : kNoBreakSpace;
        } else if (c == u'\t' || c == u'\n' || c == u'\r') {
            html += static_cast<char>(c);
        }
        // Other control characters are no text HTML or XML may hold: dropped.
        ++index;
    }
}

} // namespace

void HTMLMarkup::appendText(std::string& html, std::u16string_view text)
{
    appendTextDroppingPlaceholders(html, text, false);
}

void HTMLMarkup::appendTextWithoutPlaceholders(std::string& html, std::u16string_view text)
{
    appendTextDroppingPlaceholders(html, text, true);
}

void HTMLMarkup::appendTextDroppingPlaceholders(std::string& html, std::u16string_view text, bool dropsPlaceholders)
{
    appendContent<false, false>(html, text, dropsPlaceholders, nullptr);
}

void HTMLMarkup::appendBodyText(std::string& body, std::u16string_view text, bool dropsPlaceholders,
                                HTMLBodyFinish& finish)
{
    if (finish.convertSpaces)
        appendContent<true, true>(body, text, dropsPlaceholders, &finish);
    else
        appendContent<true, false>(body, text, dropsPlaceholders, &finish);
}

void HTMLMarkup::appendAttributes(std::string& html, const HTMLAttributeMap& attributes)
{
    for (const auto& [name, value] : attributes) {
        html += ' ';
        // Names come from the document too; characters a name may not hold
        // are encoded so that a name cannot add attributes of its own.
        appendHTMLAttributeName(html, name);
        html += "=\"";
        HTMLTextEscaper::append(html, value);
        html += '"';
    }
}

bool HTMLMarkup::isLeftOutOfExport(std::string_view name)
{
    return name.starts_with("data-") && name != "data-bookmark";
}

void HTMLMarkup::appendAttributes(std::string& html, const HTMLAttributeMap& attributes, std::string_view element,
                                  bool exported)
{
    if (!exported) {
        appendAttributes(html, attributes);
        return;
    }
    for (const auto& [name, value] : attributes)
        appendExportedAttribute(html, element, name, value);
}

void HTMLMarkup::appendExportedAttribute(std::string& html, std::string_view element, std::string_view name,
                                         std::u16string_view value)
{
    // The editing page's and the save's own data mean nothing to the
    // file's reader; a bookmark is where links lead.
    if (isLeftOutOfExport(name))
        return;
    std::string lowercaseName;
    appendHTMLAttributeName(lowercaseName, name);
    lowercaseName = asciiLowercaseString(lowercaseName);
    std::optional<std::string> kept =
        HTMLSanitizer::sanitizedAttribute(element, lowercaseName, toUtf8(value), HTMLSanitizer::Use::Export);
    if (!kept)
        return;
    html += ' ';
    html += lowercaseName;
    html += "=\"";
    HTMLSanitizer::appendText(html, *kept, true, HTMLSanitizer::Characters::References);
    html += '"';
}

std::string HTMLMarkup::styleAttributeValue(std::string_view css, bool exported)
{
    if (!exported)
        return HTMLTextEscaper::escape(css);
    std::string value;
    HTMLSanitizer::appendText(value, HTMLSanitizer::sanitizedCSS(css, HTMLSanitizer::Use::Export), true,
                              HTMLSanitizer::Characters::References);
    return value;
}

namespace {

// Which bytes end a stretch that is copied as it stands. NUL is always one:
// the searches run over a whole std::string, whose terminating NUL then ends
// them without a test of the length at every byte.
using ByteStops = std::array<bool, 256>;

constexpr ByteStops byteStops(std::string_view bytes)
{
    ByteStops stops{};
    stops[0] = true;
    for (char c : bytes)
        stops[static_cast<unsigned char>(c)] = true;
    return stops;
}

// The first stop from `index` on, or the end of `all`, which views a whole
// std::string. A NUL inside the string stops the search too: callers pass
// over it as over any byte they leave alone.
std::size_t nextStop(std::string_view all, std::size_t index, const ByteStops& stops)
{
    const char* bytes = all.data();
    while (!stops[static_cast<unsigned char>(bytes[index])])
        ++index;
    return std::min(index, all.size());
}

// The end of the tag that opens at `open` (just past its ">"), or the end of
// the body when it has none. Quoted attribute values may hold ">" and
// blanks: neither ends the tag. A quote opens a value only right after "="
// (blanks between them allowed), as HTML reads it.
std::size_t endOfTag(std::string_view all, std::size_t open)
{
    static constexpr ByteStops kTagStops = byteStops("\"'>");
    std::size_t index = open + 1;
    while (true) {
        index = nextStop(all, index, kTagStops);
        if (index >= all.size())
            return all.size();
        const char c = all[index];
        if (c == '>')
            return index + 1;
        if (c == '\0') {
            ++index;
            continue;
        }
        // The tag's "<" is no blank, so the search back stops inside the tag.
        std::size_t before = index - 1;
        while (all[before] == ' ')
            --before;
        if (all[before] != '=') {
            ++index;
            continue;
        }
        const std::size_t close = all.find(c, index + 1);
        if (close == std::string_view::npos)
            return all.size();
        index = close + 1;
    }
}

// Appends `all`, which views a whole std::string, to `out` finished as
// finishBody says; a blank at its start pairs with an unpaired blank `out`
// ends with. Answers whether a tab was found.
bool appendFinished(std::string& out, std::string_view all, HTMLTabForm tabForm, bool convertSpaces)
{
    // U+2028 in UTF-8; every character the pass looks for otherwise is
    // ASCII, and no byte of a longer UTF-8 sequence is.
    constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
    static constexpr ByteStops kTextStops = byteStops("<\t\xE2");
    static constexpr ByteStops kTextStopsWithBlanks = byteStops("<\t\xE2 ");
    const ByteStops& textStops = convertSpaces ? kTextStopsWithBlanks : kTextStops;
    const std::string_view tabSpan = tabSpanFor(tabForm);
    bool sawTab = false;
    // Text and tags are copied in stretches; only the characters replaced
    // end one.
    std::size_t copiedUpTo = 0;
    auto replace = [&](std::size_t at, std::size_t length, std::string_view replacement) {
        out.append(all, copiedUpTo, at - copiedUpTo);
        out += replacement;
        copiedUpTo = at + length;
    };
    std::size_t index = 0;
    // The first of a pair is written as it is, so a blank written last is
    // one waiting for its pair.
    if (convertSpaces && !all.empty() && all[0] == ' ' && !out.empty() && out.back() == ' ') {
        replace(0, 1, kNoBreakSpace);
        index = 1;
    }
    while ((index = nextStop(all, index, textStops)) < all.size()) {
        switch (all[index]) {
        case '<':
            index = endOfTag(all, index);
            break;
        case '\t':
            sawTab = true;
            replace(index, 1, tabSpan);
            ++index;
            break;
        case ' ':
            // Pairs are counted from the left; a blank before a tag is no pair.
            if (index + 1 < all.size() && all[index + 1] == ' ') {
                replace(index + 1, 1, kNoBreakSpace);
                index += 2;
            } else {
                ++index;
            }
            break;
        default:
            if (all.substr(index, kLineSeparator.size()) == kLineSeparator) {
                replace(index, kLineSeparator.size(), "<br/>");
                index += kLineSeparator.size();
            } else {
                ++index;
            }
            break;
        }
    }
    out.append(all, copiedUpTo, all.size() - copiedUpTo);
    return sawTab;
}

} // namespace

bool HTMLMarkup::finishBody(std::string& body, HTMLTabForm tabForm, bool convertSpaces)
{
    std::string out;
    out.reserve(body.size() + body.size() / 16);
    bool sawTab = appendFinished(out, body, tabForm, convertSpaces);
    body = std::move(out);
    return sawTab;
}

void HTMLMarkup::appendBodyMarkup(std::string& body, const std::string& markup, HTMLBodyFinish& finish)
{
    if (appendFinished(body, markup, finish.tabForm, finish.convertSpaces))
        finish.sawTab = true;
}

namespace {

// Notes are set smaller than the text they annotate, as word processors
// set them (10 pt beside 12 pt text): the size of the mark's font CSS
// scaled down, or a smaller size than the page's where it has none.
std::string noteFontCSS(const std::string& fontCSS)
{
    constexpr double kNoteScale = 5.0 / 6.0;
    constexpr std::string_view kSize = "font-size:";
    const std::size_t at = fontCSS.find(kSize);
    if (at == std::string::npos)
        return fontCSS + "font-size:smaller;";
    const std::size_t number = at + kSize.size();
    std::size_t end = number;
    while (end < fontCSS.size() && (std::isdigit(static_cast<unsigned char>(fontCSS[end])) || fontCSS[end] == '.'))
        ++end;
    double size = 0;
    if (end == number || std::from_chars(fontCSS.data() + number, fontCSS.data() + end, size).ec != std::errc())
        return fontCSS;
    return fontCSS.substr(0, number) + formatFixed(size * kNoteScale, 0) + fontCSS.substr(end);
}

} // namespace

void HTMLMarkup::appendNotesSection(std::string& body, const std::vector<TEPrintedNote>& notes,
                                    HTMLBodyFinish& finish)
{
    if (notes.empty())
        return;
    body += "<div class=\"footnotes\"><hr/>";
    // Notes mostly follow one another in one font: the start of an entry is
    // made again only when the font changes.
    const std::string* startFontCSS = nullptr;
    std::string start;
    for (const TEPrintedNote& note : notes) {
        if (!startFontCSS || *startFontCSS != note.fontCSS) {
            HTMLAttributeMap attributes{{"class", u"footnote-text"}, {"style", toUtf16(noteFontCSS(note.fontCSS))}};
            start = "<div";
            appendAttributes(start, attributes, "div", finish.exported);
            startFontCSS = &note.fontCSS;
        }
        body += start;
        body += "><sup>";
        body += std::to_string(note.number);
        body += "</sup> ";
        // The note's own mark and the blank after it are the number here;
        // its paragraphs stay lines of its entry.
        std::u16string lines = note.text.substr(std::min(note.text.find_first_not_of(u" \t"), note.text.size()));
        std::replace(lines.begin(), lines.end(), u'\n', u'\u2028');
        appendBodyText(body, lines, false, finish);
        body += "</div>";
    }
    body += "</div>";
}

} // namespace folio
