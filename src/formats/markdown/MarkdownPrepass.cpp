#include "formats/markdown/MarkdownPrepass.h"

#include "formats/markdown/CodeSpanIndex.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <vector>

namespace folio {

namespace {

// U+FDD0 to U+FDEF, the contiguous block of noncharacters, in UTF-8.
std::string noncharacter(int index)
{
    const unsigned code = 0xFDD0 + static_cast<unsigned>(index);
    std::string utf8;
    utf8 += static_cast<char>(0xE0 | (code >> 12));
    utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (code & 0x3F));
    return utf8;
}
constexpr int kNoncharacterCount = 32;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

constexpr bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Where a block's own text starts once quote markers, list markers and indentation are
// skipped: a "#" there is where the parser looks for a header.
std::size_t blockContentStart(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '>') {
            ++i;
        } else if ((c == '-' || c == '*' || c == '+') && i + 1 < line.size() && line[i + 1] == ' ') {
            i += 2;
        } else if (isDigit(c)) {
            std::size_t j = i;
            while (j < line.size() && isDigit(line[j]))
                ++j;
            if (j + 1 < line.size() && (line[j] == '.' || line[j] == ')') && line[j + 1] == ' ')
                i = j + 2;
            else
                break;
        } else {
            break;
        }
    }
    return i;
}

// A fence line: up to three blanks, then three or more backticks or tildes. Answers the
// fence character and run length, or 0 when the line is no fence.
std::pair<char, std::size_t> fenceOf(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && i < 3 && line[i] == ' ')
        ++i;
    if (i >= line.size() || (line[i] != '`' && line[i] != '~'))
        return {0, 0};
    const char fence = line[i];
    std::size_t run = 0;
    while (i + run < line.size() && line[i + run] == fence)
        ++run;
    if (run < 3)
        return {0, 0};
    return {fence, run};
}

bool closesFence(std::string_view line, char fence, std::size_t length)
{
    const auto [c, run] = fenceOf(line);
    if (c != fence || run < length)
        return false;
    const std::size_t start = line.find(fence);
    return std::all_of(line.begin() + static_cast<std::ptrdiff_t>(start + run), line.end(), isBlank);
}

std::size_t runLength(std::string_view text, std::size_t at, char c)
{
    std::size_t run = 0;
    while (at + run < text.size() && text[at + run] == c)
        ++run;
    return run;
}

constexpr bool isAsciiAlphanumeric(char c)
{
    return isAsciiLetter(c) || isDigit(c);
}

char asciiLowercase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithCaseless(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLowercase(text[i]) != prefix[i])
            return false;
    }
    return true;
}

constexpr bool isAddressByte(char c)
{
    return isAsciiAlphanumeric(c) || c == '.' || c == '_' || c == '+' || c == '-';
}

// The length of a bare web address or e-mail address at the start of `text`, as the
// parser's autolinks find them, or 0. Their underscores belong to the address: a mark in
// one would stop the parser from seeing an address at all. `mayHoldEmail` is false when
// the line holds no "@", which spares the look for an e-mail address.
std::size_t bareAddressLength(std::string_view text, bool mayHoldEmail)
{
    const char first = asciiLowercase(text[0]);
    for (const std::string_view scheme : {"http://", "https://", "ftp://", "www."}) {
        if (first == scheme[0] && startsWithCaseless(text, scheme)) {
            std::size_t end = 0;
            while (end < text.size() && !isBlank(text[end]) && text[end] != '<')
                ++end;
            return end;
        }
    }
    if (!mayHoldEmail)
        return 0;
    std::size_t at = 0;
    while (at < text.size() && isAddressByte(text[at]))
        ++at;
    if (at == 0 || at >= text.size() || text[at] != '@')
        return 0;
    std::size_t end = at + 1;
    while (end < text.size() && isAddressByte(text[end]))
        ++end;
    return end > at + 1 ? end : 0;
}

// What a byte of a line's text can do outside code spans, tags and link destinations.
enum InlineByteTraits : unsigned char {
    // May open a code span, a tag or a link destination, escape the next byte or be an
    // underscore to mark.
    kStartsMarkup = 1,
    // A word, and so an address, may start after it.
    kEndsWord = 2,
    // May be part of an e-mail address.
    kAddressByte = 4,
    // May start a web address: the first letter of a scheme.
    kStartsScheme = 8,
};

constexpr std::array<unsigned char, 256> kInlineByteTraits = [] {
    std::array<unsigned char, 256> traits{};
    for (const char c : std::string_view("\\`<]_"))
        traits[static_cast<unsigned char>(c)] |= kStartsMarkup;
    for (const char c : std::string_view(" \t\n\r\f\v("))
        traits[static_cast<unsigned char>(c)] |= kEndsWord;
    for (int c = 0; c < 256; ++c) {
        if (isAddressByte(static_cast<char>(c)))
            traits[c] |= kAddressByte;
    }
    for (const char c : std::string_view("hfwHFW"))
        traits[static_cast<unsigned char>(c)] |= kStartsScheme;
    return traits;
}();

unsigned char inlineTraitsOf(char c)
{
    return kInlineByteTraits[static_cast<unsigned char>(c)];
}

// The first byte at or after `from` that may start markup, or the first byte of the
// next word when an address may start there (`addressStarts` names the traits of
// such a byte): everything before it is text that the pre-pass copies as it is.
std::size_t nextInlineCandidate(std::string_view line, std::size_t from, unsigned char addressStarts)
{
    // One test passes over the bytes of a word, the most of any text.
    const auto endsWordOrStartsMarkup = [](char c) { return (inlineTraitsOf(c) & (kStartsMarkup | kEndsWord)) != 0; };
    auto at = line.begin() + static_cast<std::ptrdiff_t>(from);
    while ((at = std::find_if(at, line.end(), endsWordOrStartsMarkup)) != line.end()) {
        if (inlineTraitsOf(*at) & kStartsMarkup)
            break;
        ++at;
        if (at != line.end() && (inlineTraitsOf(*at) & addressStarts))
            break;
    }
    return static_cast<std::size_t>(at - line.begin());
}

} // namespace

MarkdownPrepass::MarkdownPrepass(bool marksUnderline, bool requiresHeaderSpace)
    : m_marksUnderline(marksUnderline)
    , m_requiresHeaderSpace(requiresHeaderSpace)
{
}

bool MarkdownPrepass::chooseMarks(std::string_view source)
{
    std::vector<std::string> unused;
    for (int i = 0; i < kNoncharacterCount && unused.size() < 2; ++i) {
        std::string candidate = noncharacter(i);
        if (source.find(candidate) == std::string_view::npos)
            unused.push_back(std::move(candidate));
    }
    if (unused.size() < 2)
        return false;
    m_underlineMark = unused[0];
    m_lineMark = unused[1];
    assert(m_lineMark.starts_with(m_underlineMark.substr(0, 2)));
    return true;
}

std::string MarkdownPrepass::apply(std::string_view source)
{
    m_marksActive = (m_marksUnderline || m_requiresHeaderSpace) && chooseMarks(source);
    if (!m_marksActive)
        return std::string(source);

    m_codeSpanTicks = 0;
    m_inTag = false;
    m_linkDestinationDepth = 0;

    const CodeSpanIndex codeSpans(source);
    std::string out;
    out.reserve(source.size() + source.size() / 16);
    char fence = 0;
    std::size_t fenceLength = 0;
    std::size_t lineStart = 0;
    while (lineStart < source.size()) {
        std::size_t lineEnd = source.find('\n', lineStart);
        lineEnd = lineEnd == std::string_view::npos ? source.size() : lineEnd + 1;
        const std::string_view line = source.substr(lineStart, lineEnd - lineStart);
        const std::size_t thisLineStart = lineStart;
        lineStart = lineEnd;

        if (fence) {
            if (closesFence(line, fence, fenceLength))
                fence = 0;
            out += line;
            continue;
        }
        if (std::all_of(line.begin(), line.end(), isBlank)) {
            // Nothing inline survives a blank line.
            m_codeSpanTicks = 0;
            m_inTag = false;
            m_linkDestinationDepth = 0;
            out += line;
            continue;
        }
        const std::size_t contentStart = blockContentStart(line);
        if (m_codeSpanTicks == 0 && !m_inTag) {
            if (const auto [c, run] = fenceOf(line.substr(contentStart)); c) {
                fence = c;
                fenceLength = run;
                out += line;
                continue;
            }
        }
        // The block prefix holds only blanks, quote and list markers: nothing to mark inline.
        out += line.substr(0, contentStart);
        if (needsLineMark(line.substr(contentStart)))
            out += m_lineMark;
        markInline(line.substr(contentStart), thisLineStart + contentStart, codeSpans, out);
    }
    return out;
}

std::size_t MarkdownPrepass::unmatchedBracketCount(std::string_view source)
{
    // Brackets and backslashes are rare in prose: each is found with the
    // library's byte search, and the nearest of the three is taken in turn.
    static constexpr char kSought[] = {'[', ']', '\\'};
    std::array<std::size_t, 3> next{};
    for (std::size_t k = 0; k < next.size(); ++k)
        next[k] = source.find(kSought[k]);
    std::size_t open = 0;
    for (;;) {
        const std::size_t index = std::min({next[0], next[1], next[2]});
        if (index == std::string_view::npos)
            break;
        std::size_t resume = index + 1;
        switch (source[index]) {
        case '[':
            ++open;
            break;
        case ']':
            open -= open ? 1 : 0;
            break;
        default:
            // A backslash makes the next byte literal, whatever it is.
            resume = index + 2;
            break;
        }
        for (std::size_t k = 0; k < next.size(); ++k) {
            if (next[k] < resume)
                next[k] = source.find(kSought[k], resume);
        }
    }
    return open;
}

std::string MarkdownPrepass::escapingUnmatchedBracketRuns(std::string source)
{
    if (source.size() < kLongBracketRun)
        return source;
    // Brackets pair as a stack; what is left on it never closes. Its depth
    // alone tells whether enough stay open to matter, which most texts do
    // not, so their places are only looked for when it does.
    if (unmatchedBracketCount(source) < kLongBracketRun)
        return source;
    std::vector<std::size_t> open;
    bool escaped = false;
    for (std::size_t index = 0; index < source.size(); ++index) {
        char c = source[index];
        if (!escaped && c == '[') {
            open.push_back(index);
        } else if (!escaped && c == ']' && !open.empty()) {
            open.pop_back();
        }
        escaped = !escaped && c == '\\';
    }
    std::vector<bool> unmatched(source.size(), false);
    for (std::size_t index : open)
        unmatched[index] = true;

    std::string out;
    out.reserve(source.size() + open.size());
    std::size_t index = 0;
    while (index < source.size()) {
        // A run of "[" and "![" whose brackets all stay open.
        std::size_t end = index;
        std::size_t brackets = 0;
        while (end < source.size()) {
            if (source[end] == '[' && unmatched[end]) {
                ++end;
                ++brackets;
            } else if (source[end] == '!' && end + 1 < source.size() && source[end + 1] == '[' && unmatched[end + 1]) {
                end += 2;
                ++brackets;
            } else {
                break;
            }
        }
        if (brackets == 0) {
            out += source[index++];
            continue;
        }
        for (std::size_t at = index; at < end; ++at) {
            if (source[at] == '[' && brackets >= kLongBracketRun)
                out += '\\';
            out += source[at];
        }
        index = end;
    }
    return out;
}

bool MarkdownPrepass::needsLineMark(std::string_view content) const
{
    if (!m_requiresHeaderSpace || content.empty() || content[0] != '#')
        return false;
    // The first six signs count; a seventh stands where the blank should be.
    const std::size_t after = std::min<std::size_t>(runLength(content, 0, '#'), 6);
    return after == content.size() || content[after] != ' ';
}

void MarkdownPrepass::markInline(std::string_view line, std::size_t lineOffset, const CodeSpanIndex& codeSpans,
                                 std::string& out)
{
    // Bytes that are copied as they are wait in [copied, i) and go across in
    // one piece before anything is added after them.
    std::size_t copied = 0;
    auto copyUpTo = [&](std::size_t end) {
        out.append(line.substr(copied, end - copied));
        copied = end;
    };
    // A word can start an address only with a scheme's first letter, or with
    // any byte of an e-mail address when the line holds an "@".
    const bool mayHoldEmail = line.find('@') != std::string_view::npos;
    const unsigned char addressStarts = mayHoldEmail ? kAddressByte : kStartsScheme;
    std::size_t i = 0;
    while (i < line.size()) {
        if (m_codeSpanTicks) {
            // Only a run of backticks as long as the one that opened the span closes it.
            i = line.find('`', i);
            if (i == std::string_view::npos)
                break;
            const std::size_t run = runLength(line, i, '`');
            if (run == m_codeSpanTicks)
                m_codeSpanTicks = 0;
            i += run;
            continue;
        }
        if (m_inTag) {
            i = line.find('>', i);
            if (i == std::string_view::npos)
                break;
            m_inTag = false;
            ++i;
            continue;
        }
        if (m_linkDestinationDepth) {
            i = line.find_first_of("()\\", i);
            if (i == std::string_view::npos)
                break;
            const char c = line[i];
            if (c == '(')
                ++m_linkDestinationDepth;
            else if (c == ')')
                --m_linkDestinationDepth;
            else if (i + 1 < line.size())
                ++i;
            ++i;
            continue;
        }

        const char c = line[i];
        if (c == '\\') {
            // An escaped character is literal text, never a delimiter.
            i += i + 1 < line.size() ? 2 : 1;
            continue;
        }
        if (c == '`') {
            const std::size_t run = runLength(line, i, '`');
            if (codeSpans.hasClosingRun(lineOffset + i + run, run))
                m_codeSpanTicks = run;
            i += run;
            continue;
        }
        if (c == '<') {
            if (i + 1 < line.size()
                && (isAsciiLetter(line[i + 1]) || line[i + 1] == '/' || line[i + 1] == '!' || line[i + 1] == '?'))
                m_inTag = true;
            ++i;
            continue;
        }
        if (c == ']') {
            const bool opensDestination = i + 1 < line.size() && line[i + 1] == '(';
            if (opensDestination)
                m_linkDestinationDepth = 1;
            i += opensDestination ? 2 : 1;
            continue;
        }
        if (isAddressByte(c) && (i == 0 || (inlineTraitsOf(line[i - 1]) & kEndsWord))) {
            if (const std::size_t length = bareAddressLength(line.substr(i), mayHoldEmail)) {
                i += length;
                continue;
            }
        }
        if (c == '_' && m_marksUnderline) {
            const std::size_t run = runLength(line, i, '_');
            // Only a lone underscore before a non-blank can open single-underscore
            // emphasis; runs of two or three are strong and strong-emphasis delimiters.
            if (run == 1 && i + 1 < line.size() && !isBlank(line[i + 1])) {
                copyUpTo(i + run);
                out += m_underlineMark;
            }
            i += run;
            continue;
        }
        // Inside a word nothing starts: the text runs on to the next byte
        // that may start markup or an address.
        i = (inlineTraitsOf(c) & kEndsWord) ? i + 1 : nextInlineCandidate(line, i + 1, addressStarts);
    }
    copyUpTo(line.size());
}

std::string MarkdownPrepass::removeMarks(std::string_view text) const
{
    if (!m_marksActive || !containsMarks(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::string_view tail = text.substr(i);
        if (tail.starts_with(m_underlineMark) || tail.starts_with(m_lineMark)) {
            i += m_underlineMark.size();
            continue;
        }
        out += text[i++];
    }
    return out;
}

bool MarkdownPrepass::containsMarks(std::string_view text) const
{
    if (!m_marksActive)
        return false;
    // The candidates are neighbours in one block of code points and share
    // their first two bytes: one search finds where either mark may stand.
    const std::string_view sharedStart = std::string_view(m_underlineMark).substr(0, 2);
    for (std::size_t at = text.find(sharedStart); at != std::string_view::npos; at = text.find(sharedStart, at + 1)) {
        const std::string_view tail = text.substr(at);
        if (tail.starts_with(m_underlineMark) || tail.starts_with(m_lineMark))
            return true;
    }
    return false;
}

bool MarkdownPrepass::startsWithUnderlineMark(std::string_view text) const
{
    return m_marksActive && m_marksUnderline && text.starts_with(m_underlineMark);
}

} // namespace folio
