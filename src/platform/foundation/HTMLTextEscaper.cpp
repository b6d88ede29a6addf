#include "platform/foundation/HTMLTextEscaper.h"

#include "platform/foundation/Unicode.h"

#include <type_traits>

namespace folio {

namespace {

template <typename Char>
const Char* replacementFor(Char c)
{
    if constexpr (std::is_same_v<Char, char16_t>) {
        switch (c) {
        case u'&': return u"&amp;";
        case u'<': return u"&lt;";
        case u'>': return u"&gt;";
        case u'"': return u"&quot;";
        case u'\'': return u"&#39;";
        default: return nullptr;
        }
    } else {
        switch (c) {
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '"': return "&quot;";
        case '\'': return "&#39;";
        default: return nullptr;
        }
    }
}

template <typename Char>
void appendEscapedText(std::basic_string<Char>& out, std::basic_string_view<Char> text)
{
    // Text runs between the characters replaced are copied whole.
    std::size_t copiedUpTo = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (const Char* replacement = replacementFor(text[index])) {
            out.append(text, copiedUpTo, index - copiedUpTo);
            out += replacement;
            copiedUpTo = index + 1;
        }
    }
    out.append(text, copiedUpTo);
}

template <typename Char>
std::basic_string<Char> escapeText(std::basic_string_view<Char> text)
{
    std::basic_string<Char> out;
    out.reserve(text.size());
    appendEscapedText(out, text);
    return out;
}

} // namespace

std::u16string HTMLTextEscaper::escape(std::u16string_view text)
{
    return escapeText(text);
}

void HTMLTextEscaper::append(std::u16string& html, std::u16string_view text)
{
    appendEscapedText(html, text);
}

void HTMLTextEscaper::append(std::string& html, std::u16string_view text)
{
    std::size_t copiedUpTo = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (const char16_t* replacement = replacementFor(text[index])) {
            appendUtf8(html, text.substr(copiedUpTo, index - copiedUpTo));
            // The replacements are ASCII.
            for (; *replacement; ++replacement)
                html.push_back(static_cast<char>(*replacement));
            copiedUpTo = index + 1;
        }
    }
    appendUtf8(html, text.substr(copiedUpTo));
}

// The bytes of a UTF-8 sequence never equal an ASCII character, so escaping
// byte by byte keeps every multi-byte character whole.
std::string HTMLTextEscaper::escape(std::string_view utf8)
{
    return escapeText(utf8);
}

void HTMLTextEscaper::append(std::string& html, std::string_view utf8)
{
    appendEscapedText(html, utf8);
}

} // namespace folio
