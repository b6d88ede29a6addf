#include "platform/foundation/HTMLTextEscaper.h"

#include "platform/foundation/ByteScan.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>
#include <type_traits>

namespace folio {

namespace {

template <typename Char>
constexpr const Char* replacementFor(Char c)
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

// The index of the first character at or after `index` that is replaced.
template <typename Char>
std::size_t nextReplaced(std::basic_string_view<Char> text, std::size_t index)
{
    if constexpr (std::is_same_v<Char, char>) {
        return ByteScan::firstOf<'&', '<', '>', '"', '\''>(text, index);
    } else {
        while (index < text.size() && !replacementFor(text[index]))
            ++index;
        return index;
    }
}

template <typename Char>
void appendEscapedText(std::basic_string<Char>& out, std::basic_string_view<Char> text)
{
    // Text runs between the characters replaced are copied whole.
    std::size_t copiedUpTo = 0;
    for (std::size_t index = nextReplaced(text, 0); index < text.size(); index = nextReplaced(text, index + 1)) {
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
    // ASCII kept as it is is copied unit for byte; only the stretches beyond
    // ASCII go through the UTF-8 encoder, each whole, so that no surrogate
    // pair is split. Style values hold many quotes: each costs a replacement
    // here, not a call of the encoder.
    // Which ASCII units go as they are: one look-up a unit in the scan.
    static constexpr auto keptASCII = [] {
        std::array<bool, 0x80> kept{};
        for (std::size_t unit = 0; unit < kept.size(); ++unit)
            kept[unit] = !replacementFor(static_cast<char>(unit));
        return kept;
    }();
    std::size_t index = 0;
    while (index < text.size()) {
        std::size_t plain = index;
        while (plain < text.size() && text[plain] < 0x80 && keptASCII[text[plain]])
            ++plain;
        if (plain > index) {
            const std::size_t at = html.size();
            html.resize(at + (plain - index));
            std::transform(text.begin() + static_cast<std::ptrdiff_t>(index),
                           text.begin() + static_cast<std::ptrdiff_t>(plain), html.begin() + static_cast<std::ptrdiff_t>(at),
                           [](char16_t unit) { return static_cast<char>(unit); });
            index = plain;
            if (index == text.size())
                break;
        }
        if (text[index] >= 0x80) {
            std::size_t beyond = index + 1;
            while (beyond < text.size() && text[beyond] >= 0x80)
                ++beyond;
            appendUtf8(html, text.substr(index, beyond - index));
            index = beyond;
        } else {
            // The replacements are ASCII.
            html += replacementFor(static_cast<char>(text[index]));
            ++index;
        }
    }
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
