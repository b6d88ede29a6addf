#include "formats/markdown/SmartyPants.h"

#include "platform/foundation/ByteScan.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace folio {

namespace {

constexpr std::array<std::string_view, 6> kVerbatimElements = {"pre", "code", "kbd", "script", "style", "math"};
constexpr std::size_t kLongestVerbatimName =
    std::max_element(kVerbatimElements.begin(), kVerbatimElements.end(),
                     [](std::string_view a, std::string_view b) { return a.size() < b.size(); })
        ->size();

bool isBlankByte(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Letters of any script: bytes of multi-byte UTF-8 sequences count as letters, so an
// apostrophe after "é" is still an apostrophe.
bool isWordByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || std::isalnum(byte);
}

bool isDigitByte(char c)
{
    return c >= '0' && c <= '9';
}

class Filter {
public:
    Filter(std::string_view html, std::string& out)
        : m_html(html)
        , m_out(out)
    {
        m_out.reserve(m_out.size() + html.size() + html.size() / 8);
    }

    void run()
    {
        while (m_at < m_html.size()) {
            const std::string_view rest = m_html.substr(m_at);
            switch (rest[0]) {
            case '<': copyMarkup(rest); break;
            case '&': entity(rest); break;
            case '"': doubleQuote(1); break;
            case '\'': singleQuote(1); break;
            case '-': dashes(rest); break;
            case '.': dots(rest); break;
            default: copyPlainText(rest); break;
            }
        }
        flushCopied();
    }

private:
    // Quotes open after the start, a blank, an opening bracket, a dash or another
    // opening quote; anywhere else they close.
    bool opensHere() const
    {
        return m_previous == 0 || isBlankByte(m_previous) || m_previous == '(' || m_previous == '['
            || m_previous == '{' || m_previous == '-' || m_previous == kOpenQuote;
    }

    char nextAfter(std::size_t length) const
    {
        return m_at + length < m_html.size() ? m_html[m_at + length] : 0;
    }

    // Most of the HTML goes across unchanged: tags and text between the
    // characters replaced are written in one piece when a replacement, or
    // the end, comes.
    void flushCopied()
    {
        m_out.append(m_html.substr(m_copiedUpTo, m_at - m_copiedUpTo));
        m_copiedUpTo = m_at;
    }

    void emit(std::string_view entity, std::size_t consumed, char previous)
    {
        flushCopied();
        m_out += entity;
        m_at += consumed;
        m_copiedUpTo = m_at;
        m_previous = previous;
    }

    // Text up to the next byte that may start markup, an entity or punctuation to
    // change goes across in one piece.
    void copyPlainText(std::string_view rest)
    {
        copyText(nextSpecialByte(rest, 1));
    }

    // The index of the first special byte at or after `from`.
    static std::size_t nextSpecialByte(std::string_view rest, std::size_t from)
    {
        return ByteScan::firstOf<'<', '&', '"', '\'', '-', '.'>(rest, from);
    }

    static constexpr std::string_view kSpecialByteList = "<&\"'-.";

    static bool isSpecialByte(char c) { return kSpecialBytes[static_cast<unsigned char>(c)]; }

    static constexpr std::array<bool, 256> kSpecialBytes = [] {
        std::array<bool, 256> special{};
        for (const char c : kSpecialByteList)
            special[static_cast<unsigned char>(c)] = true;
        return special;
    }();

    void copyText(std::size_t length)
    {
        m_previous = m_html[m_at + length - 1];
        m_at += length;
    }

    void doubleQuote(std::size_t length)
    {
        const char next = nextAfter(length);
        if (opensHere() && next && !isBlankByte(next))
            emit("&ldquo;", length, kOpenQuote);
        else
            emit("&rdquo;", length, kCloseQuote);
    }

    void singleQuote(std::size_t length)
    {
        const char next = nextAfter(length);
        if (isWordByte(m_previous) || !opensHere() || !next || isBlankByte(next)) {
            emit("&rsquo;", length, kCloseQuote);
            return;
        }
        // An elided century ("'90s") is an apostrophe, not an opening quote.
        if (isDigitByte(next) && isDigitByte(nextAfter(length + 1)) && !isDigitByte(nextAfter(length + 2))) {
            emit("&rsquo;", length, kCloseQuote);
            return;
        }
        emit("&lsquo;", length, kOpenQuote);
    }

    void dashes(std::string_view rest)
    {
        std::size_t run = 0;
        while (run < rest.size() && rest[run] == '-')
            ++run;
        for (; run >= 3; run -= 3)
            emit("&mdash;", 3, '-');
        if (run == 2)
            emit("&ndash;", 2, '-');
        else if (run == 1)
            copyText(1);
    }

    void dots(std::string_view rest)
    {
        if (rest.starts_with("..."))
            emit("&hellip;", 3, '.');
        else if (rest.starts_with(". . ."))
            emit("&hellip;", 5, '.');
        else
            copyText(1);
    }

    void entity(std::string_view rest)
    {
        // The HTML escaper writes quotes in text as references; they are quotes all the same.
        if (rest.starts_with("&quot;"))
            return doubleQuote(6);
        if (rest.starts_with("&#39;"))
            return singleQuote(5);
        if (rest.starts_with("&#x27;"))
            return singleQuote(6);
        std::size_t end = 1;
        if (end < rest.size() && rest[end] == '#')
            ++end;
        while (end < rest.size() && std::isalnum(static_cast<unsigned char>(rest[end])))
            ++end;
        if (end > 1 && end < rest.size() && rest[end] == ';') {
            m_at += end + 1;
            m_previous = ';';
            return;
        }
        copyText(1);
    }

    // Tags pass unchanged and do not count as text: a quote after "<em>" opens or closes
    // by what came before the tag.
    void copyMarkup(std::string_view rest)
    {
        if (rest.starts_with("<!--")) {
            const std::size_t end = rest.find("-->", 4);
            copyMarkupBytes(end == std::string_view::npos ? rest.size() : end + 3);
            return;
        }
        // Only an opening tag starts a verbatim element, and its name follows the "<" at once.
        if (const std::optional<std::string_view> element = openedVerbatimElement(rest)) {
            copyMarkupBytes(verbatimLength(rest, *element));
            return;
        }
        const std::size_t end = rest.find('>');
        if (end == std::string_view::npos) {
            copyText(1);
            return;
        }
        copyMarkupBytes(end + 1);
    }

    // The verbatim element whose opening tag starts `rest`, if any: its name
    // follows the "<" and ends at a ">" or a blank. Every such name is
    // lowercase letters (names compare case-sensitively), and is read no
    // further than the longest can reach.
    static std::optional<std::string_view> openedVerbatimElement(std::string_view rest)
    {
        const std::size_t limit = std::min(rest.size(), kLongestVerbatimName + 2);
        std::size_t end = 1;
        while (end < limit && rest[end] >= 'a' && rest[end] <= 'z')
            ++end;
        if (end >= rest.size() || (rest[end] != '>' && !isBlankByte(rest[end])))
            return std::nullopt;
        const std::string_view name = rest.substr(1, end - 1);
        const auto element = std::find(kVerbatimElements.begin(), kVerbatimElements.end(), name);
        if (element == kVerbatimElements.end())
            return std::nullopt;
        return *element;
    }

    // From an opening tag through its closing tag, or to the end when it is never closed.
    static std::size_t verbatimLength(std::string_view rest, std::string_view element)
    {
        std::size_t at = 1;
        while ((at = rest.find('<', at)) != std::string_view::npos) {
            if (hoedown_html_is_tag(rest.substr(at), element) == HTMLTagKind::Closing) {
                const std::size_t end = rest.find('>', at);
                return end == std::string_view::npos ? rest.size() : end + 1;
            }
            ++at;
        }
        return rest.size();
    }

    void copyMarkupBytes(std::size_t length) { m_at += length; }

    // Stand-ins for the previous character after a quote was written as an entity.
    static constexpr char kOpenQuote = '\x01';
    static constexpr char kCloseQuote = '\x02';

    std::string_view m_html;
    std::string& m_out;
    std::size_t m_at = 0;
    std::size_t m_copiedUpTo = 0;
    char m_previous = 0;
};

} // namespace

HTMLTagKind hoedown_html_is_tag(std::string_view data, std::string_view tagName)
{
    if (data.size() < 3 || data[0] != '<')
        return HTMLTagKind::None;
    std::size_t i = 1;
    bool closing = false;
    if (data[i] == '/') {
        closing = true;
        ++i;
    }
    if (data.substr(i, tagName.size()) != tagName)
        return HTMLTagKind::None;
    i += tagName.size();
    if (i >= data.size())
        return HTMLTagKind::None;
    if (data[i] != '>' && !isBlankByte(data[i]))
        return HTMLTagKind::None;
    return closing ? HTMLTagKind::Closing : HTMLTagKind::Opening;
}

std::string SmartyPants::filter(std::string_view html)
{
    std::string out;
    appendFiltered(out, html);
    return out;
}

void SmartyPants::appendFiltered(std::string& out, std::string_view html)
{
    Filter(html, out).run();
}

} // namespace folio
